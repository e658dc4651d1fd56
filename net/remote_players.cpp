// The other players' records: what the server said about them, and the
// displayed position that glides toward the latest pose.
#include "net/remote_players.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "net/net.h"
#include "play/player_move.h"
#include "play/items.h"

RemotePlayer remote_players[NET_MAX_PLAYERS];
// World messages read since the start: absence is counted in them, not in
// seconds, so that a pause of the world messages (our own poses held back)
// makes nobody a ghost.
static uint32_t world_count;

static void clear_record(int i) {
    remote_figure_free(i);
    memset(&remote_players[i], 0, sizeof remote_players[i]);
}

void remote_clear_all() {
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) clear_record(i);
}

void remote_store_pose(int i, const NetPose& pose) {
    assert(i >= 0 && i < NET_MAX_PLAYERS);
    if (i < 0 || i >= NET_MAX_PLAYERS) return;
    RemotePlayer& r = remote_players[i];
    r.present = 1;
    r.last_world = world_count + 1;  // the message being read
    r.target = pose;
    if (!r.has_pose) {
        r.shown = {pose.x, pose.y, pose.z};
        r.shown_heading = pose.heading;
    }
    r.has_pose = 1;
}

static uint32_t arrival_count;

void remote_store_identity(int i, const NetIdentity& id) {
    assert(i >= 0 && i < NET_MAX_PLAYERS);
    if (i < 0 || i >= NET_MAX_PLAYERS) return;
    RemotePlayer& r = remote_players[i];
    NetIdentity kept = id;
    for (int s = 0; s < NET_EQUIPMENT_SLOTS; ++s)
        if (kept.equipment[s] && !item_fits_equipment_slot(kept.equipment[s], s)) kept.equipment[s] = 0;
    r.id = kept;
    if (!r.present) r.last_world = world_count;
    r.present = 1;
    if (r.active) {
        remote_figure_build(i);
    } else if (!r.waiting) {
        r.waiting = 1;
        r.waiting_since = ++arrival_count;
    }
}

int remote_show_next_newcomer() {
    int next = -1;
    for (int i = 0; i < NET_MAX_PLAYERS; ++i)
        if (remote_players[i].waiting && (next < 0 || remote_players[i].waiting_since < remote_players[next].waiting_since))
            next = i;
    if (next < 0) return -1;
    RemotePlayer& r = remote_players[next];
    r.waiting = 0;
    r.active = 1;
    remote_figure_build(next);
    return next;
}

bool remote_leave(int i, char* name_out, int capacity) {
    assert(i >= 0 && i < NET_MAX_PLAYERS);
    if (i < 0 || i >= NET_MAX_PLAYERS) return false;
    bool was_active = remote_players[i].active != 0;
    if (name_out && capacity > 0) snprintf(name_out, (size_t)capacity, "%s", remote_players[i].id.name);
    clear_record(i);
    return was_active;
}

void remote_world_read() { ++world_count; }

int remote_forget_missing(char* name_out, int capacity, bool* was_active) {
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
        const RemotePlayer& r = remote_players[i];
        if (!r.present || !r.has_pose || world_count - r.last_world <= REMOTE_WORLDS_MISSED) continue;
        bool active = remote_leave(i, name_out, capacity);
        if (was_active) *was_active = active;
        return i;
    }
    return -1;
}

bool remote_drawable(const RemotePlayer& r) { return r.present && r.active && r.has_pose && r.model; }

int net_player_count() {
    int n = 0;
    for (const RemotePlayer& r : remote_players) n += r.present && r.active;
    return n;
}

bool net_player_position(int index, Vec3* out) {
    assert(index >= 0 && index < NET_MAX_PLAYERS);
    if (index < 0 || index >= NET_MAX_PLAYERS || !remote_drawable(remote_players[index])) return false;
    if (out) *out = remote_players[index].shown;
    return true;
}

void remote_interpolate(float dt) {
    float k = std::fmin(1.0f, 14.0f * dt);
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
        RemotePlayer& r = remote_players[i];
        if (!r.present || !r.has_pose || !r.model) continue;
        Vec3 target = {r.target.x, r.target.y, r.target.z};
        Vec3 gap = target - r.shown;
        // A teleport (death, portal) is not walked across the map.
        if (length(gap) <= 12.0f) r.shown += gap * k;
        else r.shown = target;
        r.shown_heading = wrap_angle(r.shown_heading + wrap_angle(r.target.heading - r.shown_heading) * k);

        Player& p = r.pose;
        p.pos_x = r.shown.x;
        p.pos_y = r.shown.y;
        p.pos_z = r.shown.z;
        p.heading = r.shown_heading;
        p.ground_speed = r.target.ground_speed;
        p.guard_blend = r.target.guard_blend;
        p.swing_progress = r.target.swing_progress;
        p.combo_index = r.target.combo_index;
        p.whirlwind_progress = r.target.whirlwind_progress;
        p.on_ground = (r.target.flags & NET_FLAG_ON_GROUND) != 0;
        p.dead = (r.target.flags & NET_FLAG_DEAD) != 0;
        p.charge_time = (r.target.flags & NET_FLAG_CHARGING) ? 0.5f : 0.0f;
        p.draw_blend = 1.0f;
        p.player_class = r.id.player_class;
        // Lying down and getting up take a moment, as for our own death.
        float lie = p.dead ? -PI * 0.5f : 0.0f;
        p.body_pitch += (lie - p.body_pitch) * std::fmin(1.0f, 4.0f * dt);
        advance_stride(p, dt);
        remote_figure_animate(i, dt);
    }
}
