// Online play with real peers on 127.0.0.1: tervanne-serveur and two real
// games (headless, fixed step, replayed input) in their own processes. They
// see each other move; one takes a picture of the other; the server is then
// stopped under the remaining game. Each game runs from a hard link of this
// program in its own folder, so that its log and settings file are its own.
// Two more fill the real server from hand-made sockets on 127.0.0.x: ten
// confirmed players refuse an eleventh; ten squatting addresses do not. A raw
// socket forges datagrams from the game's own address and port.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/udp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "net/net.h"
#include "common/net_packets.h"
#include "platform/headless/headless.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/backend_common.h"
#include "play/bindings.h"
#include "play/player.h"
#include "render/gl_api.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "tests/support/scene_economy.h"
#include "tests/support/shown.h"
#include "world/terrain.h"

namespace {

// Ports the system has free at the test's start, so that two runs on one
// machine do not meet on the same server.
uint16_t kPort, kFullPort, kSquatPort;
uint16_t free_udp_port() {
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7F000001);
    socklen_t len = sizeof a;
    uint16_t port = 0;
    if (s >= 0 && bind(s, (sockaddr*)&a, sizeof a) == 0 && getsockname(s, (sockaddr*)&a, &len) == 0)
        port = ntohs(a.sin_port);
    if (s >= 0) close(s);
    return port;
}
std::string self_path;

bool exists(const std::string& p) {
    struct stat st;
    return stat(p.c_str(), &st) == 0;
}

void touch(const char* name) {
    char path[4200];
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[n > 0 ? n : 0] = 0;
    plat_path_beside_program(exe, name, path, sizeof path);
    FILE* f = fopen(path, "w");
    if (f) fclose(f);
}

// ---- One game (child process) -----------------------------------------------------------

std::string report;  // written beside the program as result.txt
void note(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void note(const char* fmt, ...) {
    char line[512];
    va_list a;
    va_start(a, fmt);
    vsnprintf(line, sizeof line, fmt, a);
    va_end(a);
    report += line;
    report += "\n";
}

bool frames_until(int cap, bool (*done)()) {
    for (int f = 0; f < cap; ++f) {
        game_frame();
        if (done()) return true;
        usleep(1000);  // leaves the other game and the server their share of the two cores
    }
    return false;
}

int other_index() {
    for (int i = 0; i < 10; ++i)
        if (i != net_own_id() && net_player_position(i, nullptr)) return i;
    return -1;
}

Vec3 other_start;
int walk_ends_at;

// A file in the test's folder, beside both games' folders.
std::string sibling_file(const char* name) {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[n > 0 ? n : 0] = 0;
    std::string dir(exe);
    dir = dir.substr(0, dir.rfind('/'));
    return dir.substr(0, dir.rfind('/')) + "/" + name;
}

bool other_moved() {
    Vec3 p;
    int i = other_index();
    return i >= 0 && net_player_position(i, &p) && std::hypot(p.x - other_start.x, p.z - other_start.z) > 4.0f;
}

InputState idle() {
    InputState s{};
    s.client_width = 320;
    s.client_height = 180;
    s.window_active = 1;
    return s;
}

int run_game(bool first) {
    headless_set_time_step(0.05);
    headless_set_window_size(320, 180);
    scene_economy();
    if (game_startup() != 0 || !headless_has_context()) return 3;
    game_flags.character_creation_open = 0;  // no character file here: straight into play
    main_loop_set_draw_interval(25);
    player_reset_new();
    bindings_reset();
    game_flags.title_overlay = 0;
    snprintf(player.name, sizeof player.name, "%s", first ? "Arthur" : "Guenièvre");
    player.player_class = first ? CLASS_WARRIOR : CLASS_ARCHER;
    player_look = first ? AppearanceChoice{0, 1, 0, 2, 0, 1} : AppearanceChoice{1, 0, 1, 4, 2, 0};
    if (!first) {
        // Six metres ahead of the first and a little aside, both facing +x.
        player.pos_x += 6.0f;
        player.pos_z += 2.0f;
        player.pos_y = ground_height(player.pos_x, player.pos_z);
    }
    net_connect(("127.0.0.1:" + std::to_string(kPort)).c_str());

    // Welcomed, and the other one is there with a pose.
    bool ok = frames_until(6000, [] { return net_is_welcomed() && other_index() >= 0; });
    note("seen %d own %d other %d", ok, net_own_id(), other_index());
    if (!ok) return 4;
    net_player_position(other_index(), &other_start);
    note("status %s", net_status_text());
    note("count %d", net_player_count());

    // Walk forward 3 s, then wait for the other's figure to have come 4 m.
    std::vector<InputState> walk(60, idle());
    for (auto& s : walk) s.key_down[bindings[BIND_FORWARD]] = 1;
    walk[0].key_pressed[bindings[BIND_FORWARD]] = 1;
    headless_set_input_script(walk.data(), (int)walk.size());
    walk_ends_at = headless_frame_index() + (int)walk.size();
    ok = frames_until(6000, other_moved);
    Vec3 now;
    net_player_position(other_index(), &now);
    note("moved %d %.2f", ok, std::hypot(now.x - other_start.x, now.z - other_start.z));
    if (!ok) return 5;

    if (first) {
        // The picture waits for both walks to end and for the other's figure to
        // stand where she says she stopped: a loaded machine may start her late.
        ok = frames_until(20000, [] {
            float x, z;
            Vec3 p;
            FILE* f = fopen(sibling_file("b/walked.txt").c_str(), "r");
            bool read = f && fscanf(f, "%f %f", &x, &z) == 2;
            if (f) fclose(f);
            return read && headless_frame_index() >= walk_ends_at && net_player_position(other_index(), &p) &&
                   std::hypot(p.x - x, p.z - z) < 0.3f;
        });
        note("settled %d", ok);
        main_loop_set_draw_interval(1);
        game_frame();
        Vec3 feet;
        net_player_position(other_index(), &feet);
        bool visible = false;
        Vec3 sc = world_to_screen(feet + Vec3{0, 1.0f, 0}, &visible);
        note("on_screen %d %.0f %.0f", visible && sc.x > 0 && sc.x < 320 && sc.y > 0 && sc.y < 180, sc.x, sc.y);
        headless_screenshot("net_play_seen_by_arthur.png");
        main_loop_set_draw_interval(25);
        touch("shot_done");
        // The other says goodbye once the picture is taken.
        ok = frames_until(4000, [] { return net_player_count() == 0; });
        note("left %d %s", ok, shown_message());
        touch("ready_for_stop");
        // The server is stopped by the test: lost at 6 s, given up at 30 s.
        ok = frames_until(4000, [] { return strcmp(net_status_text(), "Connexion perdue : nouvel essai…") == 0; });
        note("lost %d", ok);
        int frames = 0;
        while (net_is_on() && frames < 1000) {
            game_frame();
            ++frames;
        }
        note("gave_up %d frames %d status %s", !net_is_on(), frames, net_status_text());
    } else {
        // Tell the first game where this walk ended.
        frames_until(6000, [] { return headless_frame_index() >= walk_ends_at; });
        FILE* f = fopen(sibling_file("b/walked.txt").c_str(), "w");
        if (f) {
            fprintf(f, "%.3f %.3f\n", player.pos_x, player.pos_z);
            fclose(f);
        }
        std::string wait_for = sibling_file("a/shot_done");
        // Keep playing until the first game has its picture.
        int frames = 0;
        std::string a_result = sibling_file("a/result.txt");
        while (!exists(wait_for) && !exists(a_result) && frames < 20000) {
            game_frame();
            usleep(2000);
            ++frames;
        }
        note("waited %d", frames);
    }
    game_shutdown();  // says goodbye
    return 0;
}

// ---- The test side ------------------------------------------------------------------------

std::string folder_of(const std::string& path) { return path.substr(0, path.rfind('/')); }

std::string read_text(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

pid_t spawn(const std::vector<std::string>& args, const std::string& out) {
    pid_t pid = fork();
    if (pid == 0) {
        FILE* f = freopen(out.c_str(), "w", stdout);
        (void)f;
        dup2(1, 2);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back((char*)a.c_str());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Waits for a child, killing it after `seconds` (a hung peer must not hang the suite).
int wait_child(pid_t pid, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        usleep(100000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

std::string server_path() { return folder_of(folder_of(folder_of(self_path))) + "/bin/tervanne-serveur"; }

// A hand-made client socket whose datagrams come from 127.0.0.<last>.
int socket_from(int last) {
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7F000000u | (uint32_t)last);
    if (bind(s, (sockaddr*)&a, sizeof a) != 0) ADD_FAILURE() << "cannot bind 127.0.0." << last;
    return s;
}

sockaddr_in server_at(uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(0x7F000001);
    to.sin_port = htons(port);
    return to;
}

// The type of the first datagram waiting on s within a second, -1 if none.
int reply_type(int s) {
    uint8_t buf[512];
    for (int i = 0; i < 100; ++i) {
        ssize_t n = recv(s, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) return net_message_type(buf, (int)n);
        usleep(10000);
    }
    return -1;
}

// The first datagram waiting on s within a second (into buf): its type, -1 if none.
int reply_of(int s, uint8_t* buf) {
    for (int i = 0; i < 100; ++i) {
        ssize_t n = recv(s, buf, 512, MSG_DONTWAIT);
        if (n > 0) return net_message_type(buf, (int)n);
        usleep(10000);
    }
    return -1;
}

void drain_socket(int s) {
    uint8_t buf[512];
    while (recv(s, buf, sizeof buf, MSG_DONTWAIT) > 0) {
    }
}

}  // namespace

TEST(OnlinePlay, TwoGamesSeeEachOtherMoveThenTheServerStops) {
    std::string base = folder_of(self_path) + "/net_play";
    ASSERT_EQ(system(("rm -rf '" + base + "' && mkdir -p '" + base + "/a' '" + base + "/b'").c_str()), 0);
    for (const char* who : {"a", "b"}) {
        std::string link = base + "/" + who + "/net_play_game";
        if (::link(self_path.c_str(), link.c_str()) != 0) {
            ASSERT_EQ(system(("cp '" + self_path + "' '" + link + "'").c_str()), 0);
        }
    }
    ASSERT_TRUE(exists(server_path())) << server_path();
    kPort = free_udp_port();
    ASSERT_NE(kPort, 0);
    pid_t server = spawn({server_path(), std::to_string(kPort)}, base + "/server.log");
    usleep(300000);
    std::string port_arg = "--port=" + std::to_string(kPort);
    pid_t a = spawn({base + "/a/net_play_game", port_arg, "--game=a"}, base + "/a/out.txt");
    pid_t b = spawn({base + "/b/net_play_game", port_arg, "--game=b"}, base + "/b/out.txt");

    // Stop the server once the first game has seen the second leave.
    bool stopped = false;
    for (int i = 0; i < 6000 && !stopped; ++i) {
        if (exists(base + "/a/ready_for_stop")) {
            kill(server, SIGTERM);
            stopped = true;
        } else {
            int status;
            if (waitpid(a, &status, WNOHANG) == a) {
                a = -1;
                break;
            }
            usleep(100000);
        }
    }
    int rb = wait_child(b, 600);
    int ra = a > 0 ? wait_child(a, 600) : -2;
    if (!stopped) kill(server, SIGTERM);
    wait_child(server, 10);

    std::string ra_text = read_text(base + "/a/result.txt"), rb_text = read_text(base + "/b/result.txt");
    std::string log = read_text(base + "/server.log");
    SCOPED_TRACE("arthur:\n" + ra_text + "guenièvre:\n" + rb_text + "server:\n" + log);
    EXPECT_EQ(ra, 0);
    EXPECT_EQ(rb, 0);
    EXPECT_TRUE(stopped);
    for (const std::string* r : {&ra_text, &rb_text}) {
        EXPECT_NE(r->find("seen 1"), std::string::npos);
        EXPECT_NE(r->find("moved 1"), std::string::npos);
        EXPECT_NE(r->find("count 1"), std::string::npos);
        EXPECT_NE(r->find("status En ligne sur 127.0.0.1:" + std::to_string(kPort)), std::string::npos);
    }
    EXPECT_NE(ra_text.find("on_screen 1"), std::string::npos);
    EXPECT_NE(ra_text.find("left 1 Guenièvre a quitté Tervanne."), std::string::npos);
    EXPECT_NE(ra_text.find("lost 1"), std::string::npos);
    // From 6 s to 30 s of silence at 0.05 s a frame: about 480 frames.
    EXPECT_NE(ra_text.find("gave_up 1"), std::string::npos);
    size_t at = ra_text.find("frames ");
    ASSERT_NE(at, std::string::npos);
    int frames = atoi(ra_text.c_str() + at + 7);
    EXPECT_NEAR(frames, 480, 3);
    EXPECT_NE(ra_text.find("status Le serveur ne répond plus."), std::string::npos);
    EXPECT_NE(log.find("arrivé : Arthur"), std::string::npos);
    EXPECT_NE(log.find("arrivé : Guenièvre"), std::string::npos);
    EXPECT_NE(log.find("parti (au revoir) : Guenièvre"), std::string::npos);
    EXPECT_TRUE(exists("net_play_seen_by_arthur.png"));  // the games run in the test's folder
    EXPECT_NE(read_text(base + "/a/tervanne-journal.txt").find("Connecté au serveur (joueur "), std::string::npos);
}

TEST(OnlinePlay, TheEleventhIsToldTheServerIsFull) {
    ASSERT_TRUE(exists(server_path()));
    std::string base = folder_of(self_path);
    kFullPort = free_udp_port();
    ASSERT_NE(kFullPort, 0);
    pid_t server = spawn({server_path(), std::to_string(kFullPort)}, base + "/net_full_server.log");
    usleep(300000);
    // Ten players by hand, each from its own address, each echoing the
    // server's challenge as the game does (a place that only a bare pose
    // confirmed would be given to the game).
    int socks[10];
    uint32_t cookies[10] = {};
    sockaddr_in to = server_at(kFullPort);
    NetIdentity id{};
    snprintf(id.name, sizeof id.name, "%s", "Écuyer");
    uint8_t hello[NET_HELLO_SIZE + NET_COOKIE_SIZE], pose[NET_POSE_SIZE + NET_COOKIE_SIZE], buf[512];
    uint32_t seq = 0;
    for (int i = 0; i < 10; ++i) {
        socks[i] = socket_from(2 + i);
        int n = net_append_cookie(hello, net_write_hello(hello, id), 0);
        sendto(socks[i], hello, (size_t)n, 0, (sockaddr*)&to, sizeof to);
        ASSERT_EQ(reply_of(socks[i], buf), NET_CHALLENGE) << i;
        cookies[i] = net_get_u32(buf + 5);
        n = net_append_cookie(hello, net_write_hello(hello, id), cookies[i]);
        sendto(socks[i], hello, (size_t)n, 0, (sockaddr*)&to, sizeof to);
        EXPECT_EQ(reply_of(socks[i], buf), NET_WELCOME) << i;
        n = net_append_cookie(pose, net_write_pose(pose, ++seq, NetPose{}), cookies[i]);
        sendto(socks[i], pose, (size_t)n, 0, (sockaddr*)&to, sizeof to);
    }
    // The game's client is the eleventh.
    net_connect(("127.0.0.1:" + std::to_string(kFullPort)).c_str());
    for (int f = 0; f < 400 && net_is_on(); ++f) {
        net_update(0.05f);
        usleep(5000);
        if (f % 20 == 0) {  // the ten stay alive
            ++seq;
            for (int i = 0; i < 10; ++i) {
                int n = net_append_cookie(pose, net_write_pose(pose, seq, NetPose{}), cookies[i]);
                sendto(socks[i], pose, (size_t)n, 0, (sockaddr*)&to, sizeof to);
                drain_socket(socks[i]);
            }
        }
    }
    EXPECT_FALSE(net_is_on());
    EXPECT_STREQ(net_status_text(), "Le serveur est complet (10 joueurs).");
    EXPECT_EQ(net_player_count(), 0);
    for (int s : socks) close(s);
    kill(server, SIGTERM);
    EXPECT_EQ(wait_child(server, 10), 0);
}

// Squatting: ten addresses that send hellos and never a pose must not keep
// a real game out, and one address cannot take more than four places.
TEST(OnlinePlay, SquattersDoNotKeepThePlayerOut) {
    ASSERT_TRUE(exists(server_path()));
    std::string base = folder_of(self_path);
    kSquatPort = free_udp_port();
    ASSERT_NE(kSquatPort, 0);
    pid_t server = spawn({server_path(), std::to_string(kSquatPort)}, base + "/net_squat_server.log");
    usleep(300000);
    sockaddr_in to = server_at(kSquatPort);
    NetIdentity id{};
    snprintf(id.name, sizeof id.name, "%s", "Squatteur");
    uint8_t hello[NET_HELLO_SIZE];
    net_write_hello(hello, id);
    int squatters[10];
    for (int i = 0; i < 10; ++i) {
        squatters[i] = socket_from(20 + i);
        sendto(squatters[i], hello, sizeof hello, 0, (sockaddr*)&to, sizeof to);
        EXPECT_EQ(reply_type(squatters[i]), NET_WELCOME) << i;
    }
    // The game connects from 127.0.0.1 while the ten keep saying hello.
    net_connect(("127.0.0.1:" + std::to_string(kSquatPort)).c_str());
    for (int f = 0; f < 200 && net_is_on(); ++f) {
        net_update(0.05f);
        usleep(5000);
        if (f % 5 == 0)
            for (int s : squatters) {
                sendto(s, hello, sizeof hello, 0, (sockaddr*)&to, sizeof to);
                drain_socket(s);
            }
    }
    EXPECT_TRUE(net_is_welcomed()) << net_status_text();
    EXPECT_EQ(net_player_count(), 0);  // nobody it would be shown: the squatters never posed
    net_disconnect();
    for (int s : squatters) close(s);

    // Five sockets from one address: the fifth is told the server is full.
    int crowd[5];
    for (int i = 0; i < 5; ++i) {
        crowd[i] = socket_from(40);
        sendto(crowd[i], hello, sizeof hello, 0, (sockaddr*)&to, sizeof to);
        EXPECT_EQ(reply_type(crowd[i]), i < 4 ? NET_WELCOME : NET_FULL) << i;
    }
    for (int s : crowd) close(s);

    kill(server, SIGTERM);
    EXPECT_EQ(wait_child(server, 10), 0);

    // Four games of our protocol from 127.0.0.1 hold its four places: the
    // game from the same address is told why it cannot come in. (A server
    // of its own: the game came from there a moment ago, and one address
    // has only so many arrivals in ten seconds.)
    kSquatPort = free_udp_port();
    server = spawn({server_path(), std::to_string(kSquatPort)}, base + "/net_cap_server.log");
    usleep(300000);
    to = server_at(kSquatPort);
    int ours[4];
    uint8_t mine[NET_HELLO_SIZE + NET_COOKIE_SIZE], buf[512];
    for (int i = 0; i < 4; ++i) {
        ours[i] = socket_from(1);
        int n = net_append_cookie(mine, net_write_hello(mine, id), 0);
        sendto(ours[i], mine, (size_t)n, 0, (sockaddr*)&to, sizeof to);
        ASSERT_EQ(reply_of(ours[i], buf), NET_CHALLENGE) << i;
        n = net_append_cookie(mine, net_write_hello(mine, id), net_get_u32(buf + 5));
        sendto(ours[i], mine, (size_t)n, 0, (sockaddr*)&to, sizeof to);
        EXPECT_EQ(reply_of(ours[i], buf), NET_WELCOME) << i;
    }
    net_connect(("127.0.0.1:" + std::to_string(kSquatPort)).c_str());
    for (int f = 0; f < 200 && net_is_on(); ++f) {
        net_update(0.05f);
        usleep(5000);
    }
    EXPECT_FALSE(net_is_on());
    EXPECT_STREQ(net_status_text(), "Le serveur accepte au plus 4 joueurs depuis votre adresse IP : l'hôte peut "
                                    "relever cette limite (--par-adresse).");
    for (int s : ours) close(s);
    kill(server, SIGTERM);
    EXPECT_EQ(wait_child(server, 10), 0);
}

namespace {

// The port of this process's game socket: the datagram socket bound to any
// address (the test's own sockets are bound to 127.0.0.x).
uint16_t game_socket_port() {
    for (int fd = 3; fd < 1024; ++fd) {
        sockaddr_in a{};
        socklen_t len = sizeof a;
        int type = 0;
        socklen_t tlen = sizeof type;
        if (getsockname(fd, (sockaddr*)&a, &len) != 0 || a.sin_family != AF_INET) continue;
        if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &tlen) != 0 || type != SOCK_DGRAM) continue;
        if (a.sin_addr.s_addr == htonl(INADDR_ANY)) return ntohs(a.sin_port);
    }
    return 0;
}

// One UDP datagram to 127.0.0.1:to_port that claims to come from
// 127.0.0.1:from_port, through a raw socket.
void forge(int raw, uint16_t from_port, uint16_t to_port, const uint8_t* data, int length) {
    uint8_t packet[1500] = {};
    iphdr* ip = (iphdr*)packet;
    udphdr* udp = (udphdr*)(packet + sizeof(iphdr));
    int total = (int)(sizeof(iphdr) + sizeof(udphdr)) + length;
    ip->version = 4;
    ip->ihl = 5;
    ip->ttl = 64;
    ip->protocol = IPPROTO_UDP;
    ip->tot_len = htons((uint16_t)total);
    ip->saddr = htonl(0x7F000001);
    ip->daddr = htonl(0x7F000001);
    udp->source = htons(from_port);
    udp->dest = htons(to_port);
    udp->len = htons((uint16_t)(sizeof(udphdr) + length));
    udp->check = 0;  // none: allowed over IPv4
    memcpy(packet + sizeof(iphdr) + sizeof(udphdr), data, (size_t)length);
    sockaddr_in to = server_at(to_port);
    sendto(raw, packet, (size_t)total, 0, (sockaddr*)&to, sizeof to);
}

// What a hand-made bare client on 127.0.0.2 hears about the others.
struct Watcher {
    int fd = -1;
    int lefts[NET_MAX_PLAYERS] = {};
    std::string names[NET_MAX_PLAYERS];
    float x[NET_MAX_PLAYERS] = {};
    bool posed[NET_MAX_PLAYERS] = {};
    void drain() {
        uint8_t buf[512];
        ssize_t n;
        while ((n = recv(fd, buf, sizeof buf, MSG_DONTWAIT)) > 0) {
            int type = net_message_type(buf, (int)n);
            if (type == NET_LEFT && n >= NET_LEFT_SIZE && buf[5] < NET_MAX_PLAYERS) ++lefts[buf[5]];
            if (type == NET_PLAYER && n >= NET_PLAYER_SIZE && buf[5] < NET_MAX_PLAYERS)
                names[buf[5]] = std::string((const char*)buf + 6, strnlen((const char*)buf + 6, 24));
            if (type == NET_WORLD && n >= NET_WORLD_HEADER)
                for (int e = 0; e < buf[9] && NET_WORLD_HEADER + (e + 1) * NET_WORLD_ENTRY <= n; ++e) {
                    const uint8_t* entry = buf + NET_WORLD_HEADER + e * NET_WORLD_ENTRY;
                    if (entry[0] >= NET_MAX_PLAYERS) continue;
                    x[entry[0]] = net_get_f32(entry + 1);
                    posed[entry[0]] = true;
                }
        }
    }
};

}  // namespace

// Someone who can forge the game's source address and port, but never hears
// what the server sends there, cannot end its session with a bye, move it
// with a pose or rename it with a hello.
TEST(OnlinePlay, ForgedDatagramsFromTheGamesAddressChangeNothing) {
    int raw = socket(AF_INET, SOCK_RAW, IPPROTO_RAW);
    if (raw < 0) GTEST_SKIP() << "a raw socket needs root or CAP_NET_RAW: " << strerror(errno);
    ASSERT_TRUE(exists(server_path()));
    std::string base = folder_of(self_path);
    uint16_t port = free_udp_port();
    ASSERT_NE(port, 0);
    pid_t server = spawn({server_path(), std::to_string(port)}, base + "/net_forged_server.log");
    usleep(300000);
    sockaddr_in to = server_at(port);
    // The game builds the watcher's figure: it needs a GL context.
    plat_open_window("reseau", 320, 240);
    if (!headless_has_context() || !gl_load()) GTEST_SKIP() << "no GL context";
    Watcher w;
    w.fd = socket_from(2);
    NetIdentity id{};
    snprintf(id.name, sizeof id.name, "%s", "Témoin");
    uint8_t hello[NET_HELLO_SIZE], pose[NET_POSE_SIZE];
    net_write_hello(hello, id);
    sendto(w.fd, hello, sizeof hello, 0, (sockaddr*)&to, sizeof to);
    EXPECT_EQ(reply_type(w.fd), NET_WELCOME);
    uint32_t seq = 0;
    auto step = [&] {
        net_update(0.05f);
        net_write_pose(pose, ++seq, NetPose{});
        sendto(w.fd, pose, sizeof pose, 0, (sockaddr*)&to, sizeof to);
        usleep(5000);
        w.drain();
    };

    player_reset_new();
    snprintf(player.name, sizeof player.name, "%s", "Gauvain");
    player.pos_x = 120.0f;
    net_connect(("127.0.0.1:" + std::to_string(port)).c_str());
    for (int f = 0; f < 400; ++f) {
        step();
        int me = net_own_id();
        if (net_is_welcomed() && me >= 0 && me < NET_MAX_PLAYERS && w.posed[me] && w.names[me] == "Gauvain") break;
    }
    ASSERT_TRUE(net_is_welcomed()) << net_status_text();
    int me = net_own_id();
    ASSERT_TRUE(me >= 0 && me < NET_MAX_PLAYERS);
    EXPECT_EQ(w.names[me], "Gauvain");
    EXPECT_EQ(w.x[me], 120.0f);
    uint16_t game_port = game_socket_port();
    ASSERT_NE(game_port, 0);

    NetIdentity fake{};
    snprintf(fake.name, sizeof fake.name, "%s", "Usurpateur");
    NetPose far{};
    far.x = 999.0f;
    uint8_t d[NET_HELLO_SIZE + NET_COOKIE_SIZE];
    for (int round = 0; round < 3; ++round) {
        for (uint32_t wrong : {0u, 1u}) {
            for (bool trailer : {false, true}) {
                int n = net_write_hello(d, fake);
                forge(raw, game_port, port, d, trailer ? net_append_cookie(d, n, wrong) : n);
                n = net_write_pose(d, seq + 1000u * (uint32_t)(round + 1), far);
                forge(raw, game_port, port, d, trailer ? net_append_cookie(d, n, wrong) : n);
                n = net_write_bye(d);
                forge(raw, game_port, port, d, trailer ? net_append_cookie(d, n, wrong) : n);
            }
        }
        for (int f = 0; f < 30; ++f) step();
    }
    close(raw);
    EXPECT_TRUE(net_is_welcomed()) << net_status_text();
    EXPECT_EQ(net_own_id(), me);
    EXPECT_EQ(w.lefts[me], 0);
    EXPECT_EQ(w.names[me], "Gauvain");
    EXPECT_EQ(w.x[me], 120.0f);
    net_disconnect();
    for (int f = 0; f < 20; ++f) step();
    EXPECT_GE(w.lefts[me], 1);  // its own bye is believed
    close(w.fd);
    kill(server, SIGTERM);
    EXPECT_EQ(wait_child(server, 10), 0);
    std::string log = read_text(base + "/net_forged_server.log");
    EXPECT_EQ(log.find("Usurpateur"), std::string::npos) << log;
}

int main(int argc, char** argv) {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[n > 0 ? n : 0] = 0;
    self_path = exe;
    for (int i = 1; i < argc; ++i) {
        if (!strncmp(argv[i], "--port=", 7)) kPort = (uint16_t)atoi(argv[i] + 7);
        if (!strncmp(argv[i], "--game=", 7)) {
            int code = run_game(argv[i][7] == 'a');
            note("exit %d", code);
            plat_write_file("result.txt", report.data(), (int)report.size());
            return code;
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
