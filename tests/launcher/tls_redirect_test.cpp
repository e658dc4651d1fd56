// An https update site that redirects to plain http: the Linux launcher
// must refuse the downgrade (as WinHTTP does), or anyone on the path could
// answer in the clear for the secure address. A small TLS server on
// 127.0.0.1 with a certificate made here, trusted by the launcher for the
// test only.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "launcher/http.h"
#include "launcher/sha256.h"
#include "launcher/status.h"
#include "launcher/update.h"
#include "loopback_server.h"

namespace fs = std::filesystem;

namespace {

// Self-signed P-256 certificate for 127.0.0.1.
struct Certificate {
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    Certificate() {
        key = EVP_EC_gen("P-256");
        cert = X509_new();
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
        X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, (const unsigned char*)"127.0.0.1", -1, -1, 0);
        X509_set_issuer_name(cert, name);
        X509V3_CTX ctx;
        X509V3_set_ctx_nodb(&ctx);
        X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
        for (auto [nid, value] : {std::pair{NID_subject_alt_name, "IP:127.0.0.1"},
                                  std::pair{NID_basic_constraints, "critical,CA:TRUE"}}) {
            X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
            X509_add_ext(cert, ext, -1);
            X509_EXTENSION_free(ext);
        }
        X509_sign(cert, key, EVP_sha256());
    }
    ~Certificate() {
        X509_free(cert);
        EVP_PKEY_free(key);
    }
};

// One answer per path: a body, or a redirection to another address.
class TlsServer {
public:
    explicit TlsServer(const Certificate& c) {
        ctx_ = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate(ctx_, c.cert);
        SSL_CTX_use_PrivateKey(ctx_, c.key);
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, (sockaddr*)&a, sizeof a);
        socklen_t len = sizeof a;
        getsockname(fd_, (sockaddr*)&a, &len);
        port_ = ntohs(a.sin_port);
        listen(fd_, 8);
        thread_ = std::thread([this] { serve(); });
    }
    ~TlsServer() {
        stop_ = true;
        thread_.join();
        close(fd_);
        SSL_CTX_free(ctx_);
    }
    int port() const { return port_; }
    void set(const std::string& path, const std::string& body) { answers_[path] = {200, body}; }
    void redirect(const std::string& path, const std::string& to) { answers_[path] = {302, to}; }

private:
    void serve() {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            int c = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0) continue;
            SSL* ssl = SSL_new(ctx_);
            SSL_set_fd(ssl, c);
            if (SSL_accept(ssl) == 1) answer(ssl);
            SSL_shutdown(ssl);
            SSL_free(ssl);
            close(c);
        }
    }
    void answer(SSL* ssl) {
        std::string in;
        char buf[4096];
        while (in.find("\r\n\r\n") == std::string::npos) {
            const int n = SSL_read(ssl, buf, sizeof buf);
            if (n <= 0) return;
            in.append(buf, (size_t)n);
        }
        const size_t sp1 = in.find(' '), sp2 = in.find(' ', sp1 + 1);
        std::string target = in.substr(sp1 + 1, sp2 - sp1 - 1);
        target = target.substr(0, target.find('?'));
        std::string head, body;
        auto it = answers_.find(target);
        if (it == answers_.end()) {
            head = "HTTP/1.1 404 Introuvable\r\nContent-Length: 0\r\n";
        } else if (it->second.first == 302) {
            head = "HTTP/1.1 302 Ailleurs\r\nLocation: " + it->second.second + "\r\nContent-Length: 0\r\n";
        } else {
            body = it->second.second;
            head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
        }
        head += "Connection: close\r\n\r\n" + body;
        SSL_write(ssl, head.data(), (int)head.size());
    }

    SSL_CTX* ctx_;
    int fd_ = -1, port_ = 0;
    std::atomic<bool> stop_{false};
    std::map<std::string, std::pair<int, std::string>> answers_;  // set before the check runs
    std::thread thread_;
};

std::string digest(const std::string& s) {
    char hex[65];
    sha256_text(s.data(), s.size(), hex);
    return hex;
}

}  // namespace

// Guards: a secure address never continues in the clear.
TEST(SecureSite, RedirectFromHttpsToHttpIsRefused) {
    char tmpl[] = "/tmp/lanceur-tls-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    const fs::path dir = tmpl;
    const Certificate cert;
    {
        FILE* f = fopen((dir / "autorite.pem").c_str(), "w");
        ASSERT_TRUE(f);
        PEM_write_X509(f, cert.cert);
        fclose(f);
    }
    http_trust_only((dir / "autorite.pem").c_str());
    launcher_set_paths((dir / "Tervanne-lanceur").c_str());

    const std::string list = "version 2.0\r\nfichier a.dat 7 " + digest("nouveau") + "\r\n";
    TlsServer secure(cert);
    LoopbackServer plain;
    plain.set("/clair/version.txt", list);
    plain.set("/clair/a.dat", "nouveau");
    const std::string clear = "http://127.0.0.1:" + std::to_string(plain.port()) + "/clair/";
    secure.set("/direct/version.txt", list);
    secure.set("/direct/a.dat", "nouveau");
    secure.redirect("/bas/version.txt", clear + "version.txt");
    secure.redirect("/bas/a.dat", clear + "a.dat");
    const std::string base = "https://127.0.0.1:" + std::to_string(secure.port());

    // The site itself is trusted: served over TLS, the update installs.
    snprintf(launcher_base_address, sizeof launcher_base_address, "%s/direct/", base.c_str());
    launcher_status_reset();
    run_update_check();
    EXPECT_EQ(launcher_status_get().state, STATE_READY);
    EXPECT_TRUE(fs::exists(dir / "a.dat"));

    // Sent on to plain http: nothing is asked there, nothing installed.
    fs::remove(dir / "a.dat");
    fs::remove(dir / "tervanne-version.txt");
    snprintf(launcher_base_address, sizeof launcher_base_address, "%s/bas/", base.c_str());
    launcher_status_reset();
    run_update_check();
    EXPECT_EQ(launcher_status_get().state, STATE_UNREACHABLE);
    EXPECT_TRUE(plain.requests().empty());
    EXPECT_FALSE(fs::exists(dir / "a.dat"));

    http_trust_only(nullptr);
    fs::remove_all(dir);
}
