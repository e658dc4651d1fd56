// Stand-ins until the item catalogue and the worn look of items land.
#include "net/net_later.h"

// Until the catalogue exists no worn item can be checked, so none is shown.
bool item_fits_equipment_slot(int, int) { return false; }
int player_equipment_item(int) { return 0; }
void figure_dress(Model*, const HumanRig&, const uint16_t*) {}
