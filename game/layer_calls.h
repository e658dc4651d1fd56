#pragma once
// Fills the tables through which the lower layers call up (render_calls,
// world_calls, play_calls, persist_calls) with the real entry points. The
// main loop calls it first thing at start-up; a test that drives a layer
// without the main loop may call it too.
void game_connect_layers();
