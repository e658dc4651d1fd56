// Stand-ins until the network client lands.
#include "platform/frame_steps.h"
void net_read_address() {}
void net_update(float) {}
void remote_players_submit() {}
void net_shutdown() {}
