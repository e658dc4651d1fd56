#pragma once
// Between the 2D batch and its text drawing: the record of the texts drawn.

// Whether a record is kept (texts then report their ink).
bool ui_recording();
// One line drawn, with the ink of its letters, into the current box.
void ui_record_text(const char* text, int length, float x0, float y0, float x1, float y1, float size);
