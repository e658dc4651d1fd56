// The UDP wrappers on BSD sockets for the Linux backends.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>


#include "platform/platform.h"
#include "platform/posix/posix_udp.h"

static int udp_socket = -1;

bool udp_open() {
    if (udp_socket >= 0) return true;
    int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (s < 0) return false;
    (void)posix_udp_bind(s, 0);  // the system picks the port
    int flags = fcntl(s, F_GETFL, 0);
    fcntl(s, F_SETFL, flags | O_NONBLOCK);
    udp_socket = s;
    return true;
}

void udp_close() {
    if (udp_socket >= 0) close(udp_socket);
    udp_socket = -1;
}

bool udp_send(uint32_t address, uint16_t port, const void* data, int length) {
    if (udp_socket < 0 || length < 0 || (!data && length > 0)) return false;
    return posix_udp_send(udp_socket, address, port, data, length);
}

int udp_receive(void* buffer, int capacity, uint32_t* out_address, uint16_t* out_port) {
    if (udp_socket < 0 || !buffer || capacity <= 0) return -1;
    return posix_udp_receive(udp_socket, buffer, capacity, out_address, out_port);
}

bool udp_resolve(const char* host, uint32_t* out_address) {
    // An empty name would mean this machine; no address is no server.
    if (!host || !host[0] || !out_address) return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* res = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &res) != 0 || !res) return false;
    bool found = false;
    for (addrinfo* a = res; a; a = a->ai_next) {
        if (a->ai_family == AF_INET) {
            *out_address = ntohl(((sockaddr_in*)a->ai_addr)->sin_addr.s_addr);
            found = true;
            break;
        }
    }
    freeaddrinfo(res);
    return found;
}
