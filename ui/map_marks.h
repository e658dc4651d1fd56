#pragma once
// Marker shapes shared by the minimap and the big map (client pixels).
void map_mark_node(float x, float y, float r, bool ore);
void map_mark_person(float x, float y, float r, bool highlighted);
void map_mark_other_player(float x, float y, float r);
// The player's arrow, turned to a heading (facing (sin, cos) in (x, z)) on a
// north-up map.
void map_mark_arrow(float x, float y, float r, float heading);
void map_mark_place(float x, float y, float r);
