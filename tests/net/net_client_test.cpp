// The network client against a scripted peer on 127.0.0.1: the bytes it
// sends, what it does with each server message, its timers and its status
// line. The figures need GL, so the suite opens the headless context.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "net/net.h"
#include "net/net_internal.h"
#include "common/net_packets.h"
#include "net/remote_players.h"
#include "persist/keyvalue.h"
#include "platform/headless/headless.h"
#include "play/player_input.h"
#include "platform/backend_common.h"
#include "play/player.h"
#include "render/gl_api.h"
#include "render/hud.h"
#include "tests/support/shown.h"
#include "world/human.h"

namespace {

bool gl_ready() {
    static int state = -1;
    if (state < 0) {
        plat_open_window("reseau", 320, 240);
        state = headless_has_context() && gl_load() ? 1 : 0;
    }
    return state == 1;
}

// The server side of the conversation, played by the test.
struct Peer {
    int fd = -1;
    uint16_t port = 0;
    sockaddr_in client{};
    bool known = false;

    explicit Peer(uint16_t p) : port(p) {
        fd = socket(AF_INET, SOCK_DGRAM, 0);
        int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(0x7F000001);
        a.sin_port = htons(p);
        if (bind(fd, (sockaddr*)&a, sizeof a) != 0) ADD_FAILURE() << "port " << p << " busy";
        fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    ~Peer() { close(fd); }

    // Everything the client sent since the last call.
    std::vector<std::vector<uint8_t>> drain() {
        std::vector<std::vector<uint8_t>> got;
        uint8_t buf[2048];
        for (;;) {
            sockaddr_in from{};
            socklen_t len = sizeof from;
            ssize_t n = recvfrom(fd, buf, sizeof buf, 0, (sockaddr*)&from, &len);
            if (n < 0) break;
            client = from;
            known = true;
            got.emplace_back(buf, buf + n);
        }
        return got;
    }
    void send(const uint8_t* d, int n) {
        ASSERT_TRUE(known);
        sendto(fd, d, (size_t)n, 0, (sockaddr*)&client, sizeof client);
    }
    void send(const std::vector<uint8_t>& d) { send(d.data(), (int)d.size()); }
};

int count_type(const std::vector<std::vector<uint8_t>>& got, int type) {
    int n = 0;
    for (auto& d : got) n += net_message_type(d.data(), (int)d.size()) == type;
    return n;
}

std::vector<uint8_t> welcome(int id) {
    std::vector<uint8_t> d(NET_WELCOME_SIZE);
    net_write_welcome(d.data(), (uint8_t)id);
    return d;
}

std::vector<uint8_t> player_msg(int id, const char* name, uint8_t hair = 2) {
    NetIdentity who{};
    snprintf(who.name, sizeof who.name, "%s", name);
    who.player_class = 1;
    who.skin = 1;
    who.hair = hair;
    who.level = 7;
    uint8_t hello[NET_HELLO_SIZE];
    net_write_hello(hello, who);
    std::vector<uint8_t> d(NET_PLAYER_SIZE);
    net_write_player(d.data(), (uint8_t)id, hello + NET_HEADER_SIZE);
    return d;
}

NetPose pose_at(float x, float z) {
    NetPose p{};
    p.x = x;
    p.y = 10.0f;
    p.z = z;
    p.heading = 0.5f;
    p.ground_speed = 3.0f;
    p.flags = NET_FLAG_ON_GROUND;
    return p;
}

std::vector<uint8_t> world_msg(const std::vector<std::pair<int, NetPose>>& entries, int count = -1) {
    std::vector<uint8_t> d(NET_WORLD_HEADER + entries.size() * NET_WORLD_ENTRY);
    net_write_world_header(d.data(), 1, (uint8_t)(count < 0 ? entries.size() : count));
    for (size_t e = 0; e < entries.size(); ++e) {
        uint8_t pose[NET_POSE_SIZE];
        net_write_pose(pose, 1, entries[e].second);
        net_write_world_entry(d.data() + NET_WORLD_HEADER + e * NET_WORLD_ENTRY, (uint8_t)entries[e].first,
                              pose + 9);
    }
    return d;
}

const float kStep = 1.0f / 60.0f;

// A client connected to the peer and welcomed as number `id`.
void connect_welcomed(Peer& peer, int id) {
    net_connect(("127.0.0.1:" + std::to_string(peer.port)).c_str());
    ASSERT_TRUE(net_is_on());
    net_update(kStep);  // the first hello goes at once
    ASSERT_EQ(count_type(peer.drain(), NET_HELLO), 1);
    peer.send(welcome(id));
    net_update(kStep);
    ASSERT_TRUE(net_is_welcomed());
}

class NetClient : public ::testing::Test {
protected:
    void SetUp() override {
        player_reset_new();
        game_flags.character_select_open = 0;
        game_flags.character_creation_open = 0;
    }
    void TearDown() override { net_disconnect(); }
};

}  // namespace

TEST(NetPackets, ClientMessagesByteForByte) {
    NetIdentity me{};
    memcpy(me.name, "Perceval le Gallois, che", 24);  // 24 bytes, no terminator
    me.player_class = 2;
    me.woman = 1;
    me.skin = 3;
    me.eyes = 2;
    me.hair = 5;
    me.style = 1;
    me.beard = 0;
    me.level = 14;
    me.equipment[0] = 12;
    me.equipment[10] = 0x1234;
    uint8_t hello[NET_HELLO_SIZE + 1];
    ASSERT_EQ(net_write_hello(hello, me), 59);
    EXPECT_EQ(std::string((char*)hello, 5), std::string("TVN1\x01", 5));
    EXPECT_EQ(std::string((char*)hello + 5), std::string("Perceval le Gallois, ch"));  // 23 bytes
    EXPECT_EQ(hello[28], 0);
    const uint8_t numbers[8] = {2, 1, 3, 2, 5, 1, 0, 14};
    EXPECT_EQ(memcmp(hello + 29, numbers, 8), 0);
    EXPECT_EQ(hello[37], 12);
    EXPECT_EQ(hello[38], 0);
    EXPECT_EQ(hello[57], 0x34);
    EXPECT_EQ(hello[58], 0x12);

    NetPose p{1.5f, -2.0f, 3.25f, 0.5f, 6.5f, 1.0f, 0.25f, 0.75f, 2, NET_FLAG_ON_GROUND | NET_FLAG_CHARGING};
    uint8_t pose[NET_POSE_SIZE];
    ASSERT_EQ(net_write_pose(pose, 0x01020304u, p), 43);
    EXPECT_EQ(std::string((char*)pose, 5), std::string("TVN1\x02", 5));
    EXPECT_EQ(pose[5], 4);
    EXPECT_EQ(pose[8], 1);
    const uint8_t one_and_half[4] = {0x00, 0x00, 0xC0, 0x3F};  // 1.5f little-endian
    EXPECT_EQ(memcmp(pose + 9, one_and_half, 4), 0);
    EXPECT_EQ(net_get_f32(pose + 17), 3.25f);
    EXPECT_EQ(net_get_f32(pose + 37), 0.75f);
    EXPECT_EQ(pose[41], 2);
    EXPECT_EQ(pose[42], 5);

    uint8_t bye[NET_BYE_SIZE];
    ASSERT_EQ(net_write_bye(bye), 5);
    EXPECT_EQ(std::string((char*)bye, 5), std::string("TVN1\x03", 5));

    // The player message repeats hello bytes 5..58 at 6..59: sixty bytes,
    // the last equipment slot included.
    uint8_t msg[NET_PLAYER_SIZE];
    ASSERT_EQ(net_write_player(msg, 4, hello + 5), 60);
    EXPECT_EQ(msg[5], 4);
    EXPECT_EQ(memcmp(msg + 6, hello + 5, 54), 0);
    NetIdentity back = net_read_identity(msg + 6);
    EXPECT_EQ(back.equipment[10], 0x1234);
    EXPECT_EQ(back.level, 14);
}

TEST(NetPackets, AddressText) {
    char host[64];
    uint16_t port = 0;
    ASSERT_TRUE(net_parse_address("  example.org:0", host, sizeof host, &port));
    EXPECT_STREQ(host, "example.org");
    EXPECT_EQ(port, 27950);
    ASSERT_TRUE(net_parse_address("10.0.0.2:70000", host, sizeof host, &port));
    EXPECT_EQ(port, 27950);
    ASSERT_TRUE(net_parse_address("10.0.0.2 :65535", host, sizeof host, &port));
    EXPECT_STREQ(host, "10.0.0.2");
    EXPECT_EQ(port, 65535);
    ASSERT_TRUE(net_parse_address("camelot", host, sizeof host, &port));
    EXPECT_EQ(port, 27950);
    EXPECT_FALSE(net_parse_address("   :27950", host, sizeof host, &port));
    EXPECT_FALSE(net_parse_address("", host, sizeof host, &port));
    std::string long_host(80, 'a');
    ASSERT_TRUE(net_parse_address(long_host.c_str(), host, sizeof host, &port));
    EXPECT_EQ(strlen(host), 63u);

    uint32_t a = 0;
    EXPECT_TRUE(net_numeric_host("localhost", &a));
    EXPECT_EQ(a, 0x7F000001u);
    EXPECT_TRUE(net_numeric_host("192.168.1.20", &a));
    EXPECT_EQ(a, 0xC0A80114u);
    EXPECT_FALSE(net_numeric_host("192.168.1.256", &a));
    EXPECT_FALSE(net_numeric_host("192.168.1", &a));
    EXPECT_FALSE(net_numeric_host("1.2.3.4.5", &a));
}

TEST(NetPackets, ReceivedPosesAreMadeSafe) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    NetPose p = pose_at(1, 2);
    p.heading = 1e30f;  // wrapped by a remainder, not by a loop
    p.combo_index = 255;
    p.flags = 0xff;
    p.ground_speed = 1e9f;
    p.swing_progress = -3.0f;
    ASSERT_TRUE(net_pose_sanitize(&p));
    EXPECT_GE(p.heading, -3.1416f);
    EXPECT_LE(p.heading, 3.1416f);
    EXPECT_EQ(p.combo_index, 2);
    EXPECT_EQ(p.flags, 7);
    EXPECT_EQ(p.ground_speed, NET_SPEED_LIMIT);
    EXPECT_EQ(p.swing_progress, 0.0f);
    p = pose_at(1, 2);
    p.heading = 7.0f;
    ASSERT_TRUE(net_pose_sanitize(&p));
    EXPECT_NEAR(p.heading, 7.0f - 2.0f * 3.14159265f, 1e-5f);
    p.x = 1e9f;
    ASSERT_TRUE(net_pose_sanitize(&p));
    EXPECT_EQ(p.x, NET_POSITION_LIMIT);
    for (float bad : {inf, -inf, nan}) {
        NetPose q = pose_at(1, 2);
        q.heading = bad;
        EXPECT_FALSE(net_pose_sanitize(&q));
        q = pose_at(1, 2);
        q.y = bad;
        EXPECT_FALSE(net_pose_sanitize(&q));
        q = pose_at(1, 2);
        q.whirlwind_progress = bad;
        EXPECT_FALSE(net_pose_sanitize(&q));
    }
}

TEST_F(NetClient, SettingsFileAndFailedAddresses) {
    // Missing file: the address stays the local one.
    plat_write_file("tervanne-reseau.txt", "", 0);
    plat_write_file("tervanne-reseau-secours.txt", "", 0);
    net_read_settings();
    EXPECT_STREQ(net_server_address(), "127.0.0.1");

    // The list's field holds 63 characters; all of them are kept and saved.
    std::string typed = "serveur-de-la-table-ronde-a-camelot-en-bretagne.exemple.invalid";
    ASSERT_EQ(typed.size(), 63u);
    net_connect(typed.c_str());
    EXPECT_FALSE(net_is_on());
    EXPECT_EQ(std::string(net_status_text()), "Adresse inconnue : " + typed);
    EXPECT_EQ(std::string(net_server_address()), typed);

    net_connect("127.0.0.1:37961");
    EXPECT_TRUE(net_is_on());
    EXPECT_STREQ(net_status_text(), "Connexion à 127.0.0.1:37961…");
    EXPECT_EQ(net_server_port(), 37961);
    char text[128] = {};
    ASSERT_GT(plat_read_file("tervanne-reseau.txt", text, sizeof text), 0);
    EXPECT_STREQ(text, "serveur 127.0.0.1:37961\r\n");
    net_connect("localhost:70000");
    EXPECT_EQ(net_server_port(), 27950);
    EXPECT_EQ(net_server_ip(), 0x7F000001u);
    net_disconnect();
    EXPECT_STREQ(net_status_text(), "");

    // Read back at the next start, also when only the copy survived.
    net_read_settings();
    EXPECT_STREQ(net_server_address(), "localhost:70000");
    plat_write_file("tervanne-reseau.txt", "serv", 4);  // cut by a crash
    net_connect("");
    EXPECT_STREQ(net_status_text(), "Adresse inconnue : ");
    net_read_settings();
    EXPECT_STREQ(net_server_address(), "localhost:70000");
}

// The address file is replaced, never rewritten in place: a write cut
// short (a crash, a full disk) leaves the whole previous address, not a
// piece of the new one that would read as valid.
bool write_half_then_fail(const char* name, const void* data, int length) {
    plat_write_file(name, data, length / 2);
    return false;
}

TEST_F(NetClient, SettingsFileWriteCutShortKeepsThePreviousAddress) {
    net_connect("localhost:37998");
    net_disconnect();
    kv_set_file_writer(write_half_then_fail);
    net_connect("127.0.0.1:37999");
    net_disconnect();
    kv_set_file_writer(nullptr);
    char text[128] = {};
    ASSERT_GT(plat_read_file("tervanne-reseau.txt", text, sizeof text), 0);
    EXPECT_STREQ(text, "serveur localhost:37998\r\n");
    net_read_settings();
    EXPECT_STREQ(net_server_address(), "localhost:37998");
}

TEST_F(NetClient, WelcomeFiguresAndTheirMovement) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    Peer peer(37962);
    connect_welcomed(peer, 3);
    EXPECT_EQ(net_own_id(), 3);
    EXPECT_STREQ(net_status_text(), "En ligne sur 127.0.0.1:37962");
    EXPECT_STREQ(shown_message(), "Connecté à Tervanne (127.0.0.1:37962)");

    // A newcomer, a colour byte out of the table, and entries that must not
    // create figures: our own number, number 10 and beyond, a count that
    // claims more entries than the datagram holds.
    peer.send(player_msg(5, "Gauvain", 9));
    peer.send(player_msg(3, "Moi"));
    peer.send(player_msg(12, "Personne"));
    net_update(kStep);
    EXPECT_STREQ(shown_message(), "Gauvain a rejoint Tervanne.");
    EXPECT_EQ(net_player_count(), 1);
    EXPECT_EQ(remote_players[5].id.hair, 6);
    ASSERT_NE(remote_players[5].model, nullptr);
    EXPECT_FALSE(remote_players[3].present);

    Vec3 base = {100.0f, 10.0f, 50.0f};
    peer.send(world_msg({{5, pose_at(base.x, base.z)}, {3, pose_at(0, 0)}, {10, pose_at(0, 0)},
                         {200, pose_at(0, 0)}}, 12));
    net_update(kStep);
    Vec3 shown;
    ASSERT_TRUE(net_player_position(5, &shown));
    EXPECT_NEAR(shown.x, base.x, 1e-4f);  // first pose: shown where it is
    EXPECT_FALSE(remote_players[3].present);
    for (int i = 0; i < NET_MAX_PLAYERS; ++i)
        if (i != 5) {
            EXPECT_FALSE(remote_players[i].has_pose) << i;
        }

    // 3 m glides (k = 14 dt), 12.5 m jumps.
    peer.send(world_msg({{5, pose_at(base.x + 3.0f, base.z)}}));
    net_update(kStep);
    ASSERT_TRUE(net_player_position(5, &shown));
    EXPECT_NEAR(shown.x, base.x + 3.0f * 14.0f * kStep, 1e-3f);
    for (int f = 0; f < 60; ++f) net_update(kStep);
    ASSERT_TRUE(net_player_position(5, &shown));
    EXPECT_NEAR(shown.x, base.x + 3.0f, 1e-3f);
    peer.send(world_msg({{5, pose_at(base.x + 3.0f + 12.5f, base.z)}}));
    net_update(kStep);
    ASSERT_TRUE(net_player_position(5, &shown));
    EXPECT_NEAR(shown.x, base.x + 15.5f, 1e-4f);

    // Hostile values: an endless heading, a blow index past the three blows,
    // then a NaN position, which is dropped.
    NetPose odd = pose_at(base.x + 15.5f, base.z);
    odd.heading = std::numeric_limits<float>::infinity();
    peer.send(world_msg({{5, odd}}));
    odd = pose_at(base.x + 15.5f, base.z);
    odd.heading = 1e30f;
    odd.combo_index = 255;
    odd.swing_progress = 0.5f;
    peer.send(world_msg({{5, odd}}));
    net_update(kStep);
    EXPECT_TRUE(std::isfinite(remote_players[5].shown_heading));
    EXPECT_EQ(remote_players[5].pose.combo_index, 2);
    odd.x = std::numeric_limits<float>::quiet_NaN();
    peer.send(world_msg({{5, odd}}));
    net_update(kStep);
    ASSERT_TRUE(net_player_position(5, &shown));
    EXPECT_TRUE(std::isfinite(shown.x));

    // Dead: the figure lies down.
    NetPose dead = pose_at(base.x + 15.5f, base.z);
    dead.flags = NET_FLAG_DEAD | NET_FLAG_ON_GROUND;
    peer.send(world_msg({{5, dead}}));
    for (int f = 0; f < 90; ++f) net_update(kStep);
    EXPECT_NEAR(remote_players[5].pose.body_pitch, -3.14159f * 0.5f, 0.05f);

    // New looks rebuild the figure; leaving frees it and says so.
    Model* before = remote_players[5].model;
    peer.send(player_msg(5, "Gauvain", 3));
    net_update(kStep);
    EXPECT_EQ(remote_players[5].id.hair, 3);
    EXPECT_EQ(remote_players[5].model, before);  // same slot, rebuilt in place
    std::vector<uint8_t> left(NET_LEFT_SIZE);
    net_write_left(left.data(), 5);
    peer.send(left.data(), 5);  // too short: ignored
    net_update(kStep);
    EXPECT_EQ(net_player_count(), 1);
    peer.send(left);
    net_update(kStep);
    EXPECT_EQ(net_player_count(), 0);
    EXPECT_STREQ(shown_message(), "Gauvain a quitté Tervanne.");
    EXPECT_EQ(remote_players[5].model, nullptr);
    EXPECT_FALSE(net_player_position(5, &shown));
}

TEST_F(NetClient, PosesPauseOnCharacterScreensWhileHellosGoOn) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    Peer peer(37963);
    connect_welcomed(peer, 0);
    peer.drain();
    // One second in play: 20 poses, and the hello every 2 s.
    for (int f = 0; f < 60; ++f) net_update(kStep);
    auto got = peer.drain();
    EXPECT_NEAR(count_type(got, NET_POSE), 20, 1);
    EXPECT_LE(count_type(got, NET_HELLO), 1);

    // Pose sequence numbers climb by one.
    uint32_t previous = 0;
    for (auto& d : got) {
        if (net_message_type(d.data(), (int)d.size()) != NET_POSE) continue;
        ASSERT_EQ(d.size(), 47u);  // the pose and the echoed number
        uint32_t seq = net_get_u32(d.data() + 5);
        if (previous) {
            EXPECT_EQ(seq, previous + 1);
        }
        previous = seq;
    }

    game_flags.character_select_open = 1;
    for (int f = 0; f < 300; ++f) {
        if (f % 30 == 0) peer.send(world_msg({}));  // the server is alive
        net_update(kStep);
    }
    got = peer.drain();
    EXPECT_EQ(count_type(got, NET_POSE), 0);
    EXPECT_GE(count_type(got, NET_HELLO), 2);
    game_flags.character_select_open = 0;
    game_flags.character_creation_open = 1;
    for (int f = 0; f < 60; ++f) net_update(kStep);
    EXPECT_EQ(count_type(peer.drain(), NET_POSE), 0);
    game_flags.character_creation_open = 0;
    net_update(kStep);
    EXPECT_EQ(count_type(peer.drain(), NET_POSE), 1);

    // Goodbye twice.
    net_disconnect();
    got = peer.drain();
    EXPECT_EQ(count_type(got, NET_BYE), 2);
    EXPECT_FALSE(net_is_on());
}

TEST_F(NetClient, SilenceFullAndStrangers) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    {
        // Nobody answers: the hello goes on every 0.7 s, the status says so after 6 s.
        Peer peer(37964);
        net_connect("127.0.0.1:37964");
        for (int f = 0; f < 7 * 60 + 1; ++f) net_update(kStep);
        EXPECT_STREQ(net_status_text(), "Le serveur 127.0.0.1:37964 ne répond pas.");
        EXPECT_NEAR(count_type(peer.drain(), NET_HELLO), 11, 1);
        EXPECT_TRUE(net_is_on());
    }
    {
        // Welcomed, then the server falls silent.
        Peer peer(37965);
        connect_welcomed(peer, 1);
        peer.send(player_msg(2, "Lancelot"));
        peer.send(world_msg({{2, pose_at(10, 10)}}));
        net_update(kStep);
        EXPECT_EQ(net_player_count(), 1);
        // A stranger's datagrams neither keep us alive nor change anything.
        int stranger = socket(AF_INET, SOCK_DGRAM, 0);
        uint8_t left[NET_LEFT_SIZE];
        net_write_left(left, 2);
        sendto(stranger, left, sizeof left, 0, (sockaddr*)&peer.client, sizeof peer.client);
        for (int f = 0; f < 6 * 60 + 2; ++f) net_update(kStep);
        close(stranger);
        EXPECT_EQ(net_player_count(), 1);
        EXPECT_STREQ(net_status_text(), "Connexion perdue : nouvel essai…");
        peer.send(world_msg({}));
        net_update(kStep);
        EXPECT_STREQ(net_status_text(), "En ligne sur 127.0.0.1:37965");
        int byes = 0;
        for (int f = 0; f < 30 * 60 + 2; ++f) {
            net_update(kStep);
            if (f % 60 == 0) byes += count_type(peer.drain(), NET_BYE);  // keep its queue short
        }
        EXPECT_FALSE(net_is_on());
        EXPECT_STREQ(net_status_text(), "Le serveur ne répond plus.");
        EXPECT_STREQ(shown_message(), "Le serveur ne répond plus.");
        EXPECT_EQ(net_player_count(), 0);
        EXPECT_EQ(byes + count_type(peer.drain(), NET_BYE), 2);
    }
    {
        // Full: the socket closes and the figures seen so far go with it.
        Peer peer(37966);
        net_connect("127.0.0.1:37966");
        net_update(kStep);
        peer.drain();
        peer.send(player_msg(4, "Tristan"));
        peer.send(world_msg({{4, pose_at(10, 10)}}));
        net_update(kStep);
        EXPECT_EQ(net_player_count(), 1);
        std::vector<uint8_t> full(NET_FULL_SIZE);
        net_write_full(full.data());
        peer.send(full);
        net_update(kStep);
        EXPECT_FALSE(net_is_on());
        EXPECT_STREQ(net_status_text(), "Le serveur est complet (10 joueurs).");
        EXPECT_STREQ(shown_message(), "Le serveur est complet (10 joueurs).");
        EXPECT_EQ(net_player_count(), 0);
        EXPECT_EQ(remote_players[4].model, nullptr);
        for (int f = 0; f < 120; ++f) net_update(kStep);
        EXPECT_TRUE(peer.drain().empty());
    }
}

// A client the server dropped (a long stall) and welcomed again under another
// number takes that number: the player who later has the old one is shown,
// and the record under the new one, which is now ourselves, is forgotten.
TEST_F(NetClient, AWelcomeWithAnotherNumberIsAdopted) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    Peer peer(37967);
    connect_welcomed(peer, 3);
    peer.send(player_msg(5, "Gauvain"));
    peer.send(world_msg({{5, pose_at(10, 10)}}));
    net_update(kStep);
    EXPECT_EQ(net_player_count(), 1);
    peer.send(welcome(3));  // the same number again: nothing changes
    net_update(kStep);
    EXPECT_EQ(net_own_id(), 3);
    EXPECT_EQ(net_player_count(), 1);

    peer.send(welcome(5));
    net_update(kStep);
    EXPECT_EQ(net_own_id(), 5);
    EXPECT_FALSE(remote_players[5].present);
    EXPECT_EQ(remote_players[5].model, nullptr);
    EXPECT_EQ(net_player_count(), 0);
    peer.send(player_msg(3, "Perceval"));
    peer.send(world_msg({{3, pose_at(12, 10)}, {5, pose_at(0, 0)}}));
    net_update(kStep);
    EXPECT_EQ(net_player_count(), 1);
    EXPECT_TRUE(net_player_position(3, nullptr));
    EXPECT_FALSE(remote_players[5].present);
    EXPECT_TRUE(net_is_welcomed());
}

// A flood of new looks rebuilds a figure at most once a second, and the
// latest looks are the ones it ends up with; the same looks again rebuild
// nothing.
TEST_F(NetClient, RemoteFiguresAreRebuiltAtMostOnceASecond) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    Peer peer(37968);
    connect_welcomed(peer, 0);
    peer.send(player_msg(4, "Yvain", 1));
    peer.send(world_msg({{4, pose_at(10, 10)}}));
    net_update(kStep);
    int first = remote_figure_builds(4);
    ASSERT_NE(remote_players[4].model, nullptr);
    EXPECT_TRUE(remote_figure_current(4));
    for (int f = 0; f < 120; ++f) {  // 2 s, new looks every frame
        peer.send(player_msg(4, "Yvain", (uint8_t)(2 + f % 2)));
        net_update(kStep);
    }
    EXPECT_LE(remote_figure_builds(4) - first, 2);
    peer.send(player_msg(4, "Yvain", 5));
    net_update(kStep);
    int settled = remote_figure_builds(4);
    for (int f = 0; f < 70; ++f) {  // a bit over a second of the same looks
        peer.send(player_msg(4, "Yvain", 5));
        net_update(kStep);
    }
    EXPECT_TRUE(remote_figure_current(4));
    EXPECT_LE(remote_figure_builds(4) - settled, 1);
    int built = remote_figure_builds(4);
    for (int f = 0; f < 120; ++f) {
        peer.send(player_msg(4, "Yvain", 5));
        net_update(kStep);
    }
    EXPECT_EQ(remote_figure_builds(4), built);
    EXPECT_EQ(remote_players[4].id.hair, 5);
}

// Our hellos, poses and byes end with the number the server last gave us (a
// challenge, the long welcome, then the world messages' bytes 5..8); a
// challenge is answered at once. A bare server (7-byte welcome) gets zeros,
// which it does not read.
TEST_F(NetClient, EchoesTheServersNumber) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    auto cookie_of = [](const std::vector<uint8_t>& d, int bare) {
        return d.size() == (size_t)bare + 4 ? (long)net_get_u32(d.data() + bare) : -1L;
    };
    Peer peer(37969);
    net_connect("127.0.0.1:37969");
    net_update(kStep);
    auto got = peer.drain();
    ASSERT_EQ(count_type(got, NET_HELLO), 1);
    EXPECT_EQ(cookie_of(got[0], NET_HELLO_SIZE), 0);
    std::vector<uint8_t> challenge(NET_CHALLENGE_SIZE);
    net_write_challenge(challenge.data(), 0x11223344u);
    peer.send(challenge);
    net_update(kStep);
    got = peer.drain();
    ASSERT_EQ(count_type(got, NET_HELLO), 1);  // at once, not 0.7 s later
    EXPECT_EQ(cookie_of(got[0], NET_HELLO_SIZE), 0x11223344L);
    EXPECT_FALSE(net_is_welcomed());

    std::vector<uint8_t> w(NET_WELCOME_COOKIE_SIZE);
    ASSERT_EQ(net_write_welcome(w.data(), 2, 0x55667788u), NET_WELCOME_COOKIE_SIZE);
    peer.send(w);
    net_update(kStep);
    ASSERT_TRUE(net_is_welcomed());
    EXPECT_EQ(net_own_id(), 2);
    got = peer.drain();
    ASSERT_EQ(count_type(got, NET_POSE), 1);
    for (auto& d : got)
        if (net_message_type(d.data(), (int)d.size()) == NET_POSE) {
            EXPECT_EQ(cookie_of(d, NET_POSE_SIZE), 0x55667788L);
        }
    auto world = world_msg({});
    net_put_u32(world.data() + 5, 0x99aabbccu);
    peer.send(world);
    for (int f = 0; f < 4; ++f) net_update(kStep);
    net_disconnect();
    got = peer.drain();
    EXPECT_EQ(count_type(got, NET_BYE), 2);
    for (auto& d : got) {
        int type = net_message_type(d.data(), (int)d.size());
        if (type == NET_POSE) {
            EXPECT_EQ(cookie_of(d, NET_POSE_SIZE), 0x99aabbccL);
        }
        if (type == NET_BYE) {
            EXPECT_EQ(cookie_of(d, NET_BYE_SIZE), 0x99aabbccL);
        }
    }
}

// Newcomers are shown a few at once, then two a second, in the order they
// came, whatever the server announces: a churn of arrivals and departures
// builds a handful of figures, not one a message.
TEST_F(NetClient, NewcomersAreShownAtABoundedRate) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    Peer peer(37970);
    connect_welcomed(peer, 0);
    auto builds = [] {
        int n = 0;
        for (int i = 0; i < NET_MAX_PLAYERS; ++i) n += remote_figure_builds(i);
        return n;
    };
    int before = builds();
    // A server full of players: the first four at once, then two a second.
    for (int i = 1; i < 10; ++i) peer.send(player_msg(i, ("Chevalier " + std::to_string(i)).c_str()));
    net_update(kStep);
    EXPECT_EQ(net_player_count(), 4);
    for (int f = 0; f < 60; ++f) net_update(kStep);
    EXPECT_EQ(net_player_count(), 6);
    for (int f = 0; f < 90; ++f) net_update(kStep);
    EXPECT_EQ(net_player_count(), 9);
    EXPECT_STREQ(shown_message(), "Chevalier 9 a rejoint Tervanne.");
    EXPECT_EQ(builds() - before, 9);

    // Two seconds of one number joining and leaving every frame.
    std::vector<uint8_t> left(NET_LEFT_SIZE);
    net_write_left(left.data(), 9);
    before = builds();
    for (int f = 0; f < 120; ++f) {
        peer.send(left);
        peer.send(player_msg(9, "Va-et-vient"));
        net_update(kStep);
    }
    EXPECT_LE(builds() - before, 4 + 2 * 2 + 1);
}

// Whatever a server sends as a name, the game shows it on one line, with no
// control characters and only whole UTF-8 characters.
TEST_F(NetClient, RemoteNamesAreShownOnOneLine) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    Peer peer(37971);
    connect_welcomed(peer, 0);
    auto msg = player_msg(4, "");
    const char raw[24] = "Mor\ndred\r\x07\x1b\xc3(\xf0\x9f\x98";
    memcpy(msg.data() + 6, raw, 24);
    peer.send(msg);
    net_update(kStep);
    ASSERT_TRUE(remote_players[4].active);
    EXPECT_STREQ(remote_players[4].id.name, "Mor?dred????" "(???");
    EXPECT_STREQ(shown_message(), "Mor?dred????" "(??? a rejoint Tervanne.");
}

// A player whose "left" was lost is forgotten once about ten seconds of
// world messages have come without it; a pause of the world messages (our
// poses held back by a screen) forgets nobody.
TEST_F(NetClient, APlayerMissingFromTheWorldIsForgotten) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    Peer peer(37972);
    connect_welcomed(peer, 0);
    peer.send(player_msg(5, "Gauvain"));
    peer.send(player_msg(6, "Yvain"));
    peer.send(world_msg({{5, pose_at(10, 10)}, {6, pose_at(12, 10)}}));
    net_update(kStep);
    ASSERT_EQ(net_player_count(), 2);
    for (int f = 0; f < 20 * 30; ++f) {  // thirty seconds without world messages
        if (f % 40 == 0) peer.send(welcome(0));
        net_update(0.05f);
    }
    EXPECT_EQ(net_player_count(), 2);
    // Yvain's departure never arrives: the world holds only Gauvain.
    for (uint32_t k = 0; k < REMOTE_WORLDS_MISSED; ++k) {
        peer.send(world_msg({{5, pose_at(10, 10)}}));
        net_update(0.05f);
    }
    EXPECT_EQ(net_player_count(), 2);
    peer.send(world_msg({{5, pose_at(10, 10)}}));
    net_update(0.05f);
    EXPECT_EQ(net_player_count(), 1);
    EXPECT_FALSE(remote_players[6].present);
    EXPECT_EQ(remote_players[6].model, nullptr);
    EXPECT_STREQ(shown_message(), "Yvain a quitté Tervanne.");
    EXPECT_TRUE(net_player_position(5, nullptr));
}

namespace {
std::string run_log() {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[n > 0 ? n : 0] = 0;
    char path[4200];
    plat_path_beside_program(exe, "tervanne-journal.txt", path, sizeof path);
    std::ifstream f(path, std::ios::binary);
    std::stringstream text;
    text << f.rdbuf();
    return text.str();
}
int count_of(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}
}  // namespace

// A server that welcomes us under one number after another writes a few
// log lines, then one every half minute, and says how many it left out.
TEST_F(NetClient, AHostileServerCannotFillTheLog) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    log_printf("Début de l'essai du serveur hostile.");
    Peer peer(37974);
    connect_welcomed(peer, 0);
    for (int f = 0; f < 600; ++f) {  // ten seconds, ten welcomes a frame
        for (int k = 0; k < 10; ++k) peer.send(welcome((f * 10 + k) % 2 + 1));
        net_update(kStep);
    }
    net_disconnect();
    std::string log = run_log();
    log = log.substr(log.rfind("Début de l'essai du serveur hostile."));
    EXPECT_LE(count_of(log, "Connecté au serveur (joueur "), 6);
    EXPECT_EQ(count_of(log, "lignes répétées du serveur omises."), 1);
    EXPECT_LT(log.size(), 1000u);
}
