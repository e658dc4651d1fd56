// The saves kept while another program holds one of their files: tried again
// from the frame, told when they are written or given up.
#include "persist/save_queue.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "persist/characters.h"
#include "persist/keyvalue.h"
#include "persist/options.h"

namespace {

struct KeptSave {
    SaveKind kind;
    uint8_t stage;  // how far the tries went (a character's backup done)
    char name[64];
    char text[CHARACTER_FILE_SIZE];
    int length;
    int level;
    float kept_for;   // seconds of play since the save was asked
    float next_try;   // seconds of play until the next try
};
static_assert(OPTIONS_FILE_SIZE <= CHARACTER_FILE_SIZE, "the options text fits a kept save");

KeptSave kept[SAVES_KEPT];

SaveOutcome try_once(SaveKind kind, const char* name, const char* text, int length, uint8_t& stage) {
    if (kind == SAVE_CHARACTER) return character_write_files(name, text, length, stage);
    if (kv_write_file(name, text, length)) return SAVE_WRITTEN;
    return kv_write_busy() ? SAVE_WAITING : SAVE_REFUSED;
}

void tell(SaveKind kind, const char* name, int level, SaveOutcome outcome) {
    if (kind == SAVE_CHARACTER) character_save_told(name, level, outcome);
    if (kind == SAVE_OPTIONS) options_save_told(name, outcome);
}

KeptSave* kept_for_name(const char* name) {
    for (KeptSave& k : kept)
        if (k.kind != SAVE_NONE && std::strcmp(k.name, name) == 0) return &k;
    return nullptr;
}

void try_kept(KeptSave& k, bool last_chance) {
    SaveOutcome o = try_once(k.kind, k.name, k.text, k.length, k.stage);
    if (o == SAVE_WAITING && !last_chance) {
        k.next_try = SAVE_RETRY_EVERY;
        return;
    }
    SaveKind kind = k.kind;
    k.kind = SAVE_NONE;
    tell(kind, k.name, k.level, o == SAVE_WAITING ? SAVE_REFUSED : o);
}

}  // namespace

SaveOutcome save_now_or_later(SaveKind kind, const char* name, const char* text, int length, int level) {
    KeptSave* same = kept_for_name(name);
    uint8_t stage = 0;
    SaveOutcome o = try_once(kind, name, text, length, stage);
    if (o == SAVE_WAITING) {
        KeptSave* k = same;
        for (KeptSave& free_one : kept)
            if (!k && free_one.kind == SAVE_NONE) k = &free_one;
        if (k && length <= (int)sizeof k->text && std::strlen(name) < sizeof k->name) {
            k->kind = kind;
            k->stage = stage;
            std::snprintf(k->name, sizeof k->name, "%s", name);
            std::memcpy(k->text, text, (size_t)length);
            k->length = length;
            k->level = level;
            k->kept_for = 0.0f;
            k->next_try = SAVE_RETRY_EVERY;
            return SAVE_WAITING;
        }
        o = SAVE_REFUSED;
    }
    // This text is newer than a kept one of the same file: that one is done.
    if (same) same->kind = SAVE_NONE;
    tell(kind, name, level, o);
    return o;
}

void saves_frame(float dt) {
    for (KeptSave& k : kept) {
        if (k.kind == SAVE_NONE) continue;
        k.kept_for += dt;
        k.next_try -= dt;
        // A little slack: steps that add up to the period must reach it.
        if (k.next_try <= 1e-4f) try_kept(k, k.kept_for >= SAVE_KEPT_FOR - 1e-4f);
    }
}

bool saves_waiting() {
    for (const KeptSave& k : kept)
        if (k.kind != SAVE_NONE) return true;
    return false;
}

const char* saves_waiting_text(const char* name, int* length) {
    const KeptSave* k = name ? kept_for_name(name) : nullptr;
    if (!k) return nullptr;
    if (length) *length = k->length;
    return k->text;
}

void saves_forget(const char* name) {
    if (KeptSave* k = name ? kept_for_name(name) : nullptr) k->kind = SAVE_NONE;
}

void saves_finish() {
    const int tries = (int)(SAVE_KEPT_FOR / SAVE_RETRY_EVERY + 0.5f);
    for (int t = 1; t <= tries && saves_waiting(); ++t) {
        std::this_thread::sleep_for(std::chrono::milliseconds((int)(SAVE_RETRY_EVERY * 1000.0f)));
        for (KeptSave& k : kept)
            if (k.kind != SAVE_NONE) try_kept(k, t == tries);
    }
}
