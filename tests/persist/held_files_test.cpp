// Saves that meet a file another program holds (a scanner, a backup or sync
// tool): kept and tried again from later frames, never inside one, given up
// after about a second of play; refusals that will not pass fail at once.
// The file calls are the real ones with a holder faked in front of them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/layer_calls.h"
#include "persist/characters.h"
#include "persist/keyvalue.h"
#include "persist/options.h"
#include "persist/save_queue.h"
#include "persist_support.h"
#include "play/combat.h"
#include "play/player.h"
#include "play/player_input.h"
#include "render/hud.h"
#include "tests/support/shown.h"

namespace {

enum Hold { NOBODY, WHOLE, READING, REFUSING };
// WHOLE: opened sharing nothing. READING: others may read it, not replace
// it. REFUSING: read-only or on a full disk, which no wait mends.
struct Holder {
    std::string name;
    Hold how = NOBODY;
    int release_after = -1;  // calls still refused, then it lets go (-1: never)
    int calls = 0;           // every file call, held or not
    int writes_of[2] = {0, 0};  // writes of the slot's and of the backup's temporary file
    bool busy = false;
} holder;

bool hits(const char* name) {
    if (holder.how == NOBODY || holder.name != name) return false;
    if (holder.release_after == 0) {
        holder.how = NOBODY;
        return false;
    }
    if (holder.release_after > 0) --holder.release_after;
    return true;
}

int fake_read(const char* name, char* buffer, int capacity) {
    ++holder.calls;
    Hold how = holder.how;
    holder.busy = false;
    if (how != READING && hits(name)) {
        holder.busy = how == WHOLE;
        return -1;
    }
    return plat_read_file(name, buffer, capacity);
}

bool fake_write(const char* name, const void* data, int length) {
    ++holder.calls;
    std::string n = name;
    if (n == holder.name + ".tmp") ++holder.writes_of[0];
    if (n.find("-secours.txt.tmp") != std::string::npos) ++holder.writes_of[1];
    Hold how = holder.how;
    holder.busy = false;
    if (hits(name)) {
        holder.busy = how != REFUSING;
        return false;
    }
    return plat_write_file(name, data, length);
}

bool fake_replace(const char* from, const char* to) {
    ++holder.calls;
    Hold how = holder.how;
    holder.busy = false;
    if (hits(to)) {
        holder.busy = how != REFUSING;
        return false;
    }
    return plat_replace_file(from, to);
}

bool fake_busy() { return holder.busy; }

const KvFileCalls held_files = {fake_read, fake_write, fake_replace, fake_busy};

const float kFrame = 1.0f / 60.0f;
const char* const kFailed = "La sauvegarde a échoué : votre progression n'est pas enregistrée.";

int level_in(const std::string& text) { return kv_int(text.c_str(), "niveau", -1); }

class HeldFiles : public ::testing::Test {
protected:
    void SetUp() override {
        game_connect_layers();
        clear_game_files();
        holder = Holder();
        kv_set_file_calls(&held_files);
        current_slot = -1;
        character_reset();
        std::snprintf(player.name, sizeof player.name, "Lunete");
        hud_message("", 0.0f);
    }
    void TearDown() override {
        holder.how = NOBODY;
        saves_finish();
        kv_set_file_calls(nullptr);
        clear_game_files();
    }
    // Slot 1 at level 7 with a backup at level 6.
    std::string slot = slot_name(0), backup = backup_of(0);
    void saved_twice() {
        set_level_and_experience(6, 0);
        ASSERT_TRUE(character_save_to(slot.c_str()));
        set_level_and_experience(7, 0);
        ASSERT_TRUE(character_save_to(slot.c_str()));
        ASSERT_EQ(level_in(read_file(backup.c_str())), 6);
    }
    void hold(Hold how, const std::string& name, int release_after = -1) {
        holder.name = name;
        holder.how = how;
        holder.release_after = release_after;
        holder.writes_of[0] = holder.writes_of[1] = 0;
    }
    // Runs frames until the kept saves are done (at most max_frames); every
    // frame makes one try at most, so a few file calls, or none at all.
    int frames_until_done(int max_frames, int* most_calls_in_a_frame = nullptr) {
        int frames = 0;
        for (; frames < max_frames && saves_waiting(); ++frames) {
            int before = holder.calls;
            saves_frame(kFrame);
            int calls = holder.calls - before;
            if (most_calls_in_a_frame && calls > *most_calls_in_a_frame) *most_calls_in_a_frame = calls;
        }
        return frames;
    }
};

}  // namespace

TEST_F(HeldFiles, ASlotHeldWholeIsSavedOnALaterFrame) {
    saved_twice();
    set_level_and_experience(8, 0);
    hold(WHOLE, slot);
    size_t mark = log_text().size();
    EXPECT_FALSE(character_save_to(slot.c_str()));
    EXPECT_TRUE(saves_waiting());
    EXPECT_STREQ(shown_message(), "");
    // Meanwhile the list reads the character as it will be.
    static char text[CHARACTER_FILE_SIZE];
    ASSERT_GT(character_file_read(slot.c_str(), text, sizeof text), 0);
    EXPECT_EQ(level_in(text), 8);
    int most = 0;
    EXPECT_EQ(frames_until_done(30, &most), 30);  // half a second held
    EXPECT_TRUE(saves_waiting());
    EXPECT_LE(most, 1);  // only the slot's read, which the holder refuses
    EXPECT_EQ(level_in(read_file(slot.c_str())), 7);
    holder.how = NOBODY;
    EXPECT_LE(frames_until_done(10), (int)(SAVE_RETRY_EVERY / kFrame) + 1);
    EXPECT_FALSE(saves_waiting());
    EXPECT_EQ(level_in(read_file(slot.c_str())), 8);
    EXPECT_EQ(level_in(read_file(backup.c_str())), 7);
    EXPECT_STREQ(shown_message(), "");
    std::string log = log_text().substr(mark);
    EXPECT_NE(log.find("Partie sauvegardée (niveau 8).\r\n"), std::string::npos);
    EXPECT_EQ(log.find("Impossible"), std::string::npos);
}

TEST_F(HeldFiles, AReaderOfTheSlotHoldsOnlyItsReplacement) {
    saved_twice();
    set_level_and_experience(8, 0);
    hold(READING, slot);
    EXPECT_FALSE(character_save_to(slot.c_str()));
    // The backup step passed at the first try and is not done again.
    EXPECT_EQ(level_in(read_file(backup.c_str())), 7);
    frames_until_done(20);
    EXPECT_TRUE(saves_waiting());
    EXPECT_EQ(holder.writes_of[1], 1);
    EXPECT_GT(holder.writes_of[0], 1);
    holder.how = NOBODY;
    frames_until_done(10);
    EXPECT_FALSE(saves_waiting());
    EXPECT_EQ(level_in(read_file(slot.c_str())), 8);
    EXPECT_EQ(level_in(read_file(backup.c_str())), 7);
    EXPECT_EQ(holder.writes_of[1], 1);
}

TEST_F(HeldFiles, HeldForGoodItFailsAfterASecondOfPlayAndLosesNothing) {
    saved_twice();
    std::string old_slot = read_file(slot.c_str()), old_backup = read_file(backup.c_str());
    set_level_and_experience(8, 0);
    hold(WHOLE, slot);
    size_t mark = log_text().size();
    EXPECT_FALSE(character_save_to(slot.c_str()));
    int before = holder.calls;
    // 0.9 s of play: still kept, nothing said.
    EXPECT_EQ(frames_until_done(54), 54);
    EXPECT_STREQ(shown_message(), "");
    // By 1.05 s it is given up and the player is told as for any failed save.
    frames_until_done(9);
    EXPECT_FALSE(saves_waiting());
    EXPECT_STREQ(shown_message(), kFailed);
    EXPECT_NE(log_text().find("Impossible d'écrire la sauvegarde tervanne-perso-1.txt.\r\n", mark),
              std::string::npos);
    // About one try every tenth of a second, not one a frame.
    int tries = holder.calls - before;
    EXPECT_GE(tries, 9);
    EXPECT_LE(tries, 11);
    EXPECT_EQ(read_file(slot.c_str()), old_slot);
    EXPECT_EQ(read_file(backup.c_str()), old_backup);
}

TEST_F(HeldFiles, ARefusalThatWillNotPassIsToldAtOnce) {
    saved_twice();
    std::string old_slot = read_file(slot.c_str());
    set_level_and_experience(8, 0);
    hold(REFUSING, slot + ".tmp");
    EXPECT_FALSE(character_save_to(slot.c_str()));
    EXPECT_FALSE(saves_waiting());
    EXPECT_STREQ(shown_message(), kFailed);
    int before = holder.calls;
    frames_until_done(60);
    saves_frame(kFrame);
    EXPECT_EQ(holder.calls, before);
    EXPECT_EQ(read_file(slot.c_str()), old_slot);
    EXPECT_EQ(level_in(read_file(backup.c_str())), 7);
    // The options too: refused, logged at once, nothing kept.
    hold(REFUSING, "tervanne-options.txt");
    size_t mark = log_text().size();
    options_write();
    EXPECT_FALSE(saves_waiting());
    EXPECT_NE(log_text().find("Impossible d'écrire les options tervanne-options.txt.\r\n", mark), std::string::npos);
}

TEST_F(HeldFiles, AKeptSaveNeitherTakesAnotherCharacterNorRevivesADeletedOne) {
    std::snprintf(player.name, sizeof player.name, "Gareth");
    ASSERT_TRUE(character_create());  // slot 1
    std::snprintf(player.name, sizeof player.name, "Lionel");
    set_level_and_experience(3, 0);
    ASSERT_TRUE(character_create());  // slot 2
    ASSERT_TRUE(character_select(0));
    set_level_and_experience(9, 0);
    hold(WHOLE, slot);
    character_save_current();
    ASSERT_TRUE(saves_waiting());
    // Lionel is chosen while Gareth's save waits, and Gareth back again: he
    // comes back as he will be saved, not as the disk still has him.
    ASSERT_TRUE(character_select(1));
    EXPECT_STREQ(player.name, "Lionel");
    ASSERT_TRUE(character_select(0));
    EXPECT_STREQ(player.name, "Gareth");
    EXPECT_EQ(player.level, 9);
    // Lionel again, and only then the holder lets go: Gareth's file gets
    // the Gareth of the moment he was saved.
    ASSERT_TRUE(character_select(1));
    frames_until_done(6);
    holder.how = NOBODY;
    frames_until_done(10);
    std::string gareth = read_file(slot.c_str());
    EXPECT_EQ(level_in(gareth), 9);
    EXPECT_NE(gareth.find("nom Gareth\r\n"), std::string::npos);
    EXPECT_EQ(level_in(read_file(slot_name(1).c_str())), 3);
    ASSERT_TRUE(character_select(0));
    hold(WHOLE, slot);
    set_level_and_experience(10, 0);
    character_save_current();
    ASSERT_TRUE(saves_waiting());
    holder.how = NOBODY;
    // Deleted while its save waits: the save must not bring it back.
    EXPECT_TRUE(character_delete(0));
    EXPECT_FALSE(saves_waiting());
    frames_until_done(70);
    EXPECT_EQ(read_file(slot.c_str()), "");
    characters_scan();
    EXPECT_FALSE(character_slots[0].present);
    game_flags.character_select_open = 0;
}

TEST_F(HeldFiles, OptionsHeldAreWrittenLaterOrAtTheLastSecondOfTheGame) {
    const char* name = "tervanne-options.txt";
    options_defaults();
    options.sensitivity = 2.0f;
    hold(WHOLE, name);
    options_write();
    EXPECT_TRUE(saves_waiting());
    EXPECT_EQ(read_file(name), "");
    holder.how = NOBODY;
    frames_until_done(10);
    EXPECT_EQ(kv_int(read_file(name).c_str(), "sensibilite", 0), 2000);
    // At the end of the game no frame follows: the exit waits a little for
    // a holder that lets go at its third try.
    options.sensitivity = 0.5f;
    hold(WHOLE, name, 3);
    options_write();
    ASSERT_TRUE(saves_waiting());
    saves_finish();
    EXPECT_FALSE(saves_waiting());
    EXPECT_EQ(kv_int(read_file(name).c_str(), "sensibilite", 0), 500);
    // Held for good, the exit gives up and says so; the old file stays.
    options.sensitivity = 1.0f;
    hold(WHOLE, name);
    size_t mark = log_text().size();
    options_write();
    saves_finish();
    EXPECT_FALSE(saves_waiting());
    EXPECT_NE(log_text().find("Impossible d'écrire les options tervanne-options.txt.\r\n", mark), std::string::npos);
    EXPECT_EQ(kv_int(read_file(name).c_str(), "sensibilite", 0), 500);
    options_defaults();
}
