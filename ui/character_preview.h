#pragma once
// The turning portrait of the character sheet.

void character_preview_render();
