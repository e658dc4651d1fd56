// Stand-ins until the merchant and the professions land.
#include "platform/frame_steps.h"
#include "play/player_later.h"
void gathering_build() {}
void crafting_update(float) {}
void gathering_submit() {}
