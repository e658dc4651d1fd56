// Stand-ins for the windows and labels that hud_draw calls; each part of the
// game replaces its own when it lands.
#include "platform/main_loop.h"
#include "render/hud.h"

void character_creation_draw() {}
void character_select_draw() {}
void options_screen() {}

// Openers used by the pause dialog.
void character_select_show() { character_select_open = 1; }
void options_open() {
    hud_windows.options = 1;
    paused = 1;
}
