// Stand-ins for the windows and labels that hud_draw calls; each part of the
// game replaces its own when it lands.
#include "platform/main_loop.h"
#include "render/hud.h"

void seneschal_labels_draw() {}
void merchant_label_draw() {}
void lady_label_draw() {}
void quest_givers_labels_draw() {}
void world_figures_labels_draw() {}
void minimap_draw() {}
void character_sheet_draw() {}
void quest_journal_draw() {}
void map_screen_draw() {}
void crafting_labels_draw() {}
void professions_draw() {}
void merchant_window_draw() {}
void loot_window_draw() {}
void interaction_cursor_draw() {}
