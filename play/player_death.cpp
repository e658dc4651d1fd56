// The short death sequence: the body is laid down, the view keeps running,
// and after a few seconds the player comes to again at a safe place.
#include <cmath>

#include "play/player.h"
#include "common/game_events.h"
#include "play/player_move.h"
#include "world/terrain.h"
#include "play/creatures.h"
#include "play/skills.h"

// The catacombs' vestibule, where a player who fell underground wakes.
static const Vec3 kVestibule = {1048.0f, 0.0f, 5.6f};

void player_revive() {
    bool below = in_catacombs(player.pos_x);
    player.dead = 0;
    player.death_time = 0.0f;
    player.health = player.max_health;
    player.vertical_speed = 0.0f;
    player.on_ground = 1;
    player.body_pitch = 0.0f;
    player.ground_speed = 0.0f;
    if (!below) {
        Vec3 spawn = camelot_point(14.0f, -3.0f);
        player.pos_x = spawn.x;
        player.pos_y = spawn.y;
        player.pos_z = spawn.z;
        player.heading = PI * 0.5f;
        result_message("Vous revenez à vous à Camelot.", 2.5f);
    } else {
        player.pos_x = kVestibule.x;
        player.pos_y = kVestibule.y;
        player.pos_z = kVestibule.z;
        player.heading = 0.0f;
    }
    player.camera_yaw = player.heading;
    player.camera_pitch = 0.2f;
    // 3 m behind the body and 2.2 m above the feet.
    player.camera_pos = {player.pos_x - 3.0f * std::sin(player.heading), player.pos_y + 2.2f,
                         player.pos_z - 3.0f * std::cos(player.heading)};
    clear_skills();
    calm_all_creatures();
}

bool player_death_step(float dt) {
    if (!player.dead) return false;
    player.death_time += dt;
    float f = std::fmin(1.0f, 5.0f * dt);
    player.body_pitch += (-PI * 0.5f - player.body_pitch) * f;
    player.pos_y += (ground_height(player.pos_x, player.pos_z) + 0.15f - player.pos_y) * f;
    player.ground_speed = 0.0f;
    player.vertical_speed = 0.0f;
    // The frame that brings him back still belongs to the sequence.
    if (player.death_time >= 3.5f) player_revive();
    return true;
}
