#pragma once
// The table of the other players, indexed by the number the server gives
// them. The record keeping here needs no GL; the figures (models, drawing,
// labels) are in remote_figures.cpp.
#include <cstdint>

#include "common/net_packets.h"
#include "play/player.h"

struct Model;

struct RemotePlayer {
    uint8_t present, active, has_pose;
    uint8_t waiting;   // a newcomer not shown yet (arrivals are shown a few a second)
    uint32_t waiting_since;  // arrival order among those waiting
    uint32_t last_world;     // the latest world message it was in (remote_world_count)
    NetIdentity id;    // equipment holds only the accepted items
    NetPose target;    // latest pose from the server, sanitised
    Vec3 shown;        // displayed feet position
    float shown_heading;
    Player pose;       // the animation's record, the same layout as ours
    Model* model;      // null until built
};
extern RemotePlayer remote_players[NET_MAX_PLAYERS];

// Frees every figure and clears the ten records.
void remote_clear_all();
// A world entry for player i (0..9, not checked against our own number here).
void remote_store_pose(int i, const NetPose& pose);
// A world message has been read (after its entries): players with a pose
// that none of the last REMOTE_WORLDS_MISSED messages held are gone (their
// "left" was lost). Returns one of them, or -1; call until -1, each is
// cleared after its name is copied to name_out.
constexpr uint32_t REMOTE_WORLDS_MISSED = 200;  // ten seconds at twenty a second
void remote_world_read();
int remote_forget_missing(char* name_out, int capacity, bool* was_active);
// A player message. A newcomer (not present or not active) waits to be shown
// (remote_show_next_newcomer); the others' figures follow their new looks.
void remote_store_identity(int i, const NetIdentity& id);
// Shows the newcomer that has waited longest: builds its figure; its number,
// or -1 when none waits.
int remote_show_next_newcomer();
// A left message: true when the player was active; name_out gets its name.
bool remote_leave(int i, char* name_out, int capacity);
// Glides the figures toward their targets and animates them.
void remote_interpolate(float dt);
// Whether a record is drawn at all (present, active, posed, with a figure).
bool remote_drawable(const RemotePlayer& r);

// Figures (GL side).
void remote_figure_build(int i);  // first build, rebuild on new looks, re-dress
void remote_figure_free(int i);
void remote_figure_animate(int i, float dt);
// How many times figure i's model has been built (for tests and benchmarks).
int remote_figure_builds(int i);
// Whether figure i shows the record's latest looks and items (no change waiting).
bool remote_figure_current(int i);

void remote_players_submit();
