#pragma once
// Profession levels, 1 .. 75, saved in the character file as "metier_%d".
constexpr int PROFESSION_COUNT = 6;
extern int profession_level[PROFESSION_COUNT];
// Every profession back to level 1 (a new character).
void professions_reset();
