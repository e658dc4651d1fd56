// tervanne-serveur's rules with datagrams of any size and content from a
// handful of addresses: no read out of bounds, at most ten players, a player
// number only ever given once at a time, nothing sent to an address that
// never sent a hello larger than what it sent, no address that never echoed
// its challenge sent more than SERVER_REPLY_FACTOR times the bytes that came
// from it (a forged source must not turn the server into an amplifier), one
// that did sent a bounded amount per step, and every name passed on is text.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "server/server_core.h"

static int largest_from[8];  // largest datagram each address sent
static bool said_hello[8];
static long bytes_in[8], bytes_out[8], step_out[8];
static bool proven[8];

static void on_send(void*, uint32_t address, uint16_t, const uint8_t* data, int length) {
    if (address >= 8 || length <= 0 || !data) abort();
    bytes_out[address] += length;
    step_out[address] += length;
    if (!proven[address] && bytes_out[address] > SERVER_REPLY_FACTOR * bytes_in[address]) abort();
    // One datagram and one tick: a welcome, the roster, a world, a few lefts.
    if (step_out[address] > 2048) abort();
    if (net_message_type(data, length) == NET_PLAYER && length >= NET_PLAYER_SIZE) {
        char name[NET_NAME_SIZE];
        memcpy(name, data + 6, sizeof name);
        net_clean_name(name);
        if (memcmp(name, data + 6, sizeof name) != 0) abort();
    }
    if (!said_hello[address] && length > largest_from[address]) abort();
    if (length > NET_WORLD_SIZE_MAX) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Server server;
    double now = 0.0;
    server_init(&server, on_send, nullptr, nullptr, now);
    memset(largest_from, 0, sizeof largest_from);
    memset(said_hello, 0, sizeof said_hello);
    memset(bytes_in, 0, sizeof bytes_in);
    memset(bytes_out, 0, sizeof bytes_out);
    memset(proven, 0, sizeof proven);
    // Records: address (3 bits) and time step (5 bits), a length, the bytes.
    while (size >= 2) {
        uint32_t address = data[0] & 7;
        now += (data[0] >> 3) * 0.25;
        size_t n = data[1];
        data += 2;
        size -= 2;
        if (n > size) n = size;
        if ((int)n > largest_from[address]) largest_from[address] = (int)n;
        bytes_in[address] += (long)n;
        if (n >= NET_HELLO_SIZE && net_message_type(data, (int)n) == NET_HELLO) said_hello[address] = true;
        memset(step_out, 0, sizeof step_out);
        server_datagram(&server, data, (int)n, address, 27950, now);
        server_tick(&server, now);
        for (const ServerClient& c : server.clients)
            if (c.used && c.proven) proven[c.address & 7] = true;
        data += n;
        size -= n;
        // One address, one number.
        for (int i = 0; i < NET_MAX_PLAYERS; ++i)
            for (int j = i + 1; j < NET_MAX_PLAYERS; ++j)
                if (server.clients[i].used && server.clients[j].used &&
                    server.clients[i].address == server.clients[j].address)
                    abort();
    }
    return 0;
}
