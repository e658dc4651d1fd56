// Stand-ins until the outdoor world lands; deleted by it.
#include "platform/frame_steps.h"
void world_build() {}
void world_submit() {}
void ambience_update(float) {}
void ambience_submit() {}
void zones_update(float) {}
