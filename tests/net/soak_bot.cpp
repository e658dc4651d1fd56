// One soak client: says hello, sends a pose every 50 ms on a schedule shared
// by all the bots (so a receiver knows when each pose left), and counts the
// poses of the others that never arrived or arrived late.
// Usage: soak_bot port seconds epoch [source]   (epoch: CLOCK_REALTIME seconds;
// source: the 127.0.0.x address to send from, since the server caps the
// places one address may hold)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "common/net_packets.h"

static double now_s() {
    timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return (double)t.tv_sec + t.tv_nsec * 1e-9;
}

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) return 2;
    int port = atoi(argv[1]);
    double seconds = atof(argv[2]), epoch = atof(argv[3]);
    const double period = 0.05, late_after = 0.15;
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (argc == 5) {
        sockaddr_in from{};
        from.sin_family = AF_INET;
        if (inet_pton(AF_INET, argv[4], &from.sin_addr) != 1 || bind(fd, (sockaddr*)&from, sizeof from) != 0) {
            fprintf(stderr, "cannot send from %s\n", argv[4]);
            return 2;
        }
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(0x7F000001);
    to.sin_port = htons((uint16_t)port);

    NetIdentity me{};
    snprintf(me.name, sizeof me.name, "Robot %d", (int)getpid() % 1000);
    uint8_t hello[NET_HELLO_SIZE], pose[NET_POSE_SIZE];
    net_write_hello(hello, me);
    int own = -1;
    long first[NET_MAX_PLAYERS], last[NET_MAX_PLAYERS], distinct[NET_MAX_PLAYERS], late = 0, received = 0;
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) first[i] = last[i] = -1, distinct[i] = 0;
    long sent = 0;
    double next_hello = 0.0, end = epoch + seconds;
    while (now_s() < end) {
        double t = now_s();
        if (t >= next_hello) {
            sendto(fd, hello, sizeof hello, 0, (sockaddr*)&to, sizeof to);
            next_hello = t + (own >= 0 ? 2.0 : 0.7);
        }
        long due = (long)((t - epoch) / period);
        while (own >= 0 && sent <= due) {
            NetPose p{};
            p.x = (float)(sent % 4000);
            p.z = (float)(sent / 4000);
            p.y = (float)own;
            p.flags = NET_FLAG_ON_GROUND;
            net_write_pose(pose, (uint32_t)sent + 1, p);
            sendto(fd, pose, sizeof pose, 0, (sockaddr*)&to, sizeof to);
            ++sent;
        }
        if (own < 0) sent = due > 0 ? due : 0;  // the schedule starts when we are in
        pollfd pf{fd, POLLIN, 0};
        poll(&pf, 1, 5);
        uint8_t buf[2048];
        ssize_t n;
        while ((n = recv(fd, buf, sizeof buf, MSG_DONTWAIT)) > 0) {
            int type = net_message_type(buf, (int)n);
            if (type == NET_WELCOME && n >= NET_WELCOME_SIZE && own < 0) own = buf[5];
            if (type != NET_WORLD || n < NET_WORLD_HEADER) continue;
            double arrived = now_s();
            int count = buf[9];
            for (int e = 0; e < count && NET_WORLD_HEADER + (e + 1) * NET_WORLD_ENTRY <= n; ++e) {
                const uint8_t* entry = buf + NET_WORLD_HEADER + e * NET_WORLD_ENTRY;
                int who = entry[0];
                if (who >= NET_MAX_PLAYERS) continue;
                NetPose p = net_read_pose_body(entry + 1);
                long seq = (long)p.x + 4000L * (long)p.z;
                if (seq <= last[who]) continue;  // the same pose again, or an older one
                if (first[who] < 0) first[who] = seq;
                last[who] = seq;
                ++distinct[who];
                ++received;
                if (arrived - (epoch + seq * period) > late_after) ++late;
            }
        }
    }
    uint8_t bye[NET_BYE_SIZE];
    net_write_bye(bye);
    sendto(fd, bye, sizeof bye, 0, (sockaddr*)&to, sizeof to);
    long missing = 0, others = 0;
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
        if (first[i] < 0) continue;
        ++others;
        missing += (last[i] - first[i] + 1) - distinct[i];
    }
    printf("robot %d sent %ld received %ld missing %ld late %ld others %ld\n", own, sent, received, missing, late,
           others);
    return own >= 0 ? 0 : 1;
}
