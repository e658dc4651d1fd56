#pragma once
// The audio-out seam: one interleaved 16-bit PCM stream fed from the main
// loop through a small ring of fixed buffers. The game never blocks on it and
// no backend may call back into the game from a thread of its own.
//
// Backend contract (platform/win32 wave-out, platform/sdl queued audio,
// platform/headless none):
//
//  plat_audio_open(rate, channels, frames_per_buffer, buffer_count)
//      Opens the default output for signed 16-bit samples at `rate` Hz with
//      `channels` interleaved channels, and allocates `buffer_count` buffers
//      of `frames_per_buffer` frames (at most PLAT_AUDIO_MAX_BUFFERS and
//      PLAT_AUDIO_MAX_SAMPLES samples each). Returns false when no device
//      accepts that format; the stream then stays closed and every other call
//      is harmless: buffer_done is false, buffer is null, submit does nothing.
//      Called once; a second call on an open stream returns true at once.
//  plat_audio_buffer_done(index)
//      True when the buffer may be filled: it was never submitted, or the
//      device has finished playing it. Cheap; called for every buffer each
//      frame.
//  plat_audio_buffer(index)
//      The buffer's frames_per_buffer * channels samples, owned by the
//      backend for the whole run. Only written while buffer_done is true.
//  plat_audio_submit(index)
//      Queues the filled buffer after those already queued; buffer_done is
//      false until the device has played it. Submitting a buffer that is not
//      done, or an index out of range, does nothing.
//
// Buffers play in the order they were submitted. When every buffer has
// played and none was submitted in time the device plays silence (a gap).

#include <cstdint>

constexpr int PLAT_AUDIO_MAX_BUFFERS = 8;
constexpr int PLAT_AUDIO_MAX_SAMPLES = 8192;  // per buffer, all channels

bool plat_audio_open(int sample_rate, int channels, int frames_per_buffer, int buffer_count);
bool plat_audio_buffer_done(int index);
int16_t* plat_audio_buffer(int index);
void plat_audio_submit(int index);
