#include "server/server_core.h"

#include <cstdio>
#include <cstring>

namespace {

void say(Server* s, const char* line) {
    if (s->log) s->log(s->context, line);
}

void send_raw(Server* s, uint32_t address, uint16_t port, const uint8_t* data, int length) {
    if (s->send) s->send(s->context, address, port, data, length);
}

// Everything a client is sent is paid from what it sent: a forged address
// gets back at most SERVER_REPLY_FACTOR times the bytes forged for it.
void send_to(Server* s, ServerClient& c, const uint8_t* data, int length) {
    if (c.credit < (uint32_t)length) return;
    c.credit -= (uint32_t)length;
    send_raw(s, c.address, c.port, data, length);
}

void earn(ServerClient& c, int length) {
    uint64_t credit = c.credit + (uint64_t)length * SERVER_REPLY_FACTOR;
    c.credit = credit > SERVER_CREDIT_MAX ? SERVER_CREDIT_MAX : (uint32_t)credit;
}

int find_client(const Server* s, uint32_t address, uint16_t port) {
    for (int i = 0; i < NET_MAX_PLAYERS; ++i)
        if (s->clients[i].used && s->clients[i].address == address && s->clients[i].port == port) return i;
    return -1;
}

// The name as text for the log: printable bytes only, whatever was sent.
void printable_name(const uint8_t* identity, char* out, int capacity) {
    int n = 0;
    for (int i = 0; i < NET_NAME_SIZE - 1 && identity[i] && n < capacity - 1; ++i)
        out[n++] = identity[i] >= 0x20 && identity[i] != 0x7f ? (char)identity[i] : '?';
    out[n] = 0;
}

void address_text(uint32_t a, uint16_t port, char* out, int capacity) {
    snprintf(out, (size_t)capacity, "%u.%u.%u.%u:%u", a >> 24, (a >> 16) & 255, (a >> 8) & 255, a & 255, port);
}

// Clients that have shown their address is theirs, heard lately: the only
// ones sent anything beyond a welcome.
bool reachable(const ServerClient& c, double now) {
    return c.used && c.confirmed && now - c.last_heard <= SERVER_SEND_HEARD;
}

void send_player_to_others(Server* s, int who, double now) {
    s->clients[who].looks_pending = 0;
    s->clients[who].looks_sent = now;
    uint8_t msg[NET_PLAYER_SIZE];
    net_write_player(msg, (uint8_t)who, s->clients[who].identity);
    for (int i = 0; i < NET_MAX_PLAYERS; ++i)
        if (i != who && reachable(s->clients[i], now)) send_to(s, s->clients[i], msg, NET_PLAYER_SIZE);
}

void send_others_to(Server* s, int to) {
    uint8_t msg[NET_PLAYER_SIZE];
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
        if (i == to || !s->clients[i].used || !s->clients[i].confirmed) continue;
        net_write_player(msg, (uint8_t)i, s->clients[i].identity);
        send_to(s, s->clients[to], msg, NET_PLAYER_SIZE);
    }
}

void drop_client(Server* s, int who, const char* why) {
    ServerClient& c = s->clients[who];
    char name[NET_NAME_SIZE], where[32], line[160];
    printable_name(c.identity, name, sizeof name);
    address_text(c.address, c.port, where, sizeof where);
    snprintf(line, sizeof line, "Joueur %d parti (%s) : %s, %s", who, why, name, where);
    bool announced = c.confirmed;  // the others never heard of one that was not
    memset(&c, 0, sizeof c);
    uint8_t msg[NET_LEFT_SIZE];
    net_write_left(msg, (uint8_t)who);
    for (int i = 0; i < NET_MAX_PLAYERS && announced; ++i)
        if (s->clients[i].used && s->clients[i].confirmed) send_to(s, s->clients[i], msg, NET_LEFT_SIZE);
    say(s, line);
}

// New looks go to the others at once, then at most once a period; changes
// in between wait, and the latest is the one passed on.
void pass_on_looks(Server* s, int who, double now) {
    const ServerClient& c = s->clients[who];
    if (c.looks_pending && c.confirmed && now - c.looks_sent >= SERVER_LOOKS_PERIOD)
        send_player_to_others(s, who, now);
}

// A free place for a newcomer: an empty one, else the oldest that only
// hellos hold (a squatter's, or a forged address's); -1 when every place is
// a confirmed player's.
int place_for_newcomer(Server* s) {
    int oldest = -1;
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
        const ServerClient& c = s->clients[i];
        if (!c.used) return i;
        if (!c.confirmed && (oldest < 0 || c.joined < s->clients[oldest].joined)) oldest = i;
    }
    if (oldest >= 0) drop_client(s, oldest, "place reprise");
    return oldest;
}

void on_hello(Server* s, const uint8_t* d, uint32_t address, uint16_t port, double now) {
    uint8_t reply[NET_WELCOME_SIZE];
    int who = find_client(s, address, port);
    if (who >= 0) {
        ServerClient& c = s->clients[who];
        c.last_heard = now;
        earn(c, NET_HELLO_SIZE);
        // The welcome may have been lost, or the client may have been
        // dropped and welcomed again under another number.
        send_to(s, c, reply, net_write_welcome(reply, (uint8_t)who));
        if (memcmp(c.identity, d + NET_HEADER_SIZE, NET_IDENTITY_SIZE) != 0) {
            memcpy(c.identity, d + NET_HEADER_SIZE, NET_IDENTITY_SIZE);
            c.looks_pending = 1;
            pass_on_looks(s, who, now);
        }
        return;
    }
    int held = 0;
    for (const ServerClient& c : s->clients) held += c.used && c.address == address;
    int i = held < s->places_per_address ? place_for_newcomer(s) : -1;
    if (i < 0) {
        // Five bytes in answer to fifty-nine: nobody can use us to flood another.
        send_raw(s, address, port, reply, net_write_full(reply));
        return;
    }
    ServerClient& c = s->clients[i];
    memset(&c, 0, sizeof c);
    c.used = 1;
    c.address = address;
    c.port = port;
    c.last_heard = c.joined = now;
    c.looks_sent = now - SERVER_LOOKS_PERIOD;
    earn(c, NET_HELLO_SIZE);
    memcpy(c.identity, d + NET_HEADER_SIZE, NET_IDENTITY_SIZE);
    // Only the welcome until its first pose proves the address (on_pose).
    send_to(s, c, reply, net_write_welcome(reply, (uint8_t)i));
    char name[NET_NAME_SIZE], where[32], line[160];
    printable_name(c.identity, name, sizeof name);
    address_text(address, port, where, sizeof where);
    snprintf(line, sizeof line, "Joueur %d arrivé : %s, %s (%d joueurs)", i, name, where, server_player_count(s));
    say(s, line);
}

void on_pose(Server* s, const uint8_t* d, uint32_t address, uint16_t port, double now) {
    int who = find_client(s, address, port);
    if (who < 0) return;
    ServerClient& c = s->clients[who];
    c.last_heard = now;
    earn(c, NET_POSE_SIZE);
    // Each pose buys one world message, nothing more: a client that falls
    // silent, or an address someone forged once, is not sent a stream.
    if (c.worlds_owed < SERVER_WORLDS_OWED_MAX) ++c.worlds_owed;
    if (!c.confirmed) {
        // The address is the player's own: it now hears of the others, and
        // they of it.
        c.confirmed = 1;
        send_others_to(s, who);
        send_player_to_others(s, who, now);
    }
    uint32_t sequence = net_get_u32(d + 5);
    // Datagrams overtake each other: an older pose would pull the figure back.
    // One far behind or far ahead is a count started again (a restarted game,
    // or a forged jump that would otherwise make every later pose look old).
    int32_t step = (int32_t)(sequence - c.sequence);
    if (c.has_pose && step <= 0 && step > -SERVER_SEQUENCE_WINDOW) return;
    NetPose pose = net_read_pose_body(d + 9);
    if (!net_pose_sanitize(&pose)) return;
    uint8_t packet[NET_POSE_SIZE];
    net_write_pose(packet, sequence, pose);
    memcpy(c.pose, packet + 9, NET_POSE_BODY_SIZE);
    c.sequence = sequence;
    c.has_pose = 1;
}

void send_world(Server* s, double now) {
    uint8_t msg[NET_WORLD_SIZE_MAX];
    ++s->tick;
    for (int to = 0; to < NET_MAX_PLAYERS; ++to) {
        if (!reachable(s->clients[to], now) || !s->clients[to].worlds_owed) continue;
        --s->clients[to].worlds_owed;
        int length = NET_WORLD_HEADER, count = 0;
        for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
            const ServerClient& c = s->clients[i];
            if (i == to || !c.used || !c.has_pose) continue;
            length += net_write_world_entry(msg + length, (uint8_t)i, c.pose);
            ++count;
        }
        // Sent even when empty: it tells a lone player the server is there.
        net_write_world_header(msg, s->tick, (uint8_t)count);
        send_to(s, s->clients[to], msg, length);
    }
}

}  // namespace

void server_init(Server* s, ServerSend send, ServerLog log, void* context, double now) {
    memset(s, 0, sizeof *s);
    s->send = send;
    s->log = log;
    s->context = context;
    s->next_world = now;
    s->next_roster = now;
    s->places_per_address = SERVER_PLACES_PER_ADDRESS;
}

void server_datagram(Server* s, const uint8_t* data, int length, uint32_t address, uint16_t port, double now) {
    switch (net_message_type(data, length)) {
        case NET_HELLO:
            if (length >= NET_HELLO_SIZE) on_hello(s, data, address, port, now);
            break;
        case NET_POSE:
            if (length >= NET_POSE_SIZE) on_pose(s, data, address, port, now);
            break;
        case NET_BYE: {
            int who = find_client(s, address, port);
            if (who >= 0) drop_client(s, who, "au revoir");
            break;
        }
        default:
            break;  // not ours, or a message only the server sends
    }
}

void server_tick(Server* s, double now) {
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
        const ServerClient& c = s->clients[i];
        // Hellos alone do not hold a place: a pose must follow within the limit.
        bool unproven = !c.confirmed && now - c.joined > SERVER_CONFIRM_LIMIT;
        if (c.used && (unproven || now - c.last_heard > SERVER_SILENCE_LIMIT)) drop_client(s, i, "silence");
    }
    for (int i = 0; i < NET_MAX_PLAYERS; ++i)
        if (s->clients[i].used) pass_on_looks(s, i, now);
    if (now >= s->next_roster) {
        for (int i = 0; i < NET_MAX_PLAYERS; ++i)
            if (reachable(s->clients[i], now)) send_others_to(s, i);
        s->next_roster = now + SERVER_ROSTER_PERIOD;
    }
    if (now >= s->next_world) {
        send_world(s, now);
        // Keep the cadence, but never try to catch up a long stall in a burst.
        s->next_world += SERVER_WORLD_PERIOD;
        if (s->next_world < now) s->next_world = now + SERVER_WORLD_PERIOD;
    }
}

double server_wait(const Server* s, double now) {
    double wait = s->next_world - now;
    if (s->next_roster - now < wait) wait = s->next_roster - now;
    if (wait < 0.0) wait = 0.0;
    return wait > SERVER_WORLD_PERIOD ? SERVER_WORLD_PERIOD : wait;
}

int server_player_count(const Server* s) {
    int n = 0;
    for (const ServerClient& c : s->clients) n += c.used;
    return n;
}
