#pragma once
// The options shared by every character: volumes, mouse, window, quality,
// the 26 key bindings and the accessibility settings (the text size is
// hud_text_size, render/hud.h), kept in "tervanne-options.txt".
#include <cstdint>

#include "persist/save_queue.h"

constexpr int OPTIONS_FILE_SIZE = 4096;
constexpr int RESOLUTION_COUNT = 4;
extern const int resolution_sizes[RESOLUTION_COUNT][2];

struct Options {
    float music_volume;    // 0 .. 1
    float effects_volume;  // 0 .. 1
    float sensitivity;     // 0.25 .. 2.5
    uint8_t invert_y;
    uint8_t fullscreen;
    int32_t resolution;    // 0 .. 3
    int32_t quality;       // 0 basse, 1 moyenne, 2 haute
    uint8_t gpu_timing;    // logs the GPU time of each pass once a minute
    uint8_t sound_captions;  // a line on screen for each sound heard nearby
};
// How often the GPU times are logged when "mesures_gpu" is on, in seconds.
constexpr double GPU_TIMING_LOG_PERIOD = 60.0;
extern Options options;

// Defaults for everything, bindings included.
void options_defaults();
// Applies a file's text over the current values with every range rule.
void options_parse(const char* text);
// The file's text (fullscreen as given); bytes written, -1 when it did not fit.
int options_build_text(char* out, int capacity);
// Whether a key index may be bound (Escape and F11 never are).
bool options_key_bindable(int key);

bool options_read();
void options_apply_window();
// Written now, or kept while another program holds the file (save_queue.h).
void options_write();
void options_save_told(const char* name, SaveOutcome outcome);
// The volumes to the mixer.
void options_apply_sound();

float player_mouse_sensitivity();
bool player_mouse_inverted();
// The graphics quality option (0..2): ambient occlusion is on at 2.
int world_quality_level();
