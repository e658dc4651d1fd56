// Sound start-up and the refill from the main loop against SDL's audio queue.
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

// One minute of play at 60 frames a second, paced by the real clock, with
// effects, music, a visit to the catacombs and a camp fire on the way. The
// device must never find its queue empty.
TEST(SoundOutput, ScriptedMinuteNeverRunsDry) {
    const char* file = "sound_output_minute.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file, 1);
    snd_init();
    ASSERT_TRUE(logged("Son : 44100 Hz, stéréo.")) << "SDL disk audio driver unavailable";
    ASSERT_TRUE(snd_output_open());
    EXPECT_EQ(buffers_done(), SND_BUFFER_COUNT);  // all marked done at start

    const double step = 1.0 / 60.0;
    const int frames = 60 * 60;
    int underruns = 0, submitted = 0;
    auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < frames; ++k) {
        std::this_thread::sleep_until(start + std::chrono::duration<double>(k * step));
        if (k % 30 == 0) snd_play_at(3, {1.0f, 0.0f, -2.0f}, 0.45f);
        if (k % 97 == 0) snd_play(8, 0.7f);
        if (k % 600 == 300) snd_play(14, 0.8f);
        if (k == 1200) snd_set_player_position({160.0f, 0.0f, 130.0f});
        if (k == 1800) snd_set_underground(true);
        if (k == 2700) snd_set_underground(false);
        int done = buffers_done();
        if (k > 0 && done == SND_BUFFER_COUNT) ++underruns;
        snd_update((float)step);
        submitted += done - buffers_done();
    }
    double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(underruns, 0);
    // The device took about a minute of sound: the refill kept pace with it.
    double seconds_fed = submitted * (double)SND_BUFFER_FRAMES / SND_RATE;
    EXPECT_GT(seconds_fed, elapsed - 1.0);
    EXPECT_LT(seconds_fed, elapsed + 1.0);
    SDL_Quit();  // closes the device and its file

    // What the device wrote has no gap of silence inside the stream: the mix
    // always carries some wind, so 256 zero frames in a row mean an underrun.
    FILE* f = std::fopen(file, "rb");
    ASSERT_NE(f, nullptr);
    std::vector<int16_t> pcm(2 * (size_t)SND_RATE * 70);
    size_t got = std::fread(pcm.data(), 4, pcm.size() / 2, f);
    std::fclose(f);
    std::remove(file);
    ASSERT_GT(got, (size_t)SND_RATE * 55);
    // The first device period may be silence before the first refill, and
    // the tail plays out after the last one.
    size_t first = 2 * SND_BUFFER_FRAMES, last = std::min(got, (size_t)submitted * SND_BUFFER_FRAMES);
    int run = 0, longest = 0;
    for (size_t i = first; i + 8 * SND_BUFFER_FRAMES < last; ++i) {
        run = (pcm[2 * i] == 0 && pcm[2 * i + 1] == 0) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_LT(longest, 256);
}

}  // namespace
