#pragma once
// Layout of the professions window (also what the tests click on).
#include "render/hud.h"

UiRect professions_box();
UiRect professions_close_box();
UiRect profession_row_box(int profession);
// Row k of the recipe list and its "Fabriquer" button.
UiRect recipe_row_box(int k);
UiRect recipe_button_box(int k);
// Recipe index shown at row k for the selected craft, or -1.
int professions_recipe_at_row(int k);
// Colour of "niveau %d" for a gap of profession level minus recipe level.
Vec4 recipe_level_colour(int gap);
// The same told by bars (drawn with a colour-vision correction): 4 out of
// reach (red), 3 orange, 2 yellow, 1 green, 0 grey.
int recipe_level_steps(int gap);
// Opens (closing the other windows) or closes the window.
void professions_open(bool open);
void anvil_label_draw();      // over the world, with the figures' labels
void crafting_labels_draw();  // the harvest's bar (HUD pass)
void professions_draw();
