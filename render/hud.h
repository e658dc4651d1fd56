#pragma once
// The HUD: the services every part of the game uses to speak to the player
// (centred message, prompt, floating texts, labels and bars over the world,
// quest tracker, hit flash, fade, the modal dialog). The screens drawn over
// them and their order are ui/'s (ui/hud_draw.h).
#include <cstdint>

#include "common/game_flags.h"

#include "common/mathx.h"
#include "render/ui_rect.h"

constexpr int HUD_FLOAT_SLOTS = 48;
constexpr int HUD_TRACKER_SLOTS = 11;
constexpr int HUD_TRACKER_LINES = 4;
constexpr int HUD_DIALOG_BUTTONS = 4;
constexpr int HUD_FMT_BUFFERS = 8;
constexpr int HUD_FMT_SIZE = 512;

// Standard colours of the interface.
constexpr Vec4 HUD_GOLD = {0.83f, 0.68f, 0.24f, 1.0f};
constexpr Vec4 HUD_PARCHMENT = {0.93f, 0.89f, 0.78f, 1.0f};
constexpr Vec4 HUD_PANEL_FILL = {0.08f, 0.12f, 0.1f, 0.8f};
constexpr Vec4 HUD_PANEL_BORDER = {0.83f, 0.68f, 0.24f, 0.4f};

struct FloatingText {
    uint8_t active;
    Vec3 position;
    char text[48];
    Vec4 colour;
    float age;
    float lifetime;
    float rise;  // metres travelled over the lifetime
    float size;  // world-label scale
    int8_t pips; // an item's quality rank told by pips as well, -1 for none
};

struct QuestTrackerEntry {
    uint8_t shown;
    uint8_t completed;
    char title[128];
    char lines[HUD_TRACKER_LINES][256];
    int32_t line_count;
    char giver_name[64];
    uintptr_t giver_ref;
    Vec3 giver_position;
};

typedef void (*HudAction)();

// What a caller passes to hud_dialog (the HUD copies the label).
struct HudButton {
    const char* label;
    HudAction action;  // may be null
};

struct DialogButton {
    char label[64];
    HudAction action;
    UiRect rect;  // of the last layout
};

struct Dialog {
    uint8_t open;
    char title[128];
    char body[2048];
    int32_t button_count;
    DialogButton buttons[HUD_DIALOG_BUTTONS];
};

// The player as the HUD shows it. The player code fills this every frame (the
// HUD never reads the live player record directly).
struct HudPlayerView {
    int32_t player_class;  // 0 archer, 1 warrior, 2 druid
    int32_t attacks_made, targets_hit, bullseyes, kills;
    int32_t level;
    float health, max_health;
    float mana, max_mana;  // druid
    float rage;            // warrior, 0..100
    int32_t experience;
    int32_t experience_next;  // needed for the next level
    Vec3 position;            // feet
};
extern HudPlayerView hud_player;

// Online play as the banner shows it; filled by the network client.
struct HudNetView {
    uint8_t active;      // online play chosen
    uint8_t connected;
    char server[160];    // the network status line (up to 159 bytes)
    int32_t players;
};
extern HudNetView hud_net;


// Interface scale: client height / 1080 times the text size, updated every
// frame (hud_scale_update).
extern float hud_scale;

// The player's text size in percent (the options' "taille_texte").
constexpr int HUD_TEXT_SIZE_MIN = 80;
constexpr int HUD_TEXT_SIZE_MAX = 150;
constexpr int HUD_TEXT_SIZE_DEFAULT = 100;
extern int hud_text_size;
// hud_scale for the current client size, text size (taken as clamped) and
// the windows open; called by hud_update and again before the frame's 2D is
// drawn, so a window opened this frame is drawn at its own scale.
void hud_scale_update();
// The scale for a window laid out in design_w x design_h at scale 1: the
// interface's, or less where a larger text would push it off the screen. It
// never goes below the scale of the default text size, so at 100 % every
// window stays as it always was.
float hud_fit_scale(float design_w, float design_h);
// Holds hud_scale at hud_fit_scale while a window lays itself out, draws or
// answers a click, so its widgets and its hit boxes agree.
struct HudFitScope {
    float saved;
    HudFitScope(float design_w, float design_h) : saved(hud_scale) { hud_scale = hud_fit_scale(design_w, design_h); }
    ~HudFitScope() { hud_scale = saved; }
    HudFitScope(const HudFitScope&) = delete;
    HudFitScope& operator=(const HudFitScope&) = delete;
};

// ---- Services -------------------------------------------------------------------
void hud_message(const char* text, float seconds);
void hud_prompt(bool shown, const char* text);
void hud_hit_flash();
void hud_fade(float seconds);
// Takes the first free slot; with all 48 busy nothing happens.
void hud_float_text(Vec3 position, const char* text, Vec4 colour, float lifetime, float rise,
                    float size);
// The same for an item's name coloured by its quality: with a colour-vision
// correction `pips` (the quality's rank, 0..4; -1 none) are drawn beside it,
// as in the item tooltips.
void hud_float_text_marked(Vec3 position, const char* text, Vec4 colour, float lifetime, float rise,
                           float size, int pips);
// Draw at once: a multi-line label centred over a world point, a health bar.
void hud_world_label(Vec3 position, const char* text, float size, Vec4 colour, int font);
// A creature's name: with a colour-vision correction its danger (0..4 steps,
// as play's level_danger; -1 none) is told by bars left of its first line too.
void hud_world_label_danger(Vec3 position, const char* text, float size, Vec4 colour, int font, int steps);
// A figure's label with a marker over it (a quest's "!" or "?"): the marker
// stands at its own point (raised by bob, metres) but always clear above the
// label's first line. A null mark text draws the label alone.
struct HudMark {
    Vec3 at;
    const char* text;
    float size;
    Vec4 colour;
    int font;
    float bob, bob_amplitude;  // metres, now and at most
};
void hud_world_label_marked(Vec3 position, const char* text, float size, Vec4 colour, int font, const HudMark& mark);
// `size` is the bar's length in metres; it grows with the text size as the
// labels do (hud_world_text_factor).
void hud_health_bar(Vec3 position, float fraction, float size);
// How much larger than at the default text size the labels and bars over the
// world are drawn (1 at 100 %): a label standing over a bar is raised by it.
float hud_world_text_factor();
// Labels and bars hidden from the eye by the world (render_calls.label_in_sight)
// are not drawn.
//
// A floating text's label: raised clear of the labels drawn before it in
// this frame (names, bars, other floating texts), so that they stack.
// With a correction, `pips` quality pips (-1 none) stand right of its first
// line and stack with it.
void hud_float_label(Vec3 position, const char* text, float size, Vec4 colour, int font, int pips = -1);
// A screen area kept clear of labels this frame (the centred message):
// floating texts stack clear of it, the others give way to it.
void hud_labels_reserve(float x, float y, float w, float h);
// After the frame's panels and windows are drawn: takes out of the batch
// every label of the frame that lies under one of them.
void hud_labels_give_way();

// Quest tracker slots 0-10 (others are ignored; get returns null).
void hud_tracker_set(int slot, const char* title, const char* const* lines, int line_count,
                     bool completed);
void hud_tracker_set_giver(int slot, const char* name, uintptr_t giver_ref, Vec3 giver_position);
void hud_tracker_clear(int slot);
const QuestTrackerEntry* hud_tracker_get(int slot);

// Opens the modal dialog (at most 4 buttons) and releases the cursor.
void hud_dialog(const char* title, const char* body, const HudButton* buttons, int count);
// Closes it, clears `paused` and captures the cursor.
void hud_dialog_close();

// The dialog's share of the frame's input, first of all: Escape while paused
// (closing the dialog if one is open), a click on one of its buttons (the
// button's action runs). It says what it took; game/ keeps it from the rest.
struct DialogTook {
    bool escape;
    bool click;
};
DialogTook hud_dialog_input();
void hud_update(float dt);

// printf into one of 8 rotating 512-byte buffers; valid until 8 more calls.
const char* hud_fmt(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// ---- State for the windows and tests ----------------------------------------------
const Dialog& hud_dialog_state();
struct DialogLayout {
    UiRect panel;
    float margin;
    float body_height;
    UiRect buttons[HUD_DIALOG_BUTTONS];
};
// The dialog's layout for the current client size (also stores the button
// rectangles in the dialog).
DialogLayout hud_dialog_layout();
const char* hud_message_text();
float hud_message_time();
const FloatingText* hud_floating_texts();  // HUD_FLOAT_SLOTS entries
bool hud_prompt_shown();
const char* hud_prompt_text();
float hud_hit_flash_strength();
float hud_fade_remaining();
float hud_fade_total();
int hud_fps();
// Back to the start-up state (tests).
void hud_reset();
