#include "server/server_core.h"

#include <cstdio>
#include <cstring>

namespace {

void say(Server* s, const char* line) {
    if (s->log) s->log(s->context, line);
}

void send_to(Server* s, const ServerClient& c, const uint8_t* data, int length) {
    if (s->send) s->send(s->context, c.address, c.port, data, length);
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

void on_hello(Server* s, const uint8_t* d, uint32_t address, uint16_t port, double now) {
    uint8_t reply[NET_WELCOME_SIZE];
    int who = find_client(s, address, port);
    if (who >= 0) {
        ServerClient& c = s->clients[who];
        c.last_heard = now;
        // The welcome may have been lost; a second one is ignored by a
        // client that already has its number.
        send_to(s, c, reply, net_write_welcome(reply, (uint8_t)who));
        if (memcmp(c.identity, d + NET_HEADER_SIZE, NET_IDENTITY_SIZE) != 0) {
            memcpy(c.identity, d + NET_HEADER_SIZE, NET_IDENTITY_SIZE);
            if (c.confirmed) send_player_to_others(s, who, now);  // new items or a new level, at once
        }
        return;
    }
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
        if (s->clients[i].used) continue;
        ServerClient& c = s->clients[i];
        memset(&c, 0, sizeof c);
        c.used = 1;
        c.address = address;
        c.port = port;
        c.last_heard = c.joined = now;
        memcpy(c.identity, d + NET_HEADER_SIZE, NET_IDENTITY_SIZE);
        // Only the welcome until its first pose proves the address (on_pose).
        send_to(s, c, reply, net_write_welcome(reply, (uint8_t)i));
        char name[NET_NAME_SIZE], where[32], line[160];
        printable_name(c.identity, name, sizeof name);
        address_text(address, port, where, sizeof where);
        snprintf(line, sizeof line, "Joueur %d arrivé : %s, %s (%d joueurs)", i, name, where,
                 server_player_count(s));
        say(s, line);
        return;
    }
    // Five bytes in answer to fifty-nine: nobody can use us to flood another.
    ServerClient stranger{};
    stranger.address = address;
    stranger.port = port;
    send_to(s, stranger, reply, net_write_full(reply));
}

void on_pose(Server* s, const uint8_t* d, uint32_t address, uint16_t port, double now) {
    int who = find_client(s, address, port);
    if (who < 0) return;
    ServerClient& c = s->clients[who];
    c.last_heard = now;
    if (!c.confirmed) {
        // The address is the player's own: it now hears of the others, and
        // they of it.
        c.confirmed = 1;
        send_others_to(s, who);
        send_player_to_others(s, who, now);
    }
    uint32_t sequence = net_get_u32(d + 5);
    // Datagrams overtake each other: an older pose would pull the figure back.
    if (c.has_pose && (int32_t)(sequence - c.sequence) <= 0) return;
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
        if (!reachable(s->clients[to], now)) continue;
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
