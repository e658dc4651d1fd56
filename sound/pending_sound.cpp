// Stand-ins until sound lands; deleted by it.
#include "platform/frame_steps.h"
void snd_init() {}
void snd_update(float) {}
