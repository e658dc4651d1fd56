// Who answers the interaction key and the right click among the quest
// figures and the townsfolk, and what the townsfolk and trainers say.
#include <cmath>
#include <cstring>

#include "content/dialogue_words.h"
#include "common/game_events.h"
#include "content/quests.h"
#include "common/game_time.h"
#include "world/terrain.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/player.h"
#include "play/profession_state.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "play/villagers.h"
#include "play/player_input.h"

namespace {

constexpr int TRAINER_COUNT = 6;
const char* const profession_names[PROFESSION_COUNT] = {"Herboristerie", "Minage", "Dépeçage",
                                                        "Alchimie",      "Travail du cuir", "Forge"};

float distance3(Vec3 a, Vec3 b) {
    Vec3 d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

// Stepping 0.1 m along the ray up to 30 m: the first point within 0.5 m of
// the figure in the ground plane and between its feet and `height` above
// them; how far along the ray it lies, or -1.
float ray_hit_at(Vec3 origin, Vec3 dir, Vec3 at, float height) {
    for (float t = 0.0f; t <= 30.0f; t += 0.1f) {
        Vec3 p = origin + dir * t;
        if (std::hypot(p.x - at.x, p.z - at.z) <= 0.5f && p.y >= at.y && p.y <= at.y + height) return t;
    }
    return -1.0f;
}

// "de Sire Keu", "d'Aude", "du roi Arthur": the name after "Approchez-vous".
const char* approach_words(const char* name) {
    if (std::strncmp(name, "Le ", 3) == 0) return hud_fmt("Approchez-vous du %s.", name + 3);
    unsigned char c = (unsigned char)name[0];
    bool vowel = std::strchr("AEIOUYaeiouy", c) != nullptr && c != 0;
    // É, È, Ê (two bytes, C3 89 / 88 / 8A) open with a vowel too.
    if (c == 0xC3) {
        unsigned char d = (unsigned char)name[1];
        vowel = d == 0x89 || d == 0x88 || d == 0x8A;
    }
    return hud_fmt(vowel ? "Approchez-vous d'%s." : "Approchez-vous de %s.", name);
}

void open_professions() { professions_window_show(true); }

}  // namespace

bool keu_near(Vec3 p) { return !game_flags.underground && distance3(p, keu_position()) <= 7.0f; }
bool lady_near(Vec3 p) { return !game_flags.underground && distance3(p, lady_position()) <= 6.0f; }

int giver_near(Vec3 p) {
    if (game_flags.underground) return -1;
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g)
        if (distance3(p, giver_position(g)) <= 6.0f) return g;
    return -1;
}

int giver_under_ray(Vec3 origin, Vec3 dir, float* along) {
    int who = -1;
    float best = 1e30f;
    if (game_flags.underground) return -1;
    auto consider = [&](int figure, Vec3 at, float height) {
        float t = ray_hit_at(origin, dir, at, height);
        if (t >= 0.0f && t < best) {
            best = t;
            who = figure;
        }
    };
    consider(GIVER_KEU, keu_position(), 2.6f);
    consider(GIVER_LADY, lady_position(), 2.4f);
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) consider(g, giver_position(g), 2.6f);
    if (along) *along = best;
    return who;
}

void talk_to_villager(int i) {
    if (i < 0 || i >= VILLAGER_COUNT || game_flags.underground) return;
    const VillagerDef& d = villager_defs[i];
    const VillagerState& s = villager_state(i);
    if (hdist_hypot(s.position, player_feet()) > 6.0f) {
        result_message(approach_words(d.name), 1.2f);
        return;
    }
    const char* title = hud_fmt("%s, %s", d.name, d.title);
    if (i < TRAINER_COUNT) {
        int prof = d.place >= 0 && d.place < PROFESSION_COUNT ? d.place : 0;
        villager_talk_begin(i, player_feet(), 0.0f);
        const char* body = hud_fmt("%s\n\nVotre niveau en %s : %d / 75.", trainer_greetings[i],
                                   profession_names[prof], profession_level[prof]);
        HudButton b[2] = {{"Voir mes métiers", open_professions}, {"Au revoir", nullptr}};
        hud_dialog(title, words_for_player(body), b, 2);
        return;
    }
    // Walkers in the middle of the list stop a while for the talk.
    villager_talk_begin(i, player_feet(), i >= 15 && i <= 27 ? 6.0f : 0.0f);
    const char* line;
    if (d.behaviour == VB_GUARD)
        line = guard_lines[i & 1];
    else if (d.behaviour == VB_STALL)
        line = seller_lines[i & 1];
    else
        line = town_lines[((int)(game_clock / 30.0) + i) % 8];
    HudButton b[1] = {{"Au revoir", nullptr}};
    hud_dialog(title, words_for_player(line), b, 1);
}

// ---- Interaction sources ------------------------------------------------------------

bool keu_prompt(bool pressed) {
    if (!keu_near(player_feet())) return false;
    hud_prompt(true, hud_fmt("%s  ·  Parler à %s", interact_hint(), "Sire Keu"));
    if (pressed) talk_to_keu();
    return true;
}

bool lady_prompt(bool pressed) {
    if (!lady_near(player_feet())) return false;
    hud_prompt(true, hud_fmt("%s  ·  Parler à la Dame du Lac", interact_hint()));
    if (pressed) talk_to_lady();
    return true;
}

bool givers_prompt(bool pressed) {
    int g = giver_near(player_feet());
    if (g < 0) return false;
    hud_prompt(true, hud_fmt("%s  ·  Parler à %s", interact_hint(), quest_givers[g].short_name));
    if (pressed) talk_to_giver(g);
    return true;
}

bool trainers_prompt(bool pressed) {
    if (game_flags.underground) return false;
    for (int i = 0; i < TRAINER_COUNT; ++i) {
        if (distance3(villager_state(i).position, player_feet()) > 6.0f) continue;
        hud_prompt(true, hud_fmt("%s  ·  Parler à %s", interact_hint(), villager_defs[i].name));
        if (pressed) talk_to_villager(i);
        return true;
    }
    return false;
}

bool quests_right_click(int x, int y, float nearer_than) {
    if (game_flags.underground) return false;
    Vec3 origin;
    Vec3 dir = screen_ray((float)x, (float)y, &origin);
    float figure_t = 1e30f;
    int who = giver_under_ray(origin, dir, &figure_t);
    int villager = -1;
    float villager_t = 1e30f;
    for (int i = 0; i < VILLAGER_COUNT; ++i) {
        float t = ray_hit_at(origin, dir, villager_state(i).position, 2.2f);
        if (t >= 0.0f && t < villager_t) {
            villager_t = t;
            villager = i;
        }
    }
    if (who >= 0 && figure_t <= villager_t && figure_t < nearer_than) {
        Vec3 me = player_feet();
        if (who == GIVER_KEU) {
            if (keu_near(me))
                talk_to_keu();
            else
                result_message(approach_words("Sire Keu"), 1.2f);
        } else if (who == GIVER_LADY) {
            if (lady_near(me))
                talk_to_lady();
            else
                result_message("Approchez-vous de la Dame du Lac.", 1.2f);
        } else if (distance3(me, giver_position(who)) <= 6.0f) {
            talk_to_giver(who);
        } else {
            result_message(approach_words(quest_givers[who].short_name), 1.2f);
        }
        return true;
    }
    // The townsfolk check the distance themselves.
    if (villager >= 0 && villager_t < nearer_than) {
        talk_to_villager(villager);
        return true;
    }
    return false;
}

void world_figures_labels_draw() {
    Vec3 me = player_feet();
    for (int i = 0; i < VILLAGER_COUNT; ++i) {
        Vec3 p = villager_state(i).position;
        if (hdist_hypot(p, me) > 16.0f) continue;
        hud_world_label(p + Vec3{0, 2.1f, 0}, hud_fmt("%s\n%s", villager_defs[i].name, villager_defs[i].title), 0.13f,
                        Vec4{0.92f, 0.88f, 0.76f, 1.0f}, UI_FONT_BODY);
    }
}
