#pragma once
// The creation screen.
#include "play/player.h"
#include "render/hud.h"

void character_creation_open_new();
// The new character saved in the first free slot and into play; false when
// the list is full.
bool character_creation_commit();
void character_creation_open_edit();
// While the appearance is being edited: the looks and heading from before
// the edit, which "Valider" has not yet replaced; false otherwise.
bool character_creation_confirmed_look(AppearanceChoice* look, float* heading);
// Random name for a sex, from the screen's own generator.
const char* character_random_name(bool woman);

// True while the character screens show the close portrait view.
bool player_presentation_portrait();
void character_creation_draw();
// Where the buttons that go forward stand: "Suivant" on the class step,
// "Commencer" (or "Valider") on the second.
UiRect character_creation_next_box();
UiRect character_creation_finish_box();

// The two buttons under the preview beside a panel that ends at panel_right,
// centred at 0.68 of the width; narrower and moved right where a large text
// leaves too little room beside the panel. Returns the pair's centre.
float character_preview_buttons(float panel_right, UiRect* left, UiRect* right);
// A caption over the preview, centred on the buttons and made smaller where
// it would not fit between the panel and the screen's edge.
void character_preview_caption(float panel_right, float y, const char* text, float size);
