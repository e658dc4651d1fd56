// Tervanne-lanceur for Linux: the same update check and the same window,
// painted by software into an SDL window, starting "Tervanne" beside it.
#include <SDL.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "launcher/layout.h"
#include "launcher/launcher_io.h"
#include "launcher/sdl/canvas.h"
#include "launcher/status.h"
#include "launcher/update.h"

extern char** environ;

namespace {

Uint32 repaint_event;
SDL_Window* window;
float scale = 1.0f;
int hover = HOVER_NONE;
char game_path[LAUNCHER_PATH_BYTES];
LauncherScene scene;

void post_repaint() {
    SDL_Event e{};
    e.type = repaint_event;
    SDL_PushEvent(&e);
}

void start_worker() {
    if (!launcher_worker_claim()) return;  // a check is still running
    std::thread(launcher_worker_body).detach();
}

void paint() {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface) return;
    const LauncherStatus st = launcher_status_get();
    launcher_layout(st, lfs_exists(game_path), hover, scale, surface->w, surface->h, &scene);
    static uint32_t* pixels;
    static int cap;
    if (cap < surface->w * surface->h) {
        delete[] pixels;
        cap = surface->w * surface->h;
        pixels = new uint32_t[cap];
    }
    // Painted off-screen first, then copied in one block: no flicker.
    canvas_paint(scene, pixels, surface->w, surface->h, surface->w);
    SDL_ConvertPixels(surface->w, surface->h, SDL_PIXELFORMAT_ARGB8888, pixels, surface->w * 4,
                      surface->format->format, surface->pixels, surface->pitch);
    SDL_UpdateWindowSurface(window);
}

bool start_game() {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    // The game runs in the launcher's folder and outlives the launcher.
    posix_spawn_file_actions_addchdir_np(&actions, launcher_folder[0] ? launcher_folder : ".");
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    char* argv[] = {game_path, nullptr};
    pid_t pid;
    int rc = posix_spawn(&pid, game_path, &actions, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Tervanne", "Impossible de lancer Tervanne.exe.", window);
        return false;
    }
    return true;
}

}  // namespace

int main(int, char**) {
    char self[LAUNCHER_PATH_BYTES];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    self[n > 0 ? n : 0] = 0;
    launcher_set_paths(self);
    launcher_startup();
    launcher_path(game_path, LAUNCHER_GAME_FILE, "");

    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "Tervanne-lanceur : SDL_Init : %s\n", SDL_GetError());
        return 1;
    }
    float ddpi, hdpi, vdpi;
    if (SDL_GetDisplayDPI(0, &ddpi, &hdpi, &vdpi) == 0) scale = launcher_scale((int)(vdpi + 0.5f));
    canvas_load_fonts();

    int w, h;
    launcher_client_size(scale, &w, &h);
    window = SDL_CreateWindow("Tervanne — lanceur", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, 0);
    if (!window) {
        fprintf(stderr, "Tervanne-lanceur : fenêtre : %s\n", SDL_GetError());
        return 1;
    }
    SDL_Cursor* arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    SDL_Cursor* hand = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
    repaint_event = SDL_RegisterEvents(1);
    launcher_set_repaint_hook(post_repaint);
    paint();
    start_worker();

    bool running = true;
    SDL_Event e;
    while (running && SDL_WaitEvent(&e)) {
        if (e.type == repaint_event) {
            // Several requests may be queued; one paint covers them all.
            SDL_FlushEvent(repaint_event);
            paint();
            continue;
        }
        switch (e.type) {
        case SDL_QUIT: running = false; break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) paint();
            // Leaving the window clears the hover, as on Windows.
            if (e.window.event == SDL_WINDOWEVENT_LEAVE && hover != HOVER_NONE) {
                hover = HOVER_NONE;
                SDL_SetCursor(arrow);
                paint();
            }
            break;
        case SDL_MOUSEMOTION: {
            int now = launcher_hover_at(scale, w, e.motion.x, e.motion.y);
            if (now != hover) {
                hover = now;
                SDL_SetCursor(hover ? hand : arrow);
                paint();
            }
            break;
        }
        case SDL_MOUSEBUTTONUP: {
            if (e.button.button != SDL_BUTTON_LEFT) break;
            int at = launcher_hover_at(scale, w, e.button.x, e.button.y);
            const int state = launcher_status_get().state;
            if (at == HOVER_QUIT) {
                running = false;
            } else if (at == HOVER_MAIN) {
                if (state == STATE_REPLACE_FAILED) start_worker();
                else if (can_play(state, lfs_exists(game_path)) && start_game()) running = false;
            }
            break;
        }
        }
    }
    launcher_set_repaint_hook(nullptr);
    SDL_DestroyWindow(window);
    SDL_Quit();
    // A worker may still be running; the process ends with it.
    fflush(stdout);
    _exit(0);
}
