// The refill from the main loop against a simulated output device that plays
// by a simulated clock: a minute of play with uneven frames (down to the
// 0.05 s the loop clamps a stall to), effects, music, a camp fire and a visit
// to the catacombs. The queue must never run dry and the stream must carry
// no gap. Stepped by frames, not by the real clock, so a loaded machine
// cannot starve it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/audio_out.h"
#include "sound/sound_internal.h"

void log_printf(const char*, ...) {}

namespace {

// A device like wave-out or SDL's queue: submitted buffers play in order, a
// buffer is done once played, and an empty queue plays silence.
struct SimulatedDevice {
    bool open = false;
    int channels = 0, frames_per_buffer = 0, count = 0;
    int16_t buffers[PLAT_AUDIO_MAX_BUFFERS][PLAT_AUDIO_MAX_SAMPLES];
    bool in_flight[PLAT_AUDIO_MAX_BUFFERS] = {};
    std::vector<int> fifo;
    int head_offset = 0;  // frames of the oldest buffer already played
    long submitted = 0;
    long starved_frames = 0;  // frames played from an empty queue
    std::vector<int16_t> played;

    void play(int frames) {
        for (int f = 0; f < frames; ++f) {
            if (fifo.empty()) {
                ++starved_frames;
                for (int c = 0; c < channels; ++c) played.push_back(0);
                continue;
            }
            int b = fifo.front();
            for (int c = 0; c < channels; ++c) played.push_back(buffers[b][head_offset * channels + c]);
            if (++head_offset == frames_per_buffer) {
                in_flight[b] = false;
                fifo.erase(fifo.begin());
                head_offset = 0;
            }
        }
    }
};
SimulatedDevice device;

}  // namespace

bool plat_audio_open(int, int channels, int frames_per_buffer, int count) {
    device.open = true;
    device.channels = channels;
    device.frames_per_buffer = frames_per_buffer;
    device.count = count;
    return true;
}
bool plat_audio_buffer_done(int i) { return device.open && i >= 0 && i < device.count && !device.in_flight[i]; }
int16_t* plat_audio_buffer(int i) { return plat_audio_buffer_done(i) ? device.buffers[i] : nullptr; }
void plat_audio_submit(int i) {
    if (!plat_audio_buffer_done(i)) return;
    device.in_flight[i] = true;
    device.fifo.push_back(i);
    ++device.submitted;
}

TEST(SoundRefill, AMinuteOfUnevenFramesNeverRunsDry) {
    snd_init();
    ASSERT_TRUE(snd_output_open());
    // Frame lengths in device frames at 44.1 kHz: a steady 60 Hz, a slow 40 Hz
    // stretch, and every ten seconds a stall as long as the loop allows.
    double clock = 0.0;
    long device_frames = 0;
    int k = 0;
    while (clock < 60.0) {
        double step = 1.0 / 60.0;
        if (clock > 20.0 && clock < 30.0) step = 1.0 / 40.0;
        if (k % 600 == 599) step = 0.05;
        if (k % 30 == 0) snd_play_at(SFX_FOOTSTEP, {1.0f, 0.0f, -2.0f}, 0.45f);
        if (k % 97 == 0) snd_play(SFX_CLICK, 0.7f);
        if (k % 600 == 300) snd_play(SFX_FANFARE, 0.8f);
        if (clock > 20.0 && clock < 21.0) snd_set_player_position({160.0f, 0.0f, 130.0f});
        snd_set_underground(clock > 30.0 && clock < 45.0);
        snd_update((float)step);
        clock += step;
        long due = (long)(clock * SND_RATE) - device_frames;
        device.play((int)due);
        device_frames += due;
        ++k;
    }
    EXPECT_EQ(device.starved_frames, 0);
    // Everything played was fed, and no more than the queue ahead of it.
    double fed = device.submitted * (double)SND_BUFFER_FRAMES / SND_RATE;
    EXPECT_GE(fed, 60.0);
    EXPECT_LE(fed, 60.0 + 0.2 + (double)SND_BUFFER_COUNT * SND_BUFFER_FRAMES / SND_RATE);
    // The mix always carries some wind: 256 zero frames in a row would be a hole.
    int run = 0, longest = 0;
    for (size_t i = 0; i + 1 < device.played.size(); i += 2) {
        run = (device.played[i] == 0 && device.played[i + 1] == 0) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_LT(longest, 256);
}
