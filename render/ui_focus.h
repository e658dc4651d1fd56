#pragma once
// The pad on screens: every screen offers the places a click can go as it
// draws them; the pad moves a visible focus between them with the d-pad or
// the left stick, and A, B and X act there as a left click, Escape and a
// right click. Places kept to a screen's own list, nothing else to learn.

enum UiPlaceKind : int {
    UI_PLACE_PLAIN = 0,
    UI_PLACE_CARRY = 1,  // A picks up what is there, the next A puts it down
    UI_PLACE_TEXT = 2,   // A opens the pad's letter board for this field
};

// Offers a place for the next frames (call while drawing the screen).
void ui_focus_add(float x, float y, float w, float h, int kind = UI_PLACE_PLAIN);
// A modal layer (the dialog, the options) starts: places offered before it
// in this frame are dropped.
void ui_focus_modal();
// The screen moves its own content with the left stick and the triggers
// (the maps pan and zoom): the stick does not move the focus there.
void ui_focus_claim_stick();

// Right after the pump: moves the focus and turns the pad's buttons into the
// pointer's clicks on it, written into the snapshot game/ hands over (the
// pad is a pointer for the screens). Screens with places own the pad for
// the frame.
struct InputState;
void ui_focus_frame(InputState& in);
// After the interface is drawn: the focus frame and the letter board, then
// the places drawn in this frame become those the pad moves between.
void ui_focus_draw();

// A screen waits for a pad button of its own (a binding being changed):
// while set, the pad's buttons move and click nothing.
void ui_focus_set_capture(bool on);

// Something is carried by the pad (picked up with A, not yet put down).
bool ui_focus_carrying();

// A screen has the pad this frame (the pad does not play meanwhile).
bool ui_focus_has_pad();
// B (or Start) was pressed on a screen this frame: back out of it.
bool ui_focus_back_pressed();
// Whether hints should name pad buttons (the pad was used last).
bool ui_focus_pad_hints();
// The centre of the focus (tests, pictures).
bool ui_focus_centre(float* x, float* y);
// The letter board's focused key (row × 10 + column), -1 while it is closed.
int ui_focus_board_key();
