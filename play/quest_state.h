#pragma once
// Where every quest stands. The character file saves and restores these; the
// quest code owns their meaning and the rules that reset bad values.

// Where a quest of a chain stands. The values are those the character file
// holds, so they never change; the triples keep them as plain ints.
enum QuestStage : int {
    QUEST_NOT_TAKEN = 0,   // offered, or waiting for the level
    QUEST_UNDER_WAY = 1,   // taken, the objective not met yet
    QUEST_MET = 2,         // the objective met: to be turned in
    QUEST_CHAIN_DONE = 3,  // every quest of the chain turned in
};

struct QuestTriple {
    int numero;  // which quest of the giver's chain
    int etat;    // where that quest stands: a QuestStage
    int compte;  // kills or items counted so far
};

// Sire Keu's chain.
extern int quete_numero, quete_etat, quete_abattus;
// Viviane's chain.
extern int dame_numero, dame_etat, dame_compte;

constexpr int QUEST_GIVER_COUNT = 9;
// File keys of the nine givers: "dodinel", "yvain", "blaise", "gauvain",
// "heraut", "arthur", "hugues", "ogrin", "perceval".
extern const char* const quest_giver_keys[QUEST_GIVER_COUNT];
extern QuestTriple giver_quest[QUEST_GIVER_COUNT];

// Every quest back to its start (a new character).
void quests_reset_all();
// Applies the reset rules to values just read from a file.
void quests_after_load();
// Files written before "quetes_v" 2 numbered Viviane's chain differently:
// call this on the values read from such a file, before quests_after_load.
void quests_migrate_old_lady();
