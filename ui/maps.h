#pragma once
// The minimap in the HUD's top-right corner and the big map ("Grande carte"):
// the place names they show, the big map's views, zoom and panning.
#include "common/mathx.h"
#include "render/hud.h"

// Name of the place the minimap shows for a point (x, z) on the surface, or
// for a point in the catacombs when under is set.
const char* minimap_place_name(float x, float z, bool under);
// The minimap square (without its frame), client pixels.
UiRect minimap_rect();
// Where a world point falls on the minimap for a player at (px, pz); false
// when it lies outside 0.97 of the half-size.
bool minimap_project(float px, float pz, float x, float z, bool under, float* sx, float* sy);

enum MapView : int { MAP_ALL_ZONES = 0, MAP_ZONE = 1, MAP_CATACOMBS = 2 };
enum MapLayer : int { LAYER_PLACES = 0, LAYER_PEOPLE = 1, LAYER_OBJECTIVES = 2, LAYER_NODES = 3, LAYER_COUNT = 4 };
constexpr float MAP_ZOOM_STEP = 1.35f;
constexpr float MAP_ZOOM_MAX = 6.0f;

struct BigMapState {
    bool open;
    int view;   // MapView
    int zone;   // 0 or 1 in the zone view
    float zoom;
    float centre_x, centre_z;
    bool dragging;
    float drag_x, drag_y;              // pointer at the press
    float drag_centre_x, drag_centre_z;
    int hovered;                       // marker index of this frame, -1 none
    float hovered_distance;
    bool layer[LAYER_COUNT];
    char hover_text[96];
};
const BigMapState& big_map_state();

// Opens the map on the view that holds the player (the zone, or the
// catacombs underground) at zoom 1, or closes it.
void big_map_set_open(bool open);
// The view's full rectangle (world x from, width, z from, height) and title.
void big_map_view_rect(int view, int zone, float* x0, float* w, float* z0, float* h);
const char* big_map_title();
// The map panel on screen, and its visible world rectangle.
UiRect big_map_panel();
void big_map_visible(float* x0, float* w, float* z0, float* h);
// Screen <-> world through the current view.
void big_map_to_screen(float x, float z, float* sx, float* sy);
void big_map_to_world(float sx, float sy, float* x, float* z);
// Input steps, also driven by tests: wheel notches at a pointer, a drag from
// its press to the current pointer, a left and a right click.
void big_map_wheel(float notches, float pointer_x, float pointer_y);
void big_map_drag_begin(float pointer_x, float pointer_y);
void big_map_drag_to(float pointer_x, float pointer_y);
void big_map_left_click(float pointer_x, float pointer_y);
void big_map_right_click();
// Every frame: notices a map closed from outside (its key, a character load).
void big_map_frame_check();
void minimap_draw();
void map_screen_draw();
