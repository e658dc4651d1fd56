#pragma once
// Online play: the client of tervanne-serveur. The game sends its identity
// and pose over UDP and draws the other players the server reports.
#include <cstdint>

#include "common/mathx.h"

// Start-up: the last address used, from "tervanne-reseau.txt" ("127.0.0.1"
// when the file or its key is missing).
void net_read_settings();
// Closes any previous connection, parses the typed address, opens the socket
// and writes the settings file. Failures land in the status text.
void net_connect(const char* address);
// Says goodbye (twice, it is UDP) and forgets every remote player.
void net_disconnect();
// Once per frame, also while paused.
void net_update(float dt);

// The renderer's and the HUD's side.
void net_draw_players();
void net_draw_labels();

// Remote players present and active.
int net_player_count();
constexpr int net_max_players() { return 10; }
// Displayed feet position of a remote player; false when it is not shown.
bool net_player_position(int index, Vec3* out);

const char* net_status_text();
// The last address typed (or read from the settings file).
const char* net_server_address();
bool net_is_on();
bool net_is_welcomed();
// Our player number, -1 until welcomed.
int net_own_id();

void net_read_address();
void net_shutdown();
// Other players' names over their heads (HUD pass).
void net_draw_labels();
