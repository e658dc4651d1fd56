// Stand-ins for what fighting tells or asks of the quests, professions, loot,
// items; each goes when its part of the game lands.
#include "play/combat_later.h"

// Kills: the professions make the corpse skinnable, the loot fills it.
void professions_creature_killed(const Creature*) {}
void loot_roll(Creature*) {}

// The catalogue holds items 1 to 113; the healing potions and the mana
// elixir are its potions. The bag is empty until the inventory arrives.
bool item_exists(int id) { return id >= 1 && id <= 113; }
bool item_is_potion(int id) { return id == 26 || id == 27 || id == 66 || id == 86; }
const char* item_name(int id) {
    switch (id) {
        case 26: return "Potion de soin mineure";
        case 27: return "Potion de soin";
        case 66: return "Élixir de mana";
        case 86: return "Potion de soin majeure";
        default: return "objet";
    }
}
int item_icon(int) { return 13; }
Vec3 item_colour(int id) { return id == 66 ? Vec3{0.3f, 0.45f, 0.95f} : Vec3{0.85f, 0.2f, 0.18f}; }
int bag_count(int) { return 0; }
void potion_drink(int) {}
float potion_cooldown_left() { return 0.0f; }

// The archery butts arrive with Camelot and its surroundings.
