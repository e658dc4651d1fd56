#include "render/render_calls.h"

RenderCalls render_calls = {
    [] { return 2; },
    [](Vec3, Vec3) { return true; },
};
