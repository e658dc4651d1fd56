#pragma once
// Going down into the catacombs and coming back: the garrison placed on each
// entry, the prompts of the cave, the portal, the passage and the ossuary
// chest, the fall of the crypt's lord, room names and the exploration map.
#include <cstdint>

#include "world/catacombs.h"

void catacombs_enter();
void catacombs_leave();
// The prompt and action of the entry, exit portal, passage and chest; true
// when a prompt was shown.
bool catacombs_interact(bool requested);
void catacombs_step(float dt);
const char* catacomb_room_name(Vec3 p);
uint8_t catacomb_cell_seen(Vec3 p);

struct CatacombState {
    uint8_t chest_opened;
    uint8_t passage_open;
    float time_underground;
    uint8_t seen[CATACOMB_CELLS][CATACOMB_CELLS];  // [i][j]
};
const CatacombState& catacombs_state();

// The exploration map, RGBA 256 x 256, rows from z = -2 upward, x from
// 998 to 1098; painted on entry and whenever a cell is first seen.
void catacombs_map_paint();
const uint8_t* catacombs_map_pixels();
uint32_t catacombs_map_checksum();

void catacombs_update(float dt);
void catacombs_submit();
// The crypt's lord has fallen (the passage opens, the log and the sound).
void catacombs_boss_defeated();
// The labels over the portal, the passage and the chest (HUD pass).
void catacombs_portal_labels_draw();
