#pragma once
// The eight character slots beside the game, with their backup copies: the
// slot list, loading, saving, creating and deleting, the first-run takeover
// of the old single save, and the moves between the character screens and
// play.
#include <cstdint>

#include "persist/character_record.h"
#include "persist/save_queue.h"
#include "world/human.h"

constexpr int CHARACTER_SLOTS = 8;

struct CharacterSlot {
    uint8_t present;
    char name[CHARACTER_NAME_SIZE];
    int32_t player_class;
    int32_t level;
    uint8_t woman;
};
extern CharacterSlot character_slots[CHARACTER_SLOTS];
// The slot the live character belongs to, -1 for none (nothing is saved).
extern int current_slot;
// The row selected in the character list, -1 for none.
extern int selected_slot;

// "tervanne-perso-%d.txt" for slot 0..7, and the backup name of any file.
void character_file_name(int slot, char* out, int capacity);
void backup_file_name(const char* name, char* out, int capacity);

// Reads a slot file with the backup rule into buffer (CHARACTER_FILE_SIZE
// bytes); returns the bytes used, or -1 when neither copy gave anything.
int character_file_read(const char* name, char* buffer, int capacity);

// The live character to a file: the backup keeps the previous good copy.
// True when written now; a file held by another program keeps the save for
// later frames (save_queue.h), and then it is false for now.
bool character_save_to(const char* name);
// One try of a character text to its slot: the backup step (stage 0), then
// the slot itself (stage 1); a later try goes on from the stage reached.
SaveOutcome character_write_files(const char* name, const char* text, int length, uint8_t& stage);
// Log line and, for a failure, the message on screen.
void character_save_told(const char* name, int level, SaveOutcome outcome);
// Saves the current slot (nothing without one).
void character_save_current();
// The save made when the game ends: only what the player has confirmed.
void character_save_on_quit();
// Resets, then applies the file; true when some file was read.
bool character_load(const char* name);
// Applies a character text to the live game (after a reset).
void character_apply_text(const char* text);
// The state of a new game.
void character_reset();
// The live character as a record (position as it would be saved).
void character_record_of_player(CharacterRecord& r);

void characters_scan();
int characters_present_count();
// At start-up: scan and take over the old save; true when there are
// characters to list (else the live game is reset for a new one).
bool characters_load();
// Old single save into slot 1 when no character exists; true when taken over.
bool characters_migrate_old_save();

// The list's choice before it opens: the current character, else the first;
// false (the live game reset for a new one) when there is none. The screens
// open and close themselves (ui/character_select, ui/character_creation).
bool characters_list_prepare();
// Selects a row and loads its character when it is not the current one;
// false (and nothing made current) when it cannot be read.
bool character_select(int slot);
// Deletes a slot's files; with none left the live game is reset.
bool character_delete(int slot);
// The live character (made on the creation screen) into the first free slot.
bool character_create();
// The selected character made live for play (loaded if it was not).
bool character_start_play();

