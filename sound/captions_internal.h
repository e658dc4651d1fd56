#pragma once
// The captions' table, shared by the ring and the tests.
#include <cstdint>

#include "sound/captions.h"

struct CaptionRow {
    const char* text;     // null: no caption
    uint8_t others_only;  // not when it sounds at the player's own feet
};
extern const CaptionRow snd_caption_rows[SND_CAPTION_COUNT];
extern const char* const snd_direction_names[5];

// Within this of the player's feet a sound is the player's own (a step, a
// swing, a shot from the hand), and has no direction.
constexpr float SND_CAPTION_OWN_RADIUS = 1.5f;
