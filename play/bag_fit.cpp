// The catacomb chest's all-or-nothing gift, alone in its file so that a test
// of the catacombs can stand in for it.
#include "play/items.h"

bool give_items_fit(const int* ids, int count, const char* source) {
    if (!ids || count < 0) return false;
    // All or nothing: the caller keeps its chest or reward when they do not fit.
    if (!bag_can_hold(ids, count)) return false;
    for (int i = 0; i < count; ++i) give_item(ids[i], source);
    return true;
}
