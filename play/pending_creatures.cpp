// Stand-ins until the creatures land.
#include "platform/frame_steps.h"
#include "play/player_later.h"
void creatures_update(float) {}
void creatures_submit() {}
void calm_all_creatures() {}
