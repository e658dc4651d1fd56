#pragma once
// The frame's results (common/game_events.h) handed to their owners, in the
// order they happened: after the simulation, before the picture, and
// again after it for what the screens did while they were drawn.
void game_results_drain();
