// The server's rules without sockets: numbers, welcome and full, what each
// client is sent, time-outs, and what strangers get back.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "common/net_packets.h"
#include "server/server_core.h"

namespace {

struct Sent {
    uint32_t address;
    uint16_t port;
    std::vector<uint8_t> data;
};

constexpr uint32_t kLoopback = 0x7F000001;

struct Harness {
    Server server;
    std::vector<Sent> sent;
    std::vector<std::string> log;
    std::map<uint32_t, long> bytes_in, bytes_out;  // by source or destination address
    double now = 100.0;

    Harness() {
        server_init(&server, [](void* c, uint32_t a, uint16_t p, const uint8_t* d, int n) {
            ((Harness*)c)->sent.push_back({a, p, std::vector<uint8_t>(d, d + n)});
            ((Harness*)c)->bytes_out[a] += n;
        }, [](void* c, const char* line) { ((Harness*)c)->log.push_back(line); }, this, now);
    }
    void datagram(const uint8_t* d, int n, uint32_t ip, uint16_t port) {
        bytes_in[ip] += n;
        server_datagram(&server, d, n, ip, port, now);
    }
    void hello(uint16_t port, const char* name, uint8_t level = 1, uint32_t ip = kLoopback) {
        NetIdentity id{};
        snprintf(id.name, sizeof id.name, "%s", name);
        id.level = level;
        uint8_t d[NET_HELLO_SIZE];
        net_write_hello(d, id);
        datagram(d, sizeof d, ip, port);
    }
    void pose(uint16_t port, uint32_t seq, float x, uint32_t ip = kLoopback) {
        NetPose p{};
        p.x = x;
        uint8_t d[NET_POSE_SIZE];
        net_write_pose(d, seq, p);
        datagram(d, sizeof d, ip, port);
    }
    void bye(uint16_t port) {
        uint8_t d[NET_BYE_SIZE];
        net_write_bye(d);
        server_datagram(&server, d, sizeof d, 0x7F000001, port, now);
    }
    void run(double seconds) {
        for (double t = 0; t < seconds; t += 0.01) {
            now += 0.01;
            server_tick(&server, now);
        }
    }
    std::vector<Sent> to(uint16_t port, int type) const {
        std::vector<Sent> out;
        for (auto& s : sent)
            if (s.port == port && net_message_type(s.data.data(), (int)s.data.size()) == type) out.push_back(s);
        return out;
    }
};

}  // namespace

TEST(Server, WelcomesTenThenFullAndRepeatsPlayers) {
    Harness h;
    h.server.places_per_address = NET_MAX_PLAYERS;  // ten players behind one address
    for (int i = 0; i < 10; ++i) h.hello((uint16_t)(5000 + i), "Chevalier");
    for (int i = 0; i < 10; ++i) {
        auto w = h.to((uint16_t)(5000 + i), NET_WELCOME);
        ASSERT_EQ(w.size(), 1u) << i;
        EXPECT_EQ(w[0].data.size(), 7u);
        EXPECT_EQ(w[0].data[5], i);
    }
    EXPECT_EQ(h.log.size(), 10u);
    EXPECT_NE(h.log[0].find("Joueur 0 arrivé : Chevalier, 127.0.0.1:5000"), std::string::npos);
    // The eleventh is told the server is full, in five bytes.
    h.hello(6000, "Onzième");
    auto full = h.to(6000, NET_FULL);
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0].data.size(), 5u);
    EXPECT_EQ(server_player_count(&h.server), 10);

    // Every client, once its first pose has shown the address is its own,
    // learns of the nine others, again and again for newcomers.
    h.sent.clear();
    for (int k = 0; k < 41; ++k) {
        for (int i = 0; i < 10; ++i) h.pose((uint16_t)(5000 + i), (uint32_t)k + 1, 0.0f);
        h.run(0.05);
    }
    for (int i = 0; i < 10; ++i) {
        auto players = h.to((uint16_t)(5000 + i), NET_PLAYER);
        std::map<int, int> seen;
        for (auto& p : players) {
            ASSERT_EQ(p.data.size(), 60u);
            ++seen[p.data[5]];
        }
        EXPECT_EQ(seen.size(), 9u);
        EXPECT_EQ(seen.count(i), 0u);
        for (auto& [who, n] : seen) EXPECT_GE(n, 2) << who;
    }
    // A place frees when someone says goodbye; the others are told.
    h.sent.clear();
    h.bye(5003);
    for (int i = 0; i < 10; ++i) {
        if (i == 3) continue;
        auto left = h.to((uint16_t)(5000 + i), NET_LEFT);
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(left[0].data[5], 3);
    }
    h.hello(6000, "Onzième");
    auto w = h.to(6000, NET_WELCOME);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].data[5], 3);
}

TEST(Server, WorldCarriesTheLatestPosesOfTheOthers) {
    Harness h;
    h.hello(5000, "A");
    h.hello(5001, "B");
    h.hello(5002, "C");
    h.pose(5001, 7, 11.0f);
    h.pose(5001, 6, 99.0f);  // older, overtaken on the way: ignored
    h.pose(5002, 1, 22.0f);
    // A non-finite pose is not relayed (A's only pose is one).
    uint8_t bad[NET_POSE_SIZE];
    NetPose p{};
    p.heading = 0.0f / 0.0f;
    net_write_pose(bad, 2, p);
    server_datagram(&h.server, bad, sizeof bad, 0x7F000001, 5002, h.now);
    h.sent.clear();
    for (int k = 0; k < 20; ++k) {
        net_write_pose(bad, (uint32_t)k + 1, p);
        server_datagram(&h.server, bad, sizeof bad, 0x7F000001, 5000, h.now);
        h.run(0.05);
    }
    auto worlds = h.to(5000, NET_WORLD);
    EXPECT_GE(worlds.size(), 19u);  // one for each of A's 20 poses
    EXPECT_LE(worlds.size(), 20u);
    const auto& last = worlds.back().data;
    ASSERT_EQ(last[9], 2);
    ASSERT_EQ(last.size(), 10u + 2 * 35u);
    std::map<int, float> xs;
    for (int e = 0; e < 2; ++e) xs[last[10 + 35 * e]] = net_get_f32(last.data() + 10 + 35 * e + 1);
    EXPECT_EQ(xs[1], 11.0f);
    EXPECT_EQ(xs[2], 22.0f);
    // B sees A? A sent no pose yet: only C.
    EXPECT_EQ(h.to(5001, NET_WORLD).back().data[9], 1);
}

TEST(Server, StrangersAndSilence) {
    Harness h;
    h.hello(5000, "A");
    h.hello(5001, "B");
    h.pose(5000, 1, 0.0f);
    h.sent.clear();
    // Poses, byes and bytes of any kind from an address that never said hello.
    h.pose(7000, 1, 5.0f);
    h.bye(7000);
    uint8_t junk[1500];
    memset(junk, 0xAB, sizeof junk);
    memcpy(junk, "TVN1", 4);
    for (int type = 0; type < 256; ++type) {
        junk[4] = (uint8_t)type;
        for (int n : {0, 4, 5, 6, 7, 43, 58, 59, 1500}) {
            if (type == NET_HELLO && n >= NET_HELLO_SIZE) continue;  // that is a real hello
            server_datagram(&h.server, junk, n, 0x0A000001, 7001, h.now);
        }
    }
    // Nothing goes back to an address that never said hello.
    for (auto& s : h.sent) EXPECT_TRUE(s.port != 7000 && s.port != 7001) << s.port;
    EXPECT_EQ(server_player_count(&h.server), 2);

    // A client cannot speak for another: poses from B's address move B only.
    h.pose(5001, 1, 3.0f);
    h.run(0.1);
    ASSERT_FALSE(h.to(5000, NET_WORLD).empty());
    auto w = h.to(5000, NET_WORLD).back().data;
    ASSERT_GE(w[9], 1);
    EXPECT_EQ(w[10], 1);

    // A keeps talking, B falls silent: B is dropped, told to nobody but A, and
    // receives nothing more.
    for (int s = 0; s < 12; ++s) {
        h.pose(5000, (uint32_t)(s + 1), 1.0f);
        h.run(1.0);
    }
    EXPECT_EQ(h.to(5000, NET_LEFT).size(), 1u);
    h.sent.clear();
    h.pose(5000, 20, 1.0f);
    h.run(2.0);
    EXPECT_TRUE(h.to(5001, NET_WORLD).empty());
    EXPECT_TRUE(h.to(5001, NET_PLAYER).empty());
    EXPECT_FALSE(h.to(5000, NET_WORLD).empty());
    bool silence_logged = false;
    for (auto& line : h.log) silence_logged |= line.find("Joueur 1 parti (silence)") != std::string::npos;
    EXPECT_TRUE(silence_logged);
}

TEST(Server, AForgedHelloGetsItsWelcomeAndNothingMore) {
    Harness h;
    h.hello(5000, "A");
    h.pose(5000, 1, 1.0f);
    // A hello whose source is someone else's address: that address gets the
    // welcome, is never sent the world or the players, and the place frees.
    h.hello(9000, "Faux");
    for (int k = 0; k < 60; ++k) {
        h.pose(5000, (uint32_t)k + 2, 1.0f);
        if (k < 40) h.hello(9000, "Faux");  // hellos alone do not hold the place
        h.run(0.1);
    }
    for (auto& sent : h.sent) {
        if (sent.port == 9000) {
            EXPECT_EQ(net_message_type(sent.data.data(), (int)sent.data.size()), NET_WELCOME);
        }
    }
    EXPECT_EQ(h.to(9000, NET_WORLD).size(), 0u);
    EXPECT_EQ(h.to(5000, NET_LEFT).size(), 0u);  // A never heard of it, nor is told it left
    for (auto& pl : h.to(5000, NET_PLAYER)) EXPECT_NE(pl.data[5], 1) << "A was told of the forged player";
    EXPECT_EQ(server_player_count(&h.server), 1);
    bool dropped = false;
    for (auto& line : h.log) dropped |= line.find("Joueur 1 parti (silence)") != std::string::npos;
    EXPECT_TRUE(dropped);

    // A player that falls quiet is sent nothing after a second of silence,
    // and keeps its place until the silence limit.
    h.sent.clear();
    h.run(3.0);
    EXPECT_LE(h.to(5000, NET_WORLD).size(), 21u);
    h.sent.clear();
    h.run(2.0);
    EXPECT_TRUE(h.to(5000, NET_WORLD).empty());
    EXPECT_EQ(server_player_count(&h.server), 1);
    h.pose(5000, 100, 1.0f);
    h.run(0.2);
    EXPECT_FALSE(h.to(5000, NET_WORLD).empty());
}

namespace {
uint32_t ip(int last) { return 0x7F000000u | (uint32_t)last; }
}  // namespace

// Squatting: hellos alone, re-sent for ever from ten addresses, must not keep
// a real player out; a place a pose has confirmed is never taken.
TEST(Server, HelloSquattersGiveWayAndConfirmedPlacesAreKept) {
    Harness h;
    auto squat = [&] {
        for (int i = 0; i < 10; ++i) h.hello((uint16_t)(6000 + i), "Squatteur", 1, ip(100 + i));
    };
    squat();
    for (int k = 0; k < 16; ++k) {  // 8 s of two hellos a second from each
        h.run(0.5);
        squat();
    }
    EXPECT_EQ(server_player_count(&h.server), 10);
    // Ten real players come one by one and each stays, while the squatters
    // keep hammering.
    uint32_t seq = 0;
    for (int p = 0; p < 10; ++p) {
        h.hello((uint16_t)(5000 + p), "Joueur", 1, ip(2 + p));
        ASSERT_EQ(h.to((uint16_t)(5000 + p), NET_WELCOME).size(), 1u) << "player " << p << " kept out";
        EXPECT_TRUE(h.to((uint16_t)(5000 + p), NET_FULL).empty());
        for (int k = 0; k < 10; ++k) {
            ++seq;
            for (int q = 0; q <= p; ++q) h.pose((uint16_t)(5000 + q), seq, 1.0f, ip(2 + q));
            if (k % 5 == 0) squat();
            h.run(0.05);
        }
    }
    for (int p = 0; p < 10; ++p) {
        EXPECT_EQ(h.to((uint16_t)(5000 + p), NET_WELCOME).size(), 1u) << p;
        EXPECT_TRUE(h.to((uint16_t)(5000 + p), NET_LEFT).empty()) << p;  // no real player was dropped
    }
    // Full of confirmed players: the squatters are told so and take nothing.
    h.sent.clear();
    squat();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(h.to((uint16_t)(6000 + i), NET_FULL).size(), 1u) << i;
        EXPECT_TRUE(h.to((uint16_t)(6000 + i), NET_WELCOME).empty()) << i;
    }
    int real = 0;
    for (const ServerClient& c : h.server.clients) real += c.used && c.confirmed && c.port < 6000;
    EXPECT_EQ(real, 10);
}

// One address holds at most places_per_address places (4 unless set).
TEST(Server, PlacesPerAddressAreCapped) {
    Harness h;
    EXPECT_EQ(h.server.places_per_address, 4);
    for (int i = 0; i < 5; ++i) h.hello((uint16_t)(5000 + i), "Foule", 1, ip(9));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(h.to((uint16_t)(5000 + i), NET_WELCOME).size(), 1u) << i;
    EXPECT_EQ(h.to(5004, NET_FULL).size(), 1u);
    EXPECT_TRUE(h.to(5004, NET_WELCOME).empty());
    EXPECT_EQ(server_player_count(&h.server), 4);
    // Another address is not affected; a freed place can be taken again.
    h.hello(5000, "Autre", 1, ip(10));
    EXPECT_EQ(server_player_count(&h.server), 5);
    h.bye(5000);  // from 127.0.0.1, not ip(9): nothing changes
    EXPECT_EQ(server_player_count(&h.server), 5);
    uint8_t bye[NET_BYE_SIZE];
    net_write_bye(bye);
    h.datagram(bye, sizeof bye, ip(9), 5001);
    h.hello(5004, "Foule", 1, ip(9));
    EXPECT_EQ(h.to(5004, NET_WELCOME).size(), 1u);
    // The setting raises the cap (a household behind one router).
    Harness lan;
    lan.server.places_per_address = 6;
    for (int i = 0; i < 6; ++i) lan.hello((uint16_t)(5000 + i), "Maison", 1, ip(9));
    EXPECT_EQ(server_player_count(&lan.server), 6);
}

// Amplification: one world message per pose received, nothing once silent,
// and no address is sent more than a small multiple of what it sent.
TEST(Server, RepliesStayWithinWhatEachAddressSent) {
    Harness h;
    // Ten players at 20 poses a second get every world message and the roster.
    for (int p = 0; p < 10; ++p) h.hello((uint16_t)(5000 + p), "Joueur", 1, ip(2 + p));
    for (int k = 0; k < 60; ++k) {
        for (int p = 0; p < 10; ++p) h.pose((uint16_t)(5000 + p), (uint32_t)k + 1, (float)k, ip(2 + p));
        if (k % 40 == 39)
            for (int p = 0; p < 10; ++p) h.hello((uint16_t)(5000 + p), "Joueur", 1, ip(2 + p));
        h.run(0.05);
    }
    for (int p = 0; p < 10; ++p) {
        auto worlds = h.to((uint16_t)(5000 + p), NET_WORLD);
        EXPECT_GE(worlds.size(), 59u) << p;
        EXPECT_LE(worlds.size(), 60u) << p;
        EXPECT_EQ(worlds.back().data[9], 9) << p;
        EXPECT_GE(h.to((uint16_t)(5000 + p), NET_PLAYER).size(), 9u * 3u) << p;
    }
    // One more address (a forged hello and pose, say) speaks once and falls
    // silent: one world message at most, not a second of them.
    uint8_t bye[NET_BYE_SIZE];
    net_write_bye(bye);
    h.datagram(bye, sizeof bye, ip(11), 5009);
    h.hello(7000, "Cible", 1, ip(200));
    h.pose(7000, 1, 0.0f, ip(200));
    for (int k = 0; k < 40; ++k) {
        for (int p = 0; p < 9; ++p) h.pose((uint16_t)(5000 + p), (uint32_t)k + 100, (float)k, ip(2 + p));
        h.run(0.05);
    }
    EXPECT_LE(h.to(7000, NET_WORLD).size(), 1u);
    for (auto& [address, out] : h.bytes_out)
        EXPECT_LE(out, SERVER_REPLY_FACTOR * h.bytes_in[address]) << std::hex << address;
}

// Looks: a client that changes them many times a second has at most one
// change a second relayed, and the latest one reaches the others.
TEST(Server, LooksAreRelayedAtMostOnceASecondLatestWins) {
    Harness h;
    h.hello(5000, "A", 1, ip(2));
    h.hello(5001, "B", 1, ip(3));
    h.pose(5000, 1, 0.0f, ip(2));
    h.pose(5001, 1, 0.0f, ip(3));
    h.run(1.5);
    h.sent.clear();
    uint32_t seq = 1;
    for (int k = 0; k < 300; ++k) {  // 3 s, a new level every 10 ms
        h.hello(5001, "B", (uint8_t)(k % 200 + 2), ip(3));
        if (k % 5 == 0) {
            ++seq;
            h.pose(5000, seq, 0.0f, ip(2));
            h.pose(5001, seq, 0.0f, ip(3));
        }
        h.run(0.01);
    }
    h.hello(5001, "B", 250, ip(3));
    for (int k = 0; k < 30; ++k) {
        ++seq;
        h.pose(5000, seq, 0.0f, ip(2));
        h.pose(5001, seq, 0.0f, ip(3));
        h.run(0.05);
    }
    auto about_b = h.to(5000, NET_PLAYER);
    // 4.5 s: one relayed change and one roster repeat a second at most.
    EXPECT_LE(about_b.size(), 10u);
    ASSERT_FALSE(about_b.empty());
    NetIdentity last = net_read_identity(about_b.back().data.data() + 6);
    EXPECT_EQ(last.level, 250);
}

// A pose whose sequence jumps far ahead (a forged one, a restarted game) must
// not freeze the player: a jump beyond a small window restarts the count.
TEST(Server, ASequenceJumpRestartsTheCount) {
    Harness h;
    h.hello(5000, "A");
    h.hello(5001, "B");
    h.pose(5000, 1, 0.0f);
    h.pose(5001, 500, 1.0f);
    h.pose(5001, 500u + 0x7FFFFF00u, 2.0f);  // about 2^31 ahead
    h.pose(5001, 501, 3.0f);
    h.pose(5001, 502, 4.0f);
    h.pose(5001, 501, 5.0f);  // overtaken on the way: still ignored
    h.run(0.05);
    auto worlds = h.to(5000, NET_WORLD);
    ASSERT_FALSE(worlds.empty());
    ASSERT_EQ(worlds.back().data[9], 1);
    EXPECT_EQ(net_get_f32(worlds.back().data.data() + 11), 4.0f);
    // A restart from 1 far below is taken too.
    h.pose(5000, 2, 0.0f);
    h.pose(5001, 1, 6.0f);
    h.run(0.05);
    EXPECT_EQ(net_get_f32(h.to(5000, NET_WORLD).back().data.data() + 11), 6.0f);
}
