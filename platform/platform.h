#pragma once
// The platform seam: the only calls through which the game talks to the
// window system, the GL context, the clock, files and sockets.
//
// Backend contract (what every backend -- platform/win32, platform/sdl,
// platform/headless -- must provide; everything is single-threaded and is
// called from the main loop, the thread calls included; a thread's body calls
// no plat_* function):
//
//  plat_open_window(title, w, h)  Create the one window with a GL 3.3
//      compatibility context made current (a plain context may stay if 3.3
//      cannot be had; gl_load decides), vsync on, raw relative mouse motion
//      available, client size in plat_input.client_width/height,
//      window_active set. Starts the clock (plat_time() == 0 here). If the
//      requested size plus frame does not fit the screen, the windowed
//      rectangle becomes 3/4 of the screen, centred, and the window goes
//      fullscreen at once.
//  plat_pump()  Start of frame: plat_input_begin_frame(), then dispatch every
//      waiting event into plat_input (keys as key indices, see below), then
//      toggle fullscreen if key 87 (F11) went down during this pump.
//  plat_close_window()  At exit: the GL context and the window go, the cursor
//      is set free, and the pad is let go. Nothing happens without a window.
//  plat_swap()  Present the back buffer (waits for the retrace).
//  plat_time()  Seconds since plat_open_window began, f64, monotonic source.
//  plat_window_framebuffer()  GL framebuffer that stands for "the window":
//      0 on real windows, an offscreen FBO on the headless backend.
//  plat_set_cursor_captured(on)  Hide and lock the cursor for mouse-look
//      (only then is mouse_delta filled); releasing puts the cursor back where
//      it was. Losing focus releases it.
//  plat_toggle_fullscreen / plat_is_fullscreen / plat_set_windowed_size
//      Borderless full-monitor versus the remembered windowed rectangle.
//  plat_key_name(key, out, cap)  UTF-8 display name of a key index from the
//      active layout; "touche %d" when the system has none; a single lowercase
//      ASCII letter is upper-cased. Always NUL-terminated within cap.
//  gl_proc(name)  Address of a GL entry point, or null.
//  plat_read_file / plat_write_file  Whole files beside the program file
//      (see plat_path_beside_program for the path rule).
//  plat_replace_file(from, to)  Both names beside the program: flushes from
//      to disk, then renames it over to in one step (an existing to is
//      replaced). On failure to is untouched and false is returned.
//      On Windows a read-only to is refused, as the system itself does (and
//      also under Wine, which would replace it).
//  The read, write and replace calls never wait: each answers at once.
//  plat_file_busy()  After a file call failed: true when another program
//      holds the file just now (sharing or lock violation, a busy file), so
//      the same call may pass a moment later; false for a refusal that will
//      not pass by itself (read-only file or folder, full disk, quota, a
//      missing file). Every file call sets it.
//  plat_claim_program_folder()  Takes, for the rest of the run, the lock that
//      says a game plays from the program's folder (an exclusive lock on
//      "tervanne-jeu.verrou" beside it). False only when another running game
//      holds it: a program that merely has the file open (a virus scanner, a
//      backup or sync tool) does not count; a folder where no lock can be
//      made does not stop the game.
//  plat_alert(text)  Tells the player something before any window exists: a
//      message box where there is a screen, and stderr. Waits for the box.
//  log_printf  One line of "tervanne-journal.txt" beside the program: at most
//      2040 bytes of text then CR LF, written at once; silently off for the
//      run when the file cannot be created, and after 1 MiB in all (one
//      closing line says so).
//  Pads: plat_pump also polls the first connected game pad once (SDL's game
//      controller API on Linux with its hot-plug events, XInput loaded at run
//      time on Windows) into plat_input.pad through the pad helpers of
//      backend_common.h;
//      with none connected pad.connected is 0 and everything else stays 0.
//  plat_pad_rumble(low, high, seconds)  Shakes the pad's two motors (0..1)
//      for that long when it has them; nothing otherwise.
//  plat_thread_start(t, fn, arg)  Runs fn(arg) on a new thread and returns
//      true; t must stay in place until plat_thread_join(t). When the system
//      refuses a thread (a process or quota limit, no address space) it
//      returns false and nothing runs: the caller does the work itself. It
//      never ends the program.
//  plat_thread_join(t)  Waits for the thread of a successful start; nothing
//      for one that was refused or already joined.
//  plat_usable_processors()  Processors this process may run on: its
//      affinity mask, capped by a CPU quota where the system has one (cgroup
//      cpu.max or the cfs quota on Linux). At least 1.
//  udp_*  One non-blocking IPv4 UDP socket; addresses and ports in host order.
//      udp_receive never hands over a cut datagram: one longer than the
//      buffer is dropped and the next one waiting is returned instead.
//
// Key index: bits 0-6 = set-1 scan code, bit 7 = extended-key flag, with right
// Shift (54) folded onto left Shift (42). Escape = 1, F11 = 87. Every backend
// produces the same indices, so bindings and saved files are identical.

#include <cstdint>

// The buttons of a pad, in the places of an Xbox pad; the triggers also count
// as buttons once pressed past half-way.
enum PadButton : int {
    PAD_A, PAD_B, PAD_X, PAD_Y, PAD_BACK, PAD_START, PAD_LSTICK, PAD_RSTICK, PAD_LB, PAD_RB,
    PAD_UP, PAD_DOWN, PAD_LEFT, PAD_RIGHT, PAD_LT, PAD_RT, PAD_BUTTON_COUNT
};
enum PadAxis : int { PAD_LX, PAD_LY, PAD_RX, PAD_RY, PAD_LTRIGGER, PAD_RTRIGGER, PAD_AXIS_COUNT };

struct PadState {
    uint8_t connected;
    uint8_t can_rumble;
    uint32_t buttons;       // bit (1 << PadButton) held now
    uint32_t buttons_prev;  // the same one frame before
    // Sticks -1..1 with y positive downward, raw (no dead zone); triggers 0..1.
    float axes[PAD_AXIS_COUNT];
};

struct InputState {
    int32_t client_width, client_height;
    uint8_t key_down[256];
    uint8_t key_down_prev[256];
    float mouse_delta[2];
    float wheel;
    int32_t mouse_x, mouse_y;
    uint8_t button_down[3];
    uint8_t button_down_prev[3];
    uint8_t key_pressed[256];
    uint8_t button_pressed[3];
    uint8_t cursor_captured;
    uint8_t quit_requested;
    uint8_t window_active;
    char text_input[64];
    int32_t text_input_length;
    PadState pad;
    // Which the player touched last, the pad (1) or the keyboard and mouse
    // (0): the hints on screen follow it.
    uint8_t pad_used_last;
};

// The one input snapshot of the game; valid from the end of one plat_pump to
// the start of the next.
extern InputState plat_input;

enum : int {
    KEY_ESCAPE = 1,
    KEY_LSHIFT = 42,
    KEY_RSHIFT = 54,
    KEY_F4 = 62,
    KEY_F11 = 87,
    KEY_EXTENDED = 0x80,
};

// ---- Backend calls ----------------------------------------------------------
void plat_open_window(const char* title, int client_width, int client_height);
void plat_pump();
void plat_close_window();
void plat_swap();
double plat_time();
uint32_t plat_window_framebuffer();
void plat_set_cursor_captured(bool captured);
// The game asks to end, as the window's close does: quit_requested is set
// and the main loop stops after this frame.
void plat_request_quit();
void plat_toggle_fullscreen();
bool plat_is_fullscreen();
void plat_set_windowed_size(int client_width, int client_height);
void plat_key_name(int key_index, char* out, int capacity);
void* gl_proc(const char* name);
void plat_pad_rumble(float low, float high, float seconds);

int plat_read_file(const char* name, char* buffer, int capacity);
bool plat_write_file(const char* name, const void* data, int length);
bool plat_replace_file(const char* from_name, const char* to_name);
bool plat_file_busy();
bool plat_claim_program_folder();
void plat_alert(const char* text);
// The launcher moves itself aside ("<name>.ancien") before renaming its new
// copy in; stopped in between, it leaves no launcher. Puts the old copy back
// under the launcher's name, never over a file of that name. True when done.
bool plat_restore_launcher();
void log_printf(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// A thread of the platform: fn and arg are kept here for the new thread to
// read, so no start allocates. started: between a successful start and join.
struct PlatThread {
    void (*fn)(void*);
    void* arg;
    uintptr_t handle;
    bool started;
};
bool plat_thread_start(PlatThread* thread, void (*fn)(void*), void* arg);
void plat_thread_join(PlatThread* thread);
int plat_usable_processors();

bool udp_open();
void udp_close();
bool udp_send(uint32_t address, uint16_t port, const void* data, int length);
int udp_receive(void* buffer, int capacity, uint32_t* out_address, uint16_t* out_port);
bool udp_resolve(const char* host, uint32_t* out_address);

// Appends one typed code point to the snapshot's text as UTF-8; control
// characters and surrogate halves are ignored; a character that would pass 63
// bytes is dropped. The backends type through it, and so does the pad's
// on-screen keyboard.
void plat_input_text(InputState& in, uint32_t code_point);

// ---- Pads (platform_pad.cpp) ------------------------------------------------
bool pad_held(const PadState& pad, int button);
bool pad_pressed(const PadState& pad, int button);
// A stick with a round dead zone (0..0.9): inside it 0, beyond it the rest of
// the travel rescaled to 0..1 so the speed starts from nothing at its edge.
void pad_stick(float x, float y, float dead_zone, float* out_x, float* out_y);
