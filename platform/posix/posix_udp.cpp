#include "platform/posix/posix_udp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <cerrno>

namespace {

sockaddr_in ipv4(uint32_t address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    return a;
}

}  // namespace

bool posix_udp_bind(int fd, uint16_t port) {
    sockaddr_in any = ipv4(INADDR_ANY, port);
    return bind(fd, (sockaddr*)&any, sizeof any) == 0;
}

bool posix_udp_send(int fd, uint32_t address, uint16_t port, const void* data, int length) {
    sockaddr_in to = ipv4(address, port);
    ssize_t n = sendto(fd, data, (size_t)length, MSG_NOSIGNAL, (sockaddr*)&to, sizeof to);
    return n == length;
}

int posix_udp_receive(int fd, void* buffer, int capacity, uint32_t* address, uint16_t* port) {
    for (int dropped = 0; dropped < 64; ++dropped) {
        sockaddr_in from{};
        iovec iov{buffer, (size_t)capacity};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        ssize_t n = recvmsg(fd, &msg, MSG_DONTWAIT);
        if (n < 0) {
            // A refused earlier send (ICMP) is reported here; it is not data.
            if (errno == ECONNREFUSED || errno == EINTR) continue;
            return -1;
        }
        if (msg.msg_flags & MSG_TRUNC) continue;
        if (address) *address = ntohl(from.sin_addr.s_addr);
        if (port) *port = ntohs(from.sin_port);
        return (int)n;
    }
    return -1;
}
