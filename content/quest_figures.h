#pragma once
// The quest givers, Keu the seneschal and Viviane as figures of the world:
// their steps, their drawing, and where they stand.
#include "common/mathx.h"

void seneschal_update(float dt);
void lady_quest_update(float dt);
void quests_update(float dt);
void seneschal_submit();
void lady_submit();
void quest_figures_submit();
// Feet of the people who stand at their posts (quest givers, the merchant):
// the player walks round them, not through them.
int standing_figure_points(float* xs, float* zs, int capacity);
// Names and quest marks over the quest givers (HUD pass).
void seneschal_labels_draw();
void lady_label_draw();
void quest_givers_labels_draw();
