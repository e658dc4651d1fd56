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

// Everything an unproven client is sent is paid from what it sent: a forged
// address gets back at most SERVER_REPLY_FACTOR times the bytes forged for
// it. A proven address asked for what it gets.
void send_to(Server* s, ServerClient& c, const uint8_t* data, int length) {
    if (!c.proven) {
        if (c.credit < (uint32_t)length) return;
        c.credit -= (uint32_t)length;
    }
    send_raw(s, c.address, c.port, data, length);
}

void earn(ServerClient& c, int length) {
    uint64_t credit = c.credit + (uint64_t)length * SERVER_REPLY_FACTOR;
    c.credit = credit > SERVER_CREDIT_MAX ? SERVER_CREDIT_MAX : (uint32_t)credit;
}

// ---- The challenge: SipHash-2-4 of address, port and key period -----------------------

uint64_t rotl(uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

void sip_round(uint64_t& v0, uint64_t& v1, uint64_t& v2, uint64_t& v3) {
    v0 += v1; v1 = rotl(v1, 13); v1 ^= v0; v0 = rotl(v0, 32);
    v2 += v3; v3 = rotl(v3, 16); v3 ^= v2;
    v0 += v3; v3 = rotl(v3, 21); v3 ^= v0;
    v2 += v1; v1 = rotl(v1, 17); v1 ^= v2; v2 = rotl(v2, 32);
}

// One 8-byte message block and its length byte: all a cookie hashes.
uint64_t siphash_block(const uint64_t key[2], uint64_t m) {
    uint64_t v0 = 0x736f6d6570736575ull ^ key[0], v1 = 0x646f72616e646f6dull ^ key[1];
    uint64_t v2 = 0x6c7967656e657261ull ^ key[0], v3 = 0x7465646279746573ull ^ key[1];
    const uint64_t blocks[2] = {m, 8ull << 56};
    for (uint64_t b : blocks) {
        v3 ^= b;
        sip_round(v0, v1, v2, v3);
        sip_round(v0, v1, v2, v3);
        v0 ^= b;
    }
    v2 ^= 0xff;
    for (int i = 0; i < 4; ++i) sip_round(v0, v1, v2, v3);
    return v0 ^ v1 ^ v2 ^ v3;
}

uint32_t cookie_for(const Server* s, uint32_t address, uint16_t port, uint32_t period) {
    // The period (16 bits of it) changes the number: the key turns over.
    uint64_t m = (uint64_t)address | ((uint64_t)port << 32) | ((uint64_t)(period & 0xffff) << 48);
    uint32_t c = (uint32_t)siphash_block(s->key, m);
    return c ? c : 1;  // 0 is what a client sends before it knows its number
}

uint32_t period_at(const Server* s, double now) {
    double t = (now - s->started) / SERVER_COOKIE_PERIOD;
    return t > 0.0 ? (uint32_t)t : 0u;
}

enum Proof { PROOF_NONE, PROOF_BAD, PROOF_GOOD };

// What the trailing number of a message says about its source address.
Proof proof_of(const Server* s, const uint8_t* d, int length, int bare_size, uint32_t address, uint16_t port,
               double now) {
    uint32_t echoed = 0;
    if (!net_trailing_cookie(d, length, bare_size, &echoed)) return PROOF_NONE;
    uint32_t period = period_at(s, now);
    if (echoed == cookie_for(s, address, port, period)) return PROOF_GOOD;
    if (period > 0 && echoed == cookie_for(s, address, port, period - 1)) return PROOF_GOOD;
    return PROOF_BAD;
}

// ---- Players -----------------------------------------------------------------------------

int find_client(const Server* s, uint32_t address, uint16_t port) {
    for (int i = 0; i < NET_MAX_PLAYERS; ++i)
        if (s->clients[i].used && s->clients[i].address == address && s->clients[i].port == port) return i;
    return -1;
}

void address_text(uint32_t a, uint16_t port, char* out, int capacity) {
    snprintf(out, (size_t)capacity, "%u.%u.%u.%u:%u", a >> 24, (a >> 16) & 255, (a >> 8) & 255, a & 255, port);
}

// The identity as stored and passed on: the name made text.
void store_identity(ServerClient& c, const uint8_t* hello) {
    memcpy(c.identity, hello + NET_HEADER_SIZE, NET_IDENTITY_SIZE);
    net_clean_name((char*)c.identity);
}

// Clients that have shown their address is theirs, heard lately: the only
// ones sent anything beyond a welcome.
bool reachable(const ServerClient& c, double now) {
    double heard = c.proven ? SERVER_SEND_HEARD_PROVEN : SERVER_SEND_HEARD;
    return c.used && c.confirmed && now - c.last_heard <= heard;
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

void send_left(Server* s, int who) {
    uint8_t msg[NET_LEFT_SIZE];
    net_write_left(msg, (uint8_t)who);
    for (int i = 0; i < NET_MAX_PLAYERS; ++i)
        if (i != who && s->clients[i].used && s->clients[i].confirmed) send_to(s, s->clients[i], msg, NET_LEFT_SIZE);
}

void drop_client(Server* s, int who, const char* why, double now) {
    ServerClient& c = s->clients[who];
    char where[32], line[160];
    address_text(c.address, c.port, where, sizeof where);
    snprintf(line, sizeof line, "Joueur %d parti (%s) : %s, %s", who, why, (const char*)c.identity, where);
    bool announced = c.confirmed;  // the others never heard of one that was not
    if (!announced) {
        s->let_go[s->let_go_next] = {c.address, now};
        s->let_go_next = (s->let_go_next + 1) % SERVER_ARRIVALS_KEPT;
    }
    memset(&c, 0, sizeof c);
    if (announced) {
        send_left(s, who);
        s->left_until[who] = now + SERVER_LEFT_REPEAT;
    }
    say(s, line);
}

// The arrival limits: how many announced arrivals the window holds, from
// everyone and from this address.
bool arrival_allowed(const Server* s, uint32_t address, double now) {
    int all = 0, here = 0;
    for (const ServerArrival& a : s->arrivals) {
        if (a.at <= 0.0 || now - a.at >= SERVER_ARRIVALS_WINDOW) continue;
        ++all;
        here += a.address == address;
    }
    return all < SERVER_ARRIVALS_MAX && here < s->places_per_address;
}

// The address has shown it is a player's (a pose, or the echoed challenge):
// the others hear of it and it of them, within the arrival limits.
bool confirm(Server* s, int who, double now) {
    ServerClient& c = s->clients[who];
    if (c.confirmed) return true;
    if (!arrival_allowed(s, c.address, now)) return false;
    s->arrivals[s->arrival_next] = {c.address, now};
    s->arrival_next = (s->arrival_next + 1) % SERVER_ARRIVALS_KEPT;
    c.confirmed = 1;
    s->left_until[who] = 0.0;  // the number is someone's again
    send_others_to(s, who);
    send_player_to_others(s, who, now);
    return true;
}

// New looks go to the others at once, then at most once a period; changes
// in between wait, and the latest is the one passed on.
void pass_on_looks(Server* s, int who, double now) {
    const ServerClient& c = s->clients[who];
    if (c.looks_pending && c.confirmed && now - c.looks_sent >= SERVER_LOOKS_PERIOD)
        send_player_to_others(s, who, now);
}

constexpr int kFull = -1, kWait = -2;

bool recently_let_go(const Server* s, uint32_t address, double now) {
    for (const ServerArrival& a : s->let_go)
        if (a.at > 0.0 && now - a.at < SERVER_LET_GO_MEMORY && a.address == address) return true;
    return false;
}

// A place for a newcomer: an empty one, else one that only hellos hold (the
// oldest: a squatter's, or a forged address's). A bare hello does not take a
// place younger than SERVER_FRESH_PLACE, whose pose may be on its way, nor
// any place when its address was let go lately; a proven newcomer takes any
// unconfirmed place, then a bare player's. kWait when only those could be
// had, kFull when every place is a player's.
int place_for_newcomer(Server* s, uint32_t address, bool proven, double now) {
    int oldest = -1, fresh = 0, bare = -1;
    bool returning = !proven && recently_let_go(s, address, now);
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
        const ServerClient& c = s->clients[i];
        if (!c.used) return i;
        if (c.confirmed) {
            if (!c.proven && (bare < 0 || c.joined < s->clients[bare].joined)) bare = i;
            continue;
        }
        if (returning || (!proven && now - c.joined < SERVER_FRESH_PLACE)) {
            ++fresh;
            continue;
        }
        if (oldest < 0 || c.joined < s->clients[oldest].joined) oldest = i;
    }
    if (oldest < 0 && proven) oldest = bare;
    if (oldest < 0) return fresh ? kWait : kFull;
    drop_client(s, oldest, "place reprise", now);
    return oldest;
}

void on_hello(Server* s, const uint8_t* d, int length, uint32_t address, uint16_t port, double now) {
    uint8_t reply[NET_WELCOME_COOKIE_SIZE];
    Proof proof = proof_of(s, d, length, NET_HELLO_SIZE, address, port, now);
    uint32_t cookie = server_cookie(s, address, port, now);
    if (proof == PROOF_BAD) {
        // Nine bytes in answer to sixty-three, to the address it came from:
        // only that address can echo them.
        send_raw(s, address, port, reply, net_write_challenge(reply, cookie));
        return;
    }
    int who = find_client(s, address, port);
    if (who >= 0) {
        ServerClient& c = s->clients[who];
        if (c.proven && proof != PROOF_GOOD) return;  // not from the player's own address
        if (proof == PROOF_GOOD) c.proven = 1;
        c.last_heard = now;
        earn(c, length);
        if (c.proven) confirm(s, who, now);
        // The welcome may have been lost, or the client may have been
        // dropped and welcomed again under another number.
        send_to(s, c, reply, net_write_welcome(reply, (uint8_t)who, c.proven ? cookie : 0));
        uint8_t before[NET_IDENTITY_SIZE];
        memcpy(before, c.identity, sizeof before);
        store_identity(c, d);
        if (memcmp(before, c.identity, NET_IDENTITY_SIZE) != 0) {
            c.looks_pending = 1;
            pass_on_looks(s, who, now);
        }
        return;
    }
    bool proven = proof == PROOF_GOOD;
    // The cap per address counts proven places only for a proven newcomer:
    // bare hellos forged from its address must not keep it out.
    int held = 0;
    for (const ServerClient& c : s->clients) held += c.used && c.address == address && (c.proven || !proven);
    bool every_place_used = server_player_count(s) == NET_MAX_PLAYERS;
    if (held >= s->places_per_address && !every_place_used) {
        send_raw(s, address, port, reply, net_write_full(reply, NET_FULL_PER_ADDRESS, (uint8_t)s->places_per_address));
        return;
    }
    // A proven newcomer is announced at once: beyond the arrival limits it
    // waits, unanswered, and its next hello tries again.
    if (proven && !arrival_allowed(s, address, now)) return;
    int i = held >= s->places_per_address ? kFull : place_for_newcomer(s, address, proven, now);
    if (i == kWait) return;
    if (i == kFull) {
        // Five bytes in answer to fifty-nine: nobody can use us to flood another.
        send_raw(s, address, port, reply, net_write_full(reply));
        return;
    }
    ServerClient& c = s->clients[i];
    memset(&c, 0, sizeof c);
    c.used = 1;
    c.address = address;
    c.port = port;
    c.proven = proven;
    c.last_heard = c.joined = now;
    c.looks_sent = now - SERVER_LOOKS_PERIOD;
    earn(c, length);
    store_identity(c, d);
    // A bare hello gets only the welcome until its first pose (on_pose).
    send_to(s, c, reply, net_write_welcome(reply, (uint8_t)i, proven ? cookie : 0));
    char where[32], line[160];
    address_text(address, port, where, sizeof where);
    snprintf(line, sizeof line, "Joueur %d arrivé : %s, %s (%d joueurs)", i, (const char*)c.identity, where,
             server_player_count(s));
    say(s, line);
    if (proven) confirm(s, i, now);
}

// The client a pose or a bye speaks for, or -1 when its source cannot be
// believed (a proven player's address without its number).
int sender_of(Server* s, const uint8_t* d, int length, int bare_size, uint32_t address, uint16_t port, double now) {
    int who = find_client(s, address, port);
    if (who < 0) return -1;
    Proof proof = proof_of(s, d, length, bare_size, address, port, now);
    if (proof == PROOF_BAD || (s->clients[who].proven && proof != PROOF_GOOD)) return -1;
    if (proof == PROOF_GOOD) s->clients[who].proven = 1;
    return who;
}

void on_pose(Server* s, const uint8_t* d, int length, uint32_t address, uint16_t port, double now) {
    int who = sender_of(s, d, length, NET_POSE_SIZE, address, port, now);
    if (who < 0) return;
    ServerClient& c = s->clients[who];
    c.last_heard = now;
    earn(c, length);
    // Each pose buys one world message, nothing more: a client that falls
    // silent, or an address someone forged once, is not sent a stream.
    if (c.worlds_owed < SERVER_WORLDS_OWED_MAX) ++c.worlds_owed;
    c.posed = 1;
    confirm(s, who, now);
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
        ServerClient& dest = s->clients[to];
        if (!reachable(dest, now) || (!dest.proven && !dest.worlds_owed)) continue;
        if (dest.worlds_owed) --dest.worlds_owed;
        int length = NET_WORLD_HEADER, count = 0;
        for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
            const ServerClient& c = s->clients[i];
            if (i == to || !c.used || !c.confirmed || !c.has_pose) continue;
            length += net_write_world_entry(msg + length, (uint8_t)i, c.pose);
            ++count;
        }
        // Sent even when empty: it tells a lone player the server is there.
        // Bytes 5..8: to a proven client, the number to echo (it changes as
        // the key turns over); to a bare one, a count.
        uint32_t head = dest.proven ? server_cookie(s, dest.address, dest.port, now) : s->tick;
        net_write_world_header(msg, head, (uint8_t)count);
        send_to(s, dest, msg, length);
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
    s->started = now;
    s->places_per_address = SERVER_PLACES_PER_ADDRESS;
    s->key[0] = 0x54657276616e6e65ull;  // replaced by server_set_secret outside tests
    s->key[1] = 0x2d73657276657572ull;
}

void server_set_secret(Server* s, const uint8_t secret[16]) {
    memcpy(s->key, secret, 16);
}

uint32_t server_cookie(const Server* s, uint32_t address, uint16_t port, double now) {
    return cookie_for(s, address, port, period_at(s, now));
}

void server_datagram(Server* s, const uint8_t* data, int length, uint32_t address, uint16_t port, double now) {
    switch (net_message_type(data, length)) {
        case NET_HELLO:
            if (length >= NET_HELLO_SIZE) on_hello(s, data, length, address, port, now);
            break;
        case NET_POSE:
            if (length >= NET_POSE_SIZE) on_pose(s, data, length, address, port, now);
            break;
        case NET_BYE: {
            int who = sender_of(s, data, length, NET_BYE_SIZE, address, port, now);
            if (who >= 0) drop_client(s, who, "au revoir", now);
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
        bool unproven = !c.confirmed && !c.posed && !c.proven && now - c.joined > SERVER_CONFIRM_LIMIT;
        if (c.used && (unproven || now - c.last_heard > SERVER_SILENCE_LIMIT)) drop_client(s, i, "silence", now);
    }
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
        ServerClient& c = s->clients[i];
        // A pose that waited for the arrival limit is announced once it allows.
        if (c.used && (c.posed || c.proven) && !c.confirmed) confirm(s, i, now);
        if (c.used) pass_on_looks(s, i, now);
    }
    if (now >= s->next_roster) {
        for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
            if (reachable(s->clients[i], now)) send_others_to(s, i);
            if (s->left_until[i] > 0.0 && now < s->left_until[i] && !s->clients[i].confirmed) send_left(s, i);
        }
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
