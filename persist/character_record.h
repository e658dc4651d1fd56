#pragma once
// The character file as data: what one file says, read with every clamp and
// default, and the text written back. No game state is touched here, so the
// reader can be fuzzed and tested alone.
#include <cstdint>

#include "persist/keyvalue.h"
#include "play/items.h"
#include "play/profession_state.h"
#include "play/quest_state.h"

constexpr int CHARACTER_FILE_SIZE = 8192;   // a character file's buffer
constexpr int OLD_SAVE_FILE_SIZE = 7992;    // the old single save's buffer
constexpr int CHARACTER_NAME_SIZE = 24;     // 23 bytes of UTF-8 and the zero

// The appearance keys, in file order; -1 in a record means "keep the current".
enum LookField : int { LOOK_WOMAN, LOOK_SKIN, LOOK_EYES, LOOK_HAIR, LOOK_STYLE, LOOK_BEARD, LOOK_FIELDS };
extern const char* const look_keys[LOOK_FIELDS];
extern const int look_counts[LOOK_FIELDS];

struct CharacterRecord {
    int32_t player_class;
    char name[CHARACTER_NAME_SIZE];  // empty: the class display name
    int32_t level, experience;
    QuestTriple keu;                 // raw, like the givers' triples
    int32_t attacks_made, targets_hit, bullseyes, kills;
    int32_t look[LOOK_FIELDS];       // -1: absent or out of range
    uint8_t inventory;               // 0: the inventory keys were not read
    int32_t purse;
    int32_t equipment[EQUIPMENT_SLOTS];
    BagSlot bag[BAG_SLOTS];
    QuestTriple dame;                // raw: migrated and checked by the quest code
    int32_t quests_version;
    QuestTriple givers[QUEST_GIVER_COUNT];  // raw: the quest code applies its own rules
    int32_t professions[PROFESSION_COUNT];
    uint8_t has_position;
    int32_t pos_x, pos_z, cap;       // × 100, × 100, × 1000
};

// Whether a text is a whole character file (or the old single save): its
// header, the level key, and the last key written on a finished line.
bool character_text_valid(const char* text);

// Reads every key with its rule. Items are checked against the catalogue
// (ids, slots, stacks); quest triples are left as read, for the quest code's
// own migration and rules.
void character_record_parse(const char* text, CharacterRecord& r);

// The text of a record in the order of the file. The action bar's lines come
// from bar_lines (written by the bar's own code), which may be null.
typedef int (*BarWriter)(char* out, int capacity);
int character_record_write(const CharacterRecord& r, BarWriter bar_lines, char* out, int capacity);
