// The status record that the update worker writes and the window paints.
// Every access goes through these calls, which hold one lock, so the window
// always copies a complete record and never paints a half-written text.
#pragma once
#include "launcher/config.h"

enum LauncherState {
    STATE_CHECKING = 0,
    STATE_DOWNLOADING = 1,
    STATE_READY = 2,
    STATE_UNREACHABLE = 3,
    STATE_REPLACE_FAILED = 4,
    STATE_DOWNLOAD_FAILED = 5,
};

constexpr int LAUNCHER_STATUS_BYTES = 800;  // 199 UTF-16 units of UTF-8

struct LauncherStatus {
    int state;
    float progress;  // 0..1, negative: no bar
    char status_text[LAUNCHER_STATUS_BYTES];
    char new_version[LAUNCHER_VERSION_BYTES];
    char notes[LAUNCHER_MAX_NOTES][LAUNCHER_NOTE_BYTES];
    int note_count;
    char installed_version[LAUNCHER_INSTALLED_BYTES];
};

// A consistent copy of the record.
LauncherStatus launcher_status_get();
void launcher_status_reset();  // state 0, progress -1, everything empty

// Writers (the worker). The texts are cut at the record's limits on
// character boundaries.
void launcher_status_set(int state, float progress, const char* text);
void launcher_status_set_progress(float progress);
void launcher_status_set_release(const char* version, const char (*notes)[LAUNCHER_NOTE_BYTES], int count);
void launcher_status_set_installed(const char* version);

// The window asks to be told about changes; the worker calls
// launcher_request_repaint after each one. Null means nobody listens.
using RepaintHook = void (*)();
void launcher_set_repaint_hook(RepaintHook hook);
void launcher_request_repaint();
