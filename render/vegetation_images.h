#pragma once
// The five painted vegetation images that the scene program samples through
// Material::vegetation_kind (kind = layer + 1). Each is 512 x 512 RGBA with a
// cut-out alpha; a card's a_col carries (u, v, brightness) into its layer.
#include <cstdint>

constexpr int VEGETATION_SIZE = 512;
constexpr int VEGETATION_LAYERS = 5;

// vegetation_kind values of the Material record.
enum VegetationKind : int {
    VEG_NONE = 0,
    VEG_BROADLEAF = 1,  // a cluster of broad leaves on twigs (deciduous crowns)
    VEG_NEEDLES = 2,    // a drooping conifer spray
    VEG_GRASS = 3,      // a tuft of grass blades, roots at the bottom edge (v = 1)
    VEG_FERN = 4,       // a fern frond from the bottom centre
    VEG_FLOWERS = 5,    // stalks with small flower heads, roots at the bottom edge
};

// Paints all layers into out (VEGETATION_LAYERS x 512 x 512 x 4 bytes, layer
// after layer, rows from the top, straight alpha).
void vegetation_images_build(uint8_t* out);
