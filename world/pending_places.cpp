// Stand-ins until Camelot's villagers and the catacombs land.
#include "platform/frame_steps.h"
void villagers_build() {}
void catacombs_update(float) {}
void catacombs_submit() {}
