#pragma once
// The options screen, opened from the pause menu.

void options_open();
void options_screen();  // drawn and handled while open
