#pragma once
// The interaction prompt of the frame: the first source in reach (the quest
// givers, the merchant, the townsfolk, corpses, the catacombs, gathering)
// shows its line and takes the interaction key. The player's update reaches
// it through play_calls.
void player_interaction_prompt();
