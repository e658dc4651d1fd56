// The bag, the worn items and the potions: every rule of putting items in,
// taking them out, wearing and drinking them, and what they sell and buy for.
#include "play/items.h"

#include <cmath>
#include <cstring>

#include "common/game_events.h"
#include "platform/platform.h"
#include "play/combat.h"
#include "play/merchant.h"
#include "play/player.h"
#include "render/hud.h"
#include "sound/sound.h"

BagSlot bag[BAG_SLOTS];
int equipment[EQUIPMENT_SLOTS];
float potion_cooldown = 0.0f;

namespace {

constexpr float POTION_COOLDOWN = 20.0f;

bool valid_id(int id) { return id >= 1 && id <= ITEM_LAST; }
bool valid_bag_slot(int i) { return i >= 0 && i < BAG_SLOTS; }

struct KindRow {
    int kind;
    const char* name;
    bool stacks;
    int weight;
    int slot;
};
const KindRow kind_rows[] = {
    {KIND_HEAD, "Tête", false, 0, 0},        {KIND_SHOULDERS, "Épaules", false, 2, 2},
    {KIND_NECK, "Cou", false, 1, 1},         {KIND_CHEST, "Torse", false, 3, 3},
    {KIND_HANDS, "Mains", false, 5, 5},      {KIND_WRISTS, "Poignets", false, 4, 4},
    {KIND_WAIST, "Taille", false, 6, 6},     {KIND_FINGER, "Doigt", false, 9, 9},
    {KIND_LEGS, "Jambes", false, 7, 7},      {KIND_FEET, "Pieds", false, 8, 8},
    {KIND_MISC, "Divers", true, 30, -1},     {KIND_MATERIAL, "Matériau", true, 20, -1},
    {KIND_PURSE, "Bourse", false, 99, -1},   {KIND_POTION, "Potion", true, 10, -1},
    {KIND_HERB, "Herbe", true, 0, -1},       {KIND_ORE, "Minerai", true, 0, -1},
    {KIND_WEAPON, "Arme", false, 0, 11},
};

const KindRow* kind_row(int kind) {
    for (const KindRow& r : kind_rows)
        if (r.kind == kind) return &r;
    return nullptr;
}

const char* const slot_labels[EQUIPMENT_SLOTS] = {"Tête",     "Cou",   "Épaules", "Torse",  "Poignets", "Mains",
                                                  "Taille",   "Jambes", "Pieds",  "Doigt",  "Doigt",    "Arme"};
const int slot_kinds[EQUIPMENT_SLOTS] = {KIND_HEAD,  KIND_NECK, KIND_SHOULDERS, KIND_CHEST,  KIND_WRISTS, KIND_HANDS,
                                         KIND_WAIST, KIND_LEGS, KIND_FEET,      KIND_FINGER, KIND_FINGER, KIND_WEAPON};

int count_of(const BagSlot& s) { return s.count > 1 ? s.count : 1; }

void stats_changed() {
    equipment_apply();
}

int sort_key(const BagSlot& s) {
    if (!valid_id(s.id)) return 1 << 30;
    const ItemDef& d = item_defs[s.id];
    int quality = (int)d.quality;
    return ((kind_sort_weight((int)d.kind) * 100 + (4 - quality) * 20) * 64) + s.id;
}

}  // namespace

// ---- Catalogue queries ----------------------------------------------------------------

const ItemDef& item_def(int id) { return item_defs[valid_id(id) ? id : 0]; }

const char* kind_name(int kind) {
    const KindRow* r = kind_row(kind);
    return r ? r->name : "";
}

int kind_sort_weight(int kind) {
    if (const KindRow* r = kind_row(kind)) return r->weight;
    return kind >= 14 && kind <= 19 ? 99 : 0;
}

int kind_slot(int kind) {
    const KindRow* r = kind_row(kind);
    return r ? r->slot : -1;
}

const char* slot_label(int slot) { return slot >= 0 && slot < EQUIPMENT_SLOTS ? slot_labels[slot] : ""; }

Vec4 quality_colour(int quality) {
    switch (quality) {
        case 0: return {0.62f, 0.62f, 0.62f, 1.0f};
        case 2: return {0.12f, 1.0f, 0.0f, 1.0f};
        case 3: return {0.0f, 0.44f, 0.87f, 1.0f};
        case 4: return {0.64f, 0.21f, 0.93f, 1.0f};
        default: return {0.95f, 0.95f, 0.95f, 1.0f};
    }
}

bool item_exists(int id) { return valid_id(id); }
bool item_is_potion(int id) { return valid_id(id) && item_defs[id].kind == KIND_POTION; }
bool item_is_stackable(int id) {
    if (!valid_id(id)) return false;
    const KindRow* r = kind_row((int)item_defs[id].kind);
    return r && r->stacks;
}
bool item_is_equippable(int id) { return valid_id(id) && kind_slot((int)item_defs[id].kind) >= 0; }

bool item_fits_equipment_slot(int id, int slot) {
    if (!valid_id(id) || slot < 0 || slot >= EQUIPMENT_SLOTS) return false;
    return (int)item_defs[id].kind == slot_kinds[slot];
}

const char* item_name(int id) { return valid_id(id) ? item_defs[id].name : ""; }

int icon_of(const ItemDef& def) { return def.icon ? (int)def.icon : (int)def.kind; }
int item_icon(int id) { return icon_of(item_def(id)); }
Vec3 item_colour(int id) { return item_def(id).colour; }

int sell_price(int id) {
    if (!valid_id(id)) return 0;
    static const struct {
        int id, price;
    } fixed[] = {{25, 1}, {26, 2}, {10, 3}, {61, 3}, {64, 3}, {42, 4}, {11, 5}, {27, 6}, {65, 6}, {66, 6}, {75, 6},
                 {47, 7}, {62, 7}, {41, 9}, {76, 9}, {63, 14}, {86, 14}, {74, 16}};
    for (const auto& f : fixed)
        if (f.id == id) return f.price;
    static const int base[5] = {1, 4, 14, 45, 160};
    const ItemDef& d = item_defs[id];
    int q = d.quality <= 4 ? (int)d.quality : 1;
    return (int)(d.agility + d.endurance) * 3 + (int)d.armour / 2 + base[q];
}

const MerchantOffer merchant_stock[MERCHANT_STOCK] = {{26, 8},  {27, 25}, {24, 12}, {6, 12}, {7, 14},
                                                      {4, 10},  {5, 12},  {9, 18},  {8, 35}, {34, 70}};

int buy_price(int id) {
    for (const MerchantOffer& o : merchant_stock)
        if (o.id == id) return o.price;
    return 0;
}

// ---- The bag --------------------------------------------------------------------------

bool add_to_bag(int id) {
    if (!valid_id(id)) return false;
    if (item_is_stackable(id))
        for (BagSlot& s : bag)
            if (s.id == id && s.count < STACK_MAX) {
                s.count = s.count < 1 ? 2 : s.count + 1;
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

void item_received(int id, const char* source) {
    const ItemDef& d = item_def(id);
    result_float_item(player_feet() + Vec3{-0.5f, 2.35f, 0.0f}, d.name, quality_colour((int)d.quality), 2.6f, 1.0f,
                      0.34f, (int)d.quality);
    snd_play(SFX_PICK_UP, 0.7f);
    if (source) log_printf("Objet reçu (%s) : %s", source, d.name);
}

bool give_item(int id, const char* source) {
    if (!valid_id(id)) return false;
    if (!add_to_bag(id)) {
        result_message(hud_fmt("Votre sac est plein : %s est perdu.", item_defs[id].name), 2.5f);
        if (source) log_printf("Sac plein (%s) : %s perdu", source, item_defs[id].name);
        return false;
    }
    item_received(id, source);
    return true;
}

bool bag_can_hold(const int* ids, int count) {
    // Tried on a copy: stacks fill before new slots are taken, as adding does.
    BagSlot saved[BAG_SLOTS];
    std::memcpy(saved, bag, sizeof(bag));
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) ok = valid_id(ids[i]) && add_to_bag(ids[i]);
    std::memcpy(bag, saved, sizeof(bag));
    return ok;
}

bool bag_can_hold_after_taking(const int* take_ids, const int* take_counts, int takes, int id) {
    if (!valid_id(id)) return false;
    // What is taken may free the slot the new item needs: tried on a copy.
    BagSlot saved[BAG_SLOTS];
    std::memcpy(saved, bag, sizeof(bag));
    for (int i = 0; i < takes && take_ids && take_counts; ++i) remove_from_bag(take_ids[i], take_counts[i]);
    bool ok = add_to_bag(id);
    std::memcpy(bag, saved, sizeof(bag));
    return ok;
}

int count_in_bag(int id) {
    if (!valid_id(id)) return 0;
    int n = 0;
    for (const BagSlot& s : bag)
        if (s.id == id) n += count_of(s);
    return n;
}
int bag_count(int id) { return count_in_bag(id); }

int bag_find(int id) {
    if (!valid_id(id)) return -1;
    for (int i = 0; i < BAG_SLOTS; ++i)
        if (bag[i].id == id) return i;
    return -1;
}

bool remove_from_bag(int id, int n) {
    if (!valid_id(id) || n < 1 || count_in_bag(id) < n) return false;
    for (int i = BAG_SLOTS - 1; i >= 0 && n > 0; --i) {
        BagSlot& s = bag[i];
        if (s.id != id) continue;
        int have = count_of(s);
        int take = have < n ? have : n;
        n -= take;
        s.count = have - take;
        if (s.count == 0) s.id = 0;
    }
    return true;
}

bool move_in_bag(int from, int to) {
    if (!valid_bag_slot(from) || !valid_bag_slot(to) || from == to || bag[from].id == 0) return false;
    BagSlot& a = bag[from];
    BagSlot& b = bag[to];
    if (a.id == b.id && item_is_stackable(a.id)) {
        int room = STACK_MAX - count_of(b);
        int moved = count_of(a) < room ? count_of(a) : room;
        if (moved < 0) moved = 0;
        b.count = count_of(b) + moved;
        a.count = count_of(a) - moved;
        if (a.count == 0) a.id = 0;
    } else {
        BagSlot t = a;
        a = b;
        b = t;
    }
    snd_play(SFX_CLICK, 0.5f);
    return true;
}

void sort_bag() {
    for (int i = 0; i < BAG_SLOTS - 1; ++i) {
        if (!item_is_stackable(bag[i].id)) continue;
        for (int j = i + 1; j < BAG_SLOTS && count_of(bag[i]) < STACK_MAX; ++j) {
            if (bag[j].id != bag[i].id) continue;
            int room = STACK_MAX - count_of(bag[i]);
            int moved = count_of(bag[j]) < room ? count_of(bag[j]) : room;
            bag[i].count = count_of(bag[i]) + moved;
            bag[j].count = count_of(bag[j]) - moved;
            if (bag[j].count == 0) bag[j].id = 0;
        }
    }
    for (int i = 1; i < BAG_SLOTS; ++i) {
        BagSlot v = bag[i];
        int key = sort_key(v);
        int j = i - 1;
        while (j >= 0 && sort_key(bag[j]) > key) {
            bag[j + 1] = bag[j];
            --j;
        }
        bag[j + 1] = v;
    }
    for (BagSlot& s : bag)
        if (s.id == 0) s.count = 0;
}

bool drop_from_bag(int bag_slot) {
    if (!valid_bag_slot(bag_slot) || bag[bag_slot].id == 0) return false;
    BagSlot& s = bag[bag_slot];
    const char* name = item_name(s.id);
    if (s.count >= 2)
        result_message(hud_fmt("Objets jetés : %s ×%d", name, s.count), 1.6f);
    else
        result_message(hud_fmt("Objet jeté : %s", name), 1.6f);
    s.id = 0;
    s.count = 0;
    return true;
}

// ---- Wearing ----------------------------------------------------------------------------

namespace {

bool class_allows(const ItemDef& d) {
    if (d.item_class == 0 || (int)d.item_class == player.player_class + 1) return true;
    static const char* const names[3] = {"archer", "guerrier", "druide"};
    int c = (int)d.item_class - 1;
    result_message(hud_fmt("Réservé au %s.", c >= 0 && c < 3 ? names[c] : "?"), 1.6f);
    return false;
}

void put_on(int bag_slot, int slot) {
    int worn = equipment[slot];
    equipment[slot] = bag[bag_slot].id;
    bag[bag_slot].id = worn;
    bag[bag_slot].count = worn ? 1 : 0;
    stats_changed();
    snd_play(SFX_ITEM_RUSTLE, 0.8f);
}

}  // namespace

bool equip_from_bag(int bag_slot) {
    if (!valid_bag_slot(bag_slot)) return false;
    int id = bag[bag_slot].id;
    if (!valid_id(id)) return false;
    const ItemDef& d = item_defs[id];
    if (!class_allows(d)) return false;
    if (d.kind == KIND_POTION) return drink(bag_slot);
    int slot = kind_slot((int)d.kind);
    if (slot < 0) {
        result_message("Cet objet ne se porte pas.", 1.6f);
        return false;
    }
    if (d.kind == KIND_FINGER) slot = equipment[9] == 0 ? 9 : (equipment[10] == 0 ? 10 : 9);
    put_on(bag_slot, slot);
    return true;
}

bool equip_to_slot(int bag_slot, int equipment_slot) {
    if (!valid_bag_slot(bag_slot) || equipment_slot < 0 || equipment_slot >= EQUIPMENT_SLOTS) return false;
    int id = bag[bag_slot].id;
    if (!valid_id(id)) return false;
    const ItemDef& d = item_defs[id];
    if (!class_allows(d)) return false;
    if ((int)d.kind != slot_kinds[equipment_slot]) return false;
    put_on(bag_slot, equipment_slot);
    return true;
}

bool unequip(int equipment_slot) {
    if (equipment_slot < 0 || equipment_slot >= EQUIPMENT_SLOTS || !valid_id(equipment[equipment_slot])) return false;
    if (!add_to_bag(equipment[equipment_slot])) {
        result_message("Votre sac est plein.", 1.6f);
        return false;
    }
    equipment[equipment_slot] = 0;
    stats_changed();
    snd_play(SFX_ITEM_RUSTLE, 0.6f);
    return true;
}

void equipment_totals(int* armour, int* endurance, int* agility) {
    int a = 0, e = 0, g = 0;
    for (int id : equipment) {
        if (!valid_id(id)) continue;
        a += (int)item_defs[id].armour;
        e += (int)item_defs[id].endurance;
        g += (int)item_defs[id].agility;
    }
    if (armour) *armour = a;
    if (endurance) *endurance = e;
    if (agility) *agility = g;
}

float weapon_damage_factor() {
    int id = equipment[11];
    if (!valid_id(id)) return 1.0f;
    return 1.0f + (float)item_defs[id].damage_bonus / 100.0f;
}

void equipment_apply() {
    int a, e, g;
    equipment_totals(&a, &e, &g);
    player_equipment_totals(a, e, g, weapon_damage_factor());
}

void inventory_clear() {
    std::memset(bag, 0, sizeof(bag));
    std::memset(equipment, 0, sizeof(equipment));
    // The last sale was the previous character's: it is not offered back to this one.
    shop_forget();
}

// ---- Potions ----------------------------------------------------------------------------

bool drink(int bag_slot) {
    if (!valid_bag_slot(bag_slot)) return false;
    int id = bag[bag_slot].id;
    if (!item_is_potion(id) || player.dead) return false;
    bool mana = id == 66;
    if (mana && player.player_class != CLASS_DRUID) {
        result_message("Seul un druide sait boire cet élixir.", 1.4f);
        return false;
    }
    if (potion_cooldown > 0.0f) {
        result_message(hud_fmt("Pas encore : %d s", (int)(potion_cooldown + 0.99f)), 1.0f);
        return false;
    }
    int amount = id == 26 ? 60 : id == 27 ? 160 : id == 86 ? 320 : 80;
    if (!mana && player.health >= player.max_health) {
        result_message("Vous êtes déjà en pleine forme.", 1.2f);
        return false;
    }
    if (mana) {
        player_gain_mana((float)amount);
        result_float_text(player_feet() + Vec3{0, 2.2f, 0}, "+80 mana", Vec4{0.4f, 0.6f, 1.0f, 1.0f}, 1.3f, 1.0f,
                          0.34f);
    } else {
        player_heal((float)amount);
        result_float_text(player_feet() + Vec3{0, 2.2f, 0}, hud_fmt("+%d PV", amount), Vec4{0.3f, 1.0f, 0.35f, 1.0f},
                          1.3f, 1.0f, 0.34f);
    }
    potion_cooldown = POTION_COOLDOWN;
    snd_play_at(SFX_RISING_CHIRPS, player_feet(), 1.0f);
    BagSlot& s = bag[bag_slot];
    s.count = count_of(s) - 1;
    if (s.count <= 0) {
        s.id = 0;
        s.count = 0;
    }
    return true;
}

void potion_drink(int id) {
    int slot = bag_find(id);
    if (slot >= 0) drink(slot);
}

float potion_cooldown_left() { return potion_cooldown > 0.0f ? potion_cooldown : 0.0f; }

void items_update(float dt) {
    if (potion_cooldown > 0.0f) potion_cooldown = std::fmax(0.0f, potion_cooldown - dt);
}

// ---- What other parts of the game ask of the bag ------------------------------------------

int player_equipment_item(int slot) { return slot >= 0 && slot < EQUIPMENT_SLOTS ? equipment[slot] : 0; }
