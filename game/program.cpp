// The game program's entry point on every system: start-up, frames until the
// player quits, exit. (MinGW's start-up code calls main in a windowed program
// too, so Windows needs no WinMain.)
#include "game/main_loop.h"
#include "platform/platform.h"

int main(int, char**) {
    int code = game_main();
    plat_close_window();
    return code;
}
