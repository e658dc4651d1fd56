// Program building: compile, link, log the driver's complaints, look the
// fifty uniform names up. A failing program is not fatal.
#include "render/shaders.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "platform/platform.h"
#include "render/gl_api.h"

namespace {

const char* const uniform_names[UNIFORM_SLOT_COUNT] = {
    "u_vp",        "u_ombre_vp",   "u_teinte",    "u_carte_ombre", "u_soleil_dir",
    "u_soleil_col", "u_ciel",      "u_sol",       "u_brume",       "u_cam",
    "u_brume_dens", "u_temps",     "u_bruit",     "u_lum",         "u_emission",
    "u_alpha",     "u_rug",        "u_trans",     "u_detail",      "u_surface",
    "u_mousse",    "u_vegetal",    "u_vent",      "u_vegetaux",    "u_feux_pos",
    "u_feux_col",  "u_feux_portee", "u_nb_feux",  "u_prof",        "u_proj",
    "u_texel",     "u_ao",         "u_inv_vp",    "u_haut",        "u_horizon",
    "u_image",     "u_expo",       "u_sat",       "u_contraste",   "u_ecran",
    "u_police",    "u_perso",      "u_motifs",    "u_motif",       "u_souple",
    "u_balance",   "u_flotte",     "u_portrait",  "u_portrait_ui", "u_carte_ui",
    "u_vision",
};

bool last_ok = true;
char last_log[4096];

void remember_log(const char* text) {
    if (last_log[0] == 0 && text && text[0]) {
        std::snprintf(last_log, sizeof(last_log), "%s", text);
    }
}

GLuint compile_stage(GLenum type, const char* const* pieces, int count) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, count, pieces, nullptr);
    glCompileShader(s);
    return s;
}

// Logs a stage's or a program's complaint and marks the build failed. The
// driver's length is not trusted to fit the buffer. Shader and program logs
// are read through entry points of one signature.
using InfoLogReader = PFN_glGetShaderInfoLog_t;
static_assert(std::is_same_v<InfoLogReader, PFN_glGetProgramInfoLog_t>);
void report_failure(InfoLogReader read_log, GLuint object, const char* heading, const char* no_log) {
    char log[4096];
    GLsizei len = 0;
    read_log(object, (GLsizei)sizeof(log), &len, log);
    if (len < 0) len = 0;
    if (len >= (GLsizei)sizeof(log)) len = (GLsizei)sizeof(log) - 1;
    log[len] = 0;
    log_printf("%s :\n%s", heading, log);
    last_ok = false;
    remember_log(len ? log : no_log);
}

void check_stage(GLuint s) {
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) report_failure(glGetShaderInfoLog, s, "Erreur de shader", "compilation refused without a log");
}

}  // namespace

const char* uniform_slot_name(int slot) {
    assert(slot >= 0 && slot < UNIFORM_SLOT_COUNT);
    if (slot < 0 || slot >= UNIFORM_SLOT_COUNT) return nullptr;
    return uniform_names[slot];
}

PendingProgram shader_begin(const char* vertex_source, const char* const* fragment_pieces, int piece_count) {
    PendingProgram p;
    p.vs = compile_stage(GL_VERTEX_SHADER, &vertex_source, 1);
    p.fs = compile_stage(GL_FRAGMENT_SHADER, fragment_pieces, piece_count);
    p.program = glCreateProgram();
    glAttachShader(p.program, p.vs);
    glAttachShader(p.program, p.fs);
    glLinkProgram(p.program);
    return p;
}

ShaderProgram shader_end(const PendingProgram& pending) {
    last_ok = true;
    last_log[0] = 0;
    check_stage(pending.vs);
    check_stage(pending.fs);
    ShaderProgram p;
    p.program = pending.program;
    GLint ok = 0;
    glGetProgramiv(p.program, GL_LINK_STATUS, &ok);
    if (!ok) report_failure(glGetProgramInfoLog, p.program, "Erreur de liaison", "link refused without a log");
    // The stages are no longer needed once linked into the program.
    if (glDeleteShader) {
        glDeleteShader(pending.vs);
        glDeleteShader(pending.fs);
    }
    for (int i = 0; i < UNIFORM_SLOT_COUNT; ++i)
        p.u[i] = glGetUniformLocation(p.program, uniform_names[i]);
    return p;
}

ShaderProgram shader_build(const char* vertex_source, const char* const* fragment_pieces,
                           int piece_count) {
    return shader_end(shader_begin(vertex_source, fragment_pieces, piece_count));
}

bool shader_last_ok() { return last_ok; }
const char* shader_last_log() { return last_log; }
