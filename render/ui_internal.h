#pragma once
// Between the 2D batch, its text drawing and the HUD's labels over the world:
// the record of the texts drawn, and the batch's own bookkeeping.
#include "render/ui_rect.h"

// Whether a record is kept (texts then report their ink).
bool ui_recording();
// One line drawn, with the ink of its letters, into the current box.
void ui_record_text(const char* text, int length, float x0, float y0, float x1, float y1, float size);

// Counts the batches: a new one begins at every flush (or clear), so a mark
// taken in an earlier batch is known to be stale.
int ui_batch_serial();
// Takes vertices [from, to) out of the batch; later ones move down.
void ui_batch_cut(int from, int to);
// The same for the record's texts [from, to) (ui_recorded_text_count marks).
void ui_record_cut(int from, int to);

// Every box begun in this batch outside the labels' free groups: the panels,
// windows, rows and tooltips drawn so far.
int ui_frame_panels(const UiRect** out);
