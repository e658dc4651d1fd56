// The UDP wrappers over the loopback interface.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"

static const uint32_t LOOPBACK = 0x7F000001;

TEST(Udp, SendReceiveOverLoopback) {
    // A plain peer socket on a known port stands for the game server.
    int peer = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(peer, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(LOOPBACK);
    addr.sin_port = 0;
    ASSERT_EQ(bind(peer, (sockaddr*)&addr, sizeof addr), 0);
    socklen_t len = sizeof addr;
    getsockname(peer, (sockaddr*)&addr, &len);
    uint16_t peer_port = ntohs(addr.sin_port);
    timeval tv{2, 0};
    setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);

    EXPECT_FALSE(udp_send(LOOPBACK, peer_port, "x", 1));  // no socket yet
    char buf[64];
    EXPECT_EQ(udp_receive(buf, sizeof buf, nullptr, nullptr), -1);

    ASSERT_TRUE(udp_open());
    ASSERT_TRUE(udp_open());  // already open: still true
    EXPECT_EQ(udp_receive(buf, sizeof buf, nullptr, nullptr), -1);  // empty, never blocks

    ASSERT_TRUE(udp_send(LOOPBACK, peer_port, "TVN1bonjour", 11));
    sockaddr_in from{};
    socklen_t from_len = sizeof from;
    ssize_t got = recvfrom(peer, buf, sizeof buf, 0, (sockaddr*)&from, &from_len);
    ASSERT_EQ(got, 11);
    EXPECT_EQ(memcmp(buf, "TVN1bonjour", 11), 0);

    // Answer to the port the game's socket was bound to.
    ASSERT_EQ(sendto(peer, "TVN1ok", 6, 0, (sockaddr*)&from, from_len), 6);
    uint32_t src = 0;
    uint16_t src_port = 0;
    int n = -1;
    for (int tries = 0; tries < 200 && n < 0; ++tries) {
        n = udp_receive(buf, sizeof buf, &src, &src_port);
        if (n < 0) usleep(5000);
    }
    ASSERT_EQ(n, 6);
    EXPECT_EQ(memcmp(buf, "TVN1ok", 6), 0);
    EXPECT_EQ(src, LOOPBACK);
    EXPECT_EQ(src_port, peer_port);

    // A datagram longer than the buffer is never handed over cut: it is
    // dropped and the next one waiting arrives whole.
    char big[200];
    memset(big, 'g', sizeof big);
    ASSERT_EQ(sendto(peer, big, sizeof big, 0, (sockaddr*)&from, from_len), (ssize_t)sizeof big);
    ASSERT_EQ(sendto(peer, "TVN1fin", 7, 0, (sockaddr*)&from, from_len), 7);
    n = -1;
    for (int tries = 0; tries < 200 && n < 0; ++tries) {
        n = udp_receive(buf, sizeof buf, &src, &src_port);
        if (n < 0) usleep(5000);
    }
    ASSERT_EQ(n, 7);
    EXPECT_EQ(memcmp(buf, "TVN1fin", 7), 0);
    EXPECT_EQ(udp_receive(buf, sizeof buf, &src, &src_port), -1);

    udp_close();
    EXPECT_FALSE(udp_send(LOOPBACK, peer_port, "x", 1));
    ASSERT_TRUE(udp_open());  // may be reopened
    udp_close();
    close(peer);
}

TEST(Udp, ResolveLocalhost) {
    uint32_t a = 0;
    ASSERT_TRUE(udp_resolve("localhost", &a));
    EXPECT_EQ(a >> 24, 127u);
    EXPECT_TRUE(udp_resolve("127.0.0.1", &a));
    EXPECT_EQ(a, LOOPBACK);
    EXPECT_FALSE(udp_resolve("nom-inexistant.invalid", &a));
    EXPECT_FALSE(udp_resolve("", &a));  // no name is no server, not this machine
}
