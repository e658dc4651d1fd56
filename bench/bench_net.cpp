// Online play figures: the client's net_update (datagrams, nine figures
// gliding and posed) and their submission with nine remote players in view,
// fed by a scripted server on 127.0.0.1. The server's CPU time with ten
// clients sending 20 poses a second is measured by scripts/soak.sh.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "net/net.h"
#include "common/net_packets.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "play/player.h"
#include "render/gl_api.h"
#include "render/renderer.h"
#include "render/gpu.h"

int main() {
    plat_open_window("banc", 320, 240);
    if (!headless_has_context() || !gl_load()) {
        printf("pas de contexte GL\n");
        return 1;
    }
    gpu_init();
    player_reset_new();
    const uint16_t port = 37980;
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7F000001);
    a.sin_port = htons(port);
    if (bind(fd, (sockaddr*)&a, sizeof a) != 0) return 1;
    net_connect(("127.0.0.1:" + std::to_string(port)).c_str());
    net_update(0.016f);
    uint8_t buf[512];
    sockaddr_in client{};
    socklen_t len = sizeof client;
    if (recvfrom(fd, buf, sizeof buf, 0, (sockaddr*)&client, &len) < 0) return 1;
    auto send = [&](const uint8_t* d, int n) { sendto(fd, d, (size_t)n, 0, (sockaddr*)&client, sizeof client); };
    net_write_welcome(buf, 9);
    send(buf, NET_WELCOME_SIZE);
    for (int i = 0; i < 9; ++i) {
        NetIdentity id{};
        snprintf(id.name, sizeof id.name, "Chevalier %d", i);
        id.player_class = (uint8_t)(i % 3);
        id.woman = (uint8_t)(i & 1);
        id.hair = (uint8_t)(i % 7);
        uint8_t hello[NET_HELLO_SIZE];
        net_write_hello(hello, id);
        net_write_player(buf, (uint8_t)i, hello + 5);
        send(buf, NET_PLAYER_SIZE);
    }
    render_camera.eye = {player.pos_x - 6, player.pos_y + 3, player.pos_z};
    render_camera.target = {player.pos_x, player.pos_y + 1, player.pos_z};
    render_camera.fov_degrees = 60;
    const int frames = 600;
    double update_s = 0, submit_s = 0;
    for (int f = 0; f < frames; ++f) {
        // One world message a frame (20 a second at 60 frames: more than the server sends).
        net_write_world_header(buf, (uint32_t)f, 9);
        for (int i = 0; i < 9; ++i) {
            NetPose p{};
            p.x = player.pos_x + 4.0f + (float)(i % 3) * 2.0f + 0.05f * (float)f;
            p.y = player.pos_y;
            p.z = player.pos_z - 3.0f + (float)(i / 3) * 3.0f;
            p.heading = 1.57f;
            p.ground_speed = 3.0f;
            p.flags = NET_FLAG_ON_GROUND;
            uint8_t pose[NET_POSE_SIZE];
            net_write_pose(pose, (uint32_t)f, p);
            net_write_world_entry(buf + NET_WORLD_HEADER + i * NET_WORLD_ENTRY, (uint8_t)i, pose + 9);
        }
        send(buf, NET_WORLD_HEADER + 9 * NET_WORLD_ENTRY);
        auto t0 = std::chrono::steady_clock::now();
        net_update(1.0f / 60.0f);
        auto t1 = std::chrono::steady_clock::now();
        render_begin_frame();
        net_draw_players();
        auto t2 = std::chrono::steady_clock::now();
        if (f >= 60) {  // after the first glide and the skin meshes' creation
            update_s += std::chrono::duration<double>(t1 - t0).count();
            submit_s += std::chrono::duration<double>(t2 - t1).count();
        }
    }
    int shown = 0;
    for (int i = 0; i < 9; ++i) shown += net_player_position(i, nullptr);
    printf("joueurs distants affichés : %d\n", shown);
    printf("net_update : %.1f µs par image (moyenne sur %d images)\n", 1e6 * update_s / (frames - 60), frames - 60);
    printf("soumission des neuf figures : %.1f µs par image\n", 1e6 * submit_s / (frames - 60));
    net_disconnect();
    close(fd);
    return shown == 9 ? 0 : 1;
}
