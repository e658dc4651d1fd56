// The ten slots of the action bar: what they hold (saved with the character),
// using a slot, putting a potion on it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "play/items.h"
#include "common/game_events.h"
#include "play/skills.h"
#include "render/hud.h"
#include "sound/sound.h"

int32_t action_bar[BAR_SLOTS] = {0, 1, 2, BAR_POTION_BASE + 26, BAR_POTION_BASE + 27, -1, -1, -1, -1, -1};

void bar_default() {
    // Keys 1 to 3 hold the first three skills, 4 and 5 the two healing potions.
    static const int32_t layout[BAR_SLOTS] = {0, 1, 2, BAR_POTION_BASE + 26, BAR_POTION_BASE + 27, -1, -1, -1, -1, -1};
    std::memcpy(action_bar, layout, sizeof(layout));
}

int32_t bar_value_sane(long long v) {
    if (v >= -1 && v < SKILLS_PER_CLASS) return (int32_t)v;
    if (v >= BAR_POTION_BASE && v <= BAR_POTION_BASE + 100000 && item_is_potion((int)(v - BAR_POTION_BASE)))
        return (int32_t)v;
    return -1;
}

void load_bar(const char* text) {
    long long values[BAR_SLOTS];
    bool present[BAR_SLOTS] = {};
    const char* p = text ? text : "";
    while (*p) {
        const char* end = p;
        while (*end && *end != '\n') ++end;
        // "barre_<digit> <value>", nothing else on the key.
        if (end - p > 8 && std::strncmp(p, "barre_", 6) == 0 && p[6] >= '0' && p[6] <= '9' && p[7] == ' ') {
            int slot = p[6] - '0';
            char num[32];
            int n = (int)(end - (p + 8));
            if (n > 31) n = 31;
            std::memcpy(num, p + 8, (size_t)n);
            num[n] = 0;
            char* stop = nullptr;
            errno = 0;
            long long v = std::strtoll(num, &stop, 10);
            bool ok = stop != num && errno == 0;
            while (ok && *stop) {
                if (*stop != '\r' && *stop != ' ') ok = false;
                ++stop;
            }
            values[slot] = ok ? v : -1;
            present[slot] = true;
        }
        p = *end ? end + 1 : end;
    }
    if (!present[0]) {
        bar_default();
        return;
    }
    for (int i = 0; i < BAR_SLOTS; ++i) action_bar[i] = present[i] ? bar_value_sane(values[i]) : -1;
}

int save_bar(char* out, int capacity) {
    if (!out || capacity <= 0) return 0;
    int used = 0;
    out[0] = 0;
    for (int i = 0; i < BAR_SLOTS; ++i) {
        int n = std::snprintf(out + used, (size_t)(capacity - used), "barre_%d %d\r\n", i, (int)action_bar[i]);
        if (n < 0 || used + n >= capacity) {
            out[used] = 0;
            break;
        }
        used += n;
    }
    return used;
}

void use_bar_slot(int slot) {
    if (slot < 0 || slot >= BAR_SLOTS) return;
    int32_t v = action_bar[slot];
    if (v < 0) return;
    if (v < SKILLS_PER_CLASS) {
        use_skill(v);
        return;
    }
    int id = v - BAR_POTION_BASE;
    if (bag_count(id) > 0)
        potion_drink(id);
    else
        result_message(hud_fmt("Plus de %s.", item_name(id)), 1.2f);
}

void put_item_on_bar(int item, int slot) {
    if (slot < 0 || slot >= BAR_SLOTS) return;
    if (!item_is_potion(item)) {
        result_message("Seules les potions se rangent dans la barre d'action.", 1.6f);
        return;
    }
    for (int32_t& v : action_bar)
        if (v == BAR_POTION_BASE + item) v = -1;
    action_bar[slot] = BAR_POTION_BASE + item;
    snd_play(SFX_CLICK, 0.6f);
}
