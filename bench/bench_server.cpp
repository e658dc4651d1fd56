// The real tervanne-serveur under attack: ten honest clients from 127.0.0.2
// to 127.0.0.11 speak the game's protocol (they echo the server's challenge,
// send 20 poses a second and a hello every 2 s) while, beside them, ten
// addresses (127.0.0.50..59) send two hellos a second and never a pose, a
// flood of about 200 hellos a second comes from 25 more (127.0.0.100..124),
// and one address (127.0.0.70) cycles hello, pose and bye as fast as it can
// (about 240 cycles a second, from eight ports). Reports whether any honest
// client was refused or dropped, the longest wait for a welcome, the
// arrivals the honest clients were told of, the server's CPU time and
// resident memory window by window, and the bytes sent per byte received
// for honest and hostile addresses.
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

enum Kind { HONEST, SQUATTER, FLOOD, CHURN };

struct Peer {
    int fd = -1;
    Kind kind = HONEST;
    int own = -1;
    uint32_t cookie = 0;
    double next_hello = 0.0;
    long poses = 0, worlds = 0, fulls = 0, welcomes = 0, lefts_of_honest = 0, arrivals_told = 0;
    long bytes_out = 0, bytes_in = 0;  // what it sent, what it received
    bool known[NET_MAX_PLAYERS] = {};
    int others_seen = 0;  // players in its latest world message
    double first_hello = -1.0, first_welcome = -1.0;
};

sockaddr_in server_to;

void send_to_server(Peer& p, const uint8_t* d, int n) {
    sendto(p.fd, d, (size_t)n, 0, (sockaddr*)&server_to, sizeof server_to);
    p.bytes_out += n;
}

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

    server_to.sin_family = AF_INET;
    server_to.sin_addr.s_addr = htonl(0x7F000001);
    server_to.sin_port = htons((uint16_t)port);
    // 10 honest, 10 squatters, 25 flooders, 8 ports of the churning address.
    const int kPeers = 10 + 10 + 25 + 8;
    static Peer peers[kPeers];
    for (int i = 0; i < kPeers; ++i) {
        Peer& p = peers[i];
        uint32_t address;
        if (i < 10) {
            p.kind = HONEST;
            address = 0x7F000002u + (uint32_t)i;
            p.next_hello = now_s() + 3.0;  // the flood and the squatters are at it first
        } else if (i < 20) {
            p.kind = SQUATTER;
            address = 0x7F000032u + (uint32_t)(i - 10);
        } else if (i < 45) {
            p.kind = FLOOD;
            address = 0x7F000064u + (uint32_t)(i - 20);
            p.next_hello = (i - 20) * 0.005;  // spread over the first 125 ms
        } else {
            p.kind = CHURN;
            address = 0x7F000046u;
        }
        p.fd = open_from(address);
        if (p.kind == FLOOD) p.next_hello += now_s();
    }
    NetIdentity id{};
    snprintf(id.name, sizeof id.name, "%s", "Banc");
    uint8_t hello[NET_HELLO_SIZE + NET_COOKIE_SIZE], pose[NET_POSE_SIZE + NET_COOKIE_SIZE];
    uint8_t bye[NET_BYE_SIZE], buf[2048];
    int hello_size = net_write_hello(hello, id);

    const double start = now_s(), end = start + seconds, warm = start + 3.0;
    const double window = seconds >= 60.0 ? 10.0 : seconds > 20.0 ? 5.0 : 2.0;
    double next_sample = warm, cpu_warm = -1.0;
    long rss_warm = -1, rss_peak = 0;
    double next_pose = start, next_churn = start;
    long pose_round = 0, churn_cycles = 0;
    int churn_port = 0;
    printf("tervanne-serveur : 10 clients du jeu à 20 poses/s ; 10 adresses à 2 hellos/s, 25 à 8 hellos/s "
           "(200/s en tout), une adresse qui entre et sort sans cesse ; %.0f s\n", seconds);
    printf("  fenêtre   CPU serveur (ms/s)   mémoire résidente (Kio)\n");
    double last_cpu = cpu_of(pid), last_t = start;
    while (now_s() < end) {
        double t = now_s();
        for (Peer& p : peers) {
            if (p.kind == CHURN || t < p.next_hello) continue;
            if (p.kind == HONEST) {
                send_to_server(p, hello, net_append_cookie(hello, hello_size, p.cookie));
                if (p.first_hello < 0.0) p.first_hello = t;
                p.next_hello = t + (p.own >= 0 ? 2.0 : 0.7);
            } else {
                send_to_server(p, hello, hello_size);
                p.next_hello = t + (p.kind == SQUATTER ? 0.5 : 0.125);
            }
        }
        // The churn: hello, pose and bye, one cycle every 4 ms, ports in turn.
        while (t >= next_churn) {
            Peer& p = peers[45 + churn_port];
            churn_port = (churn_port + 1) % 8;
            send_to_server(p, hello, hello_size);
            NetPose np{};
            send_to_server(p, pose, net_write_pose(pose, (uint32_t)++churn_cycles, np));
            send_to_server(p, bye, net_write_bye(bye));
            next_churn += 0.004;
            if (next_churn < t - 0.1) next_churn = t;
        }
        // Poses on a shared 50 ms schedule, never in a burst to catch up.
        if (t >= next_pose) {
            ++pose_round;
            for (Peer& p : peers) {
                if (p.kind != HONEST || p.own < 0) continue;
                NetPose np{};
                np.x = (float)p.own;
                np.z = (float)(pose_round % 1000);
                np.flags = NET_FLAG_ON_GROUND;
                send_to_server(p, pose,
                               net_append_cookie(pose, net_write_pose(pose, (uint32_t)pose_round, np), p.cookie));
                ++p.poses;
            }
            next_pose += 0.05;
            if (next_pose < t) next_pose = t + 0.05;
        }
        pollfd fds[kPeers];
        for (int i = 0; i < kPeers; ++i) fds[i] = {peers[i].fd, POLLIN, 0};
        poll(fds, kPeers, 1);
        for (Peer& p : peers) {
            ssize_t got;
            while ((got = recv(p.fd, buf, sizeof buf, MSG_DONTWAIT)) > 0) {
                p.bytes_in += got;
                int type = net_message_type(buf, (int)got);
                if (type == NET_CHALLENGE && got >= NET_CHALLENGE_SIZE && p.kind == HONEST) {
                    p.cookie = net_get_u32(buf + 5);
                    p.next_hello = now_s();  // echo it at once
                } else if (type == NET_WELCOME && got >= NET_WELCOME_SIZE) {
                    ++p.welcomes;
                    p.own = buf[5];
                    if (got >= NET_WELCOME_COOKIE_SIZE && p.kind == HONEST) p.cookie = net_get_u32(buf + 7);
                    if (p.first_welcome < 0.0) p.first_welcome = now_s();
                } else if (type == NET_FULL) {
                    ++p.fulls;
                    if (p.kind == HONEST) p.own = -1;
                } else if (type == NET_WORLD && got >= NET_WORLD_HEADER) {
                    ++p.worlds;
                    p.others_seen = buf[9];
                    if (p.kind == HONEST && p.cookie) p.cookie = net_get_u32(buf + 5);
                } else if (type == NET_PLAYER && got >= NET_PLAYER_SIZE && buf[5] < NET_MAX_PLAYERS) {
                    if (!p.known[buf[5]]) ++p.arrivals_told;
                    p.known[buf[5]] = true;
                } else if (type == NET_LEFT && got >= NET_LEFT_SIZE && buf[5] < NET_MAX_PLAYERS) {
                    p.known[buf[5]] = false;
                    for (int r = 0; r < 10; ++r)
                        if (peers[r].own == buf[5]) ++p.lefts_of_honest;
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

    int refused = 0, dropped = 0, blind = 0;
    double longest_wait = 0.0;
    long out[4] = {}, in[4] = {}, welcomes[4] = {}, fulls[4] = {}, told = 0;
    for (Peer& p : peers) {
        out[p.kind] += p.bytes_out;
        in[p.kind] += p.bytes_in;
        welcomes[p.kind] += p.welcomes;
        fulls[p.kind] += p.fulls;
        if (p.kind != HONEST) continue;
        refused += p.fulls > 0 || p.own < 0;
        double wait = p.first_welcome < 0.0 ? seconds : p.first_welcome - p.first_hello;
        if (wait > longest_wait) longest_wait = wait;
        dropped += p.lefts_of_honest > 0;
        blind += p.others_seen != 9;
        if (p.arrivals_told > told) told = p.arrivals_told;
        printf("  client (joueur %d) : %ld poses envoyées, %ld mondes reçus, %d autres dans le dernier, "
               "%ld arrivées annoncées\n", p.own, p.poses, p.worlds, p.others_seen, p.arrivals_told);
    }
    printf("cycles d'entrée et de sortie : %ld\n", churn_cycles);
    const char* names[4] = {"clients du jeu", "squatteurs", "inondation", "va-et-vient"};
    for (int k = 0; k < 4; ++k)
        printf("%-15s : %ld accueils, %ld « complet », %ld octets envoyés, %ld reçus, %.3f octet reçu par octet "
               "envoyé\n", names[k], welcomes[k], fulls[k], out[k], in[k], out[k] ? (double)in[k] / out[k] : 0.0);
    printf("clients du jeu refusés : %d, attente la plus longue avant l'accueil : %.2f s, arrivées annoncées au "
           "plus : %ld\n", refused, longest_wait, told);
    printf("départs de clients du jeu annoncés : %d, clients sans les neuf autres à la fin : %d\n", dropped, blind);
    printf("serveur : %.2f ms de CPU par seconde, mémoire %ld -> %ld Kio (pointe %ld)\n",
           span > 0 ? 1000.0 * (cpu_end - cpu_warm) / span : 0.0, rss_warm, rss_end, rss_peak);
    return refused == 0 && blind == 0 ? 0 : 1;
}
