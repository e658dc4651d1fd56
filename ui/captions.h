#pragma once
// The sounds' captions ("sous_titres"): a short line for each sound heard
// nearby, with where it came from, while the option is on.

constexpr int CAPTION_LINES_MAX = 3;
constexpr double CAPTION_SECONDS = 5.0;  // on screen after the sound was last heard
constexpr double CAPTION_FADE_SECONDS = 1.5;

struct CaptionLine {
    char text[96];
    float alpha;  // 1 while fresh, down to 0 over the last CAPTION_FADE_SECONDS
};

// The lines that show now, newest first; none while the option is off.
int captions_lines(CaptionLine out[CAPTION_LINES_MAX]);
// Draws them where no panel, bar or window of this frame lies: called after
// every other panel of the frame, before the labels give way (they give way
// to the captions too).
void captions_draw();
