#pragma once
// What the simulation has to tell the rest of the game: small fixed-size
// results that play and content push as they happen, and that game/ drains
// once the simulation of the frame is done, in the order they were pushed,
// handing each to its owner (the HUD, the quests, the character file). The
// simulation never calls a screen or a layer above it for these.
#include <cstdint>

#include "common/mathx.h"

enum class GameEventKind : uint8_t {
    message,          // the centred message: text, seconds
    float_text,       // a floating text: at, text, colour, seconds, rise, size, pips
    creature_killed,  // by the player's hand: species, slot (quests, then professions)
    save_wanted,      // the character file should be written now
};

struct GameEvent {
    GameEventKind kind;
    int32_t species;
    int32_t slot;
    int32_t pips;  // a floating item name's quality mark; -1 for none
    float seconds, rise, size;
    Vec3 at;
    Vec4 colour;
    char text[512];  // as long as the HUD keeps; cut at a character's boundary beyond
};

// Room for a busy frame (a whirlwind through a pack, each kill with its
// texts). A push into a full ring takes the place of the oldest message or
// floating text; with none of those left it is refused. Either way it is
// counted, and logged once a run.
constexpr int GAME_EVENT_RING = 256;

bool game_event_push(const GameEvent& e);
// The oldest event not yet drained; false when none is left.
bool game_event_pop(GameEvent* out);
int game_events_waiting();
// Events lost because the ring was full, since the start.
int game_events_dropped();
// Empties the ring (a new game, tests).
void game_events_clear();

// Shorthands for the pushes play and content make.
void result_message(const char* text, float seconds);
void result_float_text(Vec3 at, const char* text, Vec4 colour, float seconds, float rise, float size);
// An item's name, with its quality marked as well as coloured.
void result_float_item(Vec3 at, const char* text, Vec4 colour, float seconds, float rise, float size, int quality);
void result_creature_killed(int species, int slot);
void result_save_wanted();
