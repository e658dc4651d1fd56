// The GLSL texts of the five programs, carried inside the game. The scene and
// sky fragment stages are compiled as three pieces: the version line, the
// shared noise library and their own body.
#include "render/shaders.h"

const char* const GLSL_VERSION_LINE = "#version 330 core\n";

// 3D value noise shared by the scene and the sky.
const char* const GLSL_NOISE_LIB = R"GLSL(
float h3(vec3 p) {
    p = fract(p * 0.3183099 + 0.1);
    p *= 17.0;
    return fract(p.x * p.y * p.z * (p.x + p.y + p.z));
}
float bruit(vec3 x) {
    vec3 i = floor(x);
    vec3 f = fract(x);
    f = f * f * (3.0 - 2.0 * f);
    return mix(mix(mix(h3(i + vec3(0.0, 0.0, 0.0)), h3(i + vec3(1.0, 0.0, 0.0)), f.x),
                   mix(h3(i + vec3(0.0, 1.0, 0.0)), h3(i + vec3(1.0, 1.0, 0.0)), f.x), f.y),
               mix(mix(h3(i + vec3(0.0, 0.0, 1.0)), h3(i + vec3(1.0, 0.0, 1.0)), f.x),
                   mix(h3(i + vec3(0.0, 1.0, 1.0)), h3(i + vec3(1.0, 1.0, 1.0)), f.x), f.y), f.z);
}
float fbm(vec3 p) {
    float s = 0.0;
    float a = 0.5;
    for (int i = 0; i < 4; i++) {
        s += a * bruit(p);
        p = p * 2.03 + vec3(1.7, 9.2, 3.1);
        a *= 0.5;
    }
    return s / 0.9375;
}
)GLSL";

const char* const GLSL_SCENE_VS = R"GLSL(#version 330 core
layout(location = 0) in vec3 a_pos;
layout(location = 1) in vec3 a_nor;
layout(location = 2) in vec3 a_col;
layout(location = 3) in vec4 i_m0;
layout(location = 4) in vec4 i_m1;
layout(location = 5) in vec4 i_m2;
layout(location = 6) in vec4 i_m3;
layout(location = 7) in vec4 i_col;
uniform mat4 u_vp;
uniform mat4 u_ombre_vp;
uniform vec3 u_teinte;
uniform float u_temps;
uniform vec4 u_souple;
uniform vec3 u_balance;
uniform vec3 u_flotte;
uniform float u_vegetal;
uniform float u_vent;
out vec3 v_wpos;
out vec3 v_nor;
out vec3 v_col;
out vec3 v_raw;
out vec3 v_tint;
out vec3 v_opos;
out vec3 v_onor;
out vec4 v_ombre;
out float v_pied;
void main() {
    mat4 m = mat4(i_m0, i_m1, i_m2, i_m3);
    vec4 w = m * vec4(a_pos, 1.0);
    float t = u_temps;
    if (u_souple.x > 0.5) {
        // Cloth, plumes and hair below the pivot height swing and flutter.
        float k = clamp((u_souple.y - a_pos.y) / u_souple.z, 0.0, 1.0);
        k *= k;
        float o = sin(t * 3.1 + a_pos.y * 9.0 + a_pos.x * 13.0) * 0.7 +
                  sin(t * 5.3 + a_pos.y * 17.0 + a_pos.z * 7.0) * 0.3;
        w.xyz += (u_balance + u_flotte * o) * k;
    }
    if (u_vegetal > -0.5) {
        float hh = max(a_pos.y, 0.0);
        float wx = w.x;
        float wz = w.z;
        w.x += (sin(t * 1.7 + wx * 0.37 + wz * 0.21) + 0.4 * sin(t * 4.1 + wz * 1.3)) * u_vent * hh;
        w.z += (cos(t * 1.3 + wz * 0.31) + 0.4 * sin(t * 3.7 + wx * 1.1)) * u_vent * hh;
    }
    v_wpos = w.xyz;
    v_nor = normalize(transpose(inverse(mat3(m))) * a_nor);
    v_col = pow(max(a_col * i_col.rgb * u_teinte, vec3(0.0)), vec3(2.2));
    v_raw = a_col;
    v_tint = pow(max(i_col.rgb * u_teinte, vec3(0.0)), vec3(2.2));
    v_opos = a_pos;
    v_onor = a_nor;
    v_ombre = u_ombre_vp * w;
    v_pied = i_col.w;
    gl_Position = u_vp * w;
}
)GLSL";

const char* const GLSL_SCENE_FS = R"GLSL(
in vec3 v_wpos;
in vec3 v_nor;
in vec3 v_col;
in vec3 v_raw;
in vec3 v_tint;
in vec3 v_opos;
in vec3 v_onor;
in vec4 v_ombre;
in float v_pied;
uniform sampler2DShadow u_carte_ombre;
uniform sampler2DArray u_motifs;
uniform sampler2DArray u_vegetaux;
uniform vec3 u_soleil_dir;
uniform vec3 u_soleil_col;
uniform vec3 u_ciel;
uniform vec3 u_sol;
uniform vec3 u_brume;
uniform vec3 u_cam;
uniform float u_brume_dens;
uniform float u_temps;
uniform vec4 u_bruit;
uniform vec4 u_lum;
uniform vec3 u_emission;
uniform float u_alpha;
uniform float u_rug;
uniform float u_trans;
uniform float u_detail;
uniform float u_surface;
uniform float u_mousse;
uniform float u_vegetal;
uniform vec3 u_perso;
uniform vec2 u_motif;
uniform vec3 u_feux_pos[12];
uniform vec3 u_feux_col[12];
uniform float u_feux_portee[12];
uniform int u_nb_feux;
out vec4 o_col;

const float PI = 3.14159265;

vec3 specGGX(vec3 n, vec3 v, vec3 l, float rug, vec3 F0) {
    vec3 h = normalize(v + l);
    float nl = max(dot(n, l), 0.0);
    float nv = max(dot(n, v), 1e-3);
    float nh = max(dot(n, h), 0.0);
    float vh = max(dot(v, h), 0.0);
    float a = max(rug * rug, 0.002);
    float a2 = a * a;
    float dd = nh * nh * (a2 - 1.0) + 1.0;
    float D = a2 / (PI * dd * dd);
    float k = (rug + 1.0) * (rug + 1.0) / 8.0;
    float G = (nv / (nv * (1.0 - k) + k)) * (nl / (nl * (1.0 - k) + k));
    // Where the view lines up with the sun, rounding puts this cosine above
    // 1: pow of a negative is NaN, drawn black.
    vec3 F = F0 + (1.0 - F0) * pow(max(1.0 - vh, 0.0), 5.0);
    return D * G * F / (4.0 * nv * max(nl, 1e-3)) * nl;
}

float ombre(vec3 n) {
    vec3 p = v_ombre.xyz / v_ombre.w * 0.5 + 0.5;
    if (p.x < 0.0 || p.x > 1.0 || p.y < 0.0 || p.y > 1.0 || p.z > 1.0) return 1.0;
    float bias = 0.0004 + 0.0009 * (1.0 - abs(dot(n, u_soleil_dir)));
    float step = 1.6 / float(textureSize(u_carte_ombre, 0).x);
    float s = 0.0;
    for (int y = -1; y <= 1; y++)
        for (int x = -1; x <= 1; x++)
            s += texture(u_carte_ombre, vec3(p.xy + vec2(float(x), float(y)) * step, p.z - bias));
    s /= 9.0;
    // Fade out towards the border so the map's edge never shows.
    float e = max(abs(p.x - 0.5), abs(p.y - 0.5)) * 2.0;
    return mix(s, 1.0, smoothstep(0.85, 1.0, e));
}

void main() {
    bool veg = u_vegetal > -0.5;
    vec3 n = normalize(v_nor);
    if (!gl_FrontFacing && !veg) n = -n;
    vec3 base = v_col;
    float cov = 1.0;
    if (veg) {
        vec2 uv = v_raw.xy;
        vec4 t = texture(u_vegetaux, vec3(uv, u_vegetal));
        vec2 dx = dFdx(uv) * 512.0;
        vec2 dy = dFdy(uv) * 512.0;
        float lod = max(log2(max(max(length(dx), length(dy)), 1e-6)), 0.0);
        // Small mips lose opacity: raise alpha with the level so far cards keep their edge.
        float a = t.a * (1.0 + lod * 0.28);
        cov = clamp((a - 0.5) / max(fwidth(a), 1e-3) + 0.5, 0.0, 1.0);
        if (cov < 0.01) discard;
        base = pow(t.rgb, vec3(2.2)) * v_tint * v_raw.z;
    }
    if (u_motif.x > -0.5) {
        vec3 q = v_opos * u_motif.y;
        vec3 w = pow(abs(v_onor), vec3(4.0));
        w /= max(w.x + w.y + w.z, 1e-5);
        vec3 s = texture(u_motifs, vec3(q.zy, u_motif.x)).rgb * w.x +
                 texture(u_motifs, vec3(q.xz, u_motif.x)).rgb * w.y +
                 texture(u_motifs, vec3(q.xy, u_motif.x)).rgb * w.z;
        base *= 2.0 * s;
    }
    vec3 P = u_bruit.w > 0.5 ? v_opos : v_wpos;
    if (u_bruit.x > 0.0) {
        vec3 q = P * u_bruit.x;
        q.y *= u_bruit.z;
        float st = u_bruit.y;
        float f = fbm(q);
        base *= mix(1.0 - st, 1.0 + 0.55 * st, f);
        float g = fbm(q * 2.7 + vec3(5.2, 1.3, 7.7));
        base = mix(base, base * vec3(0.86, 0.95, 1.12), smoothstep(0.55, 0.85, g) * st);
        base = mix(base, base * vec3(1.12, 1.04, 0.86), smoothstep(0.55, 0.85, 1.0 - g) * st * 0.7);
    }
    float dcam = distance(v_wpos, u_cam);
    if (u_surface > 0.5) {
        vec3 q = P;
        float near = 1.0 - smoothstep(20.0, 70.0, dcam);
        int sk = int(u_surface + 0.5);
        if (sk == 3) {
            // Courses of 0.48 m, blocks of 0.85 m, every course shifted by half a block.
            float row = floor(q.y / 0.48);
            float jit = (h3(vec3(row, 3.7, 1.3)) - 0.5) * 0.3;
            float along = (abs(n.x) > abs(n.z) ? q.z : q.x) / 0.85 + mod(row, 2.0) * 0.5 + jit;
            float col = floor(along);
            float fx = fract(along);
            float fy = fract(q.y / 0.48);
            float edge = min(min(fx, 1.0 - fx) * 0.85, min(fy, 1.0 - fy) * 0.48);
            float joint = 1.0 - smoothstep(0.015, 0.04, edge);
            base *= mix(0.78, 1.18, h3(vec3(col, row, 5.1)));
            base = mix(base, base * 0.42, joint);
            n = normalize(n + vec3(0.0, 0.15 * joint * (fy < 0.5 ? -1.0 : 1.0), 0.0));
        }
        if (sk == 1 || sk == 3) {
            base *= mix(0.8, 1.14, fbm(q * 1.1)) * mix(0.86, 1.1, fbm(q * 4.3 + 3.1)) *
                    mix(1.0, mix(0.88, 1.1, bruit(q * 19.0)), near);
            float cr = abs(fbm(q * 1.9 + 7.0) - 0.5);
            base *= 1.0 - 0.5 * near * (1.0 - smoothstep(0.0, 0.03, cr));
            float li = smoothstep(0.66, 0.72, fbm(q * 2.6 + 5.0));
            base = mix(base, vec3(0.42, 0.42, 0.3), li * 0.45 * u_mousse);
            float mo = smoothstep(0.25, 0.8, n.y) * smoothstep(0.45, 0.68, fbm(q * 0.8 + 11.0));
            base = mix(base, vec3(0.05, 0.08, 0.025), mo * 0.85 * u_mousse);
            vec3 qq = q * 4.3 + 3.1;
            float b0 = fbm(qq);
            vec3 grad = vec3(fbm(qq + vec3(0.04, 0.0, 0.0)) - b0, fbm(qq + vec3(0.0, 0.04, 0.0)) - b0,
                             fbm(qq + vec3(0.0, 0.0, 0.04)) - b0) / 0.04;
            n = normalize(n - (grad - dot(grad, n) * n) * 0.035 * near);
        }
        if (sk == 2) {
            vec3 o = v_opos;
            float gr = fbm(o * vec3(34.0, 1.6, 34.0));
            float ve = fbm(o * vec3(9.0, 0.5, 9.0) + 2.0);
            base *= mix(0.72, 1.18, gr) * mix(0.85, 1.1, ve);
            float kn = smoothstep(0.78, 0.84, bruit(o * vec3(6.0, 1.2, 6.0)));
            base = mix(base, base * 0.55, kn * 0.6);
        }
    }
    if (u_detail > 0.5) {
        float nearD = 1.0 - smoothstep(25.0, 90.0, dcam);
        float vnear = 1.0 - smoothstep(6.0, 30.0, dcam);
        float green = smoothstep(1.05, 1.6, base.g / max(max(base.r, base.b), 1e-4));
        vec3 xz = vec3(v_wpos.x, 0.0, v_wpos.z);
        float n1 = fbm(xz * 0.18);
        float n2 = bruit(xz * 1.1);
        float n3 = bruit(xz * 7.0);
        float n4 = bruit(xz * 27.0);
        vec3 grass = base * mix(0.85, 1.15, n1);
        grass = mix(grass, grass * vec3(1.3, 1.08, 0.55), smoothstep(0.55, 0.75, n1) * 0.7);
        grass = mix(grass, grass * vec3(0.8, 0.95, 0.9), smoothstep(0.6, 0.8, n2) * 0.5);
        grass *= mix(1.0, mix(0.8, 1.15, n3), nearD) * mix(1.0, mix(0.85, 1.1, n4), vnear);
        vec3 earth = base * mix(0.8, 1.15, n1) * mix(1.0, mix(0.85, 1.12, n3), nearD);
        float gravel = smoothstep(0.6, 0.8, bruit(xz * 24.0)) * nearD +
                       smoothstep(0.7, 0.9, bruit(xz * 60.0)) * vnear * 0.5;
        earth = mix(earth, earth * vec3(1.25, 1.2, 1.15), gravel * 0.6);
        base = mix(earth, grass, green);
        vec3 q7 = xz * 7.0;
        vec2 gd = vec2(bruit(q7 + vec3(0.05, 0.0, 0.0)) - n3, bruit(q7 + vec3(0.0, 0.0, 0.05)) - n3) / 0.05;
        n = normalize(n - vec3(gd.x, 0.0, gd.y) * 0.06 * nearD * mix(1.6, 1.0, green));
    }
    bool water = u_lum.z > 0.5;
    if (water) {
        float t = u_temps;
        vec3 q = v_wpos * 0.6 + vec3(0.25 * t, 0.0, 0.18 * t);
        vec3 q2 = v_wpos * 2.3 + vec3(-0.4 * t, 0.0, 0.33 * t);
        n = normalize(vec3((fbm(q) - 0.5) * 0.3 + (bruit(q2) - 0.5) * 0.12, 1.0,
                           (fbm(q + vec3(3.1, 0.0, 1.7)) - 0.5) * 0.3 + (bruit(q2 + 5.0) - 0.5) * 0.12));
    }

    vec3 v = normalize(u_cam - v_wpos);
    vec3 l = normalize(u_soleil_dir);
    vec3 sun = u_soleil_col;
    vec3 c;
    float shadow = 1.0;
    if (u_lum.y > 0.5) {
        c = base;
    } else {
        bool chara = u_perso.x > 0.5;
        bool hair = u_perso.y > 0.5;
        bool skin = u_perso.z > 0.5;
        bool shiny = u_lum.w > 0.5;
        float metal = (shiny && abs(u_motif.x - 2.0) < 0.5) ? 1.0 : 0.0;
        vec3 F0 = skin ? vec3(0.028) : mix(vec3(0.04), base, metal);
        float rug = u_rug;
        if (rug <= 0.0) {
            if (skin) rug = 0.5;
            else if (hair) rug = 0.55;
            else if (chara) rug = shiny ? 0.35 : 0.8;
            else rug = shiny ? 0.4 : 0.85;
        }
        if (water) rug = 0.08;
        float wrap = skin ? 0.45 : (chara ? 0.15 : u_lum.x * 0.45);
        float nl = dot(n, l);
        float diff = clamp((nl + wrap) / (1.0 + wrap), 0.0, 1.0);
        shadow = ombre(n);
        float ak = chara ? smoothstep(-0.8, 0.6, n.y) : smoothstep(-0.7, 0.5, n.y);
        vec3 amb = mix(u_sol, u_ciel, n.y * 0.5 + 0.5) * mix(0.55, 1.0, ak);
        vec3 fires = vec3(0.0);
        vec3 fspec = vec3(0.0);
        for (int i = 0; i < u_nb_feux && i < 12; i++) {
            vec3 d = u_feux_pos[i] - v_wpos;
            float dist = length(d);
            d /= max(dist, 1e-4);
            float att = clamp(1.0 - dist / u_feux_portee[i], 0.0, 1.0);
            att *= att;
            float fd = chara ? clamp((dot(n, d) + 0.4) / 1.4, 0.0, 1.0)
                             : clamp((dot(n, d) + 0.25) / 1.25, 0.0, 1.0);
            fires += u_feux_col[i] * att * fd;
            fspec += u_feux_col[i] * att * specGGX(n, v, d, rug, F0) * 0.5;
        }
        float nv = max(dot(n, v), 0.0);
        vec3 Fa = F0 + (max(vec3(1.0 - rug), F0) - F0) * pow(max(1.0 - nv, 0.0), 5.0);
        vec3 light = sun * diff * (chara ? mix(0.15, 1.0, shadow) : shadow) + amb + fires;
        if (skin) {
            float w = clamp(nl * 0.5 + 0.5, 0.0, 1.0);
            light += sun * vec3(0.32, 0.08, 0.04) * 4.0 * w * (1.0 - w) * 0.45 * mix(0.4, 1.0, shadow);
            base *= mix(0.94, 1.04, bruit(v_opos * 38.0)) * mix(0.96, 1.03, bruit(v_opos * 9.0 + 4.0));
            base = mix(base, base * vec3(1.08, 0.94, 0.92), smoothstep(0.55, 0.8, bruit(v_opos * 5.0 + 9.0)) * 0.5);
        }
        if (hair) {
            base *= mix(0.62, 1.2, bruit(v_opos * vec3(160.0, 5.0, 160.0))) *
                    mix(0.8, 1.12, bruit(v_opos * vec3(55.0, 2.0, 55.0) + 3.0));
        }
        c = base * light * (1.0 - metal);
        if (!chara) c *= (1.0 - Fa * 0.5);
        vec3 r = reflect(-v, n);
        vec3 env = mix(u_sol * 0.8, u_ciel * 1.25, smoothstep(-0.25, 0.35, r.y));
        float ek = metal > 0.5 ? 1.0 : (1.0 - rug) * (1.0 - rug) * 1.5;
        c += env * Fa * ek * mix(chara ? 0.6 : 0.55, 1.0, shadow);
        if (hair) {
            // Strands run down the head: tangent = world up projected on the surface.
            vec3 up = vec3(0.0, 1.0, 0.0);
            vec3 T = up - n * dot(up, n);
            T = dot(T, T) > 1e-6 ? normalize(T) : vec3(1.0, 0.0, 0.0);
            vec3 H = normalize(l + v);
            float th = dot(T, H);
            float sh = sqrt(max(1.0 - th * th, 0.0));
            float facing = smoothstep(-0.1, 0.3, nl);
            c += sun * (vec3(pow(sh, 90.0) * 0.12) + base * pow(sh, 24.0) * 0.35) * shadow * facing;
            vec3 Hs = normalize(up + v);
            float ts = dot(T, Hs);
            c += u_ciel * pow(sqrt(max(1.0 - ts * ts, 0.0)), 8.0) * 0.08;
        } else {
            c += sun * specGGX(n, v, l, rug, F0) * shadow * (water ? 1.6 : 1.0);
        }
        c += fspec;
        if (abs(u_motif.x - 3.0) < 0.5) {
            c += base * (u_ciel * 0.7 + sun * max(nl, 0.0) * shadow * 0.5) * pow(max(1.0 - nv, 0.0), 2.5) * 0.6;
        }
        if (chara && shiny && metal < 0.5) {
            vec3 hc = normalize(normalize(vec3(0.3, 1.0, 0.2)) + v);
            c += vec3(1.0, 0.98, 0.94) * pow(max(dot(n, hc), 0.0), 120.0) * 0.6;
        }
        if (u_trans > 0.0) {
            float back = pow(max(dot(-v, l), 0.0), 3.0);
            c += base * sun * vec3(1.05, 1.15, 0.7) * (0.6 * back + 0.4 * max(-dot(n, l), 0.0)) *
                 u_trans * mix(0.35, 1.0, shadow);
        }
    }
    c += u_emission;
    float alpha = u_alpha * cov;
    if (water) {
        float fres = 0.02 + 0.98 * pow(max(1.0 - max(dot(v, n), 0.0), 0.0), 5.0);
        vec3 r = reflect(-v, n);
        // The dark first term stands for the wooded bank seen at grazing angles.
        vec3 refl = mix(vec3(0.025, 0.04, 0.03),
                        mix(u_brume * 0.8, u_ciel * 1.3, smoothstep(0.2, 0.7, r.y)),
                        smoothstep(0.04, 0.3, r.y));
        c = mix(c, refl, fres * 0.9);
        alpha = mix(u_alpha, 1.0, fres);
    }
    float hgt = max(min(v_wpos.y, u_cam.y), 0.0);
    float b = 1.0 - exp(-dcam * u_brume_dens * mix(1.0, exp(-hgt * 0.035), 0.6));
    vec3 fogc = u_brume + sun * 0.09 * pow(max(dot(-v, l), 0.0), 6.0);
    c = mix(c, fogc, b);
    o_col = vec4(c, alpha);
}
)GLSL";

const char* const GLSL_SHADOW_VS = R"GLSL(#version 330 core
layout(location = 0) in vec3 a_pos;
layout(location = 2) in vec3 a_col;
layout(location = 3) in vec4 i_m0;
layout(location = 4) in vec4 i_m1;
layout(location = 5) in vec4 i_m2;
layout(location = 6) in vec4 i_m3;
uniform mat4 u_vp;
out vec2 v_uv;
void main() {
    v_uv = a_col.xy;
    gl_Position = u_vp * (mat4(i_m0, i_m1, i_m2, i_m3) * vec4(a_pos, 1.0));
}
)GLSL";

// The shadow pass for many meshes in one draw: each vertex names its item,
// whose record is read from the frame's instance buffer (five texels: the
// matrix columns, then tint and alpha). The same product as above.
const char* const GLSL_SHADOW_PULLED_VS = R"GLSL(#version 330 core
layout(location = 0) in vec3 a_pos;
layout(location = 1) in float a_item;
layout(location = 2) in vec3 a_col;
uniform mat4 u_vp;
uniform samplerBuffer u_instances;
out vec2 v_uv;
void main() {
    int b = int(a_item) * 5;
    v_uv = a_col.xy;
    gl_Position = u_vp * (mat4(texelFetch(u_instances, b), texelFetch(u_instances, b + 1),
                               texelFetch(u_instances, b + 2), texelFetch(u_instances, b + 3)) * vec4(a_pos, 1.0));
}
)GLSL";

const char* const GLSL_SHADOW_FS = R"GLSL(#version 330 core
in vec2 v_uv;
uniform sampler2DArray u_vegetaux;
uniform float u_vegetal;
void main() {
    if (u_vegetal > -0.5 && texture(u_vegetaux, vec3(v_uv, u_vegetal)).a < 0.5) discard;
}
)GLSL";

// Full-screen triangle from the vertex index, at the far plane.
const char* const GLSL_SKY_VS = R"GLSL(#version 330 core
out vec2 v_ndc;
void main() {
    vec2 p = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    v_ndc = p * 2.0 - 1.0;
    gl_Position = vec4(v_ndc, 1.0, 1.0);
}
)GLSL";

const char* const GLSL_SKY_FS = R"GLSL(
in vec2 v_ndc;
uniform mat4 u_inv_vp;
uniform vec3 u_cam;
uniform vec3 u_haut;
uniform vec3 u_horizon;
uniform vec3 u_sol;
uniform vec3 u_soleil_dir;
uniform vec3 u_soleil_col;
uniform vec3 u_brume;
uniform float u_temps;
out vec4 o_col;
float fbm6(vec3 p) { return fbm(p) * 0.8 + fbm(p * 4.1 + vec3(3.3, 1.1, 7.7)) * 0.2; }
void main() {
    vec4 far = u_inv_vp * vec4(v_ndc, 1.0, 1.0);
    vec3 dir = normalize(far.xyz / far.w - u_cam);
    float y = dir.y;
    float yy = clamp(y, 0.0, 1.0);
    vec3 sd = normalize(u_soleil_dir);
    float s = max(dot(dir, sd), 0.0);
    float t = u_temps;
    vec3 zenith = u_haut * vec3(0.74, 0.9, 1.06);
    vec3 horizon = mix(u_brume * 1.05, u_horizon, 0.35);
    vec3 c = mix(horizon, zenith, pow(smoothstep(0.0, 0.85, yy), 0.55));
    c = mix(c, mix(u_horizon, u_brume, 0.4) * 1.1, pow(1.0 - yy, 8.0) * 0.6);
    if (y < 0.0) c = mix(horizon, u_brume * 0.9, clamp(-6.0 * y, 0.0, 1.0));
    c += u_soleil_col * (smoothstep(0.99955, 0.9998, s) * 22.0 + pow(s, 260.0) * 1.2 +
                         pow(s, 18.0) * 0.18 + pow(s, 3.0) * 0.05);
    if (y > 0.0) {
        vec2 uv = dir.xz / (y + 0.1) * 0.8 + vec2(0.006 * t, 0.002 * t);
        vec3 q = vec3(uv * 1.2, 0.008 * t);
        float n = fbm6(q);
        float cover = smoothstep(0.48, 0.68, n) * smoothstep(0.0, 0.15, y);
        vec2 towards = dot(sd.xz, sd.xz) > 1e-8 ? normalize(sd.xz) : vec2(0.0);
        float n2 = fbm6(q + vec3(towards * 0.12, 0.0));
        float shade = clamp((n2 - n) * 5.0 + 0.5, 0.0, 1.0);
        vec3 lit = vec3(1.0, 0.98, 0.95) * (u_soleil_col * 0.6 + 0.55);
        vec3 under = mix(horizon, zenith, 0.35) * 0.75 + 0.04;
        vec3 cloud = mix(lit, under, shade * 0.85 + smoothstep(0.62, 0.85, n) * 0.25);
        cloud += u_soleil_col * pow(s, 10.0) * (1.0 - cover) * 1.2;
        cloud = mix(cloud, horizon, pow(1.0 - yy, 6.0) * 0.7);
        c = mix(c, cloud, cover * 0.95);
        float ci = fbm(vec3(uv.x * 0.35 + 0.002 * t, uv.y * 1.4, 5.0));
        c = mix(c, vec3(1.0, 0.99, 0.97) * 1.1, smoothstep(0.55, 0.8, ci) * 0.25 * smoothstep(0.05, 0.4, y));
    }
    o_col = vec4(c, 1.0);
}
)GLSL";

const char* const GLSL_POST_VS = R"GLSL(#version 330 core
out vec2 v_uv;
void main() {
    vec2 p = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    v_uv = p;
    gl_Position = vec4(p * 2.0 - 1.0, 0.0, 1.0);
}
)GLSL";

const char* const GLSL_POST_FS = R"GLSL(#version 330 core
in vec2 v_uv;
uniform sampler2D u_image;
uniform sampler2D u_prof;
uniform float u_expo;
uniform float u_sat;
uniform float u_contraste;
uniform float u_portrait;
uniform vec4 u_proj;
uniform vec2 u_texel;
uniform float u_ao;
uniform mat3 u_vision;
out vec4 o_col;

float lin_depth(float d) {
    float n = u_proj.z;
    float f = u_proj.w;
    float z = d * 2.0 - 1.0;
    return 2.0 * n * f / (f + n - z * (f - n));
}
vec3 view_pos(vec2 uv, float depth) {
    return vec3((uv * 2.0 - 1.0) * u_proj.xy * depth, -depth);
}
float hash2(vec2 p) { return fract(sin(dot(p, vec2(12.9898, 78.233))) * 43758.5453); }

void main() {
    vec4 src = textureLod(u_image, v_uv, 0.0);
    vec3 c = src.rgb;
    float alpha = 1.0;
    bool portrait = u_portrait > 0.5;
    if (portrait) {
        alpha = src.a;
        if (alpha > 1e-4) c /= alpha;
    } else {
        if (u_ao > 0.0) {
            float d0 = lin_depth(texture(u_prof, v_uv).r);
            if (d0 < 0.9 * u_proj.w) {
                vec3 p0 = view_pos(v_uv, d0);
                vec2 uvx = v_uv + vec2(u_texel.x, 0.0);
                vec2 uvy = v_uv - vec2(0.0, u_texel.y);
                vec3 px = view_pos(uvx, lin_depth(texture(u_prof, uvx).r));
                vec3 py = view_pos(uvy, lin_depth(texture(u_prof, uvy).r));
                vec3 nn = cross(px - p0, py - p0);
                nn = dot(nn, nn) > 1e-12 ? normalize(nn) : vec3(0.0, 0.0, 1.0);
                if (dot(nn, -p0) < 0.0) nn = -nn;
                vec3 tx = normalize(abs(nn.y) < 0.9 ? cross(nn, vec3(0.0, 1.0, 0.0)) : cross(nn, vec3(1.0, 0.0, 0.0)));
                vec3 ty = cross(nn, tx);
                float radius = 0.55 + 0.012 * d0;
                float start = hash2(gl_FragCoord.xy) * 6.2831853;
                float occ = 0.0;
                for (int i = 0; i < 12; i++) {
                    float t = (float(i) + 0.5) / 12.0;
                    float ang = start + float(i) * 2.39996;
                    float r = sqrt(t);
                    vec3 dir = tx * (cos(ang) * r) + ty * (sin(ang) * r) + nn * sqrt(max(1.0 - r * r, 0.0));
                    vec3 sp = p0 + dir * radius * mix(0.25, 1.0, t);
                    float sd = -sp.z;
                    if (sd <= u_proj.z) continue;
                    vec2 suv = (sp.xy / sd / u_proj.xy) * 0.5 + 0.5;
                    float ds = lin_depth(texture(u_prof, suv).r);
                    if (ds < sd - 0.03) {
                        occ += smoothstep(0.0, 1.0, 1.5 * radius / max(abs(d0 - ds), 1e-4));
                    }
                }
                float ao = clamp(1.0 - occ / 12.0 * 1.25, 0.0, 1.0);
                c *= mix(1.0, ao, u_ao);
            }
        }
        vec3 h = textureLod(u_image, v_uv, 3.0).rgb * 0.45 + textureLod(u_image, v_uv, 5.0).rgb * 0.35 +
                 textureLod(u_image, v_uv, 7.0).rgb * 0.2;
        c += max(h - 1.8, vec3(0.0)) * 0.12;
    }
    c *= u_expo;
    c = clamp(c * (2.51 * c + 0.03) / (c * (2.43 * c + 0.59) + 0.14), 0.0, 1.0);
    c = pow(c, vec3(1.0 / 2.2));
    float luma = dot(c, vec3(0.2126, 0.7152, 0.0722));
    c = mix(vec3(luma), c, u_sat);
    c = (c - 0.5) * u_contraste + 0.5;
    // The player's colour-vision correction; normal vision leaves c untouched.
    if (u_vision != mat3(1.0)) c = clamp(u_vision * c, 0.0, 1.0);
    if (!portrait) {
        float vg = clamp(length(v_uv - 0.5) * 1.25, 0.0, 1.0);
        c *= 1.0 - 0.22 * pow(vg, 2.4);
        c += (hash2(gl_FragCoord.xy) - 0.5) / 255.0;
    }
    o_col = vec4(c, alpha);
}
)GLSL";

const char* const GLSL_UI_VS = R"GLSL(#version 330 core
layout(location = 0) in vec2 a_pos;
layout(location = 1) in vec2 a_uv;
layout(location = 2) in vec4 a_col;
layout(location = 3) in float a_mode;
uniform vec2 u_ecran;
out vec2 v_uv;
out vec4 v_col;
out float v_mode;
void main() {
    v_uv = a_uv;
    v_col = a_col;
    v_mode = a_mode;
    gl_Position = vec4(a_pos.x / u_ecran.x * 2.0 - 1.0, 1.0 - a_pos.y / u_ecran.y * 2.0, 0.0, 1.0);
}
)GLSL";

const char* const GLSL_UI_FS = R"GLSL(#version 330 core
in vec2 v_uv;
in vec4 v_col;
in float v_mode;
uniform sampler2D u_police;
uniform sampler2D u_portrait_ui;
uniform sampler2D u_carte_ui;
uniform mat3 u_vision;
out vec4 o_col;
void main() {
    if (v_mode < 0.5) {
        o_col = v_col;
    } else if (v_mode > 3.5) {
        o_col = texture(u_carte_ui, v_uv) * v_col;
    } else if (v_mode > 2.5) {
        o_col = texture(u_portrait_ui, v_uv) * v_col;
    } else {
        float d = texture(u_police, v_uv).r;
        float w = max(fwidth(d) * 0.75, 0.01);
        float th = 0.5;
        if (v_mode > 1.5) {
            // The shadow, drawn 0.06 of the text size lower (2.88 pixels of
            // the 48-pixel design), grows past that by one screen pixel, so
            // that it rings every letter on any ground; the distance runs
            // 1/16 per atlas pixel. Small text gets the ring it lacked,
            // large text stays near the design's 0.36.
            float atlas_px = abs(dFdx(v_uv.x)) * float(textureSize(u_police, 0).x);
            th = clamp(0.32 - atlas_px / 16.0, 0.03, 0.36);
        }
        o_col = vec4(v_col.rgb, v_col.a * smoothstep(th - w, th + w, d));
    }
    // The portrait (mode 3) was corrected by its own post-process.
    if (u_vision != mat3(1.0) && (v_mode < 2.5 || v_mode > 3.5)) o_col.rgb = clamp(u_vision * o_col.rgb, 0.0, 1.0);
}
)GLSL";
