#pragma once
// Quest content and the quest state machine: Sire Keu's and Viviane's chains,
// the nine givers and their quests, kill and bag counting, talk, accept and
// turn-in, the objective panel entries, markers and the giver figures.
#include <cstdint>

#include "common/mathx.h"
#include "play/quest_state.h"

struct Creature;

// Goal kinds carried by QuestDef::kill_type when it is not a species.
constexpr int QUEST_KILL_NONE = -1;
constexpr int QUEST_TALK = -2;
constexpr int QUEST_KILL_ANY = -3;

struct QuestDef {
    const char* name;
    const char* objective;
    int kill_type;  // species, or one of the QUEST_* values above
    int boss;       // elite row, 0 none
    int item;       // item to collect, 0 none
    int count;
    int experience;  // raw value, see grant_experience
    int reward;
    int level;
    const char* offer;
    const char* progress;  // %d remaining, %s plural
    const char* completion;
    const char* tracker;
    float area_x, area_z, area_radius;  // radius 0: anywhere
    int turn_in;                        // 0 the same giver, else giver index + 1
    // The progress text's %s does not follow the count ("%d à trouver%s"),
    // so it never takes the plural.
    bool count_not_plural;
};

constexpr int GIVER_MAX_QUESTS = 5;

struct GiverDef {
    const char* full_name;
    const char* short_name;
    const char* title;
    const char* key;
    const char* place;    // "Retournez voir %s, %s"
    const char* too_low;  // %d: the level ("" for Keu, who asks none)
    const char* all_done;
    int quest_count;
    QuestDef quests[GIVER_MAX_QUESTS];
    Vec3 colours[5];  // tunic, cloak, trim, hair, belt
    int style[3];     // woman, hair style, beard
    float x, z;       // world, or Camelot's frame when in_camelot
    bool in_camelot;
    float facing;
};

// The givers' table: the nine givers, then Sire Keu and Viviane, whose chains
// the character file keeps under keys of their own ("quete_", "dame_").
constexpr int GIVER_KEU = QUEST_GIVER_COUNT;
constexpr int GIVER_LADY = QUEST_GIVER_COUNT + 1;
constexpr int QUEST_FIGURE_COUNT = QUEST_GIVER_COUNT + 2;
extern const GiverDef quest_givers[QUEST_FIGURE_COUNT];
constexpr int KEU_QUEST_COUNT = 2;
constexpr int LADY_QUEST_COUNT = 3;
static_assert(KEU_QUEST_COUNT <= GIVER_MAX_QUESTS && LADY_QUEST_COUNT <= GIVER_MAX_QUESTS, "chains fit a row");
// Their rows' quests.
extern const QuestDef* const keu_quests;
extern const QuestDef* const lady_quests;

// Townsfolk lines.
extern const char* const guard_lines[2];
extern const char* const seller_lines[2];
extern const char* const town_lines[8];
extern const char* const trainer_greetings[6];

// ---- Places ----------------------------------------------------------------------
Vec3 giver_position(int g);  // feet, on the ground
Vec3 keu_position();
Vec3 lady_position();
float keu_facing();
float lady_facing();
// Where creatures of a species are usually met (map markers); the giver's
// place for quests that name no species.
Vec3 creature_usual_place(int species, int giver);

// ---- Scripted chains' state ------------------------------------------------------
void keu_get_state(int* numero, int* etat, int* compte);
void keu_set_state(int numero, int etat, int compte);
void lady_get_state(int* numero, int* etat, int* compte);
void lady_set_state(int numero, int etat, int compte);
bool keu_chain_done();

// ---- Counting ----------------------------------------------------------------------
// The three kill counters, in order (Keu, Viviane, the givers).
void quests_on_kill(int species, const Creature* c);
// Collection objectives against the bag; true when anything changed.
void lady_recount();
void givers_recount();

// ---- Talk ------------------------------------------------------------------------
int giver_near(Vec3 player);  // first giver within 6 m, or -1
bool keu_near(Vec3 player);
bool lady_near(Vec3 player);
// The giver (0..8), GIVER_KEU, GIVER_LADY, or -1: the first the ray
// meets, however far the player stands, with how far along the ray.
int giver_under_ray(Vec3 origin, Vec3 direction, float* along);
void talk_to_giver(int g);
void talk_to_keu();
void talk_to_lady();
// The townsfolk: a trainer's or a villager's talk (distance checked).
void talk_to_villager(int i);

// The objective panel entries, rebuilt from the state.
void quests_refresh_panel();
// The story (offer text) of panel entry slot, or "".
const char* quest_panel_story(int slot);
// Marker kind over a giver (the maps read the same numbers).
enum QuestMarker : int {
    MARKER_NONE = 0,
    MARKER_OFFER = 1,    // gold "!": a quest to take
    MARKER_TURN_IN = 2,  // gold "?": a quest to hand in here
    MARKER_WAITING = 3,  // grey "?": a quest under way, or handed in elsewhere
};
int giver_marker(int g);
int keu_marker();
int lady_marker();

// Interaction sources (the interaction key and the right click).
bool keu_prompt(bool pressed);
bool lady_prompt(bool pressed);
bool givers_prompt(bool pressed);
bool trainers_prompt(bool pressed);
// A right click at the cursor: true when a figure the ray meets before
// `nearer_than` answered (a talk, or a word to come closer).
bool quests_right_click(int x, int y, float nearer_than);

// Head turn and blink of a figure (a row of quest_givers), for tests.
float quest_figure_head_turn(int figure);
bool quest_figure_blinking(int figure);

// A creature died by the player's hand.
void quests_creature_killed(int species, const Creature* c);
const char* giver_map_name(int g);
// The map marker of objective panel entry slot: where to go, or where to turn
// the quest in (*turn_in); false when the entry has none.
bool quest_panel_marker(int slot, Vec3* where, bool* turn_in);
// Names over the townsfolk and trainers (HUD pass).
void world_figures_labels_draw();
