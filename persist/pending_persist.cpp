// Stand-ins until the character and options files land.
#include "platform/frame_steps.h"
#include "play/player.h"
bool options_read() { return false; }
void options_apply_window() {}
void options_write() {}
// Until the character files and screens exist, every run starts a new
// character at the spawn point.
void characters_load() { player_reset_new(); }
void character_save_current() {}
