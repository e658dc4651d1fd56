#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

int bind_loopback(int* port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    bind(fd, (sockaddr*)&a, sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, (sockaddr*)&a, &len);
    *port = ntohs(a.sin_port);
    return fd;
}

void send_all(int fd, const char* p, size_t n) {
    while (n) {
        ssize_t k = send(fd, p, n, MSG_NOSIGNAL);
        if (k <= 0) return;
        p += k;
        n -= (size_t)k;
    }
}

}  // namespace

LoopbackServer::LoopbackServer() {
    listen_fd_ = bind_loopback(&port_);
    listen(listen_fd_, 16);
    thread_ = std::thread([this] { serve(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard<std::mutex> g(lock_);
        stopping_ = true;
    }
    thread_.join();
    close(listen_fd_);
}

void LoopbackServer::set(const std::string& path, const std::string& body, int status, long long announced) {
    std::lock_guard<std::mutex> g(lock_);
    answers_[path] = Answer{status, body, announced};
}

void LoopbackServer::remove(const std::string& path) {
    std::lock_guard<std::mutex> g(lock_);
    answers_.erase(path);
}

std::vector<LoopbackServer::Request> LoopbackServer::requests() {
    std::lock_guard<std::mutex> g(lock_);
    return requests_;
}

std::vector<std::string> LoopbackServer::paths() {
    std::vector<std::string> out;
    for (const Request& r : requests()) out.push_back(r.target.substr(0, r.target.find('?')));
    return out;
}

void LoopbackServer::serve() {
    for (;;) {
        {
            std::lock_guard<std::mutex> g(lock_);
            if (stopping_) return;
        }
        pollfd p{listen_fd_, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        answer(fd);
        close(fd);
    }
}

void LoopbackServer::answer(int fd) {
    std::string in;
    char buf[4096];
    while (in.find("\r\n\r\n") == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0) return;
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return;
        in.append(buf, (size_t)n);
    }
    const size_t sp1 = in.find(' '), sp2 = in.find(' ', sp1 + 1);
    Request req{in.substr(sp1 + 1, sp2 - sp1 - 1), in.substr(0, in.find("\r\n\r\n"))};
    Answer a;
    a.status = 404;
    a.body = "introuvable";
    {
        std::lock_guard<std::mutex> g(lock_);
        requests_.push_back(req);
        auto it = answers_.find(req.target.substr(0, req.target.find('?')));
        if (it != answers_.end()) a = it->second;
    }
    const long long length = a.announced >= 0 ? a.announced : (long long)a.body.size();
    std::string head = "HTTP/1.1 " + std::to_string(a.status) + (a.status == 200 ? " OK" : " Erreur") +
                       "\r\nContent-Length: " + std::to_string(length) +
                       "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
    send_all(fd, head.data(), head.size());
    send_all(fd, a.body.data(), a.body.size());
    shutdown(fd, SHUT_WR);
}

int closed_loopback_port() {
    int port;
    int fd = bind_loopback(&port);
    close(fd);  // bound then released: nothing listens there now
    return port;
}
