// Entry point of the Linux build.
#include "platform/main_loop.h"
#include "platform/sdl/sdl_backend.h"

int main(int, char**) {
    int code = game_main();
    sdl_close_window();
    return code;
}
