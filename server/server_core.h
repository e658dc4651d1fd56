#pragma once
// tervanne-serveur's rules, without sockets: who is in, what each client is
// sent and when. Single-threaded; fixed tables, nothing allocated per datagram.
//
// Source addresses can be forged. A hello that carries a trailing number is
// answered with a challenge (a keyed hash of its address and port); only a
// hello that echoes it takes a place, and from then on every datagram from
// that address must echo it: nobody else can end, move or rename the player.
// A client of the bare protocol echoes nothing: it plays, but its place is
// confirmed by its first pose alone and a client that proves its address may
// take it when the server is full.
#include <cstdint>

#include "common/net_packets.h"

// Silence after which a client is dropped: well under the 30 s after which
// the game gives up, and long enough for a game busy loading.
constexpr double SERVER_SILENCE_LIMIT = 10.0;
constexpr double SERVER_WORLD_PERIOD = 0.05;   // the rate at which clients send poses
constexpr double SERVER_ROSTER_PERIOD = 1.0;   // player messages repeated for newcomers
// A hello may carry a forged source address: until the address has sent a
// pose it gets its welcome and nothing more, and it is let go after this.
constexpr double SERVER_CONFIRM_LIMIT = 5.0;
// A place a bare hello took is not given to another bare hello this soon:
// its first pose is on the way (a round trip and a frame or two).
constexpr double SERVER_FRESH_PLACE = 1.0;
// World and player messages go only to clients heard this recently, so a
// forged pose cannot turn the server into a stream toward someone else.
constexpr double SERVER_SEND_HEARD = 1.0;
// A proven address is sent the world at the server's own rate while it is
// heard this recently: its hellos (every 2 s; one may be lost) keep it fed
// while a screen of the game (the look editor) holds its poses back.
constexpr double SERVER_SEND_HEARD_PROVEN = 4.5;
// No unproven address is sent more than this many times the bytes it sent
// us: ten players' world message is about 7.6 times a pose.
constexpr int SERVER_REPLY_FACTOR = 10;
// Places one IP address may hold unless set otherwise (players behind one router).
constexpr int SERVER_PLACES_PER_ADDRESS = 4;
// What a client may bank of that allowance: a few seconds of a full game.
constexpr uint32_t SERVER_CREDIT_MAX = 16384;
// World messages owed to a client: one per pose it sent, a little slack for
// poses that arrive bunched together.
constexpr uint8_t SERVER_WORLDS_OWED_MAX = 4;
// New looks of one player are passed on at most this often.
constexpr double SERVER_LOOKS_PERIOD = 1.0;
// Poses this far behind the latest are late ones; farther back, the client
// has started counting again.
constexpr int32_t SERVER_SEQUENCE_WINDOW = 64;
// The challenge's key changes this often; the previous one is still taken.
constexpr double SERVER_COOKIE_PERIOD = 60.0;
// Arrivals announced to the others: at most SERVER_ARRIVALS_MAX in any
// SERVER_ARRIVALS_WINDOW seconds over the whole server (two a second, what a
// game shows), and from one address at most the places it may hold. A
// newcomer beyond that waits (its hellos are not answered) and comes in later.
constexpr double SERVER_ARRIVALS_WINDOW = 10.0;
constexpr int SERVER_ARRIVALS_MAX = 20;
constexpr int SERVER_ARRIVALS_KEPT = 32;  // >= SERVER_ARRIVALS_MAX and NET_MAX_PLAYERS
// An address whose unconfirmed place was let go (taken, or no pose came)
// takes nobody's place again for this long, only a free one: squatters that
// hello again do not take back the places newcomers were given.
constexpr double SERVER_LET_GO_MEMORY = 10.0;
// "left" is said again for this long (datagrams get lost), while the
// number stays free.
constexpr double SERVER_LEFT_REPEAT = 4.0;

struct ServerClient {
    uint8_t used;
    uint32_t address;
    uint16_t port;
    uint8_t identity[NET_IDENTITY_SIZE];  // hello bytes 5..58, the name made text
    uint8_t confirmed;                    // announced: the others know of it
    uint8_t proven;                       // echoed the challenge: all it sends must echo it
    uint8_t posed;                        // a pose came (confirmation may wait for the arrival limit)
    uint8_t has_pose;
    uint8_t pose[NET_POSE_BODY_SIZE];     // pose bytes 9..42, sanitised
    uint32_t sequence;
    double last_heard;
    double joined;  // when its first hello came
    uint32_t credit;       // bytes it may still be sent (SERVER_REPLY_FACTOR per byte it sent)
    uint8_t worlds_owed;   // poses not yet answered by a world message
    uint8_t looks_pending; // new looks not passed on yet
    double looks_sent;     // when its looks were last passed on
};

struct ServerArrival {
    uint32_t address;
    double at;
};

typedef void (*ServerSend)(void* context, uint32_t address, uint16_t port, const uint8_t* data, int length);
typedef void (*ServerLog)(void* context, const char* line);

struct Server {
    ServerClient clients[NET_MAX_PLAYERS];
    int places_per_address;  // a setting, SERVER_PLACES_PER_ADDRESS by default
    uint32_t tick;
    double next_world;
    double next_roster;
    double started;
    uint64_t key[2];  // the challenge's secret (server_set_secret)
    ServerArrival arrivals[SERVER_ARRIVALS_KEPT];
    int arrival_next;
    ServerArrival let_go[SERVER_ARRIVALS_KEPT];  // addresses whose unconfirmed places were let go
    int let_go_next;
    double left_until[NET_MAX_PLAYERS];  // "left" is repeated for that number until then
    ServerSend send;
    ServerLog log;
    void* context;
};

void server_init(Server* s, ServerSend send, ServerLog log, void* context, double now);
// Sixteen random bytes, once at start-up (tests may leave the default).
void server_set_secret(Server* s, const uint8_t secret[16]);
// The number an address must echo at `now` (never 0).
uint32_t server_cookie(const Server* s, uint32_t address, uint16_t port, double now);
// One received datagram of any size and content.
void server_datagram(Server* s, const uint8_t* data, int length, uint32_t address, uint16_t port, double now);
// Time-outs, world messages and the repeated player messages that are due.
void server_tick(Server* s, double now);
// Seconds from now until server_tick has something to do (at most 0.05).
double server_wait(const Server* s, double now);
int server_player_count(const Server* s);
