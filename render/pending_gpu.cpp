// Stand-ins until the GPU foundation lands; deleted by it.
#include "platform/frame_steps.h"
void gpu_init() {}
void render_begin_frame() {}
void character_preview_render() {}
void render_frame() {}
