#pragma once
// The player's bag and equipment, and the ways other parts of the game put
// items into the bag or take them out (quest rewards, gathering, crafting,
// the catacomb chest, the character file).
#include <cstdint>

#include "common/mathx.h"

constexpr int ITEM_LAST = 113;       // ids run 1 .. 113, 0 is no item
constexpr int BAG_SLOTS = 24;
constexpr int EQUIPMENT_SLOTS = 12;
constexpr int STACK_MAX = 20;

struct BagSlot {
    int id;     // 0 empty
    int count;  // 1 .. STACK_MAX for stackable items, 1 otherwise
};

extern BagSlot bag[BAG_SLOTS];
extern int equipment[EQUIPMENT_SLOTS];  // item id per slot, 0 empty

// Adds one item, with its floating name and sound; when the bag is full the
// item is lost and the player told. source (may be null) names the giver in
// the log. True when the item went into the bag.
bool give_item(int id, const char* source);
// The bare add: true on success, nothing shown.
bool add_to_bag(int id);
// How many of that item the bag holds.
int count_in_bag(int id);
// Removes exactly n when at least n are present; otherwise removes nothing.
bool remove_from_bag(int id, int n);
bool item_is_stackable(int id);
// Whether an item may be worn in an equipment slot (0 .. 11).
bool item_fits_equipment_slot(int id, int slot);
// Empty bag and equipment (a new character, or before a load).
void inventory_clear();
// Recomputes the character's armour, endurance, agility and weapon factor
// from what is worn (after a load or an equip).
void equipment_apply();

// ---- The catalogue ---------------------------------------------------------------
enum ItemKind : int {
    KIND_HEAD = 0, KIND_SHOULDERS = 1, KIND_NECK = 2, KIND_CHEST = 3, KIND_HANDS = 4, KIND_WRISTS = 5,
    KIND_WAIST = 6, KIND_FINGER = 7, KIND_LEGS = 8, KIND_FEET = 9, KIND_MISC = 10, KIND_MATERIAL = 11,
    KIND_PURSE = 12, KIND_POTION = 13, KIND_HERB = 24, KIND_ORE = 25, KIND_WEAPON = 26,
};

struct ItemDef {
    const char* name;
    uint32_t kind;
    uint32_t quality;   // 0 grey .. 4 purple
    uint32_t material;  // 0 none, 1 cloth, 2 leather, 3 metal, 4 fur
    Vec3 colour, accent;
    uint32_t armour, endurance, agility;
    const char* description;  // may be null
    uint32_t damage_bonus;    // weapons, percent
    uint32_t icon;            // 0: the icon of the kind
    uint32_t item_class;      // 0 any, 1 archer, 2 warrior, 3 druid
    uint32_t reserved;
};
extern const ItemDef item_defs[ITEM_LAST + 1];

// Row 0 (empty) for any id outside the catalogue.
const ItemDef& item_def(int id);
const char* kind_name(int kind);    // "" for a kind without a name
int kind_sort_weight(int kind);
int kind_slot(int kind);            // first equipment slot of the kind, -1 none
const char* slot_label(int slot);
Vec4 quality_colour(int quality);
bool item_is_equippable(int id);
int icon_of(const ItemDef& def);
int sell_price(int id);
int buy_price(int id);

// ---- Bag and equipment -------------------------------------------------------------
// Each returns whether anything changed; messages and sounds as the player sees.
bool equip_from_bag(int bag_slot);
// Drag of a bag item onto one equipment slot.
bool equip_to_slot(int bag_slot, int equipment_slot);
bool unequip(int equipment_slot);
bool drop_from_bag(int bag_slot);
bool move_in_bag(int from, int to);
void sort_bag();
bool drink(int bag_slot);
// Sums over the worn items.
void equipment_totals(int* armour, int* endurance, int* agility);
float weapon_damage_factor();
// Whether a set of items would all fit in the bag.
bool bag_can_hold(const int* ids, int count);
// Whether one more `id` would fit once `take_counts[i]` of each `take_ids[i]`
// are taken out (a craft's materials, a quest's collected items); the bag is
// left as it was.
bool bag_can_hold_after_taking(const int* take_ids, const int* take_counts, int takes, int id);
// Shared potion cooldown (seconds left); the frame step counts it down.
extern float potion_cooldown;
void items_update(float dt);
// First bag slot holding the id, -1 none.
int bag_find(int id);
// Shows the received item over the player (name, sound, log line).
void item_received(int id, const char* source);

// ---- The merchant's stock ------------------------------------------------------------
constexpr int MERCHANT_STOCK = 10;
struct MerchantOffer {
    int id, price;
};
extern const MerchantOffer merchant_stock[MERCHANT_STOCK];

// ---- Worn items on figures -----------------------------------------------------------
struct Model;
struct HumanRig;
// Twelve worn ids (weapon last) on a figure of a class, whose weapon shows
// in hand (the class's own until one is worn); needs GL.
void figure_dress_items(Model* m, const HumanRig& rig, const int* worn, int player_class);
// Gives a freshly built human figure its (hidden) weapons; needs GL.
void figure_arm(Model* m, HumanRig* rig);
// The weapon design a figure of the class shows for a worn weapon id (0: none).
int figure_weapon_design(int player_class, int weapon_id);
// Dresses the player's figure again when what is worn or the figure changed.
void player_figure_dress();

// Items: whether an id names an item of the catalogue, whether it is a potion.
bool item_exists(int id);
bool item_is_potion(int id);
const char* item_name(int id);
// Icon number and colour of an item (the icon drawer is shared with skills).
int item_icon(int id);
Vec3 item_colour(int id);
// How many of an item the bag holds.
int bag_count(int id);
// Drinks from the first stack of that potion (the item code applies the
// shared potion cooldown and its messages).
void potion_drink(int id);
// Seconds left on the shared potion cooldown.
float potion_cooldown_left();
// Gives every one of the items (with the source text of the log line) when
// the bag can hold them all; otherwise gives none and returns false.
bool give_items_fit(const int* ids, int count, const char* source);
// The player's worn item in equipment slot 0..10 (0 for none).
int player_equipment_item(int slot);
// Dresses a human figure of a class in the items it wears (11 slots, 0 =
// none); it holds its class's own weapon.
void figure_dress(Model* m, const HumanRig& rig, const uint16_t* equipment, int player_class);
