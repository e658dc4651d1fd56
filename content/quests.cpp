// The quest state machine: counting kills and bag contents, the dialogues of
// Sire Keu, Viviane and the nine givers, accepting and turning in, the
// objective panel entries and the interaction sources that open the talk.
#include "content/quests.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "play/combat.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/loot.h"
#include "play/player.h"
#include "render/hud.h"
#include "sound/sound.h"
#include "play/population.h"
#include "world/terrain.h"
#include "common/game_events.h"
#include "content/dialogue_words.h"

int quete_numero, quete_etat, quete_abattus;
int dame_numero, dame_etat, dame_compte;
const char* const quest_giver_keys[QUEST_GIVER_COUNT] = {"dodinel", "yvain",  "blaise", "gauvain", "heraut",
                                                         "arthur",  "hugues", "ogrin",  "perceval"};
QuestTriple giver_quest[QUEST_GIVER_COUNT];

namespace {

// Chains: one per row of the givers' table, Keu's and Viviane's last.
constexpr int CHAIN_KEU = GIVER_KEU;
constexpr int CHAIN_LADY = GIVER_LADY;
constexpr int CHAIN_COUNT = QUEST_FIGURE_COUNT;

// Viviane's chain: Grognard, the boar hides, Bréhus.
constexpr int LADY_GROGNARD = 0, LADY_BREHUS = 2;
static_assert(LADY_BREHUS + 1 == LADY_QUEST_COUNT, "Viviane's chain ends with Bréhus");

constexpr const char* LADY_LOCKED =
    "Les eaux me disent que tu es encore jeune dans Tervanne, {classe}. Aide d'abord Sire Keu, devant la vieille "
    "tour ; ensuite, reviens me voir.";
// The king sends the player on to his seneschal once the herald's call is
// answered: until Keu's first quest is taken, his entry shows the way.
constexpr int HERALD = 4, KING = 5;  // givers: Galeschin, Arthur
constexpr const char* WAY_TO_KEU_TITLE = "Le sénéchal de Camelot";
constexpr const char* WAY_TO_KEU_STORY =
    "Va trouver Sire Keu, mon sénéchal : il se tient à la grande porte de la ville.";

struct Ref {
    int* numero;
    int* etat;
    int* compte;
};

Ref ref(int ch) {
    if (ch == CHAIN_KEU) return {&quete_numero, &quete_etat, &quete_abattus};
    if (ch == CHAIN_LADY) return {&dame_numero, &dame_etat, &dame_compte};
    QuestTriple& t = giver_quest[ch];
    return {&t.numero, &t.etat, &t.compte};
}

int chain_length(int ch) {
    assert(ch >= 0 && ch < CHAIN_COUNT);
    return ch >= 0 && ch < CHAIN_COUNT ? quest_givers[ch].quest_count : 0;
}

const QuestDef* chain_quest(int ch, int n) {
    if (n < 0 || n >= chain_length(ch)) return nullptr;
    return &quest_givers[ch].quests[n];
}

const QuestDef* current(int ch) { return chain_quest(ch, *ref(ch).numero); }

int panel_slot(int ch) {
    if (ch == CHAIN_KEU) return 0;
    if (ch == CHAIN_LADY) return 1;
    return 2 + ch;
}

// The chain at which the current quest is turned in.
int turn_in_chain(int ch, const QuestDef& q) {
    if (ch >= QUEST_GIVER_COUNT || q.turn_in <= 0 || q.turn_in > QUEST_GIVER_COUNT) return ch;
    return q.turn_in - 1;
}

const char* chain_title(int ch) { return quest_givers[ch].full_name; }

Vec3 chain_position(int ch) {
    if (ch == CHAIN_KEU) return keu_position();
    if (ch == CHAIN_LADY) return lady_position();
    return giver_position(ch);
}

int player_level() { return player.level; }

// Puts `count` and `plural` into a table text: the first %d takes the count,
// the first %s the plural; any other % sequence is copied as it stands. The
// table's texts are data, never a format string.
void fill(char* out, size_t cap, const char* text, int count, const char* plural) {
    size_t n = 0;
    bool d_done = false, s_done = false;
    auto put = [&](const char* s) {
        while (*s && n + 1 < cap) out[n++] = *s++;
    };
    for (const char* p = text; *p && n + 1 < cap; ++p) {
        if (p[0] == '%' && p[1] == 'd' && !d_done) {
            char num[16];
            std::snprintf(num, sizeof num, "%d", count);
            put(num);
            d_done = true;
            ++p;
        } else if (p[0] == '%' && p[1] == 's' && !s_done) {
            put(plural);
            s_done = true;
            ++p;
        } else {
            out[n++] = *p;
        }
    }
    out[n] = 0;
}

bool has_placeholder(const char* text) { return std::strstr(text, "%d") || std::strstr(text, "%s"); }

// Module text ring, so a returned text outlives a few more calls.
char* text_slot() {
    static char ring[8][2048];
    static int next = 0;
    next = (next + 1) & 7;
    return ring[next];
}

const char* progress_text(const QuestDef& q, int compte) {
    int left = q.count - (compte < q.count ? compte : q.count);
    if (left < 0) left = 0;
    char* out = text_slot();
    fill(out, 2048, q.progress, left, left >= 2 && !q.count_not_plural ? "s" : "");
    return out;
}

const char* reward_text(const char* head, const QuestDef& q) {
    char* out = text_slot();
    std::snprintf(out, 2048, "%s\n\nRécompense : %d points d'expérience et %s", head,
                  experience_points(q.experience), item_name(q.reward));
    return out;
}

void show_objective_met(int ch, const QuestDef& q) {
    const char* text;
    if (ch == CHAIN_KEU) {
        text = "Objectif accompli !\nRetournez voir Sire Keu.";
    } else if (ch == CHAIN_LADY) {
        text = q.boss == ELITE_GROGNARD ? "Grognard est tombé !\nRetournez voir la Dame du Lac."
                                        : "Objectif accompli !\nRetournez voir la Dame du Lac.";
    } else {
        int at = turn_in_chain(ch, q);
        text = at == ch ? hud_fmt("Objectif accompli !\nRetournez voir %s.", quest_givers[ch].short_name)
                        : hud_fmt("Objectif accompli !\nAllez voir %s.", quest_givers[at].short_name);
    }
    result_message(text, 3.0f);
    snd_play(SFX_FANFARE, 0.8f);
}

// ---- Panel ---------------------------------------------------------------------

char stories[HUD_TRACKER_SLOTS][1024];

Vec3 map_place(int ch, const QuestDef& q, int etat) {
    if (etat == QUEST_MET) return chain_position(turn_in_chain(ch, q));
    if (q.area_radius > 0.0f) return {q.area_x, ground_height(q.area_x, q.area_z), q.area_z};
    if (ch == CHAIN_LADY && q.boss == ELITE_GROGNARD) return creature_usual_place(SP_GOBLIN, -1);
    if (ch == CHAIN_LADY && q.item != 0) return creature_usual_place(SP_BOAR, -1);
    if (q.kill_type >= 0) return creature_usual_place(q.kill_type, ch < QUEST_GIVER_COUNT ? ch : -1);
    // A chief at his haunt; what is collected, where its carriers live.
    if (q.boss > 0) return chief_haunt(q.boss);
    if (q.item != 0 && loot_source_species(q.item) >= 0) return creature_usual_place(loot_source_species(q.item), -1);
    return chain_position(ch);
}

bool sent_to_keu() {
    return quete_numero == 0 && quete_etat == QUEST_NOT_TAKEN &&
           giver_quest[HERALD].numero >= quest_givers[HERALD].quest_count;
}

void show_way_to_keu() {
    const int slot = panel_slot(CHAIN_KEU);
    const char* lines[2] = {"Parler à Sire Keu", "La grande porte de Camelot"};
    hud_tracker_set(slot, WAY_TO_KEU_TITLE, lines, 2, false);
    hud_tracker_set_giver(slot, quest_givers[KING].full_name, (uintptr_t)(CHAIN_KEU + 1), keu_position());
    std::snprintf(stories[slot], sizeof stories[slot], "%s", WAY_TO_KEU_STORY);
}

void refresh_entry(int ch) {
    int slot = panel_slot(ch);
    Ref r = ref(ch);
    const QuestDef* q = current(ch);
    if (ch == CHAIN_KEU && sent_to_keu()) {
        show_way_to_keu();
        return;
    }
    if (!q || (*r.etat != QUEST_UNDER_WAY && *r.etat != QUEST_MET)) {
        hud_tracker_clear(slot);
        stories[slot][0] = 0;
        return;
    }
    char first[256], second[256];
    int shown = *r.compte < q->count ? *r.compte : q->count;
    if (shown < 0) shown = 0;
    if (q->kill_type == QUEST_TALK)
        std::snprintf(first, sizeof first, "%s", q->objective);
    else
        std::snprintf(first, sizeof first, "%s : %d / %d", q->objective, shown, q->count);
    if (*r.etat == QUEST_UNDER_WAY) {
        std::snprintf(second, sizeof second, "%s", q->tracker);
    } else if (ch == CHAIN_KEU) {
        std::snprintf(second, sizeof second, "Retournez voir Sire Keu à la grande porte de Camelot");
    } else if (ch == CHAIN_LADY) {
        std::snprintf(second, sizeof second, "Retournez voir la Dame du Lac, sur la rive");
    } else {
        int at = turn_in_chain(ch, *q);
        const GiverDef& to = quest_givers[at >= 0 && at < QUEST_GIVER_COUNT ? at : 0];
        std::snprintf(second, sizeof second, at == ch ? "Retournez voir %s, %s" : "Allez voir %s, %s",
                      to.short_name, to.place);
    }
    const char* lines[2] = {first, second};
    hud_tracker_set(slot, q->name, lines, 2, *r.etat == QUEST_MET);
    hud_tracker_set_giver(slot, chain_title(ch), (uintptr_t)(ch + 1), map_place(ch, *q, *r.etat));
    std::snprintf(stories[slot], sizeof stories[slot], "%s", q->offer);
}

// ---- Accept and turn in -------------------------------------------------------

int dialog_chain = -1;  // the quest the open dialogue's button acts on
int dialog_at = -1;     // the figure the dialogue belongs to

void open_dialog(int at, const char* body, const char* button, HudAction action) {
    HudButton b[1] = {{button, action}};
    hud_dialog(chain_title(at), words_for_player(body), b, 1);
}

void accept(int ch) {
    const QuestDef* q = current(ch);
    Ref r = ref(ch);
    if (!q || *r.etat != QUEST_NOT_TAKEN) return;
    *r.etat = QUEST_UNDER_WAY;
    *r.compte = 0;
    if (q->item != 0) {
        *r.compte = count_in_bag(q->item);
        if (*r.compte >= q->count) *r.etat = QUEST_MET;
    } else if (q->kill_type == QUEST_TALK) {
        *r.etat = QUEST_MET;
        *r.compte = 1;
    }
    refresh_entry(ch);
    result_message(hud_fmt("Nouvelle quête : %s", q->name), 2.5f);
    snd_play(SFX_FANFARE, 0.6f);
}

// Whether giver g has something to say after a turn-in elsewhere.
bool giver_has_news(int g);
void talk_chain(int ch);

void turn_in(int ch, int at) {
    const QuestDef* q = current(ch);
    Ref r = ref(ch);
    if (!q || *r.etat != QUEST_MET) return;
    if (q->item != 0 && count_in_bag(q->item) < q->count) {
        result_message("Il vous manque des objets.", 1.6f);
        *r.etat = QUEST_UNDER_WAY;
        refresh_entry(ch);
        return;
    }
    // The reward must fit before anything is taken or given: a full bag
    // leaves the quest waiting, as the ossuary chest waits.
    int take_id = q->item, take_count = q->count;
    if (item_exists(q->reward) && !bag_can_hold_after_taking(&take_id, &take_count, q->item != 0 ? 1 : 0, q->reward)) {
        result_message("Votre sac est plein.", 1.6f);
        return;
    }
    if (q->item != 0) remove_from_bag(q->item, q->count);
    hud_tracker_clear(panel_slot(ch));
    stories[panel_slot(ch)][0] = 0;
    result_message(hud_fmt("Quête terminée : %s", q->name), 3.0f);
    snd_play(SFX_FANFARE, 1.0f);
    grant_experience(q->experience);
    char source[96];
    if (ch == CHAIN_KEU)
        std::snprintf(source, sizeof source, "quête");
    else if (ch == CHAIN_LADY)
        std::snprintf(source, sizeof source, "quête de la Dame du Lac");
    else
        std::snprintf(source, sizeof source, "quête de %s", quest_givers[ch].short_name);
    give_item(q->reward, source);
    *r.numero += 1;
    *r.etat = QUEST_NOT_TAKEN;
    *r.compte = 0;
    bool more = *r.numero < chain_length(ch);
    if (!more) *r.etat = QUEST_CHAIN_DONE;
    if (ch == CHAIN_KEU && !more) {
        result_message("Quête terminée !\nViviane, la Dame du Lac, vous attend sur la rive.", 3.5f);
        refresh_entry(CHAIN_LADY);
    }
    refresh_entry(ch);
    // The herald's call answered at the king points on to Sire Keu.
    if (ch != CHAIN_KEU) refresh_entry(CHAIN_KEU);
    result_save_wanted();
    if (at == ch) {
        if (more) talk_chain(ch);
    } else if (at >= 0 && at < QUEST_GIVER_COUNT && giver_has_news(at)) {
        talk_to_giver(at);
    }
}

void accept_action() { accept(dialog_chain); }
void turn_in_action() { turn_in(dialog_chain, dialog_at); }

void offer_dialog(int at, int ch, const QuestDef& q) {
    dialog_chain = ch;
    dialog_at = at;
    HudButton b[2] = {{"Accepter", accept_action}, {"Refuser", nullptr}};
    hud_dialog(chain_title(at), words_for_player(reward_text(q.offer, q)), b, 2);
}

void reward_dialog(int at, int ch, const QuestDef& q) {
    dialog_chain = ch;
    dialog_at = at;
    open_dialog(at, reward_text(q.completion, q), "Terminer la quête", turn_in_action);
}

// The first other giver whose finished quest is turned in at g, or -1.
int awaiting_at(int g) {
    for (int j = 0; j < QUEST_GIVER_COUNT; ++j) {
        if (j == g || giver_quest[j].etat != QUEST_MET) continue;
        const QuestDef* q = current(j);
        if (q && turn_in_chain(j, *q) == g) return j;
    }
    return -1;
}

bool giver_has_news(int g) {
    if (awaiting_at(g) >= 0) return true;
    const QuestDef* q = current(g);
    return q && giver_quest[g].etat == QUEST_NOT_TAKEN && player_level() >= q->level;
}

// Steps 2 and 3 of a talk: the figure's own quest, or its last word.
void own_quest_dialog(int ch, const char* too_low, const char* all_done) {
    Ref r = ref(ch);
    const QuestDef* q = current(ch);
    if (!q || *r.etat == QUEST_CHAIN_DONE) {
        open_dialog(ch, all_done, "Fermer", nullptr);
        return;
    }
    switch (*r.etat) {
        case 1:
            open_dialog(ch, progress_text(*q, *r.compte), "Fermer", nullptr);
            return;
        case 2:
            if (turn_in_chain(ch, *q) == ch) {
                reward_dialog(ch, ch, *q);
            } else {
                // Nothing left to count: a text waiting for a count would read
                // "encore %d", so the figure names who takes the quest instead.
                const GiverDef& to = quest_givers[turn_in_chain(ch, *q)];
                const char* body =
                    has_placeholder(q->progress)
                        ? hud_fmt("Tu as ce qu'il faut. Va voir %s, %s.", to.short_name, to.place)
                        : q->progress;
                open_dialog(ch, body, "Fermer", nullptr);
            }
            return;
        default:
            if (player_level() >= q->level) {
                offer_dialog(ch, ch, *q);
            } else {
                char* out = text_slot();
                fill(out, 2048, too_low, q->level, "");
                open_dialog(ch, out, "Fermer", nullptr);
            }
    }
}

void talk_chain(int ch) {
    if (ch == CHAIN_KEU)
        talk_to_keu();
    else if (ch == CHAIN_LADY)
        talk_to_lady();
    else
        talk_to_giver(ch);
}

// ---- State rules ------------------------------------------------------------------

// A triple as the rules allow it: out of range resets it, state 3 exactly when
// the chain is finished, the count within 0 .. goal.
void normalise(int ch, int* numero, int* etat, int* compte) {
    int length = chain_length(ch);
    if (*numero < 0 || *numero > length || *etat < QUEST_NOT_TAKEN || *etat > QUEST_CHAIN_DONE) {
        *numero = *etat = *compte = 0;
        return;
    }
    if (*numero == length) {
        *etat = QUEST_CHAIN_DONE;
        *compte = 0;
        return;
    }
    if (*etat == QUEST_CHAIN_DONE) *etat = QUEST_NOT_TAKEN;
    const QuestDef& q = *chain_quest(ch, *numero);
    // A talk quest is met on acceptance; taken but unmet it could never end.
    if (q.kill_type == QUEST_TALK && *etat == QUEST_UNDER_WAY) {
        *etat = QUEST_MET;
        *compte = q.count;
    }
    int goal = q.count;
    if (*compte < 0) *compte = 0;
    if (*compte > goal) *compte = goal;
    if (*etat == QUEST_NOT_TAKEN) *compte = 0;
    // A kill quest stands where its count says: met at the goal, not met below
    // it (a file may say "8 / 8" and still ask for a kill). Collection quests
    // follow the bag at every frame instead.
    if ((*etat == QUEST_UNDER_WAY || *etat == QUEST_MET) && q.item == 0 && q.kill_type != QUEST_TALK)
        *etat = *compte >= goal ? QUEST_MET : QUEST_UNDER_WAY;
}

bool within_area(const QuestDef& q, const Creature* c) {
    if (q.area_radius <= 0.0f) return true;
    if (!c) return false;
    float dx = c->pos.x - q.area_x, dz = c->pos.z - q.area_z;
    return dx * dx + dz * dz <= q.area_radius * q.area_radius;
}

bool is_boss(const Creature* c) { return c && (c->elite_index > 0 || c->species == SP_BOSS); }
// Summoned minions and the druid's wolf spirit never count.
bool excluded(const Creature* c) { return c && (c->quest_excluded || c->minion || c->companion); }

void count_one(int ch, const QuestDef& q) {
    Ref r = ref(ch);
    *r.compte += 1;
    if (*r.compte >= q.count) {
        *r.compte = q.count;
        *r.etat = QUEST_MET;
        show_objective_met(ch, q);
    }
    refresh_entry(ch);
}

void recount(int ch) {
    Ref r = ref(ch);
    const QuestDef* q = current(ch);
    if (!q || q->item == 0 || (*r.etat != QUEST_UNDER_WAY && *r.etat != QUEST_MET)) return;
    int n = count_in_bag(q->item);
    int st = n >= q->count ? QUEST_MET : QUEST_UNDER_WAY;
    if (n == *r.compte && st == *r.etat) return;
    if (*r.etat == QUEST_UNDER_WAY && st == QUEST_MET) show_objective_met(ch, *q);
    *r.compte = n;
    *r.etat = st;
    refresh_entry(ch);
}

}  // namespace

// ---- State ---------------------------------------------------------------------------

void keu_get_state(int* numero, int* etat, int* compte) {
    *numero = quete_numero;
    *etat = quete_etat;
    *compte = quete_abattus;
}

void keu_set_state(int numero, int etat, int compte) {
    // The finished chain stands at (2, 3); it must survive a reload.
    normalise(CHAIN_KEU, &numero, &etat, &compte);
    quete_numero = numero;
    quete_etat = etat;
    quete_abattus = compte;
    quests_refresh_panel();
}

void lady_get_state(int* numero, int* etat, int* compte) {
    *numero = dame_numero;
    *etat = dame_etat;
    *compte = dame_compte;
}

void lady_set_state(int numero, int etat, int compte) {
    normalise(CHAIN_LADY, &numero, &etat, &compte);
    dame_numero = numero;
    dame_etat = etat;
    dame_compte = compte;
    quests_refresh_panel();
}

bool keu_chain_done() { return quete_numero > 0 && quete_etat == QUEST_CHAIN_DONE; }

void quests_reset_all() {
    quete_numero = quete_etat = quete_abattus = 0;
    dame_numero = dame_etat = dame_compte = 0;
    for (QuestTriple& q : giver_quest) q = QuestTriple{};
    quests_refresh_panel();
}

void quests_after_load() {
    normalise(CHAIN_KEU, &quete_numero, &quete_etat, &quete_abattus);
    normalise(CHAIN_LADY, &dame_numero, &dame_etat, &dame_compte);
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g)
        normalise(g, &giver_quest[g].numero, &giver_quest[g].etat, &giver_quest[g].compte);
    quests_refresh_panel();
}

void quests_migrate_old_lady() {
    // The old chain had two steps (2, 3) before Bréhus (4): they start him afresh.
    if (dame_numero == 2 || dame_numero == 3) {
        dame_numero = LADY_BREHUS;
        dame_etat = dame_compte = 0;
    } else if (dame_numero == 4) {
        dame_numero = LADY_BREHUS;
    } else if (dame_numero > 4) {
        dame_numero = LADY_QUEST_COUNT;
        dame_etat = QUEST_CHAIN_DONE;
        dame_compte = 0;
    }
}

void quests_refresh_panel() {
    for (int ch = 0; ch < CHAIN_COUNT; ++ch) refresh_entry(ch);
}

const char* quest_panel_story(int slot) {
    if (slot < 0 || slot >= HUD_TRACKER_SLOTS) return "";
    // Worded when read: the sheet's appearance may change while a quest runs.
    return words_for_player(stories[slot]);
}

// ---- Counting ---------------------------------------------------------------------

void quests_on_kill(int species, const Creature* c) {
    // Sire Keu.
    if (quete_etat == QUEST_UNDER_WAY) {
        const QuestDef* q = current(CHAIN_KEU);
        if (q && species == q->kill_type) {
            // Counted up to the goal; the kill that reaches it meets the quest.
            int last = q->count - 1;
            bool reached = quete_abattus >= last;
            quete_abattus = (quete_abattus < last ? quete_abattus : last) + 1;
            if (reached) {
                quete_etat = QUEST_MET;
                show_objective_met(CHAIN_KEU, *q);
            }
            refresh_entry(CHAIN_KEU);
        }
    }
    // Viviane.
    if (keu_chain_done() && dame_etat == QUEST_UNDER_WAY &&
        (dame_numero == LADY_GROGNARD || dame_numero == LADY_BREHUS)) {
        const QuestDef& q = lady_quests[dame_numero];
        bool counts = dame_numero == LADY_GROGNARD ? (c && c->elite_index == ELITE_GROGNARD)
                                       : (species == SP_BOSS && !excluded(c));
        if (counts) count_one(CHAIN_LADY, q);
    }
    // The nine givers.
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) {
        const QuestDef* q = current(g);
        if (!q || giver_quest[g].etat != QUEST_UNDER_WAY || q->item != 0 || q->kill_type == QUEST_TALK) continue;
        bool counts;
        if (q->boss != 0)
            counts = c && c->elite_index == q->boss;
        else
            counts = (species == q->kill_type || q->kill_type < 0) && !is_boss(c) && !excluded(c) &&
                     within_area(*q, c);
        if (counts) count_one(g, *q);
    }
}

void quests_creature_killed(int species, const Creature* c) { quests_on_kill(species, c); }

void lady_recount() { recount(CHAIN_LADY); }

void givers_recount() {
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) recount(g);
}

// ---- Talk ---------------------------------------------------------------------------

void talk_to_giver(int g) {
    if (g < 0 || g >= QUEST_GIVER_COUNT) return;
    int j = awaiting_at(g);
    if (j >= 0) {
        reward_dialog(g, j, *current(j));
        return;
    }
    own_quest_dialog(g, quest_givers[g].too_low, quest_givers[g].all_done);
}

void talk_to_keu() { own_quest_dialog(CHAIN_KEU, quest_givers[CHAIN_KEU].too_low, quest_givers[CHAIN_KEU].all_done); }

void talk_to_lady() {
    if (!keu_chain_done()) {
        open_dialog(CHAIN_LADY, LADY_LOCKED, "Fermer", nullptr);
        return;
    }
    own_quest_dialog(CHAIN_LADY, quest_givers[CHAIN_LADY].too_low, quest_givers[CHAIN_LADY].all_done);
}

// ---- Markers ---------------------------------------------------------------------------

int giver_marker(int g) {
    if (g < 0 || g >= QUEST_GIVER_COUNT) return MARKER_NONE;
    if (awaiting_at(g) >= 0) return MARKER_TURN_IN;
    const QuestDef* q = current(g);
    if (!q) return MARKER_NONE;
    switch (giver_quest[g].etat) {
        case QUEST_NOT_TAKEN: return player_level() >= q->level ? MARKER_OFFER : MARKER_NONE;
        case QUEST_UNDER_WAY: return MARKER_WAITING;
        case QUEST_MET: return turn_in_chain(g, *q) == g ? MARKER_TURN_IN : MARKER_WAITING;
        default: return MARKER_NONE;
    }
}

int keu_marker() {
    switch (quete_etat) {
        case QUEST_NOT_TAKEN: return current(CHAIN_KEU) ? MARKER_OFFER : MARKER_NONE;
        case QUEST_UNDER_WAY: return MARKER_WAITING;
        case QUEST_MET: return MARKER_TURN_IN;
        default: return MARKER_NONE;
    }
}

int lady_marker() {
    const QuestDef* q = current(CHAIN_LADY);
    if (!keu_chain_done() || !q) return MARKER_NONE;
    switch (dame_etat) {
        case QUEST_NOT_TAKEN: return player_level() >= q->level ? MARKER_OFFER : MARKER_NONE;
        case QUEST_UNDER_WAY: return MARKER_WAITING;
        case QUEST_MET: return MARKER_TURN_IN;
        default: return MARKER_NONE;
    }
}
