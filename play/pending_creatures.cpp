// Stand-ins until the creatures land.
#include "platform/frame_steps.h"
void creatures_update(float) {}
void creatures_submit() {}
