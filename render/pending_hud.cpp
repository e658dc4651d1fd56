// Stand-ins until text, interface and HUD land; deleted by them.
#include "platform/frame_steps.h"
void title_card_present() {}
void hud_dialog_input() {}
void hud_update(float) {}
void hud_draw() {}
void ui_flush() {}
