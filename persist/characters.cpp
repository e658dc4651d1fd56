// The character slots: scanning, reading with the backup rule, loading into
// the live game, saving, the old save's takeover and the list's actions.
#include "persist/characters.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/game_events.h"
#include "common/game_time.h"
#include "play/player_input.h"
#include "persist/persist_calls.h"
#include "persist/save_queue.h"
#include "platform/platform.h"
#include "play/camera.h"
#include "play/combat.h"
#include "play/player.h"
#include "play/player_move.h"
#include "play/skills.h"
#include "render/hud.h"
#include "play/catacomb_visits.h"
#include "world/terrain.h"

CharacterSlot character_slots[CHARACTER_SLOTS];
int current_slot = -1;
int selected_slot = -1;

// Where a character saved underground stands on the next load: on the heath,
// outside the cave.
static const float kOutsideX = 47.0571f, kOutsideZ = 323.5999f;

void character_file_name(int slot, char* out, int capacity) {
    std::snprintf(out, (size_t)capacity, "tervanne-perso-%d.txt", slot + 1);
}

void backup_file_name(const char* name, char* out, int capacity) {
    char base[64];
    std::snprintf(base, sizeof base, "%s", name);
    char* dot = std::strstr(base, ".txt");
    if (dot) *dot = 0;
    std::snprintf(out, (size_t)capacity, "%.51s-secours.txt", base);
}

int character_file_read(const char* name, char* buffer, int capacity) {
    // A save kept for a held file is the character as it will be on disk.
    int kept_length = 0;
    if (const char* kept = saves_waiting_text(name, &kept_length)) {
        if (capacity <= 0) return -1;
        int n = kept_length < capacity - 1 ? kept_length : capacity - 1;
        std::memcpy(buffer, kept, (size_t)n);
        buffer[n] = 0;
        return n;
    }
    const KvFileCalls& files = kv_files();
    int got = files.read(name, buffer, capacity);
    if (got > 0 && character_text_valid(buffer)) return got;
    char backup[64];
    backup_file_name(name, backup, sizeof backup);
    int b = files.read(backup, buffer, capacity);
    if (b > 0 && character_text_valid(buffer)) {
        if (got > 0) log_printf("Sauvegarde %s abîmée : copie de secours utilisée.", name);
        return b;
    }
    if (got > 0) return files.read(name, buffer, capacity);
    return -1;
}

static const char* class_name(int cls, bool woman) {
    if (cls < 0 || cls > 2) cls = 0;
    return woman ? class_defs[cls].female_name : class_defs[cls].name;
}

void characters_scan() {
    static char text[CHARACTER_FILE_SIZE];
    for (int s = 0; s < CHARACTER_SLOTS; ++s) {
        CharacterSlot& slot = character_slots[s];
        std::memset(&slot, 0, sizeof slot);
        char name[64];
        character_file_name(s, name, sizeof name);
        if (character_file_read(name, text, sizeof text) <= 0) continue;
        slot.present = 1;
        int cls = kv_int(text, "classe", 0);
        slot.player_class = cls < 0 ? 0 : (cls > 2 ? 2 : cls);
        int level = kv_int(text, "niveau", 1);
        slot.level = level < 1 ? 1 : (level > MAX_LEVEL ? MAX_LEVEL : level);
        slot.woman = kv_int(text, "apparence_femme", 0) == 1 ? 1 : 0;
        kv_text(text, "nom", slot.name, sizeof slot.name);
        if (!slot.name[0]) std::snprintf(slot.name, sizeof slot.name, "%s", class_name(slot.player_class, slot.woman));
    }
}

int characters_present_count() {
    int n = 0;
    for (const CharacterSlot& s : character_slots) n += s.present;
    return n;
}

void character_reset() {
    if (game_flags.underground) catacombs_leave();
    if (hud_dialog_state().open) hud_dialog_close();
    player_reset_new();
    player.mana = 1000.0f;
    professions_reset();
    bar_default();
    player_windows_close_all();
    game_flags.windows.merchant = game_flags.windows.loot = 0;
    // Straight to the HUD: a welcome the screens show next must not be
    // wiped when the frame's results are handed on.
    hud_message("", 0.0f);
    clear_skills();
    combat_clear();
    inventory_clear();
    player.purse = 0;
    equipment_apply();
    player_recompute_stats();
    set_level_and_experience(1, 0);
    quests_reset_all();
}

void character_apply_text(const char* text) {
    CharacterRecord r;
    character_record_parse(text, r);
    player.player_class = r.player_class;
    set_level_and_experience(r.level, r.experience);
    quete_numero = r.keu.numero;
    quete_etat = r.keu.etat;
    quete_abattus = r.keu.compte;
    player.attacks_made = r.attacks_made;
    player.targets_hit = r.targets_hit;
    player.bullseyes = r.bullseyes;
    player.kills = r.kills;
    int32_t* look[LOOK_FIELDS] = {&player_look.woman, &player_look.skin,  &player_look.eyes,
                                  &player_look.hair,  &player_look.style, &player_look.beard};
    // Out of range or absent keeps what the figure has; the model follows
    // the look by itself when it differs.
    for (int i = 0; i < LOOK_FIELDS; ++i)
        if (r.look[i] >= 0) *look[i] = r.look[i];
    if (r.name[0])
        std::snprintf(player.name, sizeof player.name, "%s", r.name);
    else
        std::snprintf(player.name, sizeof player.name, "%s", class_name(r.player_class, player_look.woman != 0));
    if (r.inventory) {
        inventory_clear();
        player.purse = r.purse;
        for (int s = 0; s < EQUIPMENT_SLOTS; ++s) equipment[s] = r.equipment[s];
        for (int s = 0; s < BAG_SLOTS; ++s) bag[s] = r.bag[s];
        equipment_apply();
        player_recompute_stats();
        set_level_and_experience(r.level, r.experience);
    }
    dame_numero = r.dame.numero;
    dame_etat = r.dame.etat;
    dame_compte = r.dame.compte;
    // Files from before the second quest data numbered Viviane's chain
    // differently; the quest code knows how, and then checks every triple.
    if (r.quests_version < 2) quests_migrate_old_lady();
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) giver_quest[g] = r.givers[g];
    quests_after_load();
    for (int i = 0; i < PROFESSION_COUNT; ++i) profession_level[i] = r.professions[i];
    load_bar(text);
    if (r.has_position) {
        float x = (float)r.pos_x / 100.0f, z = (float)r.pos_z / 100.0f;
        float heading = (float)r.cap / 1000.0f;
        if (!in_catacombs(x)) {
            Vec3 p = resolve_step({x, 0.0f, z});
            player.pos_x = p.x;
            player.pos_z = p.z;
            player.pos_y = ground_height(p.x, p.z);
            player.heading = heading;
            player.camera_yaw = heading;
        } else {
            Vec3 spawn = world_spawn_point();
            player.pos_x = spawn.x;
            player.pos_y = spawn.y;
            player.pos_z = spawn.z;
        }
    }
}

bool character_load(const char* name) {
    character_reset();
    static char text[CHARACTER_FILE_SIZE];
    if (character_file_read(name, text, sizeof text) <= 0) {
        log_printf("Aucune sauvegarde : nouvelle partie.");
        return false;
    }
    character_apply_text(text);
    log_printf("Sauvegarde chargée : niveau %d.", player.level);
    return true;
}

void character_record_of_player(CharacterRecord& r) {
    std::memset(&r, 0, sizeof r);
    r.player_class = player.player_class;
    std::snprintf(r.name, sizeof r.name, "%s", player.name);
    r.level = player.level;
    r.experience = player.experience;
    r.keu = {quete_numero, quete_etat, quete_abattus};
    r.attacks_made = player.attacks_made;
    r.targets_hit = player.targets_hit;
    r.bullseyes = player.bullseyes;
    r.kills = player.kills;
    // Looks being tried on the edit screen are not the character's until "Valider".
    AppearanceChoice chosen = player_look;
    float heading = player.heading;
    persist_calls.character_creation_confirmed_look(&chosen, &heading);
    const int32_t look[LOOK_FIELDS] = {chosen.woman, chosen.skin,  chosen.eyes,
                                       chosen.hair,  chosen.style, chosen.beard};
    for (int i = 0; i < LOOK_FIELDS; ++i) r.look[i] = look[i];
    r.inventory = 1;
    r.purse = player.purse;
    for (int s = 0; s < EQUIPMENT_SLOTS; ++s) r.equipment[s] = equipment[s];
    for (int s = 0; s < BAG_SLOTS; ++s) r.bag[s] = bag[s];
    r.dame = {dame_numero, dame_etat, dame_compte};
    r.quests_version = 2;
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) r.givers[g] = giver_quest[g];
    for (int i = 0; i < PROFESSION_COUNT; ++i) r.professions[i] = profession_level[i];
    r.has_position = 1;
    float x = player.pos_x, z = player.pos_z;
    if (game_flags.underground) {
        x = kOutsideX;
        z = kOutsideZ;
        heading = std::atan2(-0.2095f, -0.9778f);
    } else if (player.dead) {
        Vec3 spawn = world_spawn_point();
        x = spawn.x;
        z = spawn.z;
        heading = 3.14159265f * 0.5f;
    }
    r.pos_x = (int)(x * 100.0f);
    r.pos_z = (int)(z * 100.0f);
    r.cap = (int)(heading * 1000.0f);
}

SaveOutcome character_write_files(const char* name, const char* text, int length, uint8_t& stage) {
    static char previous[CHARACTER_FILE_SIZE];
    const KvFileCalls& files = kv_files();
    // The backup keeps the last good copy; both go through a temporary file,
    // so a failure at any byte leaves a file that loads. When the backup
    // cannot be written the slot is left alone: it is then the only good copy.
    if (stage == 0) {
        int got = files.read(name, previous, sizeof previous);
        if (got < 0 && files.busy()) return SAVE_WAITING;
        if (got > 0 && character_text_valid(previous)) {
            char backup[64];
            backup_file_name(name, backup, sizeof backup);
            if (!kv_write_file(backup, previous, got)) return kv_write_busy() ? SAVE_WAITING : SAVE_REFUSED;
        }
        stage = 1;
    }
    if (!kv_write_file(name, text, length)) return kv_write_busy() ? SAVE_WAITING : SAVE_REFUSED;
    return SAVE_WRITTEN;
}

void character_save_told(const char* name, int level, SaveOutcome outcome) {
    if (outcome == SAVE_WRITTEN) log_printf("Partie sauvegardée (niveau %d).", level);
    if (outcome != SAVE_REFUSED) return;
    log_printf("Impossible d'écrire la sauvegarde %s.", name);
    // The log alone goes unread: the player must know before quitting.
    result_message("La sauvegarde a échoué : votre progression n'est pas enregistrée.", 4.0f);
}

bool character_save_to(const char* name) {
    static char text[CHARACTER_FILE_SIZE];
    CharacterRecord r;
    character_record_of_player(r);
    int length = character_record_write(r, save_bar, text, sizeof text);
    if (length <= 0) {
        character_save_told(name, player.level, SAVE_REFUSED);
        return false;
    }
    // The text is taken now: a save kept for later must not pick up another
    // character chosen meanwhile.
    return save_now_or_later(SAVE_CHARACTER, name, text, length, player.level) == SAVE_WRITTEN;
}

void character_save_current() {
    if (current_slot < 0 || current_slot >= CHARACTER_SLOTS) return;
    char name[64];
    character_file_name(current_slot, name, sizeof name);
    character_save_to(name);
}

void character_save_on_quit() {
    // The list shows its character as the file holds it, only turned to face
    // the view (play was saved on the way there): nothing new to keep.
    if (game_flags.character_select_open) return;
    character_save_current();
}

bool characters_migrate_old_save() {
    static char text[OLD_SAVE_FILE_SIZE + 32];
    int got = kv_files().read("tervanne-sauvegarde.txt", text, OLD_SAVE_FILE_SIZE);
    if (got <= 0) return false;
    if (!kv_find(text, "classe")) {
        static const char extra[] = "classe 0\r\nnom Archer\r\n";
        // The buffer keeps room for it past the read limit.
        std::memcpy(text + got, extra, sizeof extra);
        got += (int)sizeof extra - 1;
    }
    char name[64];
    character_file_name(0, name, sizeof name);
    if (!kv_write_file(name, text, got)) return false;
    log_printf("Ancienne sauvegarde reprise comme premier personnage.");
    characters_scan();
    return true;
}

bool characters_load() {
    characters_scan();
    if (characters_present_count() == 0) characters_migrate_old_save();
    if (characters_present_count() > 0) return true;
    current_slot = -1;
    character_reset();
    return false;
}

bool character_select(int slot) {
    if (slot < 0 || slot >= CHARACTER_SLOTS || !character_slots[slot].present) return false;
    selected_slot = slot;
    if (slot == current_slot) return true;
    char name[64];
    character_file_name(slot, name, sizeof name);
    // A slot that cannot be read just now must not become current: its next
    // save would overwrite both copies with a blank character.
    current_slot = -1;
    if (!character_load(name)) return false;
    current_slot = slot;
    player.heading = presentation_heading(player, player_look.woman != 0, 0.3f);
    return true;
}

static int first_present() {
    for (int s = 0; s < CHARACTER_SLOTS; ++s)
        if (character_slots[s].present) return s;
    return -1;
}

bool characters_list_prepare() {
    characters_scan();
    int slot = current_slot >= 0 && character_slots[current_slot].present ? current_slot : first_present();
    if (slot < 0) {
        current_slot = -1;
        character_reset();
        return false;
    }
    selected_slot = slot;
    if (slot != current_slot) character_select(slot);
    return true;
}

bool character_delete(int slot) {
    if (slot < 0 || slot >= CHARACTER_SLOTS || !character_slots[slot].present) return false;
    char name[64], backup[64];
    character_file_name(slot, name, sizeof name);
    backup_file_name(name, backup, sizeof backup);
    // A save still kept for this character would bring it back.
    saves_forget(name);
    const KvFileCalls& files = kv_files();
    bool ok = files.write(name, "", 0);
    ok = files.write(backup, "", 0) && ok;
    log_printf("Personnage supprimé : %s.", character_slots[slot].name);
    if (slot == current_slot) current_slot = -1;
    characters_scan();
    int first = first_present();
    if (first < 0) {
        selected_slot = -1;
        character_reset();
    } else {
        character_select(first);
    }
    return ok;
}

bool character_create() {
    characters_scan();
    int slot = -1;
    for (int s = 0; s < CHARACTER_SLOTS && slot < 0; ++s)
        if (!character_slots[s].present) slot = s;
    if (slot < 0) return false;
    current_slot = slot;
    selected_slot = slot;
    character_save_current();
    characters_scan();
    return true;
}

bool character_start_play() {
    if (selected_slot < 0) return false;
    if (selected_slot != current_slot && !character_select(selected_slot)) {
        result_message("Ce personnage ne peut pas être lu pour l'instant.", 2.0f);
        return false;
    }
    // Back to the heading it was saved with (the list turned it to face us).
    char name[64];
    static char text[CHARACTER_FILE_SIZE];
    character_file_name(current_slot, name, sizeof name);
    if (character_file_read(name, text, sizeof text) > 0) {
        bool hx = false, hz = false;
        kv_int(text, "pos_x", 0, &hx);
        kv_int(text, "pos_z", 0, &hz);
        int x = kv_int(text, "pos_x", 0);
        if (hx && hz && x <= 95000) player.heading = (float)kv_int(text, "cap", 0) / 1000.0f;
    }
    player.camera_yaw = player.heading;
    log_printf("En jeu : %s, niveau %d.", player.name, player.level);
    return true;
}
