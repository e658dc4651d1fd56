// The one non-blocking UDP socket of the network client, on Winsock 2.2.
// Addresses and ports cross this seam in host byte order.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "platform/platform.h"

namespace {

SOCKET udp_socket = INVALID_SOCKET;
bool winsock_started;

bool start_winsock() {
    if (winsock_started) return true;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    winsock_started = true;
    return true;
}

}  // namespace

bool udp_open() {
    if (udp_socket != INVALID_SOCKET) return true;
    if (!start_winsock()) return false;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return false;
    sockaddr_in any = {};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = 0;
    bind(s, (const sockaddr*)&any, sizeof any);  // sendto binds anyway if this fails
    u_long non_blocking = 1;
    ioctlsocket(s, FIONBIO, &non_blocking);
    udp_socket = s;
    return true;
}

void udp_close() {
    if (udp_socket == INVALID_SOCKET) return;
    closesocket(udp_socket);
    udp_socket = INVALID_SOCKET;
}

bool udp_send(uint32_t address, uint16_t port, const void* data, int length) {
    if (udp_socket == INVALID_SOCKET || length < 0 || (!data && length > 0)) return false;
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    to.sin_port = htons(port);
    int sent = sendto(udp_socket, (const char*)data, length, 0, (const sockaddr*)&to, sizeof to);
    return sent == length;
}

// A datagram longer than the buffer is dropped (Winsock discards it and says
// so), and the report of a refused earlier send is not data either: both are
// skipped so that the datagrams waiting behind them still arrive this frame.
int udp_receive(void* buffer, int capacity, uint32_t* out_address, uint16_t* out_port) {
    if (udp_socket == INVALID_SOCKET || !buffer || capacity <= 0) return -1;
    for (int skipped = 0; skipped < 64; ++skipped) {
        sockaddr_in from = {};
        int from_length = sizeof from;
        int n = recvfrom(udp_socket, (char*)buffer, capacity, 0, (sockaddr*)&from, &from_length);
        if (n < 0) {
            int error = WSAGetLastError();
            if (error == WSAEMSGSIZE || error == WSAECONNRESET) continue;
            return -1;
        }
        if (out_address) *out_address = ntohl(from.sin_addr.s_addr);
        if (out_port) *out_port = ntohs(from.sin_port);
        return n;
    }
    return -1;
}

bool udp_resolve(const char* host, uint32_t* out_address) {
    // An empty name would resolve to this machine; no address is no server.
    if (!host || !host[0] || !out_address || !start_winsock()) return false;
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &result) != 0 || !result) return false;
    bool found = false;
    for (addrinfo* a = result; a; a = a->ai_next) {
        if (a->ai_family == AF_INET && a->ai_addrlen >= sizeof(sockaddr_in)) {
            sockaddr_in sin;
            memcpy(&sin, a->ai_addr, sizeof sin);
            *out_address = ntohl(sin.sin_addr.s_addr);
            found = true;
            break;
        }
    }
    freeaddrinfo(result);
    return found;
}
