#pragma once
// The server's one UDP socket and its clock, on BSD sockets or Winsock.
#include <cstdint>

// Binds 0.0.0.0:port; false (with the reason on stderr) when it cannot.
bool srv_socket_open(uint16_t port);
void srv_socket_close();
// Waits at most `seconds` for a datagram to arrive (or for a stop request).
void srv_socket_wait(double seconds);
// One waiting datagram: its length, or -1 when none is left. Datagrams larger
// than the buffer are dropped, never handed over cut.
int srv_socket_receive(uint8_t* buffer, int capacity, uint32_t* address, uint16_t* port);
void srv_socket_send(uint32_t address, uint16_t port, const uint8_t* data, int length);
// Sixteen unpredictable bytes for the challenge's key; false when the
// system has none to give.
bool srv_random_bytes(uint8_t out[16]);
// Monotonic seconds.
double srv_now();
// Ctrl+C and termination ask the loop to stop.
void srv_install_stop_handler();
bool srv_stop_requested();
