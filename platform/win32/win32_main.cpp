// Entry point of the Windows game: the main routine's result is the exit code.
#include <windows.h>

#include "platform/main_loop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return game_main();
}
