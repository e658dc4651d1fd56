// Finds the game window and asks it to close, as a player clicking the
// cross would. Usage: fermer-fenetre.exe [seconds to wait, default 60]
// Exit code 0 when WM_CLOSE was posted, 1 when no window appeared in time.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    int seconds = argc > 1 ? atoi(argv[1]) : 60;
    if (seconds <= 0) seconds = 60;
    DWORD deadline = GetTickCount() + (DWORD)seconds * 1000;
    for (;;) {
        HWND w = FindWindowW(L"QuarnFenetre", nullptr);
        if (w && PostMessageW(w, WM_CLOSE, 0, 0)) {
            printf("fermer-fenetre: WM_CLOSE posted\n");
            return 0;
        }
        if ((LONG)(GetTickCount() - deadline) >= 0) break;
        Sleep(100);
    }
    printf("fermer-fenetre: no QuarnFenetre window within %d s\n", seconds);
    return 1;
}
