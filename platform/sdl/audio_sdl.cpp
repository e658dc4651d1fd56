// SDL audio in queue mode: no callback thread of ours; the main loop queues
// whole buffers, and a buffer counts as played once SDL's queue has shrunk
// below it. The same six-buffer budget as wave-out keeps the latency equal.
#include <SDL.h>

#include "common/ring.h"
#include "platform/audio_out.h"

namespace {
SDL_AudioDeviceID device = 0;
int buffer_count = 0;
int buffer_samples = 0;
Uint32 buffer_bytes = 0;
int16_t buffers[PLAT_AUDIO_MAX_BUFFERS][PLAT_AUDIO_MAX_SAMPLES];
// Submitted buffers, oldest first.
int fifo[PLAT_AUDIO_MAX_BUFFERS];
int fifo_start = 0, fifo_count = 0;
bool in_flight[PLAT_AUDIO_MAX_BUFFERS];

// Everything SDL still holds beyond the newest `pending` buffers has played.
void retire_played() {
    Uint32 queued = SDL_GetQueuedAudioSize(device);
    int pending = (int)((queued + buffer_bytes - 1) / buffer_bytes);
    while (fifo_count > pending) {
        in_flight[fifo[fifo_start]] = false;
        fifo_start = ring_slot(fifo_start, 1, PLAT_AUDIO_MAX_BUFFERS);
        --fifo_count;
    }
}
}  // namespace

bool plat_audio_open(int sample_rate, int channels, int frames_per_buffer, int count) {
    if (device) return true;
    if (channels < 1 || channels > 2 || frames_per_buffer < 1 || count < 1 ||
        count > PLAT_AUDIO_MAX_BUFFERS || frames_per_buffer * channels > PLAT_AUDIO_MAX_SAMPLES)
        return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = sample_rate;
    want.format = AUDIO_S16SYS;
    want.channels = (Uint8)channels;
    want.samples = (Uint16)frames_per_buffer;
    want.callback = nullptr;  // queue mode
    SDL_AudioSpec have;
    // No format changes allowed: SDL converts for the device when needed, so
    // the queue is always counted in our own bytes.
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    buffer_count = count;
    buffer_samples = frames_per_buffer * channels;
    buffer_bytes = (Uint32)(buffer_samples * sizeof(int16_t));
    SDL_PauseAudioDevice(device, 0);
    return true;
}

bool plat_audio_buffer_done(int index) {
    if (!device || index < 0 || index >= buffer_count) return false;
    if (in_flight[index]) retire_played();
    return !in_flight[index];
}

int16_t* plat_audio_buffer(int index) {
    if (!device || index < 0 || index >= buffer_count) return nullptr;
    return buffers[index];
}

void plat_audio_submit(int index) {
    if (!plat_audio_buffer_done(index)) return;
    if (SDL_QueueAudio(device, buffers[index], buffer_bytes) != 0) return;
    in_flight[index] = true;
    fifo[ring_slot(fifo_start, fifo_count, PLAT_AUDIO_MAX_BUFFERS)] = index;
    ++fifo_count;
}
