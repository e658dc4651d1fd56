// Stand-ins until the merchant and the professions land.
#include "platform/frame_steps.h"
#include "play/player_later.h"
void gathering_build() {}
void merchant_update(float) {}
void crafting_update(float) {}
void merchant_submit() {}
void gathering_submit() {}
void loot_window_close_for(const Creature*) {}
