// The client's datagram handling with any bytes from the server's address:
// the input is cut into datagrams that udp_receive hands over one frame at a
// time, and the frame runs in full (records, interpolation). Nothing may
// read out of bounds, and what is stored must stay in range and finite.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/game_events.h"
#include "net/net.h"
#include "net/net_internal.h"
#include "net/remote_players.h"
#include "platform/platform.h"
#include "render/hud.h"

// ---- What the client's files need from the rest of the game, reduced ------------------------
GameFlags game_flags = {};
HudNetView hud_net;
Player player;
AppearanceChoice player_look;
static const uint8_t* feed;
static size_t feed_left;
bool udp_open() { return true; }
void udp_close() {}
bool udp_send(uint32_t, uint16_t, const void*, int) { return true; }
bool udp_resolve(const char*, uint32_t*) { return false; }
// Datagrams: a length byte, then that many bytes (from the server's address).
int udp_receive(void* buffer, int capacity, uint32_t* address, uint16_t* port) {
    if (feed_left < 1) return -1;
    size_t n = feed[0];
    if (n > 0xF0) n = (size_t)(n - 0xF0) * 64;  // a few long ones too
    ++feed;
    --feed_left;
    if (n > feed_left) n = feed_left;
    if ((int)n > capacity) n = (size_t)capacity;
    memcpy(buffer, feed, n);
    feed += n;
    feed_left -= n;
    *address = 0x7F000001;
    *port = 27950;
    return (int)n;
}
int plat_read_file(const char*, char*, int) { return -1; }
bool plat_write_file(const char*, const void*, int) { return true; }
bool plat_replace_file(const char*, const char*) { return true; }
bool plat_file_busy() { return false; }
void log_printf(const char*, ...) {}
const char* hud_fmt(const char* fmt, ...) {
    static char buf[512];
    va_list a;
    va_start(a, fmt);
    vsnprintf(buf, sizeof buf, fmt, a);
    va_end(a);
    return buf;
}
void snd_play(int, float) {}
bool item_fits_equipment_slot(int id, int) { return id % 3 == 0; }
int player_equipment_item(int) { return 0; }
void advance_stride(Player& p, float) {
    if (!std::isfinite(p.ground_speed)) abort();
}
static uint64_t fake_model_storage[64];
static Model* const fake_model = (Model*)fake_model_storage;  // never touched: only its address
void remote_figure_build(int i) { remote_players[i].model = fake_model; }
void remote_figure_free(int i) { remote_players[i].model = nullptr; }
void remote_figure_animate(int i, float) {
    const RemotePlayer& r = remote_players[i];
    const float v[] = {r.shown.x, r.shown.y, r.shown.z, r.shown_heading, r.pose.swing_progress, r.pose.body_pitch};
    for (float x : v)
        if (!std::isfinite(x)) abort();
    if (r.pose.combo_index < 0 || r.pose.combo_index > 2) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    net_connect("127.0.0.1");
    feed = data;
    feed_left = size;
    for (int frame = 0; frame < 4 && net_is_on(); ++frame) {
        net_update(1.0f / 60.0f);
        // What the client tells the player reaches the HUD whole and cut to fit.
        GameEvent e;
        while (game_event_pop(&e))
            if (e.kind != GameEventKind::message || strnlen(e.text, sizeof e.text) == sizeof e.text) abort();
    }
    for (const RemotePlayer& r : remote_players) {
        if (r.id.name[NET_NAME_SIZE - 1] != 0 || r.id.player_class > 2 || r.id.hair > 6 || r.id.skin > 4) abort();
        // Names are shown on one line: valid UTF-8, no control characters.
        char name[NET_NAME_SIZE];
        memcpy(name, r.id.name, sizeof name);
        net_clean_name(name);
        if (memcmp(name, r.id.name, sizeof name) != 0) abort();
        if (r.has_pose && !(std::fabs(r.target.x) <= NET_POSITION_LIMIT)) abort();
    }
    if (strlen(net_status_text()) > 159) abort();
    net_disconnect();
    return 0;
}
