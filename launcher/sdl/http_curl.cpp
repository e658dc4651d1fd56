// HTTP GET for the Linux launcher with libcurl; one handle kept for the run
// so that connections are reused, like the Windows session.
#include <curl/curl.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "launcher/http.h"

namespace {

CURL* session;
std::once_flag session_once;
std::string trusted_file;

struct Transfer {
    HttpSink* sink;
    CURL* curl;
    bool refused;
};

size_t on_body(char* data, size_t size, size_t count, void* user) {
    Transfer* t = (Transfer*)user;
    long code = 0;
    curl_easy_getinfo(t->curl, CURLINFO_RESPONSE_CODE, &code);
    // Only a 200 body is kept: a 404 page must never land in a game file.
    if (code != 200 || !http_sink_accept(t->sink, data, size * count)) {
        t->refused = true;
        return 0;
    }
    return size * count;
}

}  // namespace

void http_trust_only(const char* pem_path) { trusted_file = pem_path ? pem_path : ""; }

bool http_get(const char* relative, HttpSink* sink) {
    char url[2048];
    UrlParts parts;
    if (!http_full_url(relative, url, sizeof url) || !url_split(url, &parts)) return false;

    std::call_once(session_once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) == 0) session = curl_easy_init();
    });
    if (!session) return false;

    char target[2600];
    snprintf(target, sizeof target, "%s://%s:%d%s", parts.secure ? "https" : "http", parts.host, parts.port,
             parts.path);

    CURL* c = session;
    curl_easy_reset(c);
    Transfer t{sink, c, false};
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    curl_easy_setopt(c, CURLOPT_URL, target);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Tervanne-lanceur/1.0");
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    // A secure address stays secure: like WinHTTP, a redirection from https
    // to plain http is refused (and the request fails).
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, parts.secure ? "https" : "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(c, CURLOPT_NOPROXY, "127.0.0.1,localhost");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, 20000L);  // name lookup and connection
    // No byte for 30 s ends the transfer, like the receive time-out.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(c, CURLOPT_BUFFERSIZE, 65536L);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, on_body);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
    if (!trusted_file.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, trusted_file.c_str());

    CURLcode rc = curl_easy_perform(c);
    long code = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &code);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    return rc == CURLE_OK && !t.refused && code == 200;
}
