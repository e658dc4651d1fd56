// A small HTTP/1.1 server on 127.0.0.1 for the launcher tests: fixed
// answers per path, a record of what was asked, and ways to misbehave.
#pragma once
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct LoopbackServer {
    struct Answer {
        int status = 200;
        std::string body;
        long long announced = -1;  // Content-Length to claim, -1: the real one
    };
    struct Request {
        std::string target;  // path and query as sent
        std::string headers;
    };

    LoopbackServer();
    ~LoopbackServer();
    int port() const { return port_; }
    void set(const std::string& path, const std::string& body, int status = 200, long long announced = -1);
    void remove(const std::string& path);
    std::vector<Request> requests();
    // Paths asked, without their query.
    std::vector<std::string> paths();

private:
    void serve();
    void answer(int fd);
    int listen_fd_ = -1;
    int port_ = 0;
    bool stopping_ = false;
    std::mutex lock_;
    std::map<std::string, Answer> answers_;
    std::vector<Request> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
int closed_loopback_port();
