// Character and options files are bytes a player (or a broken disk) can
// change: whatever they hold, every value read stays in its range, the
// texts stay terminated inside their buffers, and writing the record back
// gives a file that reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "persist/character_record.h"
#include "persist/options.h"
#include "play/bindings.h"
#include "play/comfort.h"
#include "render/hud.h"
#include "render/renderer.h"

// The catalogue and quest keys the parsers ask about.
bool item_exists(int id) { return id >= 1 && id <= ITEM_LAST; }
bool item_is_stackable(int id) { return id % 5 == 1; }
bool item_fits_equipment_slot(int id, int slot) { return id % EQUIPMENT_SLOTS == slot; }
const char* const quest_giver_keys[QUEST_GIVER_COUNT] = {"dodinel", "yvain",  "blaise", "gauvain", "heraut",
                                                         "arthur",  "hugues", "ogrin",  "perceval"};
void bindings_reset() {
    for (int i = 0; i < BINDING_COUNT; ++i) bindings[i] = binding_table[i].default_key;
}
bool plat_write_file(const char*, const void*, int) { return false; }
bool plat_replace_file(const char*, const char*) { return false; }
int plat_read_file(const char*, char*, int) { return -1; }
bool plat_file_busy() { return false; }
// The settings the options file writes into the layers below it.
ViewSettings view_settings = {VISION_NORMAL, 1};
int hud_text_size = HUD_TEXT_SIZE_DEFAULT;
Comfort comfort = {0, 0, 0, FIELD_OF_VIEW_DEFAULT};
void comfort_defaults() { comfort = {0, 0, 0, FIELD_OF_VIEW_DEFAULT}; }

static void check(bool ok) {
    if (!ok) abort();
}

static void check_record(const CharacterRecord& r) {
    check(memchr(r.name, 0, sizeof r.name) != nullptr);
    check(r.player_class >= 0 && r.player_class <= 2);
    check(r.attacks_made >= 0 && r.targets_hit >= 0 && r.bullseyes >= 0 && r.kills >= 0 && r.purse >= 0);
    for (int i = 0; i < LOOK_FIELDS; ++i) check(r.look[i] >= -1 && r.look[i] < look_counts[i]);
    for (int s = 0; s < EQUIPMENT_SLOTS; ++s) check(r.equipment[s] == 0 || item_fits_equipment_slot(r.equipment[s], s));
    for (int s = 0; s < BAG_SLOTS; ++s) {
        const BagSlot& b = r.bag[s];
        check(b.id == 0 || (item_exists(b.id) && b.count >= 1 && b.count <= STACK_MAX));
        check(b.id == 0 || item_is_stackable(b.id) || b.count == 1);
    }
    for (int i = 0; i < PROFESSION_COUNT; ++i) check(r.professions[i] >= 1 && r.professions[i] <= 75);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static char text[CHARACTER_FILE_SIZE];
    size_t n = size < sizeof text - 1 ? size : sizeof text - 1;
    memcpy(text, data, n);
    text[n] = 0;
    character_text_valid(text);
    static CharacterRecord r, again;
    character_record_parse(text, r);
    check_record(r);
    // What is written reads back as the same record (levels and quest data
    // are written as read; the record carries them already sane).
    static char out[CHARACTER_FILE_SIZE];
    int length = character_record_write(r, nullptr, out, sizeof out);
    check(length > 0 && length < (int)sizeof out);
    check(character_text_valid(out));
    character_record_parse(out, again);
    char expected[CHARACTER_NAME_SIZE];
    memcpy(expected, r.name, sizeof expected);
    for (char* c = expected; *c; ++c)
        if ((unsigned char)*c < 0x20) *c = ' ';
    check(strcmp(expected, again.name) == 0);
    check(memcmp(r.bag, again.bag, sizeof r.bag) == 0);
    check(memcmp(r.equipment, again.equipment, sizeof r.equipment) == 0);
    check(r.level == again.level && r.purse == again.purse && r.player_class == again.player_class);
    check(memcmp(&r.keu, &again.keu, sizeof r.keu) == 0 && memcmp(&r.dame, &again.dame, sizeof r.dame) == 0);

    options_defaults();
    text[n < OPTIONS_FILE_SIZE - 1 ? n : OPTIONS_FILE_SIZE - 1] = 0;
    options_parse(text);
    check(options.music_volume >= 0.0f && options.music_volume <= 1.0f);
    check(options.effects_volume >= 0.0f && options.effects_volume <= 1.0f);
    check(options.sensitivity >= 0.25f && options.sensitivity <= 2.5f);
    check(options.resolution >= 0 && options.resolution < RESOLUTION_COUNT);
    check(options.quality >= 0 && options.quality <= 2);
    for (int i = 0; i < BINDING_COUNT; ++i) check(options_key_bindable(bindings[i]));
    check(view_settings.colour_vision >= VISION_NORMAL && view_settings.colour_vision < VISION_MODE_COUNT);
    check(comfort.field_of_view >= FIELD_OF_VIEW_MIN && comfort.field_of_view <= FIELD_OF_VIEW_MAX);
    check(options.sound_captions <= 1);
    check(hud_text_size >= HUD_TEXT_SIZE_MIN && hud_text_size <= HUD_TEXT_SIZE_MAX);
    static char options_text[OPTIONS_FILE_SIZE];
    check(options_build_text(options_text, sizeof options_text) > 0);
    return 0;
}
