#pragma once
// Pieces of the client shared by its own files, its tests and its fuzz target.
#include <cstdint>

#include "common/net_packets.h"

// One datagram as udp_receive handed it over.
void net_handle_datagram(const uint8_t* data, int length, uint32_t from_address, uint16_t from_port);
// The server's address and port in host order (valid while on).
uint32_t net_server_ip();
uint16_t net_server_port();

// What we tell the server about ourselves (net_own.cpp).
NetIdentity net_own_identity();
NetPose net_own_pose();

// Seconds of the four timers, for tests.
