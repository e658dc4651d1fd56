// Reading the options at start-up, applying them to the window, the mixer,
// the camera and the world, and writing them back.
#include "persist/options.h"

#include "persist/keyvalue.h"
#include "persist/save_queue.h"
#include "platform/platform.h"
#include "render/renderer.h"
#include "sound/sound.h"

static const char* const kOptionsFile = "tervanne-options.txt";

bool options_read() {
    options_defaults();
    static char text[OPTIONS_FILE_SIZE];
    int got = kv_files().read(kOptionsFile, text, sizeof text);
    if (got > 0) options_parse(text);
    options_apply_sound();
    render_gpu_log_every(options.gpu_timing ? GPU_TIMING_LOG_PERIOD : 0.0);
    return got > 0;
}

void options_apply_window() {
    int r = options.resolution;
    if (r < 0 || r >= RESOLUTION_COUNT) r = 2;
    plat_set_windowed_size(resolution_sizes[r][0], resolution_sizes[r][1]);
    if (options.fullscreen && !plat_is_fullscreen()) plat_toggle_fullscreen();
}

void options_write() {
    options.fullscreen = plat_is_fullscreen() ? 1 : 0;
    static char text[OPTIONS_FILE_SIZE];
    int length = options_build_text(text, sizeof text);
    if (length <= 0)
        options_save_told(kOptionsFile, SAVE_REFUSED);
    else
        save_now_or_later(SAVE_OPTIONS, kOptionsFile, text, length, 0);
}

void options_save_told(const char* name, SaveOutcome outcome) {
    if (outcome == SAVE_REFUSED) log_printf("Impossible d'écrire les options %s.", name);
}

void options_apply_sound() {
    snd_set_music_volume(options.music_volume);
    snd_set_effects_volume(options.effects_volume);
}

float player_mouse_sensitivity() { return options.sensitivity; }
bool player_mouse_inverted() { return options.invert_y != 0; }
int world_quality_level() { return options.quality; }
