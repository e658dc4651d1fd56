// The character file: the line format, its clamps and migrations, round
// trips through real files, the backup rule, and saves cut off at every byte.
#include <gtest/gtest.h>

#include "tests/support/shown.h"
#include "ui/character_creation.h"
#include "ui/character_select.h"

#include <cmath>
#include <cstring>
#include <string>

#include "persist/character_record.h"
#include "persist/characters.h"
#include "game/layer_calls.h"
#include "ui/character_creation.h"
#include "persist/keyvalue.h"
#include "persist_support.h"
#include "play/player_input.h"
#include "play/combat.h"
#include "play/items.h"
#include "play/player.h"
#include "play/skills.h"
#include "render/hud.h"
#include "world/terrain.h"

namespace {

int first_item(bool stackable) {
    for (int id = 1; id <= ITEM_LAST; ++id)
        if (item_exists(id) && item_is_stackable(id) == stackable) return id;
    return 0;
}

// A whole, valid file with the given extra lines placed before the bag.
std::string file_with(const std::string& extra, const char* eol = "\r\n") {
    std::string t = std::string("# Tervanne - sauvegarde") + eol + "version 2" + eol + "niveau 3" + eol + extra;
    for (int s = 0; s < BAG_SLOTS; ++s)
        t += "sac_" + std::to_string(s) + " 0" + eol + "sacq_" + std::to_string(s) + " 0" + eol;
    return t;
}

CharacterRecord parse(const std::string& text) {
    CharacterRecord r;
    character_record_parse(text.c_str(), r);
    return r;
}

// A character with something in every field.
void make_rich_character() {
    current_slot = -1;
    character_reset();
    player.player_class = CLASS_DRUID;
    std::snprintf(player.name, sizeof player.name, "%s", "Énide d'Érec");
    set_level_and_experience(7, 123);
    quete_numero = 1, quete_etat = 2, quete_abattus = 10;
    dame_numero = 2, dame_etat = 1, dame_compte = 0;
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) giver_quest[g] = {0, (g % 2) * 2, 0};
    player.attacks_made = 41, player.targets_hit = 30, player.bullseyes = 5, player.kills = 17;
    player_look = {1, 4, 3, 6, 2, 0};
    player.purse = 4321;
    int potion = first_item(true), plain = first_item(false);
    bag[0] = {potion, 20};
    bag[7] = {plain, 1};
    bag[23] = {potion, 3};
    for (int s = 0; s < EQUIPMENT_SLOTS; ++s)
        for (int id = 1; id <= ITEM_LAST && !equipment[s]; ++id)
            if (item_fits_equipment_slot(id, s)) equipment[s] = id;
    for (int i = 0; i < PROFESSION_COUNT; ++i) profession_level[i] = 10 + i * 11;
    for (int i = 0; i < BAR_SLOTS; ++i) action_bar[i] = -1;
    action_bar[0] = 3;
    int drink = 1;
    while (drink < ITEM_LAST && !item_is_potion(drink)) ++drink;
    action_bar[9] = 100 + drink;  // only a potion may sit on the bar
    Vec3 spawn = world_spawn_point();
    player.pos_x = spawn.x + 12.345f;
    player.pos_z = spawn.z - 20.5f;
    player.heading = -1.25f;
}

struct Snapshot {
    int cls, level, experience, purse;
    std::string name;
    int keu[3], dame[3];
    QuestTriple givers[QUEST_GIVER_COUNT];
    int counters[4];
    AppearanceChoice look;
    BagSlot bag_copy[BAG_SLOTS];
    int equipment_copy[EQUIPMENT_SLOTS];
    int professions[PROFESSION_COUNT];
    int bar[BAR_SLOTS];
    float x, z, heading;
};

Snapshot snap() {
    Snapshot s;
    s.cls = player.player_class, s.level = player.level, s.experience = player.experience, s.purse = player.purse;
    s.name = player.name;
    s.keu[0] = quete_numero, s.keu[1] = quete_etat, s.keu[2] = quete_abattus;
    s.dame[0] = dame_numero, s.dame[1] = dame_etat, s.dame[2] = dame_compte;
    std::memcpy(s.givers, giver_quest, sizeof s.givers);
    s.counters[0] = player.attacks_made, s.counters[1] = player.targets_hit;
    s.counters[2] = player.bullseyes, s.counters[3] = player.kills;
    s.look = player_look;
    std::memcpy(s.bag_copy, bag, sizeof bag);
    std::memcpy(s.equipment_copy, equipment, sizeof equipment);
    std::memcpy(s.professions, profession_level, sizeof s.professions);
    std::memcpy(s.bar, action_bar, sizeof s.bar);
    s.x = player.pos_x, s.z = player.pos_z, s.heading = player.heading;
    return s;
}

void expect_same(const Snapshot& a, const Snapshot& b) {
    EXPECT_EQ(a.cls, b.cls);
    EXPECT_EQ(a.level, b.level);
    EXPECT_EQ(a.experience, b.experience);
    EXPECT_EQ(a.purse, b.purse);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(0, std::memcmp(a.keu, b.keu, sizeof a.keu));
    EXPECT_EQ(0, std::memcmp(a.dame, b.dame, sizeof a.dame));
    EXPECT_EQ(0, std::memcmp(a.counters, b.counters, sizeof a.counters));
    EXPECT_EQ(0, std::memcmp(&a.look, &b.look, sizeof a.look));
    EXPECT_EQ(0, std::memcmp(a.bag_copy, b.bag_copy, sizeof a.bag_copy));
    EXPECT_EQ(0, std::memcmp(a.equipment_copy, b.equipment_copy, sizeof a.equipment_copy));
    EXPECT_EQ(0, std::memcmp(a.professions, b.professions, sizeof a.professions));
    EXPECT_EQ(0, std::memcmp(a.bar, b.bar, sizeof a.bar));
    EXPECT_NEAR(a.x, b.x, 0.011f);
    EXPECT_NEAR(a.z, b.z, 0.011f);
    EXPECT_NEAR(a.heading, b.heading, 0.0011f);
}

class CharacterFile : public ::testing::Test {
protected:
    void SetUp() override {
        game_connect_layers();
        clear_game_files();
        kv_set_file_writer(nullptr);
        game_flags.underground = 0;
    }
    void TearDown() override {
        kv_set_file_writer(nullptr);
        clear_game_files();
    }
};

}  // namespace

TEST(KeyValueLines, KeysNumbersAndTexts) {
    const char* t = "\xEF\xBB\xBF# Tervanne\r\nxniveau 9\nniveau   -42\r\nniveau 7\nnom Gauvain le Hardi\r\n"
                    "or 1234567890\nbad abc\nempty \n";
    EXPECT_EQ(kv_int(t, "niveau", 1), -42);        // the first line wins, the key only at a line start
    EXPECT_EQ(kv_int(t, "or", 0), 123456789);       // nine digits at most
    EXPECT_EQ(kv_int(t, "bad", 5), 5);              // not a number: the default
    EXPECT_EQ(kv_int(t, "empty", 6), 6);
    EXPECT_EQ(kv_int(t, "absent", 8), 8);
    EXPECT_EQ(kv_int(t, "niv", 3), 3);              // a key must be followed by a space
    char name[24];
    EXPECT_TRUE(kv_text(t, "nom", name, sizeof name));
    EXPECT_STREQ(name, "Gauvain le Hardi");         // the CR ends the text
    // Cut to the buffer, never inside a UTF-8 sequence.
    char small[6];
    kv_text("nom Élaine\n", "nom", small, sizeof small);
    EXPECT_STREQ(small, "Élai");
    kv_text("nom aaaaÉ\n", "nom", small, sizeof small);
    EXPECT_STREQ(small, "aaaa");
}

TEST(KeyValueLines, ValidityNeedsTheWholeFile) {
    std::string whole = file_with("");
    EXPECT_TRUE(character_text_valid(whole.c_str()));
    EXPECT_TRUE(character_text_valid(file_with("", "\n").c_str()));  // LF ends as well
    std::string old = whole;
    old.replace(0, std::strlen("# Tervanne - sauvegarde"), "# Archer de Tervanne");
    EXPECT_TRUE(character_text_valid(old.c_str()));
    EXPECT_FALSE(character_text_valid(("# Autre jeu\r\n" + whole.substr(24)).c_str()));
    // Every cut before the last line ends is invalid.
    for (size_t k = 0; k < whole.size() - 1; ++k)
        ASSERT_FALSE(character_text_valid(whole.substr(0, k).c_str())) << "cut at " << k;
}

TEST(KeyValueLines, ReadRulesClampAndMigrate) {
    int potion = first_item(true), plain = first_item(false);
    ASSERT_GT(potion, 0);
    ASSERT_GT(plain, 0);
    std::string extra = "classe 7\r\nmetier_0 200\r\nmetier_1 -5\r\nmetier_2 74\r\nfleches_tirees -8\r\n"
                        "bourse -3\r\ninventaire 1\r\napparence_peau 9\r\napparence_yeux 3\r\n"
                        "apparence_barbe -1\r\nporte_0 999\r\n";
    std::string text = file_with(extra);
    // The bag keys come last in a real file; replace the first two slots' lines.
    text.replace(text.find("sac_0 0\r\nsacq_0 0"), 17, "sac_0 " + std::to_string(potion) + "\r\nsacq_0 50");
    text.replace(text.find("sac_1 0\r\nsacq_1 0"), 17, "sac_1 " + std::to_string(plain) + "\r\nsacq_1 50");
    text.replace(text.find("sac_2 0\r\n"), 9, "sac_2 777\r\n");
    CharacterRecord r = parse(text);
    EXPECT_EQ(r.player_class, 2);                   // 7 reads as a druid
    EXPECT_EQ(parse(file_with("classe -4\r\n")).player_class, 0);
    EXPECT_EQ(r.professions[0], 75);
    EXPECT_EQ(r.professions[1], 1);
    EXPECT_EQ(r.professions[2], 74);
    EXPECT_EQ(r.professions[3], 1);                 // absent
    EXPECT_EQ(r.attacks_made, 0);
    EXPECT_EQ(r.purse, 0);
    EXPECT_EQ(r.look[LOOK_SKIN], -1);               // out of range: keep the current one
    EXPECT_EQ(r.look[LOOK_EYES], 3);
    EXPECT_EQ(r.look[LOOK_BEARD], -1);
    EXPECT_EQ(r.look[LOOK_WOMAN], -1);              // absent
    EXPECT_EQ(r.bag[0].id, potion);
    EXPECT_EQ(r.bag[0].count, 20);
    EXPECT_EQ(r.bag[1].id, plain);
    EXPECT_EQ(r.bag[1].count, 1);
    EXPECT_EQ(r.bag[2].id, 0);                      // no such item
    EXPECT_EQ(r.equipment[0], 0);
    // Without "inventaire" the bag is not read at all.
    std::string no_inv = text;
    no_inv.replace(no_inv.find("inventaire 1"), 12, "inventaire 0");
    EXPECT_EQ(parse(no_inv).bag[0].id, 0);
}

TEST_F(CharacterFile, EveryFieldSurvivesARoundTrip) {
    make_rich_character();
    Snapshot before = snap();
    ASSERT_TRUE(character_save_to(slot_name(2).c_str()));
    EXPECT_NE(log_text().find("Partie sauvegardée (niveau 7).\r\n"), std::string::npos);
    std::string text = read_file(slot_name(2).c_str());
    EXPECT_EQ(text.rfind("# Tervanne - sauvegarde\r\nversion 2\r\nniveau 7\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nquetes_v 2\r\n"), std::string::npos);
    EXPECT_LT(text.size(), (size_t)CHARACTER_FILE_SIZE);
    // Keys in the order the file is read back.
    EXPECT_LT(text.find("\r\nclasse "), text.find("\r\nnom "));
    EXPECT_LT(text.find("\r\nmetier_5 "), text.find("\r\nbarre_0 "));
    EXPECT_LT(text.find("\r\ncap "), text.find("\r\nporte_0 "));
    EXPECT_LT(text.find("\r\nsac_23 "), text.find("\r\nsacq_23 "));

    player_look = {0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(character_load(slot_name(2).c_str()));
    expect_same(before, snap());
    EXPECT_NE(log_text().find("Sauvegarde chargée : niveau 7.\r\n"), std::string::npos);

    // The same file with LF ends only, as a hand edit might leave it.
    std::string lf;
    for (char c : text)
        if (c != '\r') lf += c;
    put_file(slot_name(3).c_str(), lf);
    ASSERT_TRUE(character_load(slot_name(3).c_str()));
    expect_same(before, snap());
}

TEST_F(CharacterFile, BackupRuleAndItsLogLine) {
    make_rich_character();
    std::string name = slot_name(0);
    ASSERT_TRUE(character_save_to(name.c_str()));  // first save: no backup yet
    EXPECT_EQ(read_file(backup_of(0).c_str()), "");
    std::string first = read_file(name.c_str());
    set_level_and_experience(8, 0);
    ASSERT_TRUE(character_save_to(name.c_str()));  // the previous file becomes the backup
    EXPECT_EQ(read_file(backup_of(0).c_str()), first);
    EXPECT_EQ(backup_of(2), "tervanne-perso-3-secours.txt");

    // A file cut before its last key: the backup (level 7) is used and said.
    std::string second = read_file(name.c_str());
    put_file(name.c_str(), second.substr(0, second.size() / 2));
    size_t mark = log_text().size();
    ASSERT_TRUE(character_load(name.c_str()));
    EXPECT_EQ(player.level, 7);
    EXPECT_NE(log_text().find("Sauvegarde tervanne-perso-1.txt abîmée : copie de secours utilisée.\r\n", mark),
              std::string::npos);

    // No good backup: the damaged file is still read as it is.
    put_file(backup_of(0).c_str(), "");
    ASSERT_TRUE(character_load(name.c_str()));
    EXPECT_EQ(player.level, 8);

    // Both zero-length: the slot is absent from the list and loads nothing.
    put_file(name.c_str(), "");
    characters_scan();
    EXPECT_FALSE(character_slots[0].present);
    mark = log_text().size();
    EXPECT_FALSE(character_load(name.c_str()));
    EXPECT_EQ(player.level, 1);
    EXPECT_NE(log_text().find("Aucune sauvegarde : nouvelle partie.\r\n", mark), std::string::npos);
}

// A full disk or a crash at any byte of either write, or a slot file left cut
// off at any byte: the next load finds the old or the new character whole.
namespace {
int write_budget = -1;
int writes_seen = 0;
int fail_on_write = 0;
bool cut_writer(const char* name, const void* data, int length) {
    ++writes_seen;
    if (writes_seen != fail_on_write) return plat_write_file(name, data, length);
    int n = write_budget < length ? write_budget : length;
    plat_write_file(name, data, n);
    return false;
}
}  // namespace

TEST_F(CharacterFile, AnInterruptedSaveNeverLosesTheCharacter) {
    make_rich_character();
    std::string name = slot_name(4);
    ASSERT_TRUE(character_save_to(name.c_str()));
    set_level_and_experience(8, 0);
    ASSERT_TRUE(character_save_to(name.c_str()));  // slot: level 8, backup: level 7
    std::string old_slot = read_file(name.c_str()), old_backup = read_file(backup_of(4).c_str());
    set_level_and_experience(9, 0);
    player.purse = 99;
    std::string new_text;
    {
        CharacterRecord r;
        character_record_of_player(r);
        char buf[CHARACTER_FILE_SIZE];
        int n = character_record_write(r, save_bar, buf, sizeof buf);
        ASSERT_GT(n, 0);
        new_text.assign(buf, (size_t)n);
    }
    const int level_new = 9;
    kv_set_file_writer(cut_writer);
    // Write 1 is the backup, write 2 the slot.
    for (int which = 1; which <= 2; ++which) {
        int length = (int)(which == 1 ? old_slot.size() : new_text.size());
        for (int k = 0; k < length; ++k) {
            put_file(name.c_str(), old_slot);
            put_file(backup_of(4).c_str(), old_backup);
            set_level_and_experience(level_new, 0);
            player.purse = 99;
            writes_seen = 0;
            fail_on_write = which;
            write_budget = k;
            hud_message("", 0.0f);
            EXPECT_FALSE(character_save_to(name.c_str()));
            // A failed save is told on screen, not only in the log.
            EXPECT_STREQ(shown_message(), "La sauvegarde a échoué : votre progression n'est pas enregistrée.");
            ASSERT_TRUE(character_load(name.c_str()));
            ASSERT_TRUE(player.level == 8 || (player.level == level_new && player.purse == 99))
                << "write " << which << " cut at " << k << ": level " << player.level;
        }
    }
    kv_set_file_writer(nullptr);
    // Even a slot file cut at any byte in place (no temporary file) loads
    // one whole character: the backup's.
    for (size_t k = 0; k < new_text.size(); ++k) {
        put_file(name.c_str(), new_text.substr(0, k));
        put_file(backup_of(4).c_str(), old_slot);
        ASSERT_TRUE(character_load(name.c_str()));
        ASSERT_EQ(player.level, 8) << "cut at " << k;
        ASSERT_EQ(player.purse, 4321) << "cut at " << k;
    }
    EXPECT_NE(log_text().find("Impossible d'écrire la sauvegarde tervanne-perso-5.txt.\r\n"), std::string::npos);
}

// The quest triples go through the quest code's migration and rules.
TEST_F(CharacterFile, QuestChainsMigrateAndReset) {
    struct Case {
        const char* lines;
        int keu[3], dame[3];
    } cases[] = {
        // Sire Keu's finished chain survives a reload; nonsense resets.
        {"quete_numero 2\r\nquete_etat 3\r\nquete_abattus 7\r\nquetes_v 2\r\n", {2, 3, 0}, {0, 0, 0}},
        {"quete_numero 5\r\nquete_etat 1\r\nquete_abattus 3\r\nquetes_v 2\r\n", {0, 0, 0}, {0, 0, 0}},
        // A count at the goal is an objective met, whatever state was stored.
        {"quete_numero 1\r\nquete_etat 1\r\nquete_abattus 99\r\nquetes_v 2\r\n", {1, 2, 10}, {0, 0, 0}},
        // Old quest data (no "quetes_v"): numero 5 is Viviane's finished chain.
        {"dame_numero 5\r\ndame_etat 0\r\ndame_compte 4\r\n", {0, 0, 0}, {3, 3, 0}},
        {"dame_numero 4\r\ndame_etat 1\r\ndame_compte 6\r\n", {0, 0, 0}, {2, 2, 1}},
        {"dame_numero 3\r\ndame_etat 2\r\ndame_compte 2\r\n", {0, 0, 0}, {2, 0, 0}},
        // New data: numero 3 is the end of her chain; a bad state resets.
        {"dame_numero 3\r\ndame_etat 2\r\ndame_compte 2\r\nquetes_v 2\r\n", {0, 0, 0}, {3, 3, 0}},
        {"dame_numero 1\r\ndame_etat 4\r\ndame_compte 2\r\nquetes_v 2\r\n", {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        put_file(slot_name(0).c_str(), file_with(c.lines));
        ASSERT_TRUE(character_load(slot_name(0).c_str()));
        EXPECT_EQ(quete_numero, c.keu[0]) << c.lines;
        EXPECT_EQ(quete_etat, c.keu[1]) << c.lines;
        EXPECT_EQ(quete_abattus, c.keu[2]) << c.lines;
        EXPECT_EQ(dame_numero, c.dame[0]) << c.lines;
        EXPECT_EQ(dame_etat, c.dame[1]) << c.lines;
        EXPECT_EQ(dame_compte, c.dame[2]) << c.lines;
    }
}

TEST_F(CharacterFile, PlacesOutsideTheDungeonAndAfterDeath) {
    make_rich_character();
    game_flags.underground = 1;
    CharacterRecord r;
    character_record_of_player(r);
    game_flags.underground = 0;
    EXPECT_EQ(r.pos_x, 4705);
    EXPECT_EQ(r.pos_z, 32359);
    EXPECT_EQ(r.cap, -2930);
    player.dead = 1;
    character_record_of_player(r);
    Vec3 spawn = world_spawn_point();
    EXPECT_EQ(r.pos_x, (int)(spawn.x * 100.0f));
    EXPECT_EQ(r.cap, 1570);
    // A position inside the dungeon's square reads as the Camelot spawn.
    put_file(slot_name(1).c_str(), file_with("pos_x 104800\r\npos_z 560\r\ncap 100\r\n"));
    ASSERT_TRUE(character_load(slot_name(1).c_str()));
    EXPECT_NEAR(player.pos_x, spawn.x, 0.01f);
    EXPECT_NEAR(player.pos_z, spawn.z, 0.01f);
    // One coordinate alone keeps the start position.
    put_file(slot_name(1).c_str(), file_with("pos_x 1000\r\n"));
    ASSERT_TRUE(character_load(slot_name(1).c_str()));
    EXPECT_NEAR(player.pos_x, spawn.x, 0.01f);
}

TEST_F(CharacterFile, OldSaveBecomesTheFirstArcher) {
    std::string old = file_with("experience 5\r\n");
    old.replace(0, std::strlen("# Tervanne - sauvegarde"), "# Archer de Tervanne");
    put_file("tervanne-sauvegarde.txt", old);
    size_t mark = log_text().size();
    character_screens_open();
    EXPECT_NE(log_text().find("Ancienne sauvegarde reprise comme premier personnage.\r\n", mark), std::string::npos);
    ASSERT_TRUE(character_slots[0].present);
    EXPECT_STREQ(character_slots[0].name, "Archer");
    EXPECT_EQ(character_slots[0].player_class, 0);
    EXPECT_EQ(character_slots[0].level, 3);
    EXPECT_EQ(read_file("tervanne-sauvegarde.txt"), old);  // left where it was
    EXPECT_TRUE(game_flags.character_select_open);
    EXPECT_EQ(current_slot, 0);
    EXPECT_EQ(player.level, 3);
    // A character present: the old save is not taken over a second time.
    put_file(slot_name(0).c_str(), "");
    put_file(slot_name(5).c_str(), file_with("nom Lunete\r\n"));
    character_screens_open();
    EXPECT_FALSE(character_slots[0].present);
    EXPECT_EQ(selected_slot, 5);
    game_flags.character_select_open = 0;
}

TEST_F(CharacterFile, ListActionsKeepEveryCharacterSafe) {
    // No character at all: creation opens and no slot is current.
    character_screens_open();
    EXPECT_TRUE(game_flags.character_creation_open);
    EXPECT_EQ(current_slot, -1);
    make_rich_character();
    ASSERT_TRUE(character_creation_commit());
    EXPECT_EQ(current_slot, 0);
    EXPECT_FALSE(game_flags.character_creation_open);
    EXPECT_STREQ(shown_message(), "Bienvenue à Tervanne, Énide d'Érec");
    // Making a new one: the first character is no longer current, so quitting
    // half-way saves nothing over it.
    std::string first = read_file(slot_name(0).c_str());
    character_creation_open_new();
    EXPECT_EQ(current_slot, -1);
    player.purse = 1;
    character_save_current();
    EXPECT_EQ(read_file(slot_name(0).c_str()), first);
    std::snprintf(player.name, sizeof player.name, "Bohort");
    ASSERT_TRUE(character_create());
    EXPECT_EQ(current_slot, 1);
    // Fill the list: creation is refused at eight.
    for (int i = 2; i < CHARACTER_SLOTS; ++i) ASSERT_TRUE(character_create());
    EXPECT_EQ(characters_present_count(), 8);
    EXPECT_FALSE(character_create());
    // A listed slot that cannot be read when chosen never becomes current.
    character_select_show();
    put_file(slot_name(6).c_str(), "");
    put_file(backup_of(6).c_str(), "");
    EXPECT_FALSE(character_select(6));
    EXPECT_EQ(current_slot, -1);
    character_save_current();
    EXPECT_EQ(read_file(slot_name(6).c_str()), "");
    characters_scan();
    // Deleting the selected character empties both copies and selects the first.
    ASSERT_TRUE(character_select(1));
    ASSERT_TRUE(character_save_to(slot_name(1).c_str()));  // now with a backup
    size_t mark = log_text().size();
    EXPECT_TRUE(character_delete(1));
    EXPECT_NE(log_text().find("Personnage supprimé : Bohort.\r\n", mark), std::string::npos);
    EXPECT_EQ(read_file(slot_name(1).c_str()), "");
    EXPECT_EQ(read_file(backup_of(1).c_str()), "");
    EXPECT_EQ(selected_slot, 0);
    EXPECT_EQ(current_slot, 0);
    EXPECT_STREQ(player.name, "Énide d'Érec");
    game_flags.character_select_open = 0;
}

TEST_F(CharacterFile, LongFilesReadUpToTheirBuffer) {
    // 8 KiB and more: only the first 8191 bytes count, so the last key is
    // lost and the file is damaged; with no backup it is read as it is.
    std::string head = "# Tervanne - sauvegarde\r\nniveau 5\r\nclasse 1\r\n# " + std::string(9000, 'x') + "\r\n";
    std::string text = head + file_with("").substr(std::strlen("# Tervanne - sauvegarde\r\n"));
    put_file(slot_name(0).c_str(), text);
    ASSERT_TRUE(character_load(slot_name(0).c_str()));
    EXPECT_EQ(player.level, 5);
    EXPECT_EQ(player.player_class, CLASS_WARRIOR);
    // With a good backup, the backup wins.
    put_file(backup_of(0).c_str(), file_with("classe 2\r\n"));
    ASSERT_TRUE(character_load(slot_name(0).c_str()));
    EXPECT_EQ(player.player_class, CLASS_DRUID);
    EXPECT_EQ(player.level, 3);
    // The temporary file of a save never stays behind.
    ASSERT_TRUE(character_save_to(slot_name(0).c_str()));
    EXPECT_EQ(read_file((slot_name(0) + ".tmp").c_str()), "");
    // A damaged slot file never overwrites the good backup.
    EXPECT_EQ(read_file(backup_of(0).c_str()), file_with("classe 2\r\n"));
}
