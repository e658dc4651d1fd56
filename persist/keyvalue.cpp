// Key-value lines: finding keys, reading numbers and texts, building files,
// and writing them through a temporary file.
#include "persist/keyvalue.h"

#include <cassert>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

const char* kv_find(const char* text, const char* key) {
    if (!text || !key || !key[0]) return nullptr;
    size_t n = std::strlen(key);
    const char* p = text;
    while (*p) {
        if (std::strncmp(p, key, n) == 0 && p[n] == ' ') return p + n + 1;
        const char* lf = std::strchr(p, '\n');
        if (!lf) break;
        p = lf + 1;
    }
    return nullptr;
}

int kv_int(const char* text, const char* key, int def, bool* found) {
    if (found) *found = false;
    const char* p = kv_find(text, key);
    if (!p) return def;
    while (*p == ' ') ++p;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    int digits = 0, value = 0;
    while (digits < 9 && *p >= '0' && *p <= '9') {
        value = value * 10 + (*p - '0');
        ++p;
        ++digits;
    }
    if (digits == 0) return def;
    if (found) *found = true;
    return negative ? -value : value;
}

void kv_copy_utf8(char* out, int capacity, const char* src, int length) {
    assert(out && capacity > 0);
    if (!out || capacity <= 0) return;
    int n = length < capacity - 1 ? length : capacity - 1;
    if (n < 0) n = 0;
    // A cut in the middle of a sequence backs up to its lead byte.
    if (n < length) {
        while (n > 0 && ((unsigned char)src[n] & 0xC0) == 0x80) --n;
    }
    if (n > 0) std::memcpy(out, src, (size_t)n);
    out[n] = 0;
}

bool kv_text(const char* text, const char* key, char* out, int capacity) {
    if (out && capacity > 0) out[0] = 0;
    const char* p = kv_find(text, key);
    if (!p) return false;
    int n = 0;
    while (p[n] && p[n] != '\n' && p[n] != '\r') ++n;
    kv_copy_utf8(out, capacity, p, n);
    return true;
}

void kv_begin(KvWriter& w, char* buffer, int capacity) {
    w.buffer = buffer;
    w.capacity = capacity;
    w.used = 0;
    w.overflow = false;
    assert(buffer && capacity > 0);
    if (capacity > 0) buffer[0] = 0;
}

void kv_printf(KvWriter& w, const char* fmt, ...) {
    if (w.capacity <= 0) return;
    va_list args;
    va_start(args, fmt);
    int room = w.capacity - w.used;
    int n = std::vsnprintf(w.buffer + w.used, (size_t)room, fmt, args);
    va_end(args);
    if (n < 0 || n >= room) {
        w.buffer[w.used] = 0;
        w.overflow = true;
        return;
    }
    w.used += n;
}

void kv_line(KvWriter& w, const char* key, int value) { kv_printf(w, "%s %d\r\n", key, value); }

static const KvFileCalls platform_files = {plat_read_file, plat_write_file, plat_replace_file, plat_file_busy};
static const KvFileCalls* files = &platform_files;
static KvFileWriter file_writer = nullptr;
static bool last_write_busy = false;

const KvFileCalls& kv_files() { return *files; }
void kv_set_file_calls(const KvFileCalls* calls) { files = calls ? calls : &platform_files; }
void kv_set_file_writer(KvFileWriter writer) { file_writer = writer; }
bool kv_write_busy() { return last_write_busy; }

bool kv_write_file(const char* name, const char* data, int length) {
    last_write_busy = false;
    char temp[96];
    int n = std::snprintf(temp, sizeof temp, "%s.tmp", name);
    if (n <= 0 || n >= (int)sizeof temp) return false;
    KvFileWriter write = file_writer ? file_writer : files->write;
    bool ok = write(temp, data, length) && files->replace(temp, name);
    if (!ok) last_write_busy = files->busy();
    return ok;
}
