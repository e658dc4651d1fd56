#pragma once
// tervanne-serveur's rules, without sockets: who is in, what each client is
// sent and when. Single-threaded; fixed tables, nothing allocated per datagram.
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
// World and player messages go only to clients heard this recently, so a
// forged pose cannot turn the server into a stream toward someone else.
constexpr double SERVER_SEND_HEARD = 1.0;
// No address is sent more than this many times the bytes it sent us: ten
// players' world message is about 7.6 times a pose.
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

struct ServerClient {
    uint8_t used;
    uint32_t address;
    uint16_t port;
    uint8_t identity[NET_IDENTITY_SIZE];  // hello bytes 5..58
    uint8_t confirmed;                    // a pose came from the address
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

typedef void (*ServerSend)(void* context, uint32_t address, uint16_t port, const uint8_t* data, int length);
typedef void (*ServerLog)(void* context, const char* line);

struct Server {
    ServerClient clients[NET_MAX_PLAYERS];
    int places_per_address;  // a setting, SERVER_PLACES_PER_ADDRESS by default
    uint32_t tick;
    double next_world;
    double next_roster;
    ServerSend send;
    ServerLog log;
    void* context;
};

void server_init(Server* s, ServerSend send, ServerLog log, void* context, double now);
// One received datagram of any size and content.
void server_datagram(Server* s, const uint8_t* data, int length, uint32_t address, uint16_t port, double now);
// Time-outs, world messages and the repeated player messages that are due.
void server_tick(Server* s, double now);
// Seconds from now until server_tick has something to do (at most 0.05).
double server_wait(const Server* s, double now);
int server_player_count(const Server* s);
