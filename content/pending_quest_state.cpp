// Stand-in for the quest state until the quests land: the values exist so
// that the character file can carry them.
#include "play/quest_state.h"

int quete_numero, quete_etat, quete_abattus;
int dame_numero, dame_etat, dame_compte;
const char* const quest_giver_keys[QUEST_GIVER_COUNT] = {"dodinel", "yvain",  "blaise", "gauvain", "heraut",
                                                         "arthur",  "hugues", "ogrin",  "perceval"};
QuestTriple giver_quest[QUEST_GIVER_COUNT];

void quests_reset_all() {
    quete_numero = quete_etat = quete_abattus = 0;
    dame_numero = dame_etat = dame_compte = 0;
    for (QuestTriple& q : giver_quest) q = QuestTriple{};
}
void quests_after_load() {}
