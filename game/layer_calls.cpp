#include "game/layer_calls.h"

#include "content/professions.h"
#include "content/quest_figures.h"
#include "net/net.h"
#include "persist/characters.h"
#include "persist/options.h"
#include "persist/persist_calls.h"
#include "play/play_calls.h"
#include "play/population.h"
#include "render/render_calls.h"
#include "ui/action_bar.h"
#include "ui/character_creation.h"
#include "ui/character_select.h"
#include "ui/item_windows.h"
#include "ui/maps.h"
#include "ui/options_screen.h"
#include "world/solids.h"
#include "world/terrain.h"
#include "world/world_calls.h"

namespace {
bool label_in_sight(Vec3 eye, Vec3 point) { return solids_sight_clear(point, eye, game_flags.underground != 0); }
}  // namespace

void game_connect_layers() {
    render_calls.quality_level = world_quality_level;
    render_calls.label_in_sight = label_in_sight;

    world_calls.quality_level = world_quality_level;
    world_calls.populate = world_initial_population;

    play_calls.standing_figure_points = standing_figure_points;
    play_calls.mouse_sensitivity = player_mouse_sensitivity;
    play_calls.mouse_inverted = player_mouse_inverted;
    play_calls.presentation_portrait = player_presentation_portrait;

    persist_calls.character_creation_confirmed_look = character_creation_confirmed_look;
}
