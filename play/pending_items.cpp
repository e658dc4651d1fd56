// Stand-in for the bag until the items land: a plain bag and equipment, with
// no catalogue behind them.
#include <cstring>

#include "platform/platform.h"
#include "play/items.h"

BagSlot bag[BAG_SLOTS];
int equipment[EQUIPMENT_SLOTS];

bool item_is_stackable(int id) { return item_is_potion(id); }

bool add_to_bag(int id) {
    if (!item_exists(id)) return false;
    if (item_is_stackable(id))
        for (BagSlot& s : bag)
            if (s.id == id && s.count < STACK_MAX) {
                ++s.count;
                return true;
            }
    for (BagSlot& s : bag)
        if (s.id == 0) {
            s.id = id;
            s.count = 1;
            return true;
        }
    return false;
}

bool give_item(int id, const char* source) {
    if (!add_to_bag(id)) return false;
    if (source) log_printf("Objet reçu (%s) : %s", source, item_name(id));
    return true;
}

int count_in_bag(int id) {
    int n = 0;
    for (const BagSlot& s : bag)
        if (s.id == id && id != 0) n += s.count > 1 ? s.count : 1;
    return n;
}

bool remove_from_bag(int id, int n) {
    if (n < 1 || count_in_bag(id) < n) return false;
    for (BagSlot& s : bag) {
        if (s.id != id || n == 0) continue;
        int have = s.count > 1 ? s.count : 1;
        int take = have < n ? have : n;
        n -= take;
        s.count = have - take;
        if (s.count == 0) s.id = 0;
    }
    return true;
}

void inventory_clear() {
    std::memset(bag, 0, sizeof(bag));
    std::memset(equipment, 0, sizeof(equipment));
}

void equipment_apply() {}
