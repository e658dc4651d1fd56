// tervanne-serveur: the game server that online players connect to.
// Usage: tervanne-serveur [port] [--par-adresse N]
//   port: UDP, 27950 when none is given; N: places one IP address may hold
//   (4 when not given: a few players behind one router, not a squatter's ten)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "server/server_core.h"
#include "server/server_socket.h"

static void send_datagram(void*, uint32_t address, uint16_t port, const uint8_t* data, int length) {
    srv_socket_send(address, port, data, length);
}

// One line per event, with the time of day, flushed so that a log redirected
// to a file is current.
static void log_line(void*, const char* line) {
    time_t now = time(nullptr);
    char stamp[16] = "";
    if (tm* t = localtime(&now)) strftime(stamp, sizeof stamp, "%H:%M:%S", t);
    printf("%s %s\n", stamp, line);
    fflush(stdout);
}

static int usage() {
    fprintf(stderr,
            "Usage : tervanne-serveur [port] [--par-adresse N]\n"
            "  port : port UDP, %u par défaut\n"
            "  N : places qu'une même adresse IP peut occuper (1 à %d, %d par défaut)\n",
            NET_DEFAULT_PORT, NET_MAX_PLAYERS, SERVER_PLACES_PER_ADDRESS);
    return 2;
}

// A whole number from min to max, all of the text.
static bool read_number(const char* text, long min, long max, long* out) {
    char* end = nullptr;
    long v = strtol(text, &end, 10);
    if (!end || end == text || *end || v < min || v > max) return false;
    *out = v;
    return true;
}

int main(int argc, char** argv) {
    long port = NET_DEFAULT_PORT, per_address = SERVER_PLACES_PER_ADDRESS;
    bool port_given = false;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "-h") || !strcmp(argv[i], "--help")) return usage();
        if (!strcmp(argv[i], "--par-adresse")) {
            if (i + 1 >= argc || !read_number(argv[i + 1], 1, NET_MAX_PLAYERS, &per_address)) {
                fprintf(stderr, "Places par adresse invalides : %s (1 à %d)\n", i + 1 < argc ? argv[i + 1] : "",
                        NET_MAX_PLAYERS);
                return 2;
            }
            ++i;
            continue;
        }
        if (port_given || argv[i][0] == '-') return usage();
        if (!read_number(argv[i], 1, 65535, &port)) {
            fprintf(stderr, "Port invalide : %s (1 à 65535)\n", argv[i]);
            return 2;
        }
        port_given = true;
    }
    if (!srv_socket_open((uint16_t)port)) return 1;
    srv_install_stop_handler();
    static Server server;
    server_init(&server, send_datagram, log_line, nullptr, srv_now());
    server.places_per_address = (int)per_address;
    uint8_t secret[16];
    if (!srv_random_bytes(secret)) {
        fprintf(stderr, "Pas de source d'aléa pour la clé du serveur.\n");
        return 1;
    }
    server_set_secret(&server, secret);
    char line[128];
    snprintf(line, sizeof line,
             "Serveur Tervanne à l'écoute sur le port UDP %ld (%d joueurs au plus, %ld par adresse IP).", port,
             NET_MAX_PLAYERS, per_address);
    log_line(nullptr, line);

    static uint8_t buffer[65536];  // any datagram fits: none is read cut
    while (!srv_stop_requested()) {
        srv_socket_wait(server_wait(&server, srv_now()));
        uint32_t address;
        uint16_t from_port;
        // Bounded, so that a flood cannot starve the world messages.
        for (int n = 0; n < 4096; ++n) {
            int length = srv_socket_receive(buffer, sizeof buffer, &address, &from_port);
            if (length < 0) break;
            server_datagram(&server, buffer, length, address, from_port, srv_now());
        }
        server_tick(&server, srv_now());
    }
    log_line(nullptr, "Serveur arrêté.");
    srv_socket_close();
    return 0;
}
