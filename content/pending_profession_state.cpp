// Stand-in for the profession levels until the professions land.
#include "play/profession_state.h"

int profession_level[PROFESSION_COUNT] = {1, 1, 1, 1, 1, 1};
void professions_reset() {
    for (int& l : profession_level) l = 1;
}
