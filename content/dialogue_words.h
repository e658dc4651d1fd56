#pragma once
// The words a text says to the player, chosen by the character's class and
// sex. In a text, "{classe}" is the class noun (archer or archère, guerrier or
// guerrière, druide or druidesse) and "{m|f}" gives the masculine form m or
// the feminine form f ("prêt{|e}", "{un bon|une bonne}"). Anything else in
// braces, or a brace left open, is copied as it stands.
#include <cstddef>

const char* class_noun(int player_class, bool woman);

// Writes text with its words chosen into out, cut at cap - 1 bytes and never
// inside a UTF-8 sequence; returns out.
const char* words_for(char* out, size_t cap, const char* text, int player_class, bool woman);

// The same for the character being played, into a small ring of texts (each
// result outlives the next seven calls).
const char* words_for_player(const char* text);
