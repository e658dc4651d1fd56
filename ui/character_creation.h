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
