// sound_wav FOLDER: writes every effect, every note, a minute of melody and a
// minute of each ambience (surface by a camp fire, catacombs) as WAV files.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/audio_out.h"
#include "platform/platform.h"
#include "sound/sound_internal.h"

// The sound module's only links to the rest of the game, provided here.
void log_printf(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stdout, fmt, args);
    va_end(args);
    std::fputc('\n', stdout);
}
bool plat_audio_open(int, int, int, int) { return false; }
bool plat_audio_buffer_done(int) { return false; }
int16_t* plat_audio_buffer(int) { return nullptr; }
void plat_audio_submit(int) {}

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back((uint8_t)(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back((uint8_t)v);
    out.push_back((uint8_t)(v >> 8));
}

bool write_wav(const char* folder, const char* name, const int16_t* samples, int frames,
               int channels) {
    std::vector<uint8_t> out;
    uint32_t data_bytes = (uint32_t)(frames * channels * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(out, 36 + data_bytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, 1);
    put16(out, (uint16_t)channels);
    put32(out, SND_RATE);
    put32(out, (uint32_t)(SND_RATE * channels * 2));
    put16(out, (uint16_t)(channels * 2));
    put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, data_bytes);
    for (int i = 0; i < frames * channels; ++i) put16(out, (uint16_t)samples[i]);
    char path[1024];
    std::snprintf(path, sizeof path, "%s/%s", folder, name);
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        std::fprintf(stderr, "sound_wav: cannot write %s\n", path);
        return false;
    }
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

bool write_bank_sound(const char* folder, const char* name, const SoundBuffer& b) {
    std::vector<int16_t> pcm((size_t)b.length);
    for (int i = 0; i < b.length; ++i) pcm[(size_t)i] = (int16_t)(b.samples[i] * 32767.0f);
    return write_wav(folder, name, pcm.data(), b.length, 1);
}

// A minute of the live mix, stepped like the game at 60 frames a second.
bool write_minute(const char* folder, const char* name) {
    const int frames = 60 * SND_RATE;
    std::vector<int16_t> pcm((size_t)frames * 2);
    int written = 0;
    while (written < frames) {
        snd_events(1.0f / 60.0f);
        int due = SND_RATE / 60;  // 735 frames per game frame
        if (due > frames - written) due = frames - written;
        snd_mix(&pcm[(size_t)written * 2], due);
        written += due;
    }
    return write_wav(folder, name, pcm.data(), frames, 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sound_wav FOLDER\n");
        return 2;
    }
    const char* folder = argv[1];
    snd_init();
    bool ok = true;
    char name[64];
    for (int id = 0; id < SND_EFFECT_COUNT; ++id) {
        std::snprintf(name, sizeof name, "effet-%02d.wav", id);
        ok = write_bank_sound(folder, name, snd_effects[id]) && ok;
    }
    for (int n = 0; n < SND_NOTE_COUNT; ++n) {
        std::snprintf(name, sizeof name, "note-%02d.wav", n);
        ok = write_bank_sound(folder, name, snd_notes[n]) && ok;
    }
    // Melody with drone, wind and birds, away from the fires.
    snd_set_player_position({0.0f, 0.0f, 400.0f});
    ok = write_minute(folder, "melodie.wav") && ok;
    // Surface ambience only (no music), 10 m from the first camp fire.
    snd_reset_state();
    snd_set_music_volume(0.0f);
    snd_set_player_position({170.0f, 0.0f, 124.0f});
    ok = write_minute(folder, "ambiance-surface.wav") && ok;
    // Catacombs: drips with their echo, deeper drone, stronger wind.
    snd_reset_state();
    snd_set_music_volume(0.8f);
    snd_set_underground(true);
    ok = write_minute(folder, "ambiance-catacombes.wav") && ok;
    std::printf("%s\n", ok ? "sound_wav: done" : "sound_wav: some files could not be written");
    return ok ? 0 : 1;
}
