#pragma once
// The game's program: start-up, the frame in its fixed order, shutdown.
// Clamps a real step: a clock that goes backwards gives 0, a stall at most 0.05 s.
float main_loop_clamp_step(double now, double previous);

// The three pieces of the main routine; each backend's entry point is a thin
// loop around them, and tests drive them frame by frame.
// game_startup returns 0 to go on, or the exit code to return at once.
int game_startup();
// Milliseconds from the start of game_startup to the title card on screen.
extern double startup_title_card_ms;
void game_frame();
// The timers of what shows (the HUD's messages and texts, the sound) with
// frame_dt and world_dt as they stand.
void game_timers();
// The frame's simulation steps in their order, after the input was routed,
// with frame_dt and world_dt as they stand (game_frame sets them; a
// benchmark may set them itself).
void game_simulate();
// The frame's draw lists, in the frame's order (game_draw draws them).
void game_submit();
// The picture: the draw lists, the scene, the HUD and the screens, shown.
void game_draw();
int game_shutdown();
// Scripted tests of long scenes draw only every n-th frame counted from this
// call (1, the default: every frame); the simulation and its fixed step are
// the same either way.
void main_loop_set_draw_interval(int n);
// The whole program: start-up, frames until quit_requested, exit.
int game_main();
