#include "launcher/http.h"

#include <cstring>

#include "launcher/config.h"
#include "launcher/launcher_io.h"
#include "launcher/status.h"

char launcher_base_address[1024];

bool http_sink_accept(HttpSink* s, const void* data, size_t len) {
    if (s->mem) {
        if (s->received + len >= s->capacity) return false;
        memcpy(s->mem + s->received, data, len);
    } else if (s->file) {
        // A body longer than announced is cut short here instead of filling
        // the disk; the digest check would refuse it anyway.
        if (s->received + len > s->limit) return false;
        if (len && !lfs_write(s->file, data, len)) return false;
    } else {
        return false;
    }
    s->received += len;
    if (s->total) {
        float p = (float)((double)(s->done + s->received) / (double)s->total);
        launcher_status_set_progress(p);
        launcher_request_repaint();
    }
    return true;
}

void http_sink_finish(HttpSink* s) {
    if (s->mem && s->received < s->capacity) s->mem[s->received] = 0;
}

bool url_split(const char* url, UrlParts* out) {
    const char* sep = strstr(url, "://");
    if (!sep) return false;
    out->secure = strlen(url) >= 5 && (url[4] == 's' || url[4] == 'S');
    out->port = out->secure ? 443 : 80;
    const char* host = sep + 3;
    size_t n = strcspn(host, "/:");
    if (n == 0 || utf8_utf16_length(host, n) < 0 || utf8_utf16_length(host, n) > 199) return false;
    memcpy(out->host, host, n);
    out->host[n] = 0;
    const char* p = host + n;
    if (*p == ':') {
        p++;
        long port = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9') {
            port = port * 10 + (*p++ - '0');
            if (++digits > 5) return false;
        }
        if (digits == 0 || port < 1 || port > 65535 || (*p && *p != '/')) return false;
        out->port = (int)port;
    }
    out->path = *p ? p : "/";
    return true;
}

bool http_full_url(const char* relative, char* out, size_t cap) {
    size_t a = strlen(launcher_base_address), b = strlen(relative);
    if (a == 0 || a + b + 1 > cap) return false;
    memcpy(out, launcher_base_address, a);
    memcpy(out + a, relative, b + 1);
    const int units = utf8_utf16_length(out, a + b);
    return units >= 0 && units <= 599;
}
