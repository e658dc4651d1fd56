// Class nouns and the masculine or feminine forms in what the figures say.
#include "content/dialogue_words.h"

#include <cstring>

#include "play/player.h"

namespace {

// By class (archer, warrior, druid), then man and woman.
const char* const class_nouns[3][2] = {
    {"archer", "archère"},
    {"guerrier", "guerrière"},
    {"druide", "druidesse"},
};

constexpr char CLASS_TOKEN[] = "{classe}";
constexpr size_t CLASS_TOKEN_LEN = sizeof CLASS_TOKEN - 1;
constexpr int RING = 8;
constexpr size_t RING_TEXT = 2048;  // a dialog body's size

struct Writer {
    char* out;
    size_t cap, n;
    bool full;
    // Whole UTF-8 sequences only: a text cut short never ends in half a letter.
    void put(const char* s, size_t len) {
        if (full) return;
        if (n + len + 1 > cap) {
            size_t room = cap - 1 - n;
            while (room > 0 && ((unsigned char)s[room] & 0xC0) == 0x80) --room;
            std::memcpy(out + n, s, room);
            n += room;
            full = true;
            return;
        }
        std::memcpy(out + n, s, len);
        n += len;
    }
};

}  // namespace

const char* class_noun(int player_class, bool woman) {
    if (player_class < 0 || player_class > 2) player_class = 0;
    return class_nouns[player_class][woman ? 1 : 0];
}

const char* words_for(char* out, size_t cap, const char* text, int player_class, bool woman) {
    if (!out || cap == 0) return out;
    Writer w{out, cap, 0, false};
    const char* p = text ? text : "";
    while (*p && !w.full) {
        const char* open = std::strchr(p, '{');
        if (!open) {
            w.put(p, std::strlen(p));
            break;
        }
        w.put(p, (size_t)(open - p));
        if (std::strncmp(open, CLASS_TOKEN, CLASS_TOKEN_LEN) == 0) {
            const char* noun = class_noun(player_class, woman);
            w.put(noun, std::strlen(noun));
            p = open + CLASS_TOKEN_LEN;
            continue;
        }
        // "{m|f}": one bar, then the closing brace, with no other brace between.
        const char* bar = open + 1;
        while (*bar && *bar != '|' && *bar != '{' && *bar != '}') ++bar;
        const char* close = *bar == '|' ? bar + 1 : bar;
        while (*close && *close != '{' && *close != '}' && *close != '|') ++close;
        if (*bar != '|' || *close != '}') {
            w.put(open, 1);
            p = open + 1;
            continue;
        }
        if (woman)
            w.put(bar + 1, (size_t)(close - bar - 1));
        else
            w.put(open + 1, (size_t)(bar - open - 1));
        p = close + 1;
    }
    out[w.n] = 0;
    return out;
}

const char* words_for_player(const char* text) {
    static char ring[RING][RING_TEXT];
    static int next = 0;
    next = (next + 1) % RING;
    return words_for(ring[next], RING_TEXT, text, player.player_class, player_look.woman != 0);
}
