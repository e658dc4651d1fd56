#pragma once
// The pause: the dialog that stops the world, with its actions (resume,
// change character, options, quit).
void pause_dialog_open();
