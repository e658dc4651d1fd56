#include "common/net_packets.h"

#include <cassert>
#include <cmath>
#include <cstring>

void net_put_u16(uint8_t* p, uint16_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}
void net_put_u32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = (uint8_t)(v >> (8 * i));
}
void net_put_f32(uint8_t* p, float v) {
    uint32_t bits;
    memcpy(&bits, &v, 4);
    net_put_u32(p, bits);
}
uint16_t net_get_u16(const uint8_t* p) { return (uint16_t)(p[0] | (p[1] << 8)); }
uint32_t net_get_u32(const uint8_t* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}
float net_get_f32(const uint8_t* p) {
    uint32_t bits = net_get_u32(p);
    float v;
    memcpy(&v, &bits, 4);
    return v;
}

int net_message_type(const uint8_t* data, int length) {
    if (!data || length < NET_HEADER_SIZE || memcmp(data, "TVN1", 4) != 0) return -1;
    return data[4];
}

void net_put_header(uint8_t* out, uint8_t type) {
    memcpy(out, "TVN1", 4);
    out[4] = type;
}

int net_write_hello(uint8_t* out, const NetIdentity& id) {
    memset(out, 0, NET_HELLO_SIZE);
    net_put_header(out, NET_HELLO);
    // At most 23 bytes of text: the last name byte is always the terminator.
    size_t n = strnlen(id.name, NET_NAME_SIZE - 1);
    memcpy(out + 5, id.name, n);
    out[29] = id.player_class;
    out[30] = id.woman;
    out[31] = id.skin;
    out[32] = id.eyes;
    out[33] = id.hair;
    out[34] = id.style;
    out[35] = id.beard;
    out[36] = id.level;
    for (int s = 0; s < NET_EQUIPMENT_SLOTS; ++s) net_put_u16(out + 37 + 2 * s, id.equipment[s]);
    return NET_HELLO_SIZE;
}

int net_write_pose(uint8_t* out, uint32_t sequence, const NetPose& p) {
    net_put_header(out, NET_POSE);
    net_put_u32(out + 5, sequence);
    const float f[8] = {p.x, p.y, p.z, p.heading, p.ground_speed, p.guard_blend, p.swing_progress,
                        p.whirlwind_progress};
    for (int i = 0; i < 8; ++i) net_put_f32(out + 9 + 4 * i, f[i]);
    out[41] = p.combo_index;
    out[42] = p.flags;
    return NET_POSE_SIZE;
}

int net_write_bye(uint8_t* out) {
    net_put_header(out, NET_BYE);
    return NET_BYE_SIZE;
}

int net_append_cookie(uint8_t* out, int length, uint32_t cookie) {
    net_put_u32(out + length, cookie);
    return length + NET_COOKIE_SIZE;
}

bool net_trailing_cookie(const uint8_t* data, int length, int bare_size, uint32_t* cookie) {
    if (!data || length < bare_size + NET_COOKIE_SIZE) return false;
    if (cookie) *cookie = net_get_u32(data + bare_size);
    return true;
}

int net_write_welcome(uint8_t* out, uint8_t player, uint32_t cookie) {
    net_put_header(out, NET_WELCOME);
    out[5] = player;
    out[6] = 0;
    return cookie ? net_append_cookie(out, NET_WELCOME_SIZE, cookie) : NET_WELCOME_SIZE;
}

int net_write_challenge(uint8_t* out, uint32_t cookie) {
    net_put_header(out, NET_CHALLENGE);
    return net_append_cookie(out, NET_HEADER_SIZE, cookie);
}

int net_write_full(uint8_t* out, uint8_t reason, uint8_t cap) {
    net_put_header(out, NET_FULL);
    if (reason == NET_FULL_PLAYERS) return NET_FULL_SIZE;
    out[5] = reason;
    out[6] = cap;
    return NET_FULL_REASON_SIZE;
}

int net_write_world_header(uint8_t* out, uint32_t tick, uint8_t count) {
    net_put_header(out, NET_WORLD);
    net_put_u32(out + 5, tick);
    out[9] = count;
    return NET_WORLD_HEADER;
}

int net_write_world_entry(uint8_t* out, uint8_t player, const uint8_t* pose_body) {
    out[0] = player;
    memcpy(out + 1, pose_body, NET_POSE_BODY_SIZE);
    return NET_WORLD_ENTRY;
}

int net_write_player(uint8_t* out, uint8_t player, const uint8_t* identity) {
    net_put_header(out, NET_PLAYER);
    out[5] = player;
    memcpy(out + 6, identity, NET_IDENTITY_SIZE);
    return NET_PLAYER_SIZE;
}

int net_write_left(uint8_t* out, uint8_t player) {
    net_put_header(out, NET_LEFT);
    out[5] = player;
    return NET_LEFT_SIZE;
}

NetPose net_read_pose_body(const uint8_t* b) {
    NetPose p;
    p.x = net_get_f32(b + 0);
    p.y = net_get_f32(b + 4);
    p.z = net_get_f32(b + 8);
    p.heading = net_get_f32(b + 12);
    p.ground_speed = net_get_f32(b + 16);
    p.guard_blend = net_get_f32(b + 20);
    p.swing_progress = net_get_f32(b + 24);
    p.whirlwind_progress = net_get_f32(b + 28);
    p.combo_index = b[32];
    p.flags = b[33];
    return p;
}

static float clamp_to(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

bool net_pose_sanitize(NetPose* p) {
    const float f[8] = {p->x, p->y, p->z, p->heading, p->ground_speed, p->guard_blend,
                        p->swing_progress, p->whirlwind_progress};
    for (float v : f)
        if (!std::isfinite(v)) return false;
    p->x = clamp_to(p->x, -NET_POSITION_LIMIT, NET_POSITION_LIMIT);
    p->y = clamp_to(p->y, -NET_POSITION_LIMIT, NET_POSITION_LIMIT);
    p->z = clamp_to(p->z, -NET_POSITION_LIMIT, NET_POSITION_LIMIT);
    // A remainder, not a loop of subtractions: 1e30 must not hang the frame.
    const float two_pi = 6.28318530718f;
    float h = std::remainder(p->heading, two_pi);
    if (!(h > -3.14159265359f)) h += two_pi;
    p->heading = clamp_to(h, -3.14159265359f, 3.14159265359f);
    p->ground_speed = clamp_to(p->ground_speed, 0.0f, NET_SPEED_LIMIT);
    p->guard_blend = clamp_to(p->guard_blend, 0.0f, 1.0f);
    p->swing_progress = clamp_to(p->swing_progress, 0.0f, 1.0f);
    p->whirlwind_progress = clamp_to(p->whirlwind_progress, 0.0f, 1.0f);
    if (p->combo_index > 2) p->combo_index = 2;
    p->flags &= NET_FLAGS_KNOWN;
    return true;
}

static uint8_t at_most(uint8_t v, uint8_t hi) { return v > hi ? hi : v; }

NetIdentity net_read_identity(const uint8_t* b) {
    NetIdentity id;
    memcpy(id.name, b, NET_NAME_SIZE);
    net_clean_name(id.name);
    id.player_class = at_most(b[24], 2);
    id.woman = b[25] != 0;
    id.skin = at_most(b[26], 4);
    id.eyes = at_most(b[27], 3);
    id.hair = at_most(b[28], 6);
    id.style = at_most(b[29], 2);
    id.beard = at_most(b[30], 2);
    id.level = b[31];
    for (int s = 0; s < NET_EQUIPMENT_SLOTS; ++s) id.equipment[s] = net_get_u16(b + 32 + 2 * s);
    return id;
}

// Length of the UTF-8 character at p (at most `left` bytes), 0 when the bytes
// there are not one: overlong forms, surrogates and values past U+10FFFF are not.
static int utf8_character(const uint8_t* p, int left) {
    uint8_t b = p[0];
    if (b < 0x80) return 1;
    int n = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? (b <= 0xEF ? 3 : 0) : b >= 0xC2 ? 2 : 0;
    if (n == 0 || n > left) return 0;
    for (int i = 1; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80) return 0;
    if (n == 3 && ((b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] >= 0xA0))) return 0;
    if (n == 4 && ((b == 0xF0 && p[1] < 0x90) || (b == 0xF4 && p[1] >= 0x90))) return 0;
    return n;
}

void net_clean_name(char* name) {
    uint8_t* p = (uint8_t*)name;
    const int text_max = NET_NAME_SIZE - 1;
    int end = 0;
    while (end < text_max && p[end]) ++end;
    int i = 0;
    while (i < end) {
        int n = utf8_character(p + i, end - i);
        // C0 controls, DEL and the C1 controls (U+0080..U+009F) are not text either.
        bool control = (n == 1 && (p[i] < 0x20 || p[i] == 0x7F)) || (n == 2 && p[i] == 0xC2 && p[i + 1] < 0xA0);
        if (n == 0 || control) {
            for (int k = 0; k < (n ? n : 1); ++k) p[i + k] = '?';
            n = n ? n : 1;
        }
        i += n;
    }
    memset(p + end, 0, (size_t)(NET_NAME_SIZE - end));
}

bool net_parse_address(const char* text, char* host, int host_capacity, uint16_t* port) {
    assert(host && host_capacity > 0);
    if (!host || host_capacity <= 0) return false;
    host[0] = 0;
    if (port) *port = NET_DEFAULT_PORT;
    if (!text) return false;
    while (*text == ' ') ++text;
    int n = 0;
    while (text[n] && text[n] != ':' && n < 63 && n < host_capacity - 1) {
        host[n] = text[n];
        ++n;
    }
    host[n] = 0;
    while (n > 0 && host[n - 1] == ' ') host[--n] = 0;
    const char* colon = strchr(text, ':');
    if (colon && port) {
        long value = 0;
        const char* d = colon + 1;
        bool digits = false;
        while (*d >= '0' && *d <= '9' && value <= 65535) {
            value = value * 10 + (*d - '0');
            digits = true;
            ++d;
        }
        if (digits && value >= 1 && value <= 65535) *port = (uint16_t)value;
    }
    return n > 0;
}

bool net_numeric_host(const char* host, uint32_t* address) {
    assert(host);
    if (!host) return false;
    if (strcmp(host, "localhost") == 0) {
        if (address) *address = 0x7F000001u;
        return true;
    }
    uint32_t a = 0;
    const char* p = host;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (*p != '.') return false;
            ++p;
        }
        int value = 0, digits = 0;
        while (*p >= '0' && *p <= '9') {
            value = value * 10 + (*p - '0');
            if (++digits > 3) return false;
            ++p;
        }
        if (digits == 0 || value > 255) return false;
        a = (a << 8) | (uint32_t)value;
    }
    if (*p) return false;
    if (address) *address = a;
    return true;
}
