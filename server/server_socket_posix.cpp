#include <arpa/inet.h>
#include <netinet/in.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/posix/posix_udp.h"
#include "server/server_socket.h"

static int sock = -1;
static volatile sig_atomic_t stop_flag = 0;

bool srv_socket_open(uint16_t port) {
    sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_UDP);
    if (sock < 0) {
        fprintf(stderr, "socket : %s\n", strerror(errno));
        return false;
    }
    if (!posix_udp_bind(sock, port)) {
        fprintf(stderr, "Port UDP %u indisponible : %s\n", port, strerror(errno));
        close(sock);
        sock = -1;
        return false;
    }
    return true;
}

void srv_socket_close() {
    if (sock >= 0) close(sock);
    sock = -1;
}

void srv_socket_wait(double seconds) {
    pollfd p{sock, POLLIN, 0};
    int ms = (int)(seconds * 1000.0 + 0.999);
    poll(&p, 1, ms < 0 ? 0 : ms);
}

int srv_socket_receive(uint8_t* buffer, int capacity, uint32_t* address, uint16_t* port) {
    return posix_udp_receive(sock, buffer, capacity, address, port);
}

void srv_socket_send(uint32_t address, uint16_t port, const uint8_t* data, int length) {
    (void)posix_udp_send(sock, address, port, data, length);
}

bool srv_random_bytes(uint8_t out[16]) {
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ssize_t n = read(fd, out, 16);
    close(fd);
    return n == 16;
}

double srv_now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + t.tv_nsec * 1e-9;
}

static void on_stop(int) { stop_flag = 1; }

void srv_install_stop_handler() {
    struct sigaction sa{};
    sa.sa_handler = on_stop;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool srv_stop_requested() { return stop_flag != 0; }
