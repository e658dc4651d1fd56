// Stand-ins until quests, the merchant and the professions land.
#include "platform/frame_steps.h"
#include "play/player_later.h"
void seneschal_update(float) {}
void merchant_update(float) {}
void lady_quest_update(float) {}
void quests_update(float) {}
void seneschal_submit() {}
void merchant_submit() {}
void lady_submit() {}
void quest_figures_submit() {}
void loot_window_close_for(const Creature*) {}
