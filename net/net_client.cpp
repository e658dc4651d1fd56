// The client side of online play: the settings file, connecting, the frame's
// datagrams, hellos and poses, and the status line that the character list
// and the HUD show.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "net/net.h"
#include "common/game_events.h"
#include "net/net_internal.h"
#include "net/remote_players.h"
#include "persist/keyvalue.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "render/hud.h"
#include "sound/sound.h"

namespace {

const char* const kSettingsFile = "tervanne-reseau.txt";
// Written first; both files are replaced whole like the character files,
// so a crash never leaves a cut address that would read as valid.
const char* const kSettingsBackup = "tervanne-reseau-secours.txt";
constexpr int kAddressMax = 63;  // what the character list's field holds

uint8_t net_state;
bool welcomed;
int own_id = -1;
char server_text[kAddressMax + 1] = "127.0.0.1";
uint32_t server_ip;
uint16_t server_port;
char status[160];
float hello_timer, state_timer, silence, since_connect;
uint32_t state_sequence;
// The number the server gave us to echo (0 until it gives one): it shows
// that our datagrams come from our own address. A server of the bare
// protocol gives none and reads only the bytes before it.
uint32_t cookie;
bool server_gives_cookies;
// Newcomers are shown (a figure built, a fanfare, a message) at most this
// many a second, after a first few at once: a server that announces dozens
// a second costs a frame nothing.
constexpr float kArrivalsPerSecond = 2.0f;
constexpr float kArrivalsAtOnce = 4.0f;
float arrival_allowance = kArrivalsAtOnce;
// Log lines that a server's datagrams cause (a welcome under another
// number, a refusal): a few at once, then one every half minute, so that a
// hostile server cannot fill the disk. What is left out is counted.
constexpr float kServerLinesAtOnce = 5.0f;
constexpr float kServerLinesPerSecond = 1.0f / 30.0f;
float server_line_allowance = kServerLinesAtOnce;
int server_lines_left_out;

void log_left_out() {
    if (server_lines_left_out > 0)
        log_printf("Réseau : %d lignes répétées du serveur omises.", server_lines_left_out);
    server_lines_left_out = 0;
}

void log_from_server(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void log_from_server(const char* fmt, ...) {
    if (server_line_allowance < 1.0f) {
        ++server_lines_left_out;
        return;
    }
    server_line_allowance -= 1.0f;
    log_left_out();
    char line[256];
    va_list args;
    va_start(args, fmt);
    vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    log_printf("%s", line);
}

void set_status(const char* fmt, const char* arg) {
    snprintf(status, sizeof status, fmt, arg);
}

// The "serveur" line of a settings file; false when the file or key is missing.
bool read_settings_file(const char* name, char* out, int capacity) {
    char text[1024];
    int n = plat_read_file(name, text, sizeof text);
    if (n <= 0) return false;
    const char* line = text;
    while (*line) {
        const char* end = line;
        while (*end && *end != '\n' && *end != '\r') ++end;
        if (end - line >= 8 && memcmp(line, "serveur ", 8) == 0) {
            int len = (int)(end - line - 8);
            if (len > capacity - 1) len = capacity - 1;
            memcpy(out, line + 8, (size_t)len);
            out[len] = 0;
            return true;
        }
        line = end;
        while (*line == '\n' || *line == '\r') ++line;
    }
    return false;
}

void write_settings() {
    char text[kAddressMax + 16];
    int n = snprintf(text, sizeof text, "serveur %s\r\n", server_text);
    if (!kv_write_file(kSettingsBackup, text, n) || !kv_write_file(kSettingsFile, text, n))
        log_printf("Impossible d'écrire %s.", kSettingsFile);
}

void send_bytes(const uint8_t* data, int length) { udp_send(server_ip, server_port, data, length); }

void send_hello() {
    uint8_t buf[NET_HELLO_SIZE + NET_COOKIE_SIZE];
    send_bytes(buf, net_append_cookie(buf, net_write_hello(buf, net_own_identity()), cookie));
}

void send_pose() {
    uint8_t buf[NET_POSE_SIZE + NET_COOKIE_SIZE];
    send_bytes(buf, net_append_cookie(buf, net_write_pose(buf, ++state_sequence, net_own_pose()), cookie));
}

void adopt_cookie(uint32_t number) {
    if (!number) return;
    cookie = number;
    server_gives_cookies = true;
}

void close_connection() {
    remote_clear_all();
    net_state = 0;
    welcomed = false;
    own_id = -1;
    cookie = 0;
    server_gives_cookies = false;
    udp_close();
}

bool other_player(int number) { return number >= 0 && number < NET_MAX_PLAYERS && number != own_id; }

void handle_world(const uint8_t* d, int length) {
    int count = d[9] > NET_MAX_PLAYERS ? NET_MAX_PLAYERS : d[9];
    int room = (length - NET_WORLD_HEADER) / NET_WORLD_ENTRY;
    if (count > room) count = room;
    for (int e = 0; e < count; ++e) {
        const uint8_t* entry = d + NET_WORLD_HEADER + e * NET_WORLD_ENTRY;
        if (!other_player(entry[0])) continue;
        NetPose pose = net_read_pose_body(entry + 1);
        // Non-finite values would reach the model matrices and the map.
        if (!net_pose_sanitize(&pose)) continue;
        remote_store_pose(entry[0], pose);
    }
    remote_world_read();
    // A player the world has not held for about ten seconds left without
    // our hearing it: its figure would stand there for ever.
    char name[NET_NAME_SIZE];
    bool was_active = false;
    while (remote_forget_missing(name, sizeof name, &was_active) >= 0)
        if (was_active) result_message(hud_fmt("%s a quitté Tervanne.", name), 2.0f);
}

void show_newcomers(float dt) {
    arrival_allowance += dt * kArrivalsPerSecond;
    if (arrival_allowance > kArrivalsAtOnce) arrival_allowance = kArrivalsAtOnce;
    while (arrival_allowance >= 1.0f) {
        int i = remote_show_next_newcomer();
        if (i < 0) break;
        arrival_allowance -= 1.0f;
        result_message(hud_fmt("%s a rejoint Tervanne.", remote_players[i].id.name), 2.5f);
        snd_play(SFX_FANFARE, 0.4f);
    }
}

}  // namespace

// ---- Settings and connection ------------------------------------------------------------

void net_read_settings() {
    char value[kAddressMax + 1];
    if (read_settings_file(kSettingsFile, value, sizeof value) ||
        read_settings_file(kSettingsBackup, value, sizeof value))
        snprintf(server_text, sizeof server_text, "%s", value);
}

// The main loop's name for the start-up read.
void net_read_address() { net_read_settings(); }

void net_connect(const char* address) {
    net_disconnect();
    if (!address) address = "";
    // The whole field (63 characters) is kept, up to the first control
    // character, so the settings file stays one line.
    int n = 0;
    while (n < kAddressMax && (unsigned char)address[n] >= 0x20) {
        server_text[n] = address[n];
        ++n;
    }
    server_text[n] = 0;

    char host[kAddressMax + 1];
    uint16_t port = NET_DEFAULT_PORT;
    uint32_t ip = 0;
    if (!net_parse_address(server_text, host, sizeof host, &port) ||
        (!net_numeric_host(host, &ip) && !udp_resolve(host, &ip))) {
        set_status("Adresse inconnue : %s", server_text);
        return;
    }
    if (!udp_open()) {
        set_status("%s", "Réseau indisponible sur cet ordinateur.");
        return;
    }
    server_ip = ip;
    server_port = port;
    net_state = 1;
    welcomed = false;
    own_id = -1;
    hello_timer = state_timer = silence = since_connect = 0.0f;
    arrival_allowance = kArrivalsAtOnce;
    set_status("Connexion à %s…", server_text);
    log_printf("Connexion au serveur %s.", server_text);
    write_settings();
}

void net_disconnect() {
    if (net_state == 1) {
        uint8_t bye[NET_BYE_SIZE + NET_COOKIE_SIZE];
        int n = net_append_cookie(bye, net_write_bye(bye), cookie);
        send_bytes(bye, n);
        send_bytes(bye, n);
        log_printf("Déconnecté du serveur.");
    }
    log_left_out();
    close_connection();
    status[0] = 0;
}

void net_shutdown() { net_disconnect(); }

// ---- Datagrams ----------------------------------------------------------------------------

void net_handle_datagram(const uint8_t* d, int length, uint32_t from_address, uint16_t from_port) {
    if (net_state != 1 || from_address != server_ip || from_port != server_port) return;
    int type = net_message_type(d, length);
    if (type < 0) return;
    if (type != NET_WELCOME && type != NET_FULL && type != NET_WORLD && type != NET_PLAYER &&
        type != NET_LEFT && type != NET_CHALLENGE)
        return;
    // Too short for its own fields: malformed, and not a sign of life either.
    if ((type == NET_WELCOME && length < NET_WELCOME_SIZE) || (type == NET_CHALLENGE && length < NET_CHALLENGE_SIZE) ||
        (type == NET_WORLD && length < NET_WORLD_HEADER) ||
        (type == NET_PLAYER && length < NET_PLAYER_SIZE) || (type == NET_LEFT && length < NET_LEFT_SIZE))
        return;
    silence = 0.0f;
    switch (type) {
        case NET_CHALLENGE:
            // Echo it at once: the server keeps no place for us until we do.
            adopt_cookie(net_get_u32(d + 5));
            hello_timer = 0.0f;
            break;
        case NET_WELCOME:
            if (length >= NET_WELCOME_COOKIE_SIZE) adopt_cookie(net_get_u32(d + NET_WELCOME_SIZE));
            if (welcomed && d[5] == own_id) break;  // a repeat: our hello's answer
            if (welcomed) {
                // The server dropped us (a long stall) and took us back under
                // another number: the old one may now be someone else's.
                own_id = d[5];
                if (own_id < NET_MAX_PLAYERS) remote_leave(own_id, nullptr, 0);
                log_from_server("Connecté au serveur (joueur %d).", own_id);
                break;
            }
            welcomed = true;
            own_id = d[5];
            // A figure heard under our number before the welcome is us.
            if (own_id < NET_MAX_PLAYERS) remote_leave(own_id, nullptr, 0);
            set_status("En ligne sur %s", server_text);
            result_message(hud_fmt("Connecté à Tervanne (%s)", server_text), 2.5f);
            log_from_server("Connecté au serveur (joueur %d).", own_id);
            break;
        case NET_FULL:
            if (length >= NET_FULL_REASON_SIZE && d[5] == NET_FULL_PER_ADDRESS) {
                // Places are free, but not for one more game from this address.
                // One line in the status, two in the middle of the screen.
                const char* why = "Le serveur accepte au plus %d joueurs depuis votre adresse IP :%s"
                                  "l'hôte peut relever cette limite (--par-adresse).";
                snprintf(status, sizeof status, why, d[6], " ");
                result_message(hud_fmt(why, d[6], "\n"), 6.0f);
                log_from_server("%s", status);
            } else {
                set_status("%s", "Le serveur est complet (10 joueurs).");
                result_message("Le serveur est complet (10 joueurs).", 3.0f);
            }
            // The figures go with the socket: nothing will move them again.
            close_connection();
            break;
        case NET_WORLD:
            // Bytes 5..8: the number to echo from now on (its key turns over).
            if (server_gives_cookies) adopt_cookie(net_get_u32(d + 5));
            handle_world(d, length);
            break;
        case NET_PLAYER:
            if (other_player(d[5])) remote_store_identity(d[5], net_read_identity(d + 6));
            break;
        case NET_LEFT: {
            if (!other_player(d[5])) break;
            char name[NET_NAME_SIZE];
            if (remote_leave(d[5], name, sizeof name)) result_message(hud_fmt("%s a quitté Tervanne.", name), 2.0f);
            break;
        }
    }
}

// ---- The frame ------------------------------------------------------------------------------

void net_update(float dt) {
    if (!(dt >= 0.0f)) dt = 0.0f;
    if (net_state == 1) {
        // One byte more than the largest message: anything longer is not ours.
        uint8_t buf[512];
        uint32_t from = 0;
        uint16_t port = 0;
        for (int guard = 0; guard < 4096 && net_state == 1; ++guard) {
            int n = udp_receive(buf, sizeof buf, &from, &port);
            if (n < 0) break;
            net_handle_datagram(buf, n, from, port);
        }
    }
    server_line_allowance += dt * kServerLinesPerSecond;
    if (server_line_allowance > kServerLinesAtOnce) server_line_allowance = kServerLinesAtOnce;
    if (net_state == 1) {
        silence += dt;
        since_connect += dt;
        hello_timer -= dt;
        state_timer -= dt;
        if (hello_timer <= 0.0f) {
            send_hello();
            hello_timer = welcomed ? 2.0f : 0.7f;
        }
        bool in_play = !game_flags.character_select_open && !game_flags.character_creation_open;
        if (welcomed && in_play && state_timer <= 0.0f) {
            send_pose();
            state_timer = 0.05f;
        }
        if (!welcomed) {
            if (since_connect > 6.0f) set_status("Le serveur %s ne répond pas.", server_text);
        } else if (silence > 30.0f) {
            result_message("Le serveur ne répond plus.", 3.0f);
            net_disconnect();
            set_status("%s", "Le serveur ne répond plus.");
        } else if (silence > 6.0f) {
            set_status("%s", "Connexion perdue : nouvel essai…");
        } else {
            set_status("En ligne sur %s", server_text);
        }
    }
    if (net_state == 1) {
        show_newcomers(dt);
        remote_interpolate(dt);
    }

    hud_net.active = net_state == 1 || status[0] != 0;
    hud_net.connected = net_state == 1 && welcomed;
    snprintf(hud_net.server, sizeof hud_net.server, "%s", status);
    hud_net.players = net_player_count();
}

// ---- Queries ----------------------------------------------------------------------------------

const char* net_status_text() { return status; }
const char* net_server_address() { return server_text; }
bool net_is_on() { return net_state == 1; }
bool net_is_welcomed() { return net_state == 1 && welcomed; }
int net_own_id() { return own_id; }
uint32_t net_server_ip() { return server_ip; }
uint16_t net_server_port() { return server_port; }
