#include "common/game_events.h"

#include <cstdio>

#include "common/ring.h"
#include "common/text_copy.h"

namespace {

GameEvent ring[GAME_EVENT_RING];
int head = 0;  // next to pop
int count = 0;
int dropped = 0;

bool cosmetic(GameEventKind k) { return k == GameEventKind::message || k == GameEventKind::float_text; }

// A full ring gives up its oldest message or floating text, which the
// player would barely have seen, rather than a kill or a save.
bool evict_oldest_cosmetic() {
    for (int i = 0; i < count; ++i) {
        if (!cosmetic(ring[ring_slot(head, i, GAME_EVENT_RING)].kind)) continue;
        for (int j = i; j + 1 < count; ++j)
            ring[ring_slot(head, j, GAME_EVENT_RING)] = ring[ring_slot(head, j + 1, GAME_EVENT_RING)];
        --count;
        return true;
    }
    return false;
}

}  // namespace

bool game_event_push(const GameEvent& e) {
    if (count == GAME_EVENT_RING) {
        // The log lives above common: stderr, once, is what is left here.
        if (dropped++ == 0) std::fprintf(stderr, "Résultats du jeu perdus : la file est pleine.\n");
        if (!evict_oldest_cosmetic()) return false;
    }
    ring[ring_slot(head, count, GAME_EVENT_RING)] = e;
    ++count;
    return true;
}

bool game_event_pop(GameEvent* out) {
    if (count == 0) return false;
    *out = ring[head];
    head = ring_slot(head, 1, GAME_EVENT_RING);
    --count;
    return true;
}

int game_events_waiting() { return count; }
int game_events_dropped() { return dropped; }

void game_events_clear() {
    head = 0;
    count = 0;
}

void result_message(const char* text, float seconds) {
    GameEvent e{};
    e.kind = GameEventKind::message;
    e.seconds = seconds;
    copy_utf8(e.text, (int)sizeof e.text, text);
    game_event_push(e);
}

void result_float_item(Vec3 at, const char* text, Vec4 colour, float seconds, float rise, float size, int quality) {
    GameEvent e{};
    e.kind = GameEventKind::float_text;
    e.at = at;
    e.colour = colour;
    e.seconds = seconds;
    e.rise = rise;
    e.size = size;
    e.pips = quality;
    copy_utf8(e.text, (int)sizeof e.text, text);
    game_event_push(e);
}

void result_float_text(Vec3 at, const char* text, Vec4 colour, float seconds, float rise, float size) {
    result_float_item(at, text, colour, seconds, rise, size, -1);
}

void result_creature_killed(int species, int slot) {
    GameEvent e{};
    e.kind = GameEventKind::creature_killed;
    e.species = species;
    e.slot = slot;
    game_event_push(e);
}

void result_save_wanted() {
    GameEvent e{};
    e.kind = GameEventKind::save_wanted;
    game_event_push(e);
}
