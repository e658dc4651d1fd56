#pragma once
// Marker shapes shared by the minimap and the big map (client pixels). With
// a colour-vision correction each kind also has a shape of its own: plants
// a disc, ore a diamond, people a square, other players a triangle, places
// a framed square, and a quest giver the "!" or "?" he offers.
void map_mark_node(float x, float y, float r, bool ore);
// quest: the giver's marker (0 none, 1 a quest to take, 2 one to hand in,
// 3 one in hand); 1 and 2 stand out.
void map_mark_person(float x, float y, float r, int quest);
void map_mark_other_player(float x, float y, float r);
// The player's arrow, turned to a heading (facing (sin, cos) in (x, z)) on a
// north-up map.
void map_mark_arrow(float x, float y, float r, float heading);
void map_mark_place(float x, float y, float r);
