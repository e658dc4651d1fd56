// No audio device on the test backend: the game takes its silent path.
#include "platform/audio_out.h"

bool plat_audio_open(int, int, int, int) { return false; }
bool plat_audio_buffer_done(int) { return false; }
int16_t* plat_audio_buffer(int) { return nullptr; }
void plat_audio_submit(int) {}
