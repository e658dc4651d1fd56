// Stand-ins for the windows and labels that hud_draw calls; each part of the
// game replaces its own when it lands.
#include "platform/main_loop.h"
#include "render/hud.h"

void merchant_label_draw() {}
void minimap_draw() {}
void character_sheet_draw() {}
void map_screen_draw() {}
void crafting_labels_draw() {}
void professions_draw() {}
void merchant_window_draw() {}
void loot_window_draw() {}
void interaction_cursor_draw() {}
