// What the figures say fits the character: every quest and dialogue text,
// heard in the dialogues by each class and sex, names the class and agrees
// with the sex, and wrapped at any width (the class cards too) never starts a
// line with a mark that belongs to the word before it. The king's errand shows the way to Sire Keu.
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "content/dialogue_words.h"
#include "play/skills.h"
#include "render/font_atlas.h"
#include "render/ui.h"
#include "tests/quests/quest_helpers.h"

namespace {

constexpr int HERALD = 4, KING = 5;

struct Character {
    int cls;
    bool woman;
};

void play_as(Character c) {
    player.player_class = c.cls;
    player_look.woman = c.woman ? 1 : 0;
}

std::string said() {
    std::string s = dialog_body();
    close_dialog();
    return s;
}

// Every text the quest figures and the townsfolk say, through the dialogues
// where one opens them: offers, progress, rewards, levels too low, last words.
std::vector<std::string> spoken_texts() {
    std::vector<std::string> out;
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) {
        const GiverDef& d = quest_givers[g];
        for (int n = 0; n < d.quest_count; ++n) {
            const QuestDef& q = d.quests[n];
            fresh_quests(1);
            giver_quest[g] = {n, 0, 0};
            if (q.level > 1) {
                talk_to_giver(g);
                out.push_back(said());
            }
            player.level = 20;
            talk_to_giver(g);
            out.push_back(said());
            giver_quest[g] = {n, 1, 0};
            quests_refresh_panel();
            talk_to_giver(g);
            out.push_back(said());
            int slot = giver_entry_slot(g);
            EXPECT_GE(slot, 0) << q.name;
            out.push_back(quest_panel_story(slot));
            giver_quest[g] = {n, 2, q.count};
            talk_to_giver(q.turn_in ? q.turn_in - 1 : g);
            out.push_back(said());
        }
        giver_quest[g] = {d.quest_count, 3, 0};
        talk_to_giver(g);
        out.push_back(said());
    }
    fresh_quests(20);
    talk_to_lady();  // before Keu's chain is done
    out.push_back(said());
    for (int n = 0; n < KEU_QUEST_COUNT; ++n) {
        quete_numero = n, quete_etat = 0, quete_abattus = 0;
        talk_to_keu();
        out.push_back(said());
        quete_etat = 1;
        talk_to_keu();
        out.push_back(said());
        quete_etat = 2, quete_abattus = 10;
        talk_to_keu();
        out.push_back(said());
    }
    quete_numero = KEU_QUEST_COUNT, quete_etat = 3;
    talk_to_keu();
    out.push_back(said());
    for (int n = 0; n < LADY_QUEST_COUNT; ++n) {
        dame_numero = n, dame_etat = 0, dame_compte = 0;
        player.level = 1;
        talk_to_lady();
        out.push_back(said());
        player.level = 20;
        talk_to_lady();
        out.push_back(said());
        dame_etat = 1;
        talk_to_lady();
        out.push_back(said());
        dame_etat = 2, dame_compte = lady_quests[n].count;
        talk_to_lady();
        out.push_back(said());
    }
    dame_numero = LADY_QUEST_COUNT, dame_etat = 3;
    talk_to_lady();
    out.push_back(said());
    // The townsfolk's lines, as their talk words them.
    for (const char* line : guard_lines) out.push_back(words_for_player(line));
    for (const char* line : seller_lines) out.push_back(words_for_player(line));
    for (const char* line : town_lines) out.push_back(words_for_player(line));
    for (const char* line : trainer_greetings) out.push_back(words_for_player(line));
    fresh_quests(1);
    return out;
}

bool word_byte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80;
}

// The phrase as whole words: no letter runs on at either end.
bool says(const std::string& text, const std::string& phrase) {
    for (size_t at = text.find(phrase); at != std::string::npos; at = text.find(phrase, at + 1)) {
        bool starts = !word_byte((unsigned char)phrase.front()) || at == 0 ||
                      !word_byte((unsigned char)text[at - 1]);
        size_t end = at + phrase.size();
        bool ends = !word_byte((unsigned char)phrase.back()) || end == text.size() ||
                    !word_byte((unsigned char)text[end]);
        if (starts && ends) return true;
    }
    return false;
}

// Words that must not be said to this character.
std::vector<std::string> wrong_words(Character c) {
    const char* const nouns[3][2] = {{"archer", "archère"}, {"guerrier", "guerrière"}, {"druide", "druidesse"}};
    std::vector<std::string> out;
    for (int k = 0; k < 3; ++k) {
        if (k != c.cls) {
            out.push_back(nouns[k][0]);
            out.push_back(nouns[k][1]);
        }
        // The other sex's noun, and an article that does not fit this one.
        out.push_back(nouns[k][c.woman ? 0 : 1]);
        out.push_back(std::string(c.woman ? "un " : "une ") + nouns[k][c.woman ? 1 : 0]);
    }
    const char* const masculine[] = {"vaillant", "prêt", "aguerri", "reçu", "voyageur", ", ami", "l'ami",
                                     "un bon",   "toi un des nôtres"};
    const char* const feminine[] = {"vaillante", "prête", "aguerrie", "reçue", "voyageuse", "amie",
                                    "une bonne", "toi une des nôtres"};
    if (c.woman)
        out.insert(out.end(), std::begin(masculine), std::end(masculine));
    else
        out.insert(out.end(), std::begin(feminine), std::end(feminine));
    return out;
}

const Character everyone[6] = {{0, false}, {0, true}, {1, false}, {1, true}, {2, false}, {2, true}};

// Code points of the body font's glyphs by their place in the atlas.
int32_t glyph_code_point(float u, float v) {
    static std::map<std::pair<int, int>, int32_t> by_place;
    if (by_place.empty())
        for (const GlyphRecord& g : font_glyphs)
            if (g.font == FONT_BODY && g.width > 0) by_place[{g.atlas_x, g.atlas_y}] = g.code_point;
    auto it = by_place.find({(int)std::lround(u * FONT_ATLAS_W), (int)std::lround(v * FONT_ATLAS_H)});
    return it == by_place.end() ? -1 : it->second;
}

// The first letter of each line a wrap drew: every line draws its shadow,
// then its glyphs.
std::vector<int32_t> line_starts() {
    std::vector<int32_t> out;
    const UiVertex* v = ui_batch_vertices();
    int previous = -1;
    for (int i = 0; i + 5 < ui_batch_count(); i += 6) {
        int mode = (int)v[i].mode;
        if (mode == UI_GLYPH && previous != UI_GLYPH) out.push_back(glyph_code_point(v[i].u, v[i].v));
        previous = mode;
    }
    return out;
}

}  // namespace

TEST(QuestWords, EveryTextNamesTheClassAndAgreesWithTheSex) {
    const Character saved = {player.player_class, player_look.woman != 0};
    for (Character c : everyone) {
        SCOPED_TRACE("class " + std::to_string(c.cls) + (c.woman ? ", woman" : ", man"));
        play_as(c);
        const std::vector<std::string> texts = spoken_texts();
        ASSERT_GT(texts.size(), 100u);
        for (const std::string& t : texts) {
            EXPECT_FALSE(t.empty());
            EXPECT_EQ(t.find_first_of("{|}"), std::string::npos) << t;
            for (const std::string& w : wrong_words(c)) EXPECT_FALSE(says(t, w)) << "\"" << w << "\" in: " << t;
        }
    }
    // The lines the players met, as each character now hears them.
    play_as({0, true});
    fresh_quests(1);
    talk_to_keu();
    EXPECT_EQ(said().rfind("Ah, une archère ! Il était temps.", 0), 0u);
    giver_quest[HERALD] = {1, 3, 0};
    talk_to_giver(KING);
    EXPECT_EQ(said().rfind("Tu es vaillante, mais pas encore prête. Reviens me voir", 0), 0u);
    play_as({1, false});
    talk_to_keu();
    EXPECT_EQ(said().rfind("Ah, un guerrier ! Il était temps.", 0), 0u);
    play_as({2, true});
    quete_numero = 2, quete_etat = 3;
    dame_numero = 2, dame_etat = 0;
    talk_to_lady();
    EXPECT_NE(said().find("d'autres ont besoin d'une bonne druidesse :"), std::string::npos);
    EXPECT_STREQ(class_noun(1, true), "guerrière");
    play_as(saved);
    fresh_quests(1);
}

TEST(QuestWords, BracesThatAreNotWordsStayAndACutNeverSplitsALetter) {
    char out[64];
    EXPECT_STREQ(words_for(out, sizeof out, "{x} {a|b|c} {a|b {classe", 0, true), "{x} {a|b|c} {a|b {classe");
    EXPECT_STREQ(words_for(out, sizeof out, "{|e}{un|une} {classe}", 1, true), "eune guerrière");
    EXPECT_STREQ(words_for(out, sizeof out, "{classe}", 7, false), "archer") << "an unknown class reads as 0";
    // "archère" cut inside its "è" keeps "arch" only.
    EXPECT_STREQ(words_for(out, 6, "{classe}", 0, true), "arch");
    EXPECT_STREQ(words_for(out, 1, "{classe}", 0, true), "");
    EXPECT_STREQ(words_for(out, sizeof out, nullptr, 0, true), "");
}

TEST(QuestWords, NoWrappedLineStartsWithAMarkOfTheWordBefore) {
    const Character saved = {player.player_class, player_look.woman != 0};
    std::set<std::string> texts;
    for (Character c : everyone) {
        play_as(c);
        for (const std::string& t : spoken_texts()) texts.insert(t);
    }
    // The class cards of the creation screen too.
    for (const ClassDef& d : class_defs) texts.insert(d.description);
    std::vector<float> widths;
    for (float width = 140; width <= 520; width += 11) widths.push_back(width);
    widths.push_back(440.0f * 18 / 19);  // a card's text: 440 wide at 19, at every screen size
    const std::set<int32_t> marks = {';', ':', '!', '?', '%', 0xBB};
    for (const std::string& t : texts) {
        for (float width : widths) {
            ui_batch_clear();
            ui_text_wrapped(0, 0, width, t.c_str(), 18, Vec4{1, 1, 1, 1}, UI_FONT_BODY, 1.35f);
            for (int32_t cp : line_starts()) {
                ASSERT_FALSE(marks.count(cp)) << "a line starts with U+" << std::hex << cp << std::dec << " at width "
                                              << width << ": " << t;
            }
        }
    }
    ui_batch_clear();
    play_as(saved);
}

// Once the king has taken the herald's call and sent the player on to his
// seneschal, the tracker, the journal and the maps show the way to Keu, until
// his first quest is taken.
TEST(QuestWords, TheKingsErrandPointsAtSireKeu) {
    fresh_quests(1);
    EXPECT_FALSE(hud_tracker_get(0)->shown) << "nobody has sent the player yet";
    talk_to_giver(HERALD);
    press(0);
    EXPECT_FALSE(hud_tracker_get(0)->shown) << "the herald sends the player to the king, not to Keu";
    talk_to_giver(KING);
    press(0);
    talk_to_giver(KING);
    EXPECT_NE(dialog_body().find("Va trouver Sire Keu, mon sénéchal"), std::string::npos);
    close_dialog();

    const QuestTrackerEntry* e = hud_tracker_get(0);
    ASSERT_TRUE(e->shown);
    EXPECT_FALSE(e->completed);
    EXPECT_STREQ(e->title, "Le sénéchal de Camelot");
    ASSERT_EQ(e->line_count, 2);
    EXPECT_STREQ(e->lines[0], "Parler à Sire Keu");
    EXPECT_STREQ(e->lines[1], "La grande porte de Camelot");
    EXPECT_STREQ(e->giver_name, "Le roi Arthur");
    EXPECT_EQ(std::string(quest_panel_story(0)).rfind("Va trouver Sire Keu", 0), 0u);
    Vec3 at;
    bool turn_in = true;
    ASSERT_TRUE(quest_panel_marker(0, &at, &turn_in));
    EXPECT_FALSE(turn_in) << "a \"!\": where to go";
    const Vec3 keu = keu_position();
    EXPECT_LT(std::hypot(at.x - keu.x, at.z - keu.z), 0.01f);

    // A reload keeps the way; taking his quest turns it into the quest.
    quests_after_load();
    EXPECT_STREQ(hud_tracker_get(0)->title, "Le sénéchal de Camelot");
    talk_to_keu();
    press(0);
    EXPECT_STREQ(hud_tracker_get(0)->title, keu_quests[0].name);
    EXPECT_STREQ(hud_tracker_get(0)->lines[0], "Sangliers abattus : 0 / 10");
    fresh_quests(1);
    EXPECT_FALSE(hud_tracker_get(0)->shown);
}
