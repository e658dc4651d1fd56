#pragma once
// The creation screen, as the player's camera sees it.

// True while the character screens show the close portrait view.
bool player_presentation_portrait();
