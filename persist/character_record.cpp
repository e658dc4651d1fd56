// Reading and writing one character file's keys.
#include "persist/character_record.h"
#include "play/items.h"

#include <cstdio>
#include <cstring>


const char* const look_keys[LOOK_FIELDS] = {"apparence_femme",    "apparence_peau",     "apparence_yeux",
                                            "apparence_cheveux", "apparence_coiffure", "apparence_barbe"};
const int look_counts[LOOK_FIELDS] = {2, 5, 4, 7, 3, 3};

static const char* const counter_keys[4] = {"fleches_tirees", "cibles_touchees", "dans_le_mille",
                                            "ennemis_abattus"};

bool character_text_valid(const char* text) {
    if (!text) return false;
    if (!std::strstr(text, "# Tervanne") && !std::strstr(text, "# Archer de Tervanne")) return false;
    if (!std::strstr(text, "\nniveau ")) return false;
    // The last key must be there with its line finished: a file cut inside
    // its last value would otherwise load a count that was never written.
    const char* last = std::strstr(text, "\nsacq_23 ");
    if (!last) return false;
    const char* p = last + 9;
    while (*p == ' ') ++p;
    if (*p == '-') ++p;
    if (*p < '0' || *p > '9') return false;
    while (*p >= '0' && *p <= '9') ++p;
    if (*p == '\r') ++p;
    return *p == '\n';
}

static int clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

static QuestTriple read_triple(const char* text, const char* a, const char* b, const char* c) {
    return {kv_int(text, a, 0), kv_int(text, b, 0), kv_int(text, c, 0)};
}

void character_record_parse(const char* text, CharacterRecord& r) {
    std::memset(&r, 0, sizeof r);
    if (!text) text = "";
    r.player_class = clamp(kv_int(text, "classe", 0), 0, 2);
    kv_text(text, "nom", r.name, CHARACTER_NAME_SIZE);
    r.level = kv_int(text, "niveau", 1);
    r.experience = kv_int(text, "experience", 0);
    r.keu = read_triple(text, "quete_numero", "quete_etat", "quete_abattus");
    int32_t* counters[4] = {&r.attacks_made, &r.targets_hit, &r.bullseyes, &r.kills};
    for (int i = 0; i < 4; ++i) {
        int v = kv_int(text, counter_keys[i], 0);
        *counters[i] = v < 0 ? 0 : v;
    }
    for (int i = 0; i < LOOK_FIELDS; ++i) {
        bool found = false;
        int v = kv_int(text, look_keys[i], -1, &found);
        r.look[i] = found && v >= 0 && v < look_counts[i] ? v : -1;
    }
    r.inventory = kv_int(text, "inventaire", 0) != 0 ? 1 : 0;
    if (r.inventory) {
        int purse = kv_int(text, "bourse", 0);
        r.purse = purse < 0 ? 0 : purse;
        char key[32];
        for (int s = 0; s < EQUIPMENT_SLOTS; ++s) {
            std::snprintf(key, sizeof key, "porte_%d", s);
            int id = kv_int(text, key, 0);
            r.equipment[s] = id > 0 && item_exists(id) && item_fits_equipment_slot(id, s) ? id : 0;
        }
        for (int s = 0; s < BAG_SLOTS; ++s) {
            std::snprintf(key, sizeof key, "sac_%d", s);
            int id = kv_int(text, key, 0);
            if (id <= 0 || !item_exists(id)) continue;
            int count = 1;
            if (item_is_stackable(id)) {
                std::snprintf(key, sizeof key, "sacq_%d", s);
                count = clamp(kv_int(text, key, 1), 1, STACK_MAX);
            }
            r.bag[s] = {id, count};
        }
    }
    r.quests_version = kv_int(text, "quetes_v", 1);
    r.dame = read_triple(text, "dame_numero", "dame_etat", "dame_compte");
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) {
        char a[32], b[32], c[32];
        std::snprintf(a, sizeof a, "%s_numero", quest_giver_keys[g]);
        std::snprintf(b, sizeof b, "%s_etat", quest_giver_keys[g]);
        std::snprintf(c, sizeof c, "%s_compte", quest_giver_keys[g]);
        r.givers[g] = read_triple(text, a, b, c);
    }
    for (int i = 0; i < PROFESSION_COUNT; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "metier_%d", i);
        r.professions[i] = clamp(kv_int(text, key, 1), 1, 75);
    }
    bool has_x = false, has_z = false;
    r.pos_x = kv_int(text, "pos_x", 0, &has_x);
    r.pos_z = kv_int(text, "pos_z", 0, &has_z);
    r.has_position = has_x && has_z ? 1 : 0;
    r.cap = kv_int(text, "cap", 0);
}

int character_record_write(const CharacterRecord& r, BarWriter bar_lines, char* out, int capacity) {
    KvWriter w;
    kv_begin(w, out, capacity);
    kv_printf(w, "# Tervanne - sauvegarde\r\n");
    kv_line(w, "version", 2);
    kv_line(w, "niveau", r.level);
    kv_line(w, "experience", r.experience);
    kv_line(w, "quete_numero", r.keu.numero);
    kv_line(w, "quete_etat", r.keu.etat);
    kv_line(w, "quete_abattus", r.keu.compte);
    const int32_t counters[4] = {r.attacks_made, r.targets_hit, r.bullseyes, r.kills};
    for (int i = 0; i < 4; ++i) kv_line(w, counter_keys[i], counters[i]);
    for (int i = 0; i < LOOK_FIELDS; ++i) kv_line(w, look_keys[i], r.look[i] < 0 ? 0 : r.look[i]);
    kv_line(w, "classe", r.player_class);
    // A line break inside the name would start a key of its own.
    char name[CHARACTER_NAME_SIZE];
    kv_copy_utf8(name, sizeof name, r.name, (int)strnlen(r.name, sizeof r.name));
    for (char* c = name; *c; ++c)
        if ((unsigned char)*c < 0x20) *c = ' ';
    kv_printf(w, "nom %s\r\n", name);
    kv_line(w, "inventaire", 1);
    kv_line(w, "bourse", r.purse);
    kv_line(w, "dame_numero", r.dame.numero);
    kv_line(w, "dame_etat", r.dame.etat);
    kv_line(w, "dame_compte", r.dame.compte);
    kv_line(w, "quetes_v", 2);
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) {
        kv_printf(w, "%s_numero %d\r\n", quest_giver_keys[g], r.givers[g].numero);
        kv_printf(w, "%s_etat %d\r\n", quest_giver_keys[g], r.givers[g].etat);
        kv_printf(w, "%s_compte %d\r\n", quest_giver_keys[g], r.givers[g].compte);
    }
    for (int i = 0; i < PROFESSION_COUNT; ++i) kv_printf(w, "metier_%d %d\r\n", i, r.professions[i]);
    if (bar_lines && w.used < w.capacity) {
        int n = bar_lines(w.buffer + w.used, w.capacity - w.used);
        if (n > 0) w.used += n;
    }
    kv_line(w, "pos_x", r.pos_x);
    kv_line(w, "pos_z", r.pos_z);
    kv_line(w, "cap", r.cap);
    for (int s = 0; s < EQUIPMENT_SLOTS; ++s) kv_printf(w, "porte_%d %d\r\n", s, r.equipment[s]);
    for (int s = 0; s < BAG_SLOTS; ++s) {
        kv_printf(w, "sac_%d %d\r\n", s, r.bag[s].id);
        kv_printf(w, "sacq_%d %d\r\n", s, r.bag[s].count);
    }
    return w.overflow ? -1 : w.used;
}
