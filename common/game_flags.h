#pragma once
// The game's flags in one record, read by every layer: whether the world
// stands still, which world the player is in, and which screens are open.
// game/ owns it; the screens open and close themselves through it, and the
// frame's input route reads it to know who sees the keys.
#include <cstdint>

// The windows over play; each window's code opens and closes itself.
struct ScreenFlags {
    uint8_t options;
    uint8_t journal;
    uint8_t spellbook;
    uint8_t map;
    uint8_t professions;
    uint8_t merchant;
    uint8_t loot;
};

struct GameFlags {
    uint8_t paused;       // the pause or the options: the world stands still
    uint8_t underground;  // set on the way down into the catacombs and back
    // The title overlay shown from start-up until the player's first click.
    uint8_t title_overlay;
    // The character screens, which take the input away from play, and the
    // character sheet (with the bag).
    uint8_t character_creation_open;
    uint8_t character_select_open;
    uint8_t character_sheet_open;
    ScreenFlags windows;
};
extern GameFlags game_flags;
