#pragma once
// The options screen, opened from the pause menu.
#include "render/hud.h"

void options_open();
void options_screen();  // drawn and handled while open
// The button that shows the pad's buttons in place of the keys (and back).
UiRect options_page_button_box();
// The "Accessibilité" button at the foot (tests).
UiRect options_access_button_box();
