#pragma once
// The frame's input, handed out once from the top down: the modal dialog,
// the windows, the bar and the spellbook, then play. Each says whether it
// took the key, click or button; what one took, the next does not see.
// The modal dialog first, before the pause test: closing the pause dialog
// resumes the simulation in the same frame.
void route_dialog_input();
// The rest of the chain; nothing while paused or on the character screens.
void route_frame_input();
