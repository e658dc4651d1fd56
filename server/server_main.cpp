// tervanne-serveur: the game server that online players connect to.
// Usage: tervanne-serveur [port]   (UDP, 27950 when none is given)
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

int main(int argc, char** argv) {
    long port = NET_DEFAULT_PORT;
    if (argc > 2 || (argc == 2 && (!strcmp(argv[1], "-h") || !strcmp(argv[1], "--help")))) {
        fprintf(stderr, "Usage : tervanne-serveur [port]   (port UDP, %u par défaut)\n", NET_DEFAULT_PORT);
        return 2;
    }
    if (argc == 2) {
        char* end = nullptr;
        port = strtol(argv[1], &end, 10);
        if (!end || *end || port < 1 || port > 65535) {
            fprintf(stderr, "Port invalide : %s (1 à 65535)\n", argv[1]);
            return 2;
        }
    }
    if (!srv_socket_open((uint16_t)port)) return 1;
    srv_install_stop_handler();
    static Server server;
    server_init(&server, send_datagram, log_line, nullptr, srv_now());
    char line[96];
    snprintf(line, sizeof line, "Serveur Tervanne à l'écoute sur le port UDP %ld (%d joueurs au plus).", port,
             NET_MAX_PLAYERS);
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
