#pragma once
// Recording and replaying the per-frame input snapshots: scripted play runs
// the real game from a sequence of snapshots, as demo files do.
#include <cstdint>

#include "platform/platform.h"

// Applies a recorded snapshot to the live one at the start of a frame, the way
// a backend's event dispatch would: keys and buttons through the down/up
// rules (so key_pressed appears once), motion, wheel, cursor, the pad's
// reading and typed text.
void input_script_apply(InputState& live, const InputState& recorded);

// Text form, one line per frame: keys held, buttons held, mouse delta, wheel,
// cursor, quit flag, the pad (only on frames where one is connected) and
// typed text. Returns bytes written (without NUL), or -1
// when it does not fit.
int input_script_write(const InputState* frames, int count, char* out, int capacity);
// Parses what input_script_write produced; returns the frame count read
// (at most capacity), or -1 on a malformed line.
int input_script_read(const char* text, InputState* frames, int capacity);
