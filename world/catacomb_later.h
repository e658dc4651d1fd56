#pragma once
// What the catacombs ask of the bag, which lands with the items; until then
// world/pending_catacomb_items.cpp answers.

// Gives every one of the items (with the source text of the log line) when
// the bag can hold them all; otherwise gives none and returns false.
bool give_items_fit(const int* ids, int count, const char* source);
