#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>
#include <bcrypt.h>

#include <cstdio>

#include "server/server_socket.h"

static SOCKET sock = INVALID_SOCKET;
static volatile LONG stop_flag = 0;

bool srv_socket_open(uint16_t port) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        fprintf(stderr, "Winsock indisponible.\n");
        return false;
    }
    sock = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (sock == INVALID_SOCKET) {
        fprintf(stderr, "socket : erreur %d\n", WSAGetLastError());
        return false;
    }
    // Without this, an ICMP "port unreachable" from a departed client would
    // be reported on the next receive as a reset of the whole socket.
    BOOL report = FALSE;
    DWORD ignored = 0;
    WSAIoctl(sock, _WSAIOW(IOC_VENDOR, 12), &report, sizeof report, nullptr, 0, &ignored, nullptr, nullptr);
    sockaddr_in any = {};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = htons(port);
    if (bind(sock, (const sockaddr*)&any, sizeof any) != 0) {
        fprintf(stderr, "Port UDP %u indisponible : erreur %d\n", port, WSAGetLastError());
        closesocket(sock);
        sock = INVALID_SOCKET;
        return false;
    }
    u_long non_blocking = 1;
    ioctlsocket(sock, FIONBIO, &non_blocking);
    return true;
}

void srv_socket_close() {
    if (sock != INVALID_SOCKET) closesocket(sock);
    sock = INVALID_SOCKET;
    WSACleanup();
}

void srv_socket_wait(double seconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(sock, &set);
    timeval t;
    long us = seconds > 0.0 ? (long)(seconds * 1e6) : 0;
    t.tv_sec = us / 1000000;
    t.tv_usec = us % 1000000;
    select(0, &set, nullptr, nullptr, &t);
}

int srv_socket_receive(uint8_t* buffer, int capacity, uint32_t* address, uint16_t* port) {
    for (int skipped = 0; skipped < 64; ++skipped) {
        sockaddr_in from = {};
        int from_length = sizeof from;
        int n = recvfrom(sock, (char*)buffer, capacity, 0, (sockaddr*)&from, &from_length);
        if (n < 0) {
            int error = WSAGetLastError();
            if (error == WSAEMSGSIZE || error == WSAECONNRESET) continue;
            return -1;
        }
        *address = ntohl(from.sin_addr.s_addr);
        *port = ntohs(from.sin_port);
        return n;
    }
    return -1;
}

void srv_socket_send(uint32_t address, uint16_t port, const uint8_t* data, int length) {
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    to.sin_port = htons(port);
    sendto(sock, (const char*)data, length, 0, (const sockaddr*)&to, sizeof to);
}

bool srv_random_bytes(uint8_t out[16]) {
    return BCryptGenRandom(nullptr, out, 16, BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}

double srv_now() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

static BOOL WINAPI on_console_event(DWORD) {
    InterlockedExchange(&stop_flag, 1);
    return TRUE;
}

void srv_install_stop_handler() { SetConsoleCtrlHandler(on_console_event, TRUE); }

bool srv_stop_requested() { return InterlockedCompareExchange(&stop_flag, 0, 0) != 0; }
