// The UDP wrappers on BSD sockets for the Linux backends.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/platform.h"

static int udp_socket = -1;

bool udp_open() {
    if (udp_socket >= 0) return true;
    int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (s < 0) return false;
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = 0;
    (void)bind(s, (sockaddr*)&any, sizeof any);  // the system picks the port
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
    if (udp_socket < 0 || length < 0) return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    to.sin_port = htons(port);
    ssize_t n = sendto(udp_socket, data, (size_t)length, MSG_NOSIGNAL, (sockaddr*)&to, sizeof to);
    return n == length;
}

int udp_receive(void* buffer, int capacity, uint32_t* out_address, uint16_t* out_port) {
    if (udp_socket < 0 || capacity <= 0) return -1;
    sockaddr_in from{};
    socklen_t from_len = sizeof from;
    ssize_t n = recvfrom(udp_socket, buffer, (size_t)capacity, MSG_DONTWAIT, (sockaddr*)&from, &from_len);
    if (n < 0) return -1;
    if (out_address) *out_address = ntohl(from.sin_addr.s_addr);
    if (out_port) *out_port = ntohs(from.sin_port);
    return (int)n;
}

bool udp_resolve(const char* host, uint32_t* out_address) {
    if (!host || !out_address) return false;
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
