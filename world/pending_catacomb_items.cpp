// Stand-in for the bag until the items land: the items are only logged.
#include "platform/platform.h"
#include "play/combat_later.h"
#include "world/catacomb_later.h"

bool give_items_fit(const int* ids, int count, const char* source) {
    for (int i = 0; i < count; ++i) log_printf("Objet reçu (%s) : %s", source ? source : "", item_name(ids[i]));
    return true;
}
