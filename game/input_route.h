#pragma once
// The frame's input, handed out once from the top down: the modal dialog,
// the windows, the bar and the spellbook, then play. Each says whether it
// took the key, click or button; what one took, the next does not see.
// After the dialog (hud_dialog_input, before the pause test): the rest of
// the chain, nothing while paused or on the character screens.
void route_frame_input();
