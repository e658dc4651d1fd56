// The all-or-nothing gift of a chest or a reward (the catacomb chest reaches
// it through play_calls, where a test may put a bag of its own).
#include "play/items.h"

bool give_items_fit(const int* ids, int count, const char* source) {
    if (!ids || count < 0) return false;
    // All or nothing: the caller keeps its chest or reward when they do not fit.
    if (!bag_can_hold(ids, count)) return false;
    for (int i = 0; i < count; ++i) give_item(ids[i], source);
    return true;
}
