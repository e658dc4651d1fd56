// Stand-ins until Camelot's villagers and the catacombs land.
#include "platform/frame_steps.h"
void villagers_build() {}
