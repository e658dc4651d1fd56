#pragma once
// The options screen, opened from the pause menu.

void options_open();
