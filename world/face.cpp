// Facial expression: the eyes narrow and the brows lift as the amount grows.
#include "world/human.h"
#include "world/model.h"

void face_expression(Model* m, const Appearance* a, float amount) {
    if (!m || !a) return;
    if (!(amount > 0.0f)) amount = 0.0f;  // also NaN
    if (amount > 1.0f) amount = 1.0f;
    float k = a->face_scale > 0.0f ? a->face_scale : 1.0f;
    for (int i = 0; i < 4; ++i) {
        int idx = a->face_nodes[i];
        if (idx < 0 || idx >= m->node_count) continue;
        Node& n = m->nodes[idx];
        bool right = (i & 1) != 0;
        bool brow = i >= 2;
        Vec3 rest = a->face_rest[brow ? 1 : 0];
        if (right) rest.x = -rest.x;
        float side = right ? -1.0f : 1.0f;
        if (!brow) {
            // Eyes squint: flattened, a touch deeper, lifted by the cheeks.
            n.scale = {k, k * (1.0f - 0.35f * amount), k * (1.0f + 0.03f * amount)};
            n.position = rest + Vec3{0.0f, 0.0015f * amount, -0.001f * amount};
        } else {
            n.position = rest + Vec3{0.0015f * amount * side, 0.004f * amount, 0.001f * amount};
        }
    }
}
