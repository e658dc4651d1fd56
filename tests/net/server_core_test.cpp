// The server's rules without sockets: numbers, welcome and full, what each
// client is sent, time-outs, and what strangers get back.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "common/net_packets.h"
#include "server/server_core.h"

namespace {

struct Sent {
    uint32_t address;
    uint16_t port;
    std::vector<uint8_t> data;
    double at;
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
            ((Harness*)c)->sent.push_back({a, p, std::vector<uint8_t>(d, d + n), ((Harness*)c)->now});
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
    std::vector<Sent> to_at(uint32_t ip, uint16_t port, int type) const {
        std::vector<Sent> out;
        for (auto& s : sent)
            if (s.address == ip && s.port == port && net_message_type(s.data.data(), (int)s.data.size()) == type)
                out.push_back(s);
        return out;
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
    EXPECT_GE(h.to(5000, NET_LEFT).size(), 1u);
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
        // Its hello again every 0.7 s until it is welcomed, as the game does:
        // a place the squatters took a moment ago is not given away at once.
        for (int k = 0; k < 60 && h.to((uint16_t)(5000 + p), NET_WELCOME).empty(); ++k) {
            if (k % 14 == 0) h.hello((uint16_t)(5000 + p), "Joueur", 1, ip(2 + p));
            ++seq;
            for (int q = 0; q < p; ++q) h.pose((uint16_t)(5000 + q), seq, 1.0f, ip(2 + q));
            if (k % 5 == 0) squat();
            h.run(0.05);
        }
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

namespace {

// A client of our protocol: every hello, pose and bye ends with the number
// the server last gave it (0 before it has one).
struct Ours {
    Harness& h;
    uint32_t ip;
    uint16_t port;
    uint32_t cookie = 0;
    size_t read = 0;  // h.sent entries already looked at
    uint32_t seq = 0;

    // Takes the number from the replies that carry one.
    void learn() {
        for (; read < h.sent.size(); ++read) {
            const Sent& m = h.sent[read];
            if (m.address != ip || m.port != port) continue;
            int type = net_message_type(m.data.data(), (int)m.data.size());
            if (type == NET_CHALLENGE && m.data.size() >= 9) cookie = net_get_u32(m.data.data() + 5);
            if (type == NET_WELCOME && m.data.size() >= 11) cookie = net_get_u32(m.data.data() + 7);
            if (type == NET_WORLD && cookie) cookie = net_get_u32(m.data.data() + 5);
        }
    }
    void send(uint8_t* d, int n) {
        learn();
        net_put_u32(d + n, cookie);
        h.datagram(d, n + 4, ip, port);
    }
    void hello(const char* name) {
        NetIdentity id{};
        snprintf(id.name, sizeof id.name, "%s", name);
        uint8_t d[NET_HELLO_SIZE + 4];
        send(d, net_write_hello(d, id));
    }
    // Hello, challenge, hello again: what the game does when it connects.
    void join(const char* name) {
        hello(name);
        hello(name);
    }
    void pose(float x) {
        NetPose p{};
        p.x = x;
        uint8_t d[NET_POSE_SIZE + 4];
        send(d, net_write_pose(d, ++seq, p));
    }
    void bye() {
        uint8_t d[NET_BYE_SIZE + 4];
        send(d, net_write_bye(d));
    }
    int number() const {
        auto w = h.to_at(ip, port, NET_WELCOME);
        return w.empty() ? -1 : w.back().data[5];
    }
};

// What `to` was last told of player `who`: its x in the latest world
// message, and its name in the latest player message.
float last_x_of(const Harness& h, uint16_t to, int who) {
    auto worlds = h.to(to, NET_WORLD);
    for (auto it = worlds.rbegin(); it != worlds.rend(); ++it)
        for (int e = 0; e < it->data[9]; ++e)
            if (it->data[10 + 35 * e] == who) return net_get_f32(it->data.data() + 10 + 35 * e + 1);
    return -1.0f;
}
std::string last_name_of(const Harness& h, uint16_t to, int who) {
    std::string name;
    for (auto& m : h.to(to, NET_PLAYER))
        if (m.data[5] == who) name = std::string((const char*)m.data.data() + 6);
    return name;
}

}  // namespace

// Datagrams forged with a player's source address and port, but without the
// number the server sent there, neither end, move nor rename the player; a
// hello that never hears its challenge takes no place at all.
TEST(Server, OnlyTheEchoedNumberSpeaksForAPlayer) {
    Harness h;
    Ours a{h, ip(2), 5000}, b{h, ip(3), 5001};
    a.join("Arthur");
    b.join("Perceval");
    auto challenges = h.to_at(ip(3), 5001, NET_CHALLENGE);
    EXPECT_EQ(challenges.size(), 1u);
    for (auto& c : challenges) EXPECT_EQ(c.data.size(), 9u);
    ASSERT_GE(b.number(), 0);
    int who = b.number();
    for (int k = 0; k < 10; ++k) {
        a.pose(1.0f);
        b.pose(2.0f);
        h.run(0.05);
    }
    EXPECT_EQ(last_x_of(h, 5000, who), 2.0f);
    EXPECT_EQ(last_name_of(h, 5000, who), "Perceval");

    // Bare datagrams and datagrams with a wrong number, from b's address.
    NetIdentity fake{};
    snprintf(fake.name, sizeof fake.name, "%s", "Usurpateur");
    uint8_t d[NET_HELLO_SIZE + 4];
    NetPose far{};
    far.x = 999.0f;
    for (uint32_t wrong : {0u, 1u, 0xdeadbeefu}) {
        for (bool trailer : {false, true}) {
            int n = net_write_hello(d, fake);
            if (trailer) n = net_append_cookie(d, n, wrong);
            h.datagram(d, n, ip(3), 5001);
            n = net_write_pose(d, 1000 + wrong % 7, far);
            if (trailer) n = net_append_cookie(d, n, wrong);
            h.datagram(d, n, ip(3), 5001);
            n = net_write_bye(d);
            if (trailer) n = net_append_cookie(d, n, wrong);
            h.datagram(d, n, ip(3), 5001);
        }
        for (int k = 0; k < 30; ++k) {
            a.pose(1.0f);
            b.pose(2.0f);
            h.run(0.05);
        }
    }
    EXPECT_EQ(server_player_count(&h.server), 2);
    EXPECT_TRUE(h.to(5000, NET_LEFT).empty());
    EXPECT_EQ(b.number(), who);
    EXPECT_EQ(last_x_of(h, 5000, who), 2.0f);
    EXPECT_EQ(last_name_of(h, 5000, who), "Perceval");

    // Hellos with numbers that were never sent there take no place.
    for (int i = 0; i < 40; ++i) {
        int n = net_append_cookie(d, net_write_hello(d, fake), (uint32_t)i);
        h.datagram(d, n, ip(100 + i), (uint16_t)(7000 + i));
    }
    EXPECT_EQ(server_player_count(&h.server), 2);
    for (int i = 0; i < 40; ++i) {
        EXPECT_TRUE(h.to_at(ip(100 + i), (uint16_t)(7000 + i), NET_WELCOME).empty());
        EXPECT_LE(h.bytes_out[ip(100 + i)], h.bytes_in[ip(100 + i)]);
    }

    // The key turns over; the numbers in the world messages follow it, and
    // b's own bye still ends its session.
    for (int k = 0; k < 3000; ++k) {  // 150 s
        a.pose(1.0f);
        b.pose(3.0f);
        if (k % 40 == 0) {
            a.hello("Arthur");
            b.hello("Perceval");
        }
        h.run(0.05);
    }
    EXPECT_EQ(server_player_count(&h.server), 2);
    EXPECT_EQ(last_x_of(h, 5000, who), 3.0f);
    b.bye();
    EXPECT_EQ(server_player_count(&h.server), 1);
    EXPECT_EQ(h.to(5000, NET_LEFT).size(), 1u);
}

namespace {

// A game 300 ms of round trip away: what it sends arrives 150 ms later, what
// the server sends it is read 150 ms later. Hellos every 0.7 s until welcomed
// (at once after a challenge), then every 2 s; poses every 50 ms from 100 ms
// after its welcome. `ours` echoes the server's number; otherwise it speaks
// the bare protocol.
struct FarGame {
    Harness& h;
    uint32_t ip;
    uint16_t port;
    bool ours;
    std::vector<std::pair<double, std::vector<uint8_t>>> outbox;
    size_t read = 0;
    uint32_t cookie = 0, seq = 0;
    double welcomed_at = -1.0, next_hello = 0.0, next_pose = 0.0;
    std::set<int> numbers;  // every number it was welcomed under
    long worlds = 0;

    FarGame(Harness& harness, uint32_t a, uint16_t p, bool echoes) : h(harness), ip(a), port(p), ours(echoes) {}

    void post(uint8_t* d, int n) {
        if (ours) n = net_append_cookie(d, n, cookie);
        outbox.push_back({h.now + 0.15, std::vector<uint8_t>(d, d + n)});
    }
    void step() {
        for (auto& [at, d] : outbox)
            if (at <= h.now && !d.empty()) {
                h.datagram(d.data(), (int)d.size(), ip, port);
                d.clear();
            }
        for (; read < h.sent.size() && h.sent[read].at + 0.15 <= h.now; ++read) {
            const Sent& m = h.sent[read];
            if (m.address != ip || m.port != port) continue;
            int type = net_message_type(m.data.data(), (int)m.data.size());
            if (type == NET_CHALLENGE && ours) {
                cookie = net_get_u32(m.data.data() + 5);
                next_hello = h.now;
            }
            if (type == NET_WELCOME) {
                if (ours && m.data.size() >= 11) cookie = net_get_u32(m.data.data() + 7);
                numbers.insert(m.data[5]);
                if (welcomed_at < 0.0) {
                    welcomed_at = h.now;
                    next_pose = h.now + 0.1;
                }
            }
            if (type == NET_WORLD) ++worlds;
        }
        uint8_t d[NET_HELLO_SIZE + 4];
        if (h.now >= next_hello) {
            NetIdentity id{};
            snprintf(id.name, sizeof id.name, "%s", "Nouveau");
            post(d, net_write_hello(d, id));
            next_hello = h.now + (welcomed_at < 0.0 ? 0.7 : 2.0);
        }
        if (welcomed_at >= 0.0 && h.now >= next_pose) {
            post(d, net_write_pose(d, ++seq, NetPose{}));
            next_pose += 0.05;
        }
    }
};

}  // namespace

// About 200 hellos a second from 25 addresses that never pose: a newcomer
// 300 ms away gets in under one number, is announced, and stays, whether it
// echoes the server's number or speaks the bare protocol.
TEST(Server, ANewcomerGetsInUnderAHelloFlood) {
    for (bool ours : {true, false}) {
        SCOPED_TRACE(ours ? "our protocol" : "bare protocol");
        Harness h;
        Ours watcher{h, ip(2), 5000};
        watcher.join("Témoin");
        watcher.pose(0.0f);
        FarGame joiner(h, ip(3), 5001, ours);
        int flood = 0;
        double start = h.now;
        for (int k = 0; h.now - start < 14.0; ++k) {  // steps of 5 ms
            NetIdentity id{};
            snprintf(id.name, sizeof id.name, "%s", "Squatteur");
            uint8_t d[NET_HELLO_SIZE];
            net_write_hello(d, id);
            h.datagram(d, sizeof d, ip(100 + flood % 25), (uint16_t)(6000 + flood % 25));
            ++flood;
            if (h.now - start >= 3.0) joiner.step();  // the flood is well under way
            if (k % 10 == 0) watcher.pose(0.0f);
            if (k % 400 == 0) watcher.hello("Témoin");
            h.now += 0.005;
            server_tick(&h.server, h.now);
        }
        ASSERT_GE(joiner.welcomed_at, 0.0) << "never welcomed";
        EXPECT_LT(joiner.welcomed_at - start, 3.0 + 3.0);
        ASSERT_EQ(joiner.numbers.size(), 1u) << "welcomed under several numbers";
        int who = *joiner.numbers.begin();
        EXPECT_EQ(last_name_of(h, 5000, who), "Nouveau") << "never announced";
        EXPECT_GT(joiner.worlds, 100);
        int lefts = 0;
        for (auto& m : h.to(5000, NET_LEFT)) lefts += m.data[5] == who;
        EXPECT_EQ(lefts, 0);
        EXPECT_EQ(last_x_of(h, 5000, who), 0.0f);
        int confirmed = 0;
        for (const ServerClient& c : h.server.clients) confirmed += c.used && c.confirmed;
        EXPECT_EQ(confirmed, 2);  // the squatters never got further than a welcome
    }
}

namespace {

// Newcomers `to` was told of: player messages for a number it did not know
// (never heard of, or said to have left since).
int arrivals_told(const Harness& h, uint16_t to) {
    std::set<int> known;
    int arrivals = 0;
    for (auto& m : h.sent) {
        if (m.port != to) continue;
        int type = net_message_type(m.data.data(), (int)m.data.size());
        if (type == NET_PLAYER && known.insert(m.data[5]).second) ++arrivals;
        if (type == NET_LEFT) known.erase(m.data[5]);
    }
    return arrivals;
}

}  // namespace

// Churn: hello, pose and bye again and again (475 times in 2 s) is announced
// to the others only a few times, from one address and from many; a
// newcomer beyond the limit is let in once the window has passed.
TEST(Server, ArrivalsAreBoundedPerAddressAndOverall) {
    for (bool ours : {true, false}) {
        SCOPED_TRACE(ours ? "our protocol" : "bare protocol");
        Harness h;
        Ours watcher{h, ip(2), 5000};
        watcher.join("Témoin");
        watcher.pose(0.0f);
        auto cycle = [&](uint32_t from, uint16_t port) {
            if (ours) {
                Ours c{h, from, port};
                c.join("Va-et-vient");
                c.pose(1.0f);
                c.bye();
            } else {
                h.hello(port, "Va-et-vient", 1, from);
                h.pose(port, 1, 1.0f, from);
                uint8_t bye[NET_BYE_SIZE];
                h.datagram(bye, net_write_bye(bye), from, port);
            }
        };
        auto pass = [&](double seconds) {
            h.now += seconds;
            server_tick(&h.server, h.now);
            watcher.pose(0.0f);
        };
        for (int k = 0; k < 475; ++k) {  // one address, 2 s
            cycle(ip(9), (uint16_t)(7000 + k));
            pass(2.0 / 475);
        }
        int one_address = arrivals_told(h, 5000) - 0;
        EXPECT_LE(one_address, SERVER_PLACES_PER_ADDRESS);
        EXPECT_GE(one_address, 1);
        for (int k = 0; k < 400; ++k) {  // keep the watcher heard, let the window pass
            if (k % 40 == 0) watcher.hello("Témoin");
            pass(0.05);
        }
        h.sent.clear();
        for (int k = 0; k < 500; ++k) {  // fifty addresses, 2 s
            cycle(ip(20 + k % 50), (uint16_t)(8000 + k));
            pass(2.0 / 500);
        }
        int overall = arrivals_told(h, 5000);
        EXPECT_LE(overall, SERVER_ARRIVALS_MAX);
        EXPECT_GE(overall, SERVER_ARRIVALS_MAX / 2);
        for (int k = 0; k < 400; ++k) {
            if (k % 40 == 0) watcher.hello("Témoin");
            pass(0.05);
        }
        // A player who comes now gets in and is announced.
        h.sent.clear();
        if (ours) {
            Ours late{h, ip(90), 9000};
            late.join("Tardif");
            late.pose(1.0f);
        } else {
            h.hello(9000, "Tardif", 1, ip(90));
            h.pose(9000, 1, 1.0f, ip(90));
        }
        pass(0.05);
        EXPECT_EQ(arrivals_told(h, 5000), 1);
    }
}

// A name is passed on as text: valid UTF-8 and no control characters, what
// is neither replaced, the end cut at a whole character, nothing after it.
TEST(Server, NamesArePassedOnAsText) {
    const std::pair<std::string, std::string> cases[] = {
        {"Guenièvre", "Guenièvre"},
        {"Lance\nlot", "Lance?lot"},
        {"\x1b[31mRouge\t", "?[31mRouge?"},
        {"\xff\xfe" "A", "??A"},
        {"\xc0\xaf" "B", "??B"},             // an overlong '/'
        {"C\xc2\x85" "D", "C??D"},           // a C1 control (NEL)
        {"\xed\xa0\x80", "???"},            // a UTF-16 half
        {std::string(21, 'a') + "é", std::string(21, 'a') + "é"},
        {std::string(22, 'a') + "é", std::string(22, 'a') + "?"},  // cut inside the letter
        {std::string(20, 'a') + "\xe2\x82\xac", std::string(20, 'a') + "€"},
    };
    Harness h;
    h.server.places_per_address = NET_MAX_PLAYERS;
    h.hello(5000, "Témoin");
    uint32_t seq = 1;
    h.pose(5000, seq++, 0.0f);
    int n = 0;
    for (auto& [sent, shown] : cases) {
        NetIdentity id{};
        uint8_t d[NET_HELLO_SIZE];
        net_write_hello(d, id);
        memcpy(d + 5, sent.data(), std::min<size_t>(sent.size(), 24));
        if (sent == "Guenièvre") memcpy(d + 5 + sent.size() + 1, "reste", 5);  // bytes after the end
        uint16_t port = (uint16_t)(5100 + n++);
        h.sent.clear();
        h.datagram(d, sizeof d, kLoopback, port);
        h.pose(port, 1, 0.0f);
        h.run(0.05);
        ASSERT_EQ(h.to(port, NET_WELCOME).size(), 1u);
        int who = h.to(port, NET_WELCOME)[0].data[5];
        std::vector<uint8_t> told;
        for (auto& m : h.to(5000, NET_PLAYER))
            if (m.data[5] == who) told = m.data;
        ASSERT_EQ(told.size(), 60u);
        const uint8_t* name = told.data() + 6;
        EXPECT_EQ(std::string((const char*)name, strnlen((const char*)name, 24)), shown);
        for (size_t k = strnlen((const char*)name, 24); k < 24; ++k) EXPECT_EQ(name[k], 0) << k;
        uint8_t bye[NET_BYE_SIZE];
        h.datagram(bye, net_write_bye(bye), kLoopback, port);
        for (int k = 0; k < 60; ++k) {  // past the arrival limit, the watcher heard
            h.pose(5000, seq++, 0.0f);
            h.run(0.05);
        }
    }
}

// "left" is said again for a few seconds (a datagram gets lost), and no more
// once the number is someone else's.
TEST(Server, LeftIsRepeatedUntilTheNumberIsTakenAgain) {
    Harness h;
    Ours watcher{h, ip(2), 5000}, gone{h, ip(3), 5001};
    watcher.join("Témoin");
    gone.join("Parti");
    watcher.pose(0.0f);
    gone.pose(0.0f);
    int who = gone.number();
    ASSERT_GE(who, 0);
    h.sent.clear();
    gone.bye();
    for (int k = 0; k < 120; ++k) {  // 6 s
        watcher.pose(0.0f);
        h.run(0.05);
    }
    int lefts = 0;
    for (auto& m : h.to(5000, NET_LEFT)) lefts += m.data[5] == who;
    EXPECT_GE(lefts, 3);
    EXPECT_LE(lefts, 6);

    // Left again, then the number is taken: no "left" after the newcomer's arrival.
    Ours again{h, ip(4), 5002};
    again.join("Revenant");
    again.pose(0.0f);
    ASSERT_EQ(again.number(), who);
    again.bye();
    watcher.pose(0.0f);
    h.run(0.5);
    Ours next{h, ip(5), 5003};
    next.join("Suivant");
    next.pose(0.0f);
    ASSERT_EQ(next.number(), who);
    h.sent.clear();
    for (int k = 0; k < 100; ++k) {
        watcher.pose(0.0f);
        next.pose(0.0f);
        h.run(0.05);
    }
    EXPECT_TRUE(h.to(5000, NET_LEFT).empty());
    EXPECT_EQ(last_name_of(h, 5000, who), "Suivant");
}

// A game whose look editor holds its poses back (hellos every 2 s go on) is
// still sent the world at the server's rate and sees the others move; a
// bare client is sent one world message per pose, as before.
TEST(Server, AProvenGameIsFedWhileItsPosesPause) {
    Harness h;
    Ours editing{h, ip(2), 5000}, walker{h, ip(3), 5001};
    editing.join("Viviane");
    walker.join("Merlin");
    editing.pose(0.0f);
    int who = walker.number();
    float x = 0.0f;
    for (int k = 0; k < 400; ++k) {  // 20 s in the look editor
        if (k % 80 == 0) editing.hello("Viviane");  // every 2 s, and one in two lost
        walker.pose(x += 0.1f);
        if (k == 200) h.sent.clear();
        h.run(0.05);
    }
    EXPECT_GE(h.to(5000, NET_WORLD).size(), 190u);
    EXPECT_NEAR(last_x_of(h, 5000, who), x, 0.11f);
    EXPECT_EQ(server_player_count(&h.server), 2);
}
