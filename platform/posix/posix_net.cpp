// The UDP wrappers on BSD sockets for the Linux backends.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
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
    if (udp_socket < 0 || length < 0 || (!data && length > 0)) return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    to.sin_port = htons(port);
    ssize_t n = sendto(udp_socket, data, (size_t)length, MSG_NOSIGNAL, (sockaddr*)&to, sizeof to);
    return n == length;
}

// A datagram longer than the buffer is dropped, never handed over cut: the
// network client would read a partial message as a whole one. The next one
// waiting is returned instead, as on Windows.
int udp_receive(void* buffer, int capacity, uint32_t* out_address, uint16_t* out_port) {
    if (udp_socket < 0 || !buffer || capacity <= 0) return -1;
    for (int dropped = 0; dropped < 64; ++dropped) {
        sockaddr_in from{};
        iovec iov{buffer, (size_t)capacity};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        ssize_t n = recvmsg(udp_socket, &msg, MSG_DONTWAIT);
        if (n < 0) {
            // A refused earlier send (ICMP) is reported here; it is not data.
            if (errno == ECONNREFUSED) continue;
            return -1;
        }
        if (msg.msg_flags & MSG_TRUNC) continue;
        if (out_address) *out_address = ntohl(from.sin_addr.s_addr);
        if (out_port) *out_port = ntohs(from.sin_port);
        return (int)n;
    }
    return -1;
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
