// The frame step that renders the character preview while the character
// sheet is open. The sheet's own submitter (with the player's model and its
// preview camera) takes this over; until it exists nothing is drawn.
#include "platform/frame_steps.h"

void character_preview_render() {}
