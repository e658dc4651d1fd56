// Wave-out: one 16-bit PCM stream and a ring of prepared buffers. The device
// sets WHDR_DONE on a buffer it has played; the main loop polls that flag,
// so no callback or thread of ours is involved.
#include <windows.h>
#include <mmsystem.h>

#include "platform/audio_out.h"

namespace {
HWAVEOUT wave = nullptr;
int buffer_count = 0;
WAVEHDR headers[PLAT_AUDIO_MAX_BUFFERS];
bool submitted[PLAT_AUDIO_MAX_BUFFERS];
int16_t buffers[PLAT_AUDIO_MAX_BUFFERS][PLAT_AUDIO_MAX_SAMPLES];
}  // namespace

bool plat_audio_open(int sample_rate, int channels, int frames_per_buffer, int count) {
    if (wave) return true;
    if (channels < 1 || channels > 2 || frames_per_buffer < 1 || count < 1 ||
        count > PLAT_AUDIO_MAX_BUFFERS || frames_per_buffer * channels > PLAT_AUDIO_MAX_SAMPLES)
        return false;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = (WORD)channels;
    format.nSamplesPerSec = (DWORD)sample_rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = (WORD)(channels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    if (waveOutOpen(&wave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        wave = nullptr;
        return false;
    }
    for (int i = 0; i < count; ++i) {
        WAVEHDR& h = headers[i];
        ZeroMemory(&h, sizeof h);
        h.lpData = (LPSTR)buffers[i];
        h.dwBufferLength = (DWORD)(frames_per_buffer * channels * sizeof(int16_t));
        if (waveOutPrepareHeader(wave, &h, sizeof h) != MMSYSERR_NOERROR) {
            for (int k = 0; k < i; ++k) waveOutUnprepareHeader(wave, &headers[k], sizeof headers[k]);
            waveOutClose(wave);
            wave = nullptr;
            return false;
        }
        submitted[i] = false;
    }
    buffer_count = count;
    return true;
}

bool plat_audio_buffer_done(int index) {
    if (!wave || index < 0 || index >= buffer_count) return false;
    // The device's own thread sets WHDR_DONE: read the flag afresh every time.
    DWORD flags = *(volatile DWORD*)&headers[index].dwFlags;
    return !submitted[index] || (flags & WHDR_DONE) != 0;
}

int16_t* plat_audio_buffer(int index) {
    if (!wave || index < 0 || index >= buffer_count) return nullptr;
    return buffers[index];
}

void plat_audio_submit(int index) {
    if (!plat_audio_buffer_done(index)) return;
    WAVEHDR& h = headers[index];
    h.dwFlags &= ~(DWORD)WHDR_DONE;
    if (waveOutWrite(wave, &h, sizeof h) == MMSYSERR_NOERROR) submitted[index] = true;
    else submitted[index] = false;
}
