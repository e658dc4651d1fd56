#pragma once
// The BSD-socket pieces that the game's UDP backend and the Linux server share:
// the socket's address, one datagram out, one whole datagram in. Addresses and
// ports are in host order. Needs nothing but the system, so the server builds
// it in too.
#include <cstdint>

// Binds fd to every local IPv4 address on port (0: the system picks one).
bool posix_udp_bind(int fd, uint16_t port);
// Sends one datagram; true when all of it left.
bool posix_udp_send(int fd, uint32_t address, uint16_t port, const void* data, int length);
// The length of the next whole datagram waiting on fd, or -1 when none waits.
// One longer than capacity is dropped, never handed over cut (a reader would
// take a partial message for a whole one), and so is the report of a refused
// earlier send: the next one waiting comes instead. address and port may be
// null.
int posix_udp_receive(int fd, void* buffer, int capacity, uint32_t* address, uint16_t* port);
