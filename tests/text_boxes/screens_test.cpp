// Every screen and window of the game at 800 x 600, 1280 x 720, 1920 x 1080
// and 2560 x 1440, and at the smallest and largest text sizes: no text leaves
// the box it belongs to, runs over another box of its window or over another
// text of its box, and no box leaves the screen. The tests run in order
// in one game: the creation screens make the character the others play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "common/game_time.h"
#include "content/professions.h"
#include "content/quests.h"
#include "tests/support/shown.h"
#include "ui/pause_dialog.h"
#include "persist/characters.h"
#include "play/bindings.h"
#include "play/catacomb_visits.h"
#include "play/comfort.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/loot.h"
#include "play/merchant.h"
#include "play/player.h"
#include "play/player_input.h"
#include "play/quest_state.h"
#include "play/skills.h"
#include "play/villagers.h"
#include "render/renderer.h"
#include "tests/text_boxes/text_boxes_game.h"
#include "ui/action_bar.h"
#include "ui/character_creation.h"
#include "ui/character_select.h"
#include "ui/item_windows.h"
#include "ui/maps.h"
#include "ui/options_screen.h"
#include "ui/professions_screen.h"
#include "world/terrain.h"

int character_creation_step();
int quest_journal_selected();
UiRect spellbook_arrow_box(bool up);

namespace {

void centre_of(UiRect r, float* x, float* y) {
    *x = r.x + r.w * 0.5f;
    *y = r.y + r.h * 0.5f;
}

void pad_hints(bool on) {
    plat_input.pad.connected = on ? 1 : 0;
    plat_input.pad_used_last = on ? 1 : 0;
}

// The player at (x, z) facing the point (tx, tz), nothing open.
void stand_facing(float x, float z, float tx, float tz) {
    player.pos_x = x;
    player.pos_z = z;
    player.pos_y = ground_height(x, z);
    player.heading = player.camera_yaw = std::atan2(tx - x, tz - z);
    player.camera_pitch = 0.0f;
    std::vector<InputState> s(3, idle_at(0, 0));
    run_frames(s);
}

// A character in play, made here if the creation screens were not walked
// first (a test run alone).
void ensure_in_play() {
    if (game_flags.character_creation_open) {
        std::snprintf(player.name, sizeof player.name, "%s", "Énide");
        ASSERT_TRUE(character_creation_commit());
    }
    if (game_flags.character_select_open) {
        ASSERT_TRUE(character_select_play(false, ""));
    }
}

// In the all-zones view, a click on a world point shows its zone.
void big_map_left_click_at_world(float x, float z) {
    float sx, sy;
    big_map_to_screen(x, z, &sx, &sy);
    big_map_left_click(sx, sy);
}

// On the class step: the button row ("Suivant", with "Retour" when shown)
// stands centred under the three cards.
void expect_buttons_centred_under_the_cards(const std::string& where) {
    float cards0 = 1e9f, cards1 = -1e9f, row0 = 1e9f, row1 = -1e9f;
    int cards = 0, buttons = 0;
    for (int i = 0; i < ui_recorded_text_count(); ++i) {
        const UiRecordedText& t = ui_recorded_texts()[i];
        if (t.box < 0) continue;
        const UiRecordedBox& b = ui_recorded_boxes()[t.box];
        bool card = false;
        for (int c = 0; c < 3; ++c) card = card || !std::strcmp(t.text, class_defs[c].name);
        if (card) {
            ++cards;
            cards0 = std::fmin(cards0, b.x);
            cards1 = std::fmax(cards1, b.x + b.w);
        }
        if (!std::strcmp(t.text, "Suivant") || !std::strcmp(t.text, "Retour")) {
            ++buttons;
            row0 = std::fmin(row0, b.x);
            row1 = std::fmax(row1, b.x + b.w);
        }
    }
    ASSERT_EQ(cards, 3) << where;
    ASSERT_GE(buttons, 1) << where;
    EXPECT_NEAR((row0 + row1) * 0.5f, (cards0 + cards1) * 0.5f, 1.0f) << where << ": the buttons' row is off-centre";
}

// The box of the first recorded text that reads `text` (in a box `width`
// wide at scale 1, when given), after one frame drawn with `frame` as its
// input; false when no such text was drawn.
bool drawn_text_box(const char* text, UiRecordedBox* out, InputState frame = idle_at(0, 0), float width = 0.0f) {
    std::vector<InputState> s(1, frame);
    ui_record_begin();
    run_frames(s);
    ui_record_end();
    for (int i = 0; i < ui_recorded_text_count(); ++i) {
        const UiRecordedText& t = ui_recorded_texts()[i];
        if (t.box < 0 || std::strcmp(t.text, text)) continue;
        const UiRecordedBox& b = ui_recorded_boxes()[t.box];
        if (width > 0.0f && std::fabs(b.w - width * hud_scale) > 1.0f) continue;
        *out = b;
        return true;
    }
    return false;
}

// At 1920 x 1080 and the largest text the list of eight grows to the full
// 1.5 and shows fewer rows than it holds: the wheel over it reaches the
// eighth, a click selects it, and a selection made elsewhere comes into view.
void expect_the_full_list_scrolls_at_the_largest_text() {
    const int t0 = hud_text_size, w0 = plat_input.client_width, h0 = plat_input.client_height;
    const int selected_before = selected_slot;
    hud_text_size = HUD_TEXT_SIZE_MAX;
    window_size(1920, 1080);
    int first = -1, last = -1;
    for (int slot = 0; slot < CHARACTER_SLOTS; ++slot)
        if (character_slots[slot].present) last = slot, first = first < 0 ? slot : first;
    ASSERT_TRUE(character_select(first));
    UiRecordedBox first_row{}, row{};
    ASSERT_TRUE(drawn_text_box(character_slots[first].name, &first_row));
    EXPECT_FLOAT_EQ(hud_scale, 1.5f);
    EXPECT_FALSE(drawn_text_box(character_slots[last].name, &row)) << "all eight rows shown at 1.5";
    InputState wheel = idle_at(first_row.x + first_row.w * 0.5f, first_row.y + first_row.h * 0.5f);
    wheel.wheel = -1.0f;
    int notches = 0;
    while (!drawn_text_box(character_slots[last].name, &row, wheel) && notches < CHARACTER_SLOTS) ++notches;
    ASSERT_LT(notches, CHARACTER_SLOTS) << "the wheel never brought the eighth row into view";
    EXPECT_GT(notches, 0);
    // Past the end the wheel stops: the eighth stays in the last row.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(drawn_text_box(character_slots[last].name, &row, wheel));
    click_at(row.x + row.w * 0.5f, row.y + row.h * 0.5f);
    EXPECT_EQ(selected_slot, last);
    // Back up to the top: the first shows again, the eighth no more.
    wheel.wheel = 1.0f;
    for (int i = 0; i < CHARACTER_SLOTS; ++i) drawn_text_box(character_slots[first].name, &row, wheel);
    EXPECT_TRUE(drawn_text_box(character_slots[first].name, &row));
    EXPECT_FALSE(drawn_text_box(character_slots[last].name, &row));
    // A selection made away from the list (a load) is brought into view.
    ASSERT_TRUE(character_select(first));
    EXPECT_TRUE(drawn_text_box(character_slots[first].name, &row));
    ASSERT_TRUE(character_select(last));
    EXPECT_TRUE(drawn_text_box(character_slots[last].name, &row));
    ASSERT_TRUE(character_select(selected_before >= 0 ? selected_before : first));
    hud_text_size = t0;
    window_size(w0, h0);
}

// The largest text on a 1920 x 1080 window for the checks below, then back.
struct LargestTextAt1080 {
    const int t0 = hud_text_size, w0 = plat_input.client_width, h0 = plat_input.client_height;
    LargestTextAt1080() {
        hud_text_size = HUD_TEXT_SIZE_MAX;
        window_size(1920, 1080);
        std::vector<InputState> s(1, idle_at(0, 0));
        run_frames(s);
    }
    ~LargestTextAt1080() {
        hud_text_size = t0;
        window_size(w0, h0);
    }
};

// The open window gives the largest text its whole 1.5 on 1920 x 1080.
void expect_the_full_scale(const char* what) {
    LargestTextAt1080 large;
    EXPECT_FLOAT_EQ(hud_scale, 1.5f) << what << " keeps the text from its full size";
}

// Wheel notches over (x, y) until `text` is drawn; -1 when it never is.
int notches_until_drawn(const char* text, float x, float y, float wheel, int most, UiRecordedBox* row) {
    InputState in = idle_at(x, y);
    in.wheel = wheel;
    for (int notches = 0; notches <= most; ++notches)
        if (drawn_text_box(text, row, notches == 0 ? idle_at(x, y) : in)) return notches;
    return -1;
}

// At the largest text the stock shows fewer rows than it holds: the wheel
// brings the last into view and stops there, the arrows (places for the
// pad) move it a row, and the last row sells what it shows.
void expect_the_stock_scrolls_to_its_last_row() {
    LargestTextAt1080 large;
    EXPECT_FLOAT_EQ(hud_scale, 1.5f) << "the sheet with the shop";
    ASSERT_TRUE(shop_stock_scrolls());
    shop_stock_first() = 0;
    const int last = MERCHANT_STOCK - 1;
    const char* name = item_def(merchant_stock[last].id).name;
    UiRect area = shop_stock_area();
    UiRecordedBox row{};
    ASSERT_FALSE(drawn_text_box(name, &row)) << "the whole stock shown at 1.5";
    const float camera_distance = player.camera_distance;
    const int notches = notches_until_drawn(name, area.x + 20, area.y + 20, -1.0f, MERCHANT_STOCK, &row);
    ASSERT_GT(notches, 0) << "the wheel never brought the last row into view";
    EXPECT_EQ(player.camera_distance, camera_distance) << "the wheel over the shop zoomed the camera too";
    const int first_at_end = shop_stock_first();
    EXPECT_EQ(first_at_end, MERCHANT_STOCK - shop_stock_rows_shown());
    EXPECT_EQ(notches_until_drawn(name, area.x + 20, area.y + 20, -1.0f, 3, &row), 0);
    EXPECT_EQ(shop_stock_first(), first_at_end) << "the wheel went past the end";
    UiRect up = shop_stock_arrow_box(true), down = shop_stock_arrow_box(false);
    click_at(up.x + up.w * 0.5f, up.y + up.h * 0.5f);
    EXPECT_EQ(shop_stock_first(), first_at_end - 1);
    click_at(down.x + down.w * 0.5f, down.y + down.h * 0.5f);
    EXPECT_EQ(shop_stock_first(), first_at_end);
    // The row drawn with the last item's name is the one that buys it.
    const int purse = player.purse = 100000;
    UiRect r = shop_stock_box(last);
    ASSERT_GT(r.w, 0.0f);
    EXPECT_TRUE(r.contains(row.x + row.w * 0.5f, row.y + row.h * 0.5f));
    click_at(r.x + r.w * 0.5f, r.y + r.h * 0.5f);
    EXPECT_EQ(player.purse, purse - merchant_stock[last].price);
    // Rows out of view answer no click.
    player.purse = 100000;
    UiRect hidden = shop_stock_box(0);
    EXPECT_LE(hidden.w, 0.0f);
    shop_stock_first() = 0;
    player.purse = 20;
}

// The row of the quest list titled `title` after one frame with `frame`
// (the tracker and the page beside the list show titles too).
bool quest_row_box(const char* title, UiRecordedBox* out, InputState frame = idle_at(0, 0)) {
    return drawn_text_box(title, out, frame, 310.0f);
}

// At the largest text a long list of quests scrolls: the wheel over it
// brings the last into view and a click there selects it.
void expect_the_quest_list_reaches_its_last_quest() {
    LargestTextAt1080 large;
    EXPECT_FLOAT_EQ(hud_scale, 1.5f) << "the quest log";
    int slots[HUD_TRACKER_SLOTS], count = 0;
    for (int i = 0; i < HUD_TRACKER_SLOTS; ++i)
        if (hud_tracker_get(i)->shown) slots[count++] = i;
    ASSERT_GE(count, 2);
    const char* first = hud_tracker_get(slots[0])->title;
    const char* last = hud_tracker_get(slots[count - 1])->title;
    UiRecordedBox row{}, first_row{};
    ASSERT_TRUE(quest_row_box(first, &first_row));
    ASSERT_FALSE(quest_row_box(last, &row)) << "all " << count << " quests shown at 1.5: nothing scrolls";
    InputState wheel = idle_at(first_row.x + 10, first_row.y + 10);
    wheel.wheel = -1.0f;
    int notches = 1;
    while (!quest_row_box(last, &row, wheel) && notches <= count) ++notches;
    ASSERT_LE(notches, count) << "the wheel never brought the last quest into view";
    click_at(row.x + row.w * 0.5f, row.y + row.h * 0.5f);
    EXPECT_EQ(quest_journal_selected(), slots[count - 1]);
    // Past the end the wheel stops; the arrows under the rows (places for
    // the pad) take the list back up to the first.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(quest_row_box(last, &row, wheel));
    const float under = row.y + row.h + 6 * hud_scale;
    for (int i = 0; i < count && !quest_row_box(first, &row); ++i) click_at(row.x + 20, under + 10);
    EXPECT_TRUE(quest_row_box(first, &row)) << "the up arrow never brought the first quest back";
    EXPECT_FALSE(quest_row_box(last, &row));
}

// At the largest text the spellbook shows one row of skills above the action
// bar (a skill can still be dragged there): the wheel turns to the row of
// the last skill, whose cell then answers, and the up arrow turns back.
void expect_the_spellbook_turns_to_its_last_row() {
    game_flags.windows.spellbook = 1;
    LargestTextAt1080 large;
    EXPECT_FLOAT_EQ(hud_scale, 1.5f) << "the spellbook";
    UiRect book = spellbook_box();
    EXPECT_LE(book.y + book.h, bar_slot_box(0).y) << "the spellbook covers the action bar";
    int order[SKILLS_PER_CLASS];
    spellbook_order(order);
    const char* last = skill_of(order[SKILLS_PER_CLASS - 1]).name;
    const char* first = skill_of(order[0]).name;
    UiRecordedBox cell{};
    ASSERT_TRUE(drawn_text_box(first, &cell));
    ASSERT_FALSE(drawn_text_box(last, &cell)) << "both rows shown: nothing to turn";
    ASSERT_GT(notches_until_drawn(last, book.x + book.w * 0.5f, book.y + book.h * 0.5f, -1.0f, 3, &cell), 0);
    UiRect k = spellbook_cell_box(SKILLS_PER_CLASS - 1);
    EXPECT_TRUE(k.contains(cell.x + cell.w * 0.5f, cell.y + cell.h * 0.5f));
    EXPECT_LE(spellbook_cell_box(0).w, 0.0f) << "a skill turned away still answers";
    UiRect up = spellbook_arrow_box(true);
    click_at(up.x + up.w * 0.5f, up.y + up.h * 0.5f);
    EXPECT_TRUE(drawn_text_box(first, &cell));
    game_flags.windows.spellbook = 0;
}

void close_everything() {
    ensure_in_play();
    if (hud_dialog_state().open) hud_dialog_close();
    if (shop_is_open()) close_shop();
    if (loot_corpse()) loot_close();
    game_flags.windows = ScreenFlags{};
    game_flags.character_sheet_open = 0;
    game_flags.paused = 0;
    game_flags.title_overlay = 0;
    pad_hints(false);
}

}  // namespace

TEST(TextBoxes, CreationScreens) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    ASSERT_TRUE(game_flags.character_creation_open);
    Looks l;
    l.large_text_everywhere = true;
    l.after = expect_buttons_centred_under_the_cards;
    l.look("creation, the class");
    pad_hints(true);
    l.look("creation, the class (pad)");
    pad_hints(false);
    expect_the_full_scale("the class step");
    float x, y;
    centre_of(character_creation_next_box(), &x, &y);
    click_at(x, y);
    ASSERT_EQ(character_creation_step(), 2);
    l.after = nullptr;
    l.look("creation, name and looks");
    pad_hints(true);
    l.look("creation, name and looks (pad)");
    pad_hints(false);
    expect_the_full_scale("the name and looks");
    centre_of(character_creation_finish_box(), &x, &y);
    click_at(x, y);
    ASSERT_FALSE(game_flags.character_creation_open);
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

TEST(TextBoxes, CharacterListAndTheClassStepWithAListToGoBackTo) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    Looks l;
    l.large_text_everywhere = true;
    character_select_show();
    l.look("character list");
    // The list full, of the longest names a character may have.
    const char* const names[] = {"Blanchefleur de Ysaÿe", "Perceval le Gallois", "Lancelot du Lac",
                                 "Guenièvre Léodagan", "Iseult aux Blanches", "Bédoier de Bretagne",
                                 "Méliant de Lis"};
    const std::string first = player.name;
    for (int i = 0; characters_present_count() < CHARACTER_SLOTS && i < 8; ++i) {
        std::snprintf(player.name, sizeof player.name, "%s", names[i % 7]);
        if (!character_create()) break;
    }
    std::snprintf(player.name, sizeof player.name, "%s", first.c_str());
    character_select_show();
    ASSERT_EQ(characters_present_count(), CHARACTER_SLOTS);
    hud_message("La liste est pleine : supprimez d'abord un personnage.", 2.0f);
    l.look("character list, full");
    expect_the_full_list_scrolls_at_the_largest_text();
    character_creation_open_new();
    l.after = expect_buttons_centred_under_the_cards;
    l.look("creation with a list, the class");
    l.after = nullptr;
    character_select_show();
    ASSERT_TRUE(character_select_play(false, ""));
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

TEST(TextBoxes, HudTitleBarsTrackerPromptAndActionBar) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    close_everything();
    Looks l;
    game_flags.title_overlay = 1;
    l.look("title overlay");
    pad_hints(true);
    l.look("title overlay (pad)");
    close_everything();

    // By the merchant: his label and the prompt; a message and floating texts.
    Vec3 m = merchant_position();
    stand_facing(m.x + 3.0f, m.z, m.x, m.z);
    hud_message("Objectif accompli : Les loups de la forêt de Tervanne", 3.0f);
    hud_float_text(m + Vec3{0, 1.5f, 0}, "+120 XP", Vec4{0.9f, 0.8f, 0.3f, 1}, 2.0f, 1.0f, 0.35f);
    l.look("HUD by the merchant");

    // A kill: its message, the experience and the item gained over the
    // player where the game puts them, the merchant's name behind; the
    // floating texts stack clear of each other, of the name and of the message.
    const char* floating[] = {"+63 XP", "Cuir de sanglier"};
    l.after = [&](const std::string& where) {
        const UiRecordedText* texts = ui_recorded_texts();
        for (int i = 0; i < ui_recorded_text_count(); ++i) {
            bool is_floating = false;
            for (const char* f : floating) is_floating = is_floating || !std::strcmp(texts[i].text, f);
            if (!is_floating) continue;
            for (int j = 0; j < ui_recorded_text_count(); ++j) {
                const UiRecordedText& o = texts[j];
                if (j == i || o.box == texts[i].box || !(box_check::is_free(o.box) || o.box < 0)) continue;
                if (box_check::overlap(texts[i].x0, texts[i].x1, o.x0, o.x1) > 0.0f &&
                    box_check::overlap(texts[i].y0, texts[i].y1, o.y0, o.y1) > 0.0f)
                    ADD_FAILURE() << where << ": " << box_check::text_name(texts[i]) << " over "
                                  << box_check::text_name(o);
            }
        }
    };
    stand_facing(m.x + 2.2f, m.z + 0.4f, m.x, m.z);
    hud_message("Sanglier abattu !", 1.8f);
    const Vec3 feet = {player.pos_x, player.pos_y, player.pos_z};
    hud_float_text(feet + Vec3{0.4f, 2.2f, 0.0f}, "+63 XP", Vec4{0.78f, 0.62f, 1.0f, 1.0f}, 1.4f, 0.8f, 0.3f);
    hud_float_text(feet + Vec3{-0.5f, 2.35f, 0.0f}, "Cuir de sanglier", HUD_PARCHMENT, 2.6f, 1.0f, 0.34f);
    l.look("a kill by the merchant");
    l.after = nullptr;

    // Every quest in hand: the tracker's column full.
    keu_set_state(0, 1, 3);
    lady_set_state(0, 1, 0);
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) giver_quest[g] = {0, 1, 0};
    quests_refresh_panel();
    l.look("HUD with every quest in hand");
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) giver_quest[g] = {0, 2, 0};
    quests_refresh_panel();
    l.look("HUD with every quest to hand in");
    for (int cls : {CLASS_WARRIOR, CLASS_DRUID}) {
        player.player_class = cls;
        l.look(cls == CLASS_WARRIOR ? "HUD of a warrior" : "HUD of a druid");
    }
    player.player_class = CLASS_ARCHER;

    // The action bar's tooltips: a skill, a locked one, a potion.
    put_item_on_bar(26, 4);
    add_to_bag(26);
    for (int slot : {0, 3, 4}) {
        auto over_slot = [slot](float* x, float* y) {
            UiRect b = bar_slot_box(slot);
            *x = b.x + b.w * 0.5f;
            *y = b.y + b.h * 0.5f;
        };
        l.look("action bar, slot " + std::to_string(slot), over_slot);
        pad_hints(true);
        l.look("action bar with the pad, slot " + std::to_string(slot), over_slot);
        pad_hints(false);
    }
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

TEST(TextBoxes, Dialogs) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    close_everything();
    Looks l;
    pause_dialog_open();
    l.look("pause");
    close_everything();
    quests_reset_all();
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) {
        talk_to_giver(g);
        l.look(std::string("talk with ") + quest_givers[g].short_name);
        close_everything();
    }
    talk_to_keu();
    l.look("talk with Keu");
    close_everything();
    talk_to_lady();
    l.look("talk with Viviane");
    close_everything();
    for (int i = 0; i < 8; ++i) {
        Vec3 p = villager_state(i).position;
        stand_facing(p.x + 2.0f, p.z, p.x, p.z);
        talk_to_villager(i);
        l.look(std::string("talk with ") + villager_defs[i].name);
        close_everything();
    }
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

// The labels over the figures: a giver's marker stands above his name,
// never over it, near or far.
TEST(TextBoxes, LabelsOverTheFiguresAndTheirMarkers) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    close_everything();
    quests_reset_all();
    player.level = 20;  // every giver has work for him
    quests_refresh_panel();
    Looks l;
    std::string name;
    int seen = 0;
    l.after = [&](const std::string& where) {
        const UiRecordedText *label = nullptr, *mark = nullptr;
        for (int i = 0; i < ui_recorded_text_count(); ++i) {
            const UiRecordedText& t = ui_recorded_texts()[i];
            if (name == t.text) label = &t;
            bool is_mark = !std::strcmp(t.text, "!") || !std::strcmp(t.text, "?");
            // The marker of this label: the one drawn just after it, over it.
            float mid = (t.x0 + t.x1) * 0.5f;
            if (label && !mark && is_mark && mid > label->x0 && mid < label->x1) mark = &t;
        }
        if (!label || !mark) return;
        ++seen;
        EXPECT_LE(mark->y1, label->y0) << where << ": the marker's foot at " << mark->y1 << ", the name's top at "
                                       << label->y0;
    };
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) {
        if (giver_marker(g) == 0) continue;
        name = quest_givers[g].full_name;
        Vec3 p = giver_position(g);
        for (float d : {3.0f, 7.0f, 15.0f, 30.0f}) {
            stand_facing(p.x + d, p.z, p.x, p.z);
            l.look(name + " from " + std::to_string((int)d) + " m");
        }
    }
    name = "Sire Keu";
    Vec3 k = keu_position();
    for (float d : {3.0f, 10.0f}) {
        stand_facing(k.x + d, k.z, k.x, k.z);
        l.look("Keu from " + std::to_string((int)d) + " m");
    }
    player.level = 1;
    EXPECT_GT(seen, 30) << "names and markers seen together";
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

namespace {

// Items by the length of their names, longest first.
std::vector<int> items_by_name_length() {
    std::vector<int> ids;
    for (int id = 1; id < 200; ++id)
        if (item_exists(id)) ids.push_back(id);
    std::stable_sort(ids.begin(), ids.end(), [](int a, int b) {
        return ui_text_width(item_name(a), 20, UI_FONT_BODY) > ui_text_width(item_name(b), 20, UI_FONT_BODY);
    });
    return ids;
}

// The bag full of the longest names and the longest of each slot worn.
void dress_with_long_names() {
    inventory_clear();
    std::vector<int> ids = items_by_name_length();
    for (int slot = 0; slot < EQUIPMENT_SLOTS; ++slot)
        for (int id : ids)
            if (item_fits_equipment_slot(id, slot)) {
                equipment[slot] = id;
                break;
            }
    for (int i = 0; i < BAG_SLOTS && i < (int)ids.size(); ++i) {
        bag[i].id = ids[i];
        bag[i].count = item_is_stackable(ids[i]) ? 17 : 1;
    }
    equipment_apply();
}

Pointer over(UiRect (*box)(int), int i) {
    return [box, i](float* x, float* y) {
        UiRect b = box(i);
        *x = b.x + b.w * 0.5f;
        *y = b.y + b.h * 0.5f;
    };
}

}  // namespace

TEST(TextBoxes, CharacterSheetBagShopAndTooltips) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    close_everything();
    Looks l;
    l.large_text_everywhere = true;
    inventory_clear();
    equipment_apply();
    game_flags.character_sheet_open = 1;
    l.look("sheet, nothing worn");
    dress_with_long_names();
    player.purse = 123456;
    l.look("sheet, the longest names");
    for (int i : {0, 5, 18, 23}) l.look("sheet, bag slot " + std::to_string(i), over(sheet_bag_box, i));
    for (int i : {0, 6, 11}) l.look("sheet, worn slot " + std::to_string(i), over(sheet_equipment_box, i));
    pad_hints(true);
    l.look("sheet (pad)");
    pad_hints(false);
    for (int cls : {CLASS_WARRIOR, CLASS_DRUID}) {
        player.player_class = cls;
        l.look(cls == CLASS_WARRIOR ? "sheet of a warrior" : "sheet of a druid");
    }
    player.player_class = CLASS_ARCHER;
    expect_the_full_scale("the character sheet");

    Vec3 m = merchant_position();
    stand_facing(m.x + 3.0f, m.z, m.x, m.z);
    open_shop();
    player.purse = 20;
    l.look("shop, nothing to buy back");
    // Too poor for the dearest row: the shop's answer stands over the shop.
    player.purse = 0;
    ASSERT_FALSE(shop_buy(0, false));
    ASSERT_STREQ(shown_message(), "Vous n'avez pas assez de deniers.");
    int answers = 0;
    const int looks_before = l.looks;
    l.after = [&](const std::string& where) {
        const UiRecordedText* answer = nullptr;
        for (int i = 0; i < ui_recorded_text_count(); ++i)
            if (!std::strcmp(ui_recorded_texts()[i].text, "Vous n'avez pas assez de deniers."))
                answer = &ui_recorded_texts()[i];
        if (!answer) return;
        ++answers;
        for (int b = 0; b < ui_recorded_box_count(); ++b) {
            const UiRecordedBox& r = ui_recorded_boxes()[b];
            if ((r.flags & UI_BOX_LAYER) && !box_check::is_free(b) && r.order > answer->order)
                ADD_FAILURE() << where << ": the message under " << box_check::box_name(b);
        }
    };
    l.look("shop, too poor to buy");
    l.after = nullptr;
    EXPECT_EQ(answers, l.looks - looks_before) << "the message seen at each size";
    hud_message("", 0.0f);
    player.purse = 20;
    for (int i = 0; i < MERCHANT_STOCK; ++i) l.look("shop, stock row " + std::to_string(i), over(shop_stock_box, i));
    ASSERT_TRUE(shop_sell(0));
    l.look("shop, something to buy back", [](float* x, float* y) {
        UiRect b = shop_buy_back_box();
        *x = b.x + b.w * 0.5f;
        *y = b.y + b.h * 0.5f;
    });
    for (int i : {1, 23}) l.look("shop, bag slot " + std::to_string(i), over(sheet_bag_box, i));
    pad_hints(true);
    l.look("shop (pad)");
    pad_hints(false);
    expect_the_stock_scrolls_to_its_last_row();
    // Narrower than 16:9 the shop lies over the sheet's left side: the bag
    // stays in sight and a click there still sells.
    {
        l.look_at("shop on a narrow window", nullptr, {1100, 1080}, HUD_TEXT_SIZE_MAX);
        UiRect shop = shop_box(), first = sheet_bag_box(0), sheet = sheet_box();
        EXPECT_GE(shop.x, sheet.x);
        EXPECT_LE(shop.x + shop.w, first.x) << "the shop covers the bag";
        bag[0] = {merchant_stock[0].id, 1};
        const int purse = player.purse;
        click_at(first.x + first.w * 0.5f, first.y + first.h * 0.5f);
        EXPECT_GT(player.purse, purse) << "the bag's first slot did not sell";
        hud_text_size = HUD_TEXT_SIZE_DEFAULT;
        window_size(1280, 720);
    }
    l.look("shop, scrolled to the end", [](float* x, float* y) {
        shop_stock_first() = MERCHANT_STOCK;
        UiRect b = shop_stock_area();
        *x = b.x + 20;
        *y = b.y + 20;
    });
    shop_stock_first() = 0;
    close_everything();
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

TEST(TextBoxes, LootWindow) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    close_everything();
    inventory_clear();
    Looks l;
    Vec3 at = {player.pos_x + 1.0f, player.pos_y, player.pos_z};
    Creature* c = spawn_creature(0, at, at);
    ASSERT_NE(c, nullptr);
    c->ai_state = CS_DEAD;
    c->health = 0;
    c->loot_count = 0;
    std::vector<int> ids = items_by_name_length();
    for (int i = 0; i < 4; ++i) loot_add(c, ids[i]);
    c->loot_money = 1234;
    ASSERT_TRUE(loot_open(c));
    l.look("loot");
    for (int r = 0; r < 5; ++r) l.look("loot, row " + std::to_string(r), over(loot_row_box, r));
    loot_close();
    free_creature(c);
    close_everything();
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

TEST(TextBoxes, SpellbooksOfTheThreeClasses) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    close_everything();
    Looks l;
    l.large_text_everywhere = true;
    for (int cls : {CLASS_ARCHER, CLASS_WARRIOR, CLASS_DRUID}) {
        player.player_class = cls;
        for (int level : {1, 60}) {
            player.level = level;
            game_flags.windows.spellbook = 1;
            const std::string what = "spellbook of class " + std::to_string(cls) + " at level " + std::to_string(level);
            l.look(what);
            pad_hints(true);
            l.look(what + " (pad)");
            pad_hints(false);
        }
    }
    expect_the_spellbook_turns_to_its_last_row();
    player.player_class = CLASS_ARCHER;
    player.level = 1;
    close_everything();
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

// The big map shows no label over the world behind its shade.
TEST(TextBoxes, MapsAndTheQuestLog) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    close_everything();
    Looks l;
    l.large_text_everywhere = true;
    keu_set_state(0, 1, 3);
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) giver_quest[g] = {0, g % 2 ? 2 : 1, 0};
    quests_refresh_panel();
    // Among the townsfolk, whose labels show.
    Vec3 v = villager_state(0).position;
    stand_facing(v.x + 4.0f, v.z, v.x, v.z);
    int world_labels = 0;
    l.after = [&](const std::string& where) {
        for (int i = 0; i < ui_recorded_text_count(); ++i) {
            const UiRecordedText& t = ui_recorded_texts()[i];
            if (!box_check::is_free(t.box)) continue;
            if (game_flags.windows.map)
                ADD_FAILURE() << where << ": \"" << t.text << "\" over the world behind the big map";
            else
                ++world_labels;
        }
    };
    l.look("town, no window");
    EXPECT_GT(world_labels, 0) << "labels over the world to begin with";
    big_map_set_open(true);
    l.look("big map, the zone");
    l.look("big map, the zone, pointer on the player", [](float* x, float* y) {
        big_map_to_screen(player.pos_x, player.pos_z, x, y);
    });
    big_map_right_click();
    l.look("big map, every zone");
    l.look("big map, every zone, a zone under the pointer", [](float* x, float* y) {
        big_map_to_screen(0.0f, 0.0f, x, y);
    });
    pad_hints(true);
    l.look("big map (pad)");
    pad_hints(false);
    // Zoomed in on places, which then lie near the map's edges.
    const float places[][2] = {{48, 328}, {-20, -995}, {0, 0}};
    for (const auto& at : places) {
        for (int notches : {2, 5}) {
            big_map_set_open(false);
            big_map_set_open(true);
            if (at[1] < -400.0f) big_map_right_click();
            if (at[1] < -400.0f) big_map_left_click_at_world(at[0], at[1]);
            float sx, sy;
            big_map_to_screen(at[0], at[1], &sx, &sy);
            big_map_wheel((float)notches, sx, sy);
            l.look("big map zoomed " + std::to_string(notches) + " on " + std::to_string((int)at[0]) + ", " +
                   std::to_string((int)at[1]));
        }
    }
    big_map_set_open(false);

    game_flags.windows.journal = 1;
    l.look("quest log");
    pad_hints(true);
    l.look("quest log (pad)");
    pad_hints(false);
    expect_the_quest_list_reaches_its_last_quest();
    quests_reset_all();
    quests_refresh_panel();
    l.look("quest log, empty");
    close_everything();
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

TEST(TextBoxes, ProfessionsWithEveryCraft) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    close_everything();
    Looks l;
    l.large_text_everywhere = true;
    inventory_clear();
    professions_open(true);
    for (int p = PROF_ALCHEMY; p <= PROF_SMITHING; ++p) {
        professions_selected = p;
        const std::string what = std::string("professions, ") + profession_defs[p].name;
        l.look(what);
        // The first recipe's product and its button (refused: nothing held).
        l.look(what + ", a product", [](float* x, float* y) {
            UiRect r = recipe_row_box(0);
            *x = r.x + 30 * hud_scale;
            *y = r.y + 20 * hud_scale;
        });
        l.look(what + ", a button", [](float* x, float* y) {
            UiRect b = recipe_button_box(0);
            centre_of(b, x, y);
        });
    }
    expect_the_full_scale("the professions");
    {
        // The longest list of recipes stands whole in the window at 1.5, its
        // last button clear of the colours' note under the rows.
        LargestTextAt1080 large;
        int most = PROF_ALCHEMY, rows = 0;
        for (int p = PROF_ALCHEMY; p <= PROF_SMITHING; ++p) {
            professions_selected = p;
            int n = 0;
            while (professions_recipe_at_row(n) >= 0) ++n;
            if (n > rows) most = p, rows = n;
        }
        professions_selected = most;
        UiRect b = professions_box(), last = recipe_row_box(rows - 1);
        EXPECT_FLOAT_EQ(hud_scale, 1.5f);
        EXPECT_GE(b.y, 0.0f);
        EXPECT_LE(b.y + b.h, 1080.0f);
        EXPECT_LE(last.y + last.h, b.y + b.h - 44 * hud_scale) << "the last recipe under the note";
        std::vector<InputState> s(1, idle_at(0, 0));
        ui_record_begin();
        run_frames(s);
        ui_record_end();
        int buttons = 0;
        for (int i = 0; i < ui_recorded_text_count(); ++i)
            buttons += !std::strcmp(ui_recorded_texts()[i].text, "Fabriquer");
        EXPECT_EQ(buttons, rows) << "a recipe without its button";
    }
    close_everything();
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

TEST(TextBoxes, OptionsWithBothPages) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    close_everything();
    Looks l;
    options_open();
    l.look("options, the keys");
    float x, y;
    centre_of(options_page_button_box(), &x, &y);
    click_at(x, y);
    l.look("options, the pad's buttons");
    pad_hints(true);
    l.look("options, the pad's buttons, a pad plugged");
    pad_hints(false);
    centre_of(options_page_button_box(), &x, &y);
    click_at(x, y);
    l.look("options, the keys again");
    centre_of(options_access_button_box(), &x, &y);
    click_at(x, y);
    l.look("options, accessibility");
    comfort = {1, 1, 1, 90.0f};
    view_settings.colour_vision = VISION_DEUTERANOPIA;
    view_settings.screen_flashes = 0;
    l.look("options, accessibility, every choice changed");
    // The text size's buttons: the change shows from the next frame on, on
    // this screen too, and stops at the ends of its range.
    auto click_text = [](const char* label) {
        std::vector<InputState> frame(1, idle_at(0, 0));
        ui_record_begin();
        run_frames(frame);
        ui_record_end();
        for (int i = 0; i < ui_recorded_text_count(); ++i) {
            const UiRecordedText& t = ui_recorded_texts()[i];
            if (std::strcmp(t.text, label) || t.box < 0) continue;
            const UiRecordedBox& b = ui_recorded_boxes()[t.box];
            click_at(b.x + b.w * 0.5f, b.y + b.h * 0.5f);
            return true;
        }
        return false;
    };
    const float plain_scale = hud_scale;
    ASSERT_TRUE(click_text("+"));
    EXPECT_EQ(hud_text_size, 110);
    EXPECT_GT(hud_scale, plain_scale * 1.05f);
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(click_text("+"));
    EXPECT_EQ(hud_text_size, HUD_TEXT_SIZE_MAX);
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(click_text("-"));
    EXPECT_EQ(hud_text_size, HUD_TEXT_SIZE_MIN);
    EXPECT_LT(hud_scale, plain_scale);
    hud_text_size = HUD_TEXT_SIZE_DEFAULT;
    comfort_defaults();
    view_settings = {VISION_NORMAL, 1};
    close_everything();
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

TEST(TextBoxes, Underground) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    close_everything();
    Looks l;
    catacombs_enter();
    std::vector<InputState> settle(3, idle_at(0, 0));
    run_frames(settle);
    l.look("catacombs");
    big_map_set_open(true);
    l.look("big map of the catacombs");
    big_map_set_open(false);
    catacombs_leave();
    close_everything();
    EXPECT_TRUE(l.faults.empty()) << l.report();
}

TEST(TextBoxes, AHarvestUnderWayAndTheLooksEditedInPlay) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    close_everything();
    Looks l;
    // Beside a grown node, the harvest started: its bar with its label.
    const GatherNode& n = gather_nodes()[0];
    gather_nodes()[0].regrow = 0.0f;
    stand_facing(n.x + 1.0f, n.z, n.x, n.z);
    ASSERT_TRUE(gather_prompt(true));
    ASSERT_TRUE(gather_running());
    l.look("a harvest under way");
    gather_reset();

    character_creation_open_edit();
    l.look("the looks edited in play");
    pad_hints(true);
    l.look("the looks edited in play (pad)");
    pad_hints(false);
    float x, y;
    centre_of(character_creation_finish_box(), &x, &y);
    click_at(x, y);
    EXPECT_FALSE(game_flags.character_creation_open);
    close_everything();
    EXPECT_TRUE(l.faults.empty()) << l.report();
}
