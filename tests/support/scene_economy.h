#pragma once
// How cheaply the scripted scenes draw. Their pictures are for a person to
// look at, never compared with a reference: a smaller shadow map and one
// sample per pixel. Under the sanitizers nobody looks at them, and the scene
// (not the interface, whose clicks the scenes test) is drawn at a quarter of
// the window's size, so the game code they drive costs the run, not llvmpipe.
#include "render/renderer.h"

inline void scene_economy() {
#ifdef TERVANNE_SANITIZED
    render_set_test_economy(256, 1, 0.25f);
#else
    render_set_test_economy(1024, 1, 1.0f);
#endif
}
