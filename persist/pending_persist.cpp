// Stand-ins until the character and options files land.
#include "platform/frame_steps.h"
bool options_read() { return false; }
void options_apply_window() {}
void options_write() {}
void characters_load() {}
void character_save_current() {}
