#pragma once
// The action bar and the spellbook on screen: their presses and drags, and
// where their boxes are.
#include "play/skills.h"
#include "render/ui_rect.h"

void spellbook_toggle();
// Presses, drags and releases on the bar and the spellbook. Returns true
// while the interface owns the left button (the world then ignores it).
bool interface_mouse_update();
// Rectangles, for tests: slot i of the bar, cell i (sorted order) of the book.
UiRect bar_slot_box(int i);
UiRect spellbook_box();
UiRect spellbook_cell_box(int i);
UiRect spellbook_close_box();
// Skill slots in the book's order (level, then slot).
void spellbook_order(int order[SKILLS_PER_CLASS]);
void bar_draw();
void spellbook_draw();
void skill_drag_draw();  // the skill icon being dragged, if any
