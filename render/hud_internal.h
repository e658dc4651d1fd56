#pragma once
// Shared between the HUD's service file and its drawing file.

// Draws the open dialog with the current layout.
void hud_draw_dialog();
