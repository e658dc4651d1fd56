// The real tervanne-serveur under squatting: ten clients from 127.0.0.2 to
// 127.0.0.11 send 20 poses a second (hello every 2 s, as the game does) while
// ten more addresses (127.0.0.50 to 127.0.0.59) send two hellos a second and
// never a pose. Reports whether any real client was kept out or dropped, the
// world messages each received, and the server's CPU time and resident memory
// window by window.
// Usage: bench_server [seconds=30] [port=37995]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "common/net_packets.h"

namespace {

double now_s() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + t.tv_nsec * 1e-9;
}

// CPU seconds (user + system) and resident KiB of a process.
double cpu_of(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f) return -1.0;
    char text[1024];
    size_t n = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    text[n] = 0;
    const char* p = strrchr(text, ')');  // the name may hold spaces
    unsigned long utime = 0, stime = 0;
    if (!p || sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2)
        return -1.0;
    return (double)(utime + stime) / (double)sysconf(_SC_CLK_TCK);
}

long rss_of(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f) return -1;
    char line[256];
    long kib = -1;
    while (fgets(line, sizeof line, f))
        if (!strncmp(line, "VmRSS:", 6)) kib = atol(line + 6);
    fclose(f);
    return kib;
}

struct Peer {
    int fd = -1;
    bool real = false;
    int own = -1;
    double next_hello = 0.0;
    long poses = 0, worlds = 0, fulls = 0, welcomes = 0, lefts_of_real = 0;
    int others_seen = 0;  // players in its latest world message
    double first_hello = -1.0, first_welcome = -1.0;
};

int open_from(uint32_t address) {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    if (fd < 0 || bind(fd, (sockaddr*)&a, sizeof a) != 0) {
        fprintf(stderr, "impossible d'envoyer depuis %u.%u.%u.%u\n", address >> 24, (address >> 16) & 255,
                (address >> 8) & 255, address & 255);
        exit(1);
    }
    return fd;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 30.0;
    int port = argc > 2 ? atoi(argv[2]) : 37995;
    if (seconds < 6.0) seconds = 6.0;
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[n > 0 ? n : 0] = 0;
    std::string dir = exe;
    dir = dir.substr(0, dir.rfind('/'));
    std::string server = dir.substr(0, dir.rfind('/')) + "/bin/tervanne-serveur";
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout)) _exit(126);
        execl(server.c_str(), server.c_str(), std::to_string(port).c_str(), (char*)nullptr);
        _exit(127);
    }
    usleep(300000);

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(0x7F000001);
    to.sin_port = htons((uint16_t)port);
    Peer peers[20];
    for (int i = 0; i < 20; ++i) {
        peers[i].real = i < 10;
        peers[i].next_hello = i < 10 ? now_s() + 1.0 : 0.0;  // the squatters fill the server first
        peers[i].fd = open_from(i < 10 ? 0x7F000002u + (uint32_t)i : 0x7F000032u + (uint32_t)(i - 10));
    }
    NetIdentity id{};
    snprintf(id.name, sizeof id.name, "%s", "Banc");
    uint8_t hello[NET_HELLO_SIZE], pose[NET_POSE_SIZE], buf[2048];
    net_write_hello(hello, id);

    const double start = now_s(), end = start + seconds, warm = start + 3.0;
    const double window = seconds >= 60.0 ? 10.0 : seconds > 20.0 ? 5.0 : 2.0;
    double next_sample = warm, cpu_warm = -1.0;
    long rss_warm = -1, rss_peak = 0;
    double next_pose = start;
    long pose_round = 0;
    printf("tervanne-serveur : 10 clients à 20 poses/s, 10 adresses qui n'envoient que des hellos, %.0f s\n",
           seconds);
    printf("  fenêtre   CPU serveur (ms/s)   mémoire résidente (Kio)\n");
    double last_cpu = cpu_of(pid), last_t = start;
    while (now_s() < end) {
        double t = now_s();
        for (Peer& p : peers) {
            if (t < p.next_hello) continue;
            sendto(p.fd, hello, sizeof hello, 0, (sockaddr*)&to, sizeof to);
            if (p.first_hello < 0.0) p.first_hello = t;
            p.next_hello = t + (!p.real ? 0.5 : p.own >= 0 ? 2.0 : 0.7);
        }
        // Poses on a shared 50 ms schedule, never in a burst to catch up.
        if (t >= next_pose) {
            ++pose_round;
            for (Peer& p : peers) {
                if (!p.real || p.own < 0) continue;
                NetPose np{};
                np.x = (float)p.own;
                np.z = (float)(pose_round % 1000);
                np.flags = NET_FLAG_ON_GROUND;
                net_write_pose(pose, (uint32_t)pose_round, np);
                sendto(p.fd, pose, sizeof pose, 0, (sockaddr*)&to, sizeof to);
                ++p.poses;
            }
            next_pose += 0.05;
            if (next_pose < t) next_pose = t + 0.05;
        }
        pollfd fds[20];
        for (int i = 0; i < 20; ++i) fds[i] = {peers[i].fd, POLLIN, 0};
        poll(fds, 20, 2);
        for (Peer& p : peers) {
            ssize_t got;
            while ((got = recv(p.fd, buf, sizeof buf, MSG_DONTWAIT)) > 0) {
                int type = net_message_type(buf, (int)got);
                if (type == NET_WELCOME && got >= NET_WELCOME_SIZE) {
                    ++p.welcomes;
                    p.own = buf[5];
                    if (p.first_welcome < 0.0) p.first_welcome = now_s();
                } else if (type == NET_FULL) {
                    ++p.fulls;
                    p.own = -1;
                } else if (type == NET_WORLD && got >= NET_WORLD_HEADER) {
                    ++p.worlds;
                    p.others_seen = buf[9];
                } else if (type == NET_LEFT && got >= NET_LEFT_SIZE) {
                    for (int r = 0; r < 10; ++r)
                        if (peers[r].own == buf[5]) ++p.lefts_of_real;
                }
            }
        }
        if (t >= next_sample) {
            double cpu = cpu_of(pid);
            long rss = rss_of(pid);
            if (cpu_warm < 0.0) {
                cpu_warm = cpu;
                rss_warm = rss;
            } else {
                printf("  %5.0f s   %8.2f             %ld\n", t - start, 1000.0 * (cpu - last_cpu) / (t - last_t), rss);
            }
            if (rss > rss_peak) rss_peak = rss;
            last_cpu = cpu;
            last_t = t;
            next_sample = t + window;
        }
    }
    double cpu_end = cpu_of(pid);
    long rss_end = rss_of(pid);
    double span = now_s() - warm;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);

    int kept_out = 0, dropped = 0, blind = 0;
    double longest_wait = 0.0;
    long squat_full = 0, squat_welcome = 0;
    for (int i = 0; i < 20; ++i) {
        Peer& p = peers[i];
        if (!p.real) {
            squat_full += p.fulls;
            squat_welcome += p.welcomes;
            continue;
        }
        kept_out += p.fulls > 0 || p.own < 0;
        double wait = p.first_welcome < 0.0 ? seconds : p.first_welcome - p.first_hello;
        if (wait > longest_wait) longest_wait = wait;
        dropped += p.lefts_of_real > 0;
        blind += p.others_seen != 9;
        printf("  client %d (joueur %d) : %ld poses envoyées, %ld mondes reçus, %d autres dans le dernier\n", i,
               p.own, p.poses, p.worlds, p.others_seen);
    }
    printf("squatteurs : %ld accueils, %ld « complet »\n", squat_welcome, squat_full);
    printf("clients refusés (« complet ») au moins une fois : %d, attente la plus longue avant l'accueil : %.2f s\n",
           kept_out, longest_wait);
    printf("départs de vrais clients annoncés : %d, clients sans les neuf autres à la fin : %d\n", dropped, blind);
    printf("serveur : %.2f ms de CPU par seconde, mémoire %ld -> %ld Kio (pointe %ld)\n",
           span > 0 ? 1000.0 * (cpu_end - cpu_warm) / span : 0.0, rss_warm, rss_end, rss_peak);
    return kept_out == 0 && blind == 0 ? 0 : 1;
}
