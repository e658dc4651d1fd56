#pragma once
// tervanne-serveur's rules, without sockets: who is in, what each client is
// sent and when. Single-threaded; fixed tables, nothing allocated per datagram.
#include <cstdint>

#include "net/net_packets.h"

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
};

typedef void (*ServerSend)(void* context, uint32_t address, uint16_t port, const uint8_t* data, int length);
typedef void (*ServerLog)(void* context, const char* line);

struct Server {
    ServerClient clients[NET_MAX_PLAYERS];
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
