#pragma once
// The shader programs (scene, shadow and its pulled form, sky, post,
// interface) and their uniform slots. The GLSL texts live in
// shaders_glsl.cpp as constant strings.
#include <cstdint>

// Uniform slots, looked up by the same names in every program (-1 = absent).
enum UniformSlot : int {
    U_VP, U_OMBRE_VP, U_TEINTE, U_CARTE_OMBRE, U_SOLEIL_DIR, U_SOLEIL_COL, U_CIEL, U_SOL,
    U_BRUME, U_CAM, U_BRUME_DENS, U_TEMPS, U_BRUIT, U_LUM, U_EMISSION, U_ALPHA, U_RUG,
    U_TRANS, U_DETAIL, U_SURFACE, U_MOUSSE, U_VEGETAL, U_VENT, U_VEGETAUX, U_FEUX_POS,
    U_FEUX_COL, U_FEUX_PORTEE, U_NB_FEUX, U_PROF, U_PROJ, U_TEXEL, U_AO, U_INV_VP, U_HAUT,
    U_HORIZON, U_IMAGE, U_EXPO, U_SAT, U_CONTRASTE, U_ECRAN, U_POLICE, U_PERSO, U_MOTIFS,
    U_MOTIF, U_SOUPLE, U_BALANCE, U_FLOTTE, U_PORTRAIT, U_PORTRAIT_UI, U_CARTE_UI, U_VISION,
    UNIFORM_SLOT_COUNT
};
static_assert(UNIFORM_SLOT_COUNT == 51, "fifty-one uniform slots");

struct ShaderProgram {
    uint32_t program;
    int32_t u[UNIFORM_SLOT_COUNT];
};

// Name of uniform slot i ("u_vp" ...), or null.
const char* uniform_slot_name(int slot);

// Compiles the vertex stage and the fragment stage (the concatenation of its
// pieces), links, and looks the fifty-one names up. Errors are logged, not fatal.
ShaderProgram shader_build(const char* vertex_source, const char* const* fragment_pieces,
                           int piece_count);
// The same in two halves. shader_begin hands the sources to the driver and
// links without asking how it went; shader_end asks, logs and looks the names
// up. Work done between them overlaps a driver that compiles on threads of
// its own.
struct PendingProgram {
    uint32_t program, vs, fs;
};
PendingProgram shader_begin(const char* vertex_source, const char* const* fragment_pieces, int piece_count);
ShaderProgram shader_end(const PendingProgram& pending);
// Whether the last shader_build compiled and linked cleanly, and the first
// driver log it produced (empty when clean); tests read these.
bool shader_last_ok();
const char* shader_last_log();

// The GLSL texts.
extern const char* const GLSL_VERSION_LINE;  // "#version 330 core\n"
extern const char* const GLSL_NOISE_LIB;
extern const char* const GLSL_SCENE_VS;
extern const char* const GLSL_SCENE_FS;   // body, after the version line and the noise library
extern const char* const GLSL_SHADOW_VS;
extern const char* const GLSL_SHADOW_FS;
extern const char* const GLSL_SHADOW_PULLED_VS;
extern const char* const GLSL_SKY_VS;
extern const char* const GLSL_SKY_FS;     // body, after the version line and the noise library
extern const char* const GLSL_POST_VS;
extern const char* const GLSL_POST_FS;
extern const char* const GLSL_UI_VS;
extern const char* const GLSL_UI_FS;
