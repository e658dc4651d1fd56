#include "launcher/status.h"

#include <atomic>
#include <cstring>
#include <mutex>

namespace {

std::mutex status_lock;
LauncherStatus status = {STATE_CHECKING, -1.0f, {}, {}, {}, 0, {}};
std::atomic<RepaintHook> repaint_hook{nullptr};

void copy_units(char* dst, const char* src, size_t max_units) {
    size_t n = utf8_prefix_units(src, strlen(src), max_units);
    memcpy(dst, src, n);
    dst[n] = 0;
}

}  // namespace

LauncherStatus launcher_status_get() {
    std::lock_guard<std::mutex> g(status_lock);
    return status;
}

void launcher_status_reset() {
    std::lock_guard<std::mutex> g(status_lock);
    char installed[LAUNCHER_INSTALLED_BYTES];
    memcpy(installed, status.installed_version, sizeof installed);
    memset(&status, 0, sizeof status);
    status.progress = -1.0f;
    memcpy(status.installed_version, installed, sizeof installed);
}

void launcher_status_set(int state, float progress, const char* text) {
    std::lock_guard<std::mutex> g(status_lock);
    status.state = state;
    status.progress = progress;
    copy_units(status.status_text, text, 199);
}

void launcher_status_set_progress(float progress) {
    std::lock_guard<std::mutex> g(status_lock);
    status.progress = progress;
}

void launcher_status_set_release(const char* version, const char (*notes)[LAUNCHER_NOTE_BYTES], int count) {
    std::lock_guard<std::mutex> g(status_lock);
    utf8_copy(status.new_version, sizeof status.new_version, version);
    if (count > LAUNCHER_MAX_NOTES) count = LAUNCHER_MAX_NOTES;
    for (int i = 0; i < count; i++) copy_units(status.notes[i], notes[i], 160);
    status.note_count = count;
}

void launcher_status_set_installed(const char* version) {
    std::lock_guard<std::mutex> g(status_lock);
    utf8_copy(status.installed_version, sizeof status.installed_version, version);
}

void launcher_set_repaint_hook(RepaintHook hook) { repaint_hook.store(hook); }

void launcher_request_repaint() {
    if (RepaintHook h = repaint_hook.load()) h();
}
