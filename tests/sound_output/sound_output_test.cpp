// Sound start-up without a device, and SDL's audio queue as the game feeds it.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio_out.h"
#include "platform/platform.h"
#include "sound/sound_internal.h"

// The sound module's links to the rest of the game, provided by the test.
static std::vector<std::string> log_lines;
void log_printf(const char* fmt, ...) {
    char line[2048];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    log_lines.push_back(line);
}

namespace {

bool logged(const char* text) {
    for (const std::string& l : log_lines)
        if (l == text) return true;
    return false;
}

int buffers_done() {
    int n = 0;
    for (int i = 0; i < SND_BUFFER_COUNT; ++i) n += plat_audio_buffer_done(i);
    return n;
}

TEST(SoundOutput, NoDeviceRunsSilently) {
    setenv("SDL_AUDIODRIVER", "aucun-pilote", 1);
    snd_init();
    EXPECT_TRUE(logged("Son : aucune sortie audio disponible."));
    EXPECT_FALSE(logged("Son : 44100 Hz, stéréo."));
    EXPECT_FALSE(snd_output_open());
    EXPECT_EQ(plat_audio_buffer(0), nullptr);
    // The game goes on: triggers still take voices, updates mix nothing.
    snd_play(8, 1.0f);
    snd_play_at(0, {0.0f, 0.0f, -3.0f}, 1.0f);
    for (int k = 0; k < 300; ++k) snd_update(1.0f / 60.0f);
    int busy = 0;
    for (const Voice& v : snd_voices) busy += v.active;
    EXPECT_GE(busy, 2);
    EXPECT_EQ(buffers_done(), 0);
}

// SDL's queue as the game uses it, on the disk driver (a device that plays
// in real time into a file): buffers submitted play whole and in order, and
// each counts as done again once played. The refill's pace is checked
// against a simulated clock in sound_refill_test.cpp; here the clock only
// bounds the wait.
TEST(SoundOutput, SdlQueuePlaysBuffersWholeAndInOrder) {
    const char* file = "sound_output_queue.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file, 1);
    const int frames = 1024, count = 6;
    ASSERT_TRUE(plat_audio_open(44100, 2, frames, count)) << "SDL disk audio driver unavailable";
    // Each buffer carries its number in every sample.
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < count; ++i) {
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!plat_audio_buffer_done(i) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            ASSERT_TRUE(plat_audio_buffer_done(i)) << "buffer " << i << " never played";
            int16_t* b = plat_audio_buffer(i);
            ASSERT_NE(b, nullptr);
            for (int s = 0; s < frames * 2; ++s) b[s] = (int16_t)(1000 * (round * count + i + 1));
            plat_audio_submit(i);
            EXPECT_FALSE(plat_audio_buffer_done(i));
            plat_audio_submit(i);  // not done: ignored, not queued twice
        }
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (buffers_done() < count && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(buffers_done(), count);
    SDL_Quit();  // closes the device and its file

    FILE* f = std::fopen(file, "rb");
    ASSERT_NE(f, nullptr);
    std::vector<int16_t> pcm(2 * 44100 * 4);
    size_t got = std::fread(pcm.data(), 4, pcm.size() / 2, f);
    std::fclose(f);
    std::remove(file);
    // Silence may come before the first buffer and between late ones; the
    // buffers' own samples come whole, each once, in the order submitted.
    std::vector<int> order;
    int run = 0;
    for (size_t i = 0; i < got; ++i) {
        int v = pcm[2 * i];
        if (v == 0) continue;
        if (order.empty() || order.back() != v / 1000 || run == frames) {
            if (!order.empty()) {
                EXPECT_EQ(run, frames) << "buffer " << order.back() << " cut";
            }
            order.push_back(v / 1000);
            run = 0;
        }
        ++run;
    }
    std::vector<int> expected;
    for (int n = 1; n <= 2 * count; ++n) expected.push_back(n);
    EXPECT_EQ(order, expected);
}

}  // namespace
