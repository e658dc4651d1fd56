#pragma once
// The windows' own keys, asked before play in the frame's input route.

// The window keys (map, spellbook, character, journal, professions, and the
// pad's Back for the map); true when one acted, which keeps the rest of this
// frame's keys from play.
bool screen_keys_input();
// Escape (or the pad's B) taken by an open window that closes on it: the
// journal, the big map, and the sheet, spellbook or professions for the pad.
bool screens_take_escape(bool escape);
// Escape taken by the shop or the loot window, which close on it.
bool item_windows_take_escape(bool escape);
