// The main routine: start-up, one fixed sequence of steps per frame, exit.
// The order is binding: later steps read what earlier steps of the same frame
// wrote (the renderer draws the lists that the submissions filled).
#include "common/game_time.h"
#include "game/main_loop.h"
#include "play/player_input.h"

#include <chrono>

#include "content/gathering.h"
#include "content/interaction_prompt.h"
#include "content/professions.h"
#include "content/quest_figures.h"
#include "game/input_route.h"
#include "game/layer_calls.h"
#include "game/results.h"
#include "net/net.h"
#include "net/remote_players.h"
#include "persist/characters.h"
#include "persist/options.h"
#include "persist/save_queue.h"
#include "platform/platform.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/loot.h"
#include "play/merchant.h"
#include "play/player.h"
#include "render/gl_api.h"
#include "render/gpu.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "render/ui_focus.h"
#include "sound/sound.h"
#include "ui/character_preview.h"
#include "ui/character_select.h"
#include "ui/title_card.h"
#include "play/ambience.h"
#include "play/catacomb_visits.h"
#include "world/terrain.h"
#include "play/villagers.h"
#include "world/world.h"
#include "ui/hud_draw.h"


static double previous_time = 0.0;
static int draw_interval = 1;
static unsigned frames_since_draw = 0;

void main_loop_set_draw_interval(int n) {
    draw_interval = n < 1 ? 1 : n;
    frames_since_draw = 0;
}

float main_loop_clamp_step(double now, double previous) {
    float dt = (float)(now - previous);
    if (!(dt > 0.0f)) return 0.0f;  // also catches NaN
    return dt > 0.05f ? 0.05f : dt;
}

double startup_title_card_ms = 0.0;

int game_startup() {
    const auto start = std::chrono::steady_clock::now();
    game_connect_layers();
    // Players start the game directly too: a launcher that stopped while
    // replacing itself is put back before anything else can fail.
    if (plat_restore_launcher()) log_printf("Lanceur remis en place depuis sa copie de secours.");
    plat_open_window("Tervanne", 1920, 1080);
    if (options_read()) options_apply_window();
    if (!gl_load()) {
        log_printf("Votre carte graphique ne propose pas OpenGL 3.3 : mettez à jour son pilote.");
        return 1;
    }
    // The title card first: it needs only the interface program and the
    // font, so the player sees the game start before the scene programs,
    // the painted textures and the sound bank are made.
    gpu_init_interface();
    plat_pump();
    title_card_present();
    plat_swap();
    // The ground is generated on another core while the GPU and the sound
    // start; not before the card, which it would slow on a two-core machine.
    world_ground_start();
    startup_title_card_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    gpu_init();
    snd_init();
    world_build();
    villagers_build();
    gathering_build();
    log_printf("Monde prêt : %d obstacles.", obstacle_count());
    net_read_address();
    character_screens_open();
    previous_time = plat_time();
    return 0;
}

void game_submit() {
    render_begin_frame();
    if (game_flags.character_sheet_open) character_preview_render();
    player_submit();
    creatures_submit();
    remote_players_submit();
    if (!game_flags.underground) {
        seneschal_submit();
        merchant_submit();
        lady_submit();
        quest_figures_submit();
        world_submit();
        ambience_submit();
        gathering_submit();
    } else {
        catacombs_submit();
    }
}

void game_timers() {
    hud_update(world_dt);
    snd_set_underground(game_flags.underground);
    snd_update(frame_dt);
}

void game_simulate() {
    if (!game_flags.paused) {
        // What is in reach (the people, the places, the plants) answers the
        // interaction key between the player's moves and the camera.
        if (player_act(world_dt)) {
            player_interaction_prompt();
            player_settle(world_dt);
        }
        if (!game_flags.character_creation_open && !game_flags.character_select_open) creatures_update(world_dt);
        seneschal_update(world_dt);
        items_update(world_dt);
        loot_upkeep();
        merchant_update(world_dt);
        player_figure_dress();
        lady_quest_update(world_dt);
        quests_update(world_dt);
        world_ambience_step(world_dt);
        villagers_step(world_dt);
        gathering_update(world_dt);
        catacombs_update(world_dt);
    }
    net_update(frame_dt);
    // Saves kept while another program held a file; paused or not.
    saves_frame(frame_dt);
}

void game_draw() {
    game_submit();
    render_frame();
    hud_draw();
    ui_focus_draw();
    ui_flush();
    plat_swap();
}

void game_frame() {
    plat_pump();
    ui_focus_frame(plat_input);
    // A close that waited in the queue (say, clicked during the world build)
    // ends the run here: nothing of this frame runs, the exit steps save.
    if (plat_input.quit_requested) return;
    // In play the HUD shows the map: painted now if the screens before play
    // did not leave it the time.
    if (!game_flags.character_creation_open && !game_flags.character_select_open) world_map_step(true);
    double now = plat_time();
    frame_dt = main_loop_clamp_step(now, previous_time);

    // The modal dialog sees the input first, before the pause test: closing
    // the pause dialog resumes the simulation in this same frame.
    route_dialog_input();
    world_dt = game_flags.paused ? 0.0f : frame_dt;
    game_clock += world_dt;
    game_timers();
    route_frame_input();
    game_simulate();
    game_results_drain();

    if (draw_interval > 1 && (++frames_since_draw % (unsigned)draw_interval) != 0) {
        previous_time = now;
        world_map_step(false);
        return;
    }
    game_draw();
    // What the screens did while drawn (a purchase, a craft, a quest taken)
    // reaches the HUD now and shows from the next picture.
    game_results_drain();
    previous_time = now;
    // After the frame is shown, so that the first one is not slowed by it.
    world_map_step(false);
}

int game_shutdown() {
    options_write();
    character_save_on_quit();
    saves_finish();
    net_shutdown();
    return 0;
}

int game_main() {
    // Two games in one folder would play and save the same characters: the
    // second one stops before it touches a file, the log included.
    if (!plat_claim_program_folder()) {
        plat_alert("Tervanne est déjà lancé dans ce dossier.");
        return 1;
    }
    int code = game_startup();
    if (code != 0) return code;
    while (!plat_input.quit_requested) game_frame();
    return game_shutdown();
}
