#include "launcher/config.h"

#include <cstring>

const char LAUNCHER_DEFAULT_ADDRESS[] = "https://maj.tervanne.fr/tervanne/";

namespace {

bool is_blank(unsigned char c) { return c == ' ' || c == '\t'; }
bool is_control(unsigned char c) { return c < 0x20 || c == 0x7f; }

// Length of the UTF-8 sequence starting at s[0] and its UTF-16 size; 0 when
// the bytes there do not form a valid character.
int utf8_char(const unsigned char* s, size_t len, int* units) {
    unsigned c = s[0];
    *units = 1;
    if (c < 0x80) return 1;
    int n;
    unsigned cp;
    if (c >= 0xc2 && c <= 0xdf) { n = 2; cp = c & 0x1f; }
    else if (c >= 0xe0 && c <= 0xef) { n = 3; cp = c & 0x0f; }
    else if (c >= 0xf0 && c <= 0xf4) { n = 4; cp = c & 0x07; }
    else return 0;
    if ((size_t)n > len) return 0;
    for (int i = 1; i < n; i++) {
        if ((s[i] & 0xc0) != 0x80) return 0;
        cp = cp << 6 | (s[i] & 0x3f);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10ffff))) return 0;
    if (cp >= 0xd800 && cp <= 0xdfff) return 0;
    *units = (n == 4) ? 2 : 1;
    return n;
}

bool digits_to_u64(const char* s, size_t n, uint64_t* out) {
    uint64_t v = 0;
    for (size_t i = 0; i < n; i++) {
        if (s[i] < '0' || s[i] > '9') return false;
        const uint64_t d = (uint64_t)(s[i] - '0');
        // A size that does not fit 64 bits is refused rather than wrapped.
        if (v > (UINT64_MAX - d) / 10) return false;
        v = v * 10 + d;
    }
    *out = v;
    return n > 0;
}

// Next run of characters other than blanks and tabs, starting at *p.
bool next_token(const char* line, size_t n, size_t* p, const char** tok, size_t* tok_len) {
    while (*p < n && is_blank((unsigned char)line[*p])) (*p)++;
    if (*p >= n) return false;
    *tok = line + *p;
    size_t start = *p;
    while (*p < n && !is_blank((unsigned char)line[*p])) (*p)++;
    *tok_len = *p - start;
    return true;
}

void parse_entry(const char* line, size_t n, size_t p, VersionDesc* out) {
    const char *name, *size, *digest;
    size_t name_len, size_len, digest_len;
    if (!next_token(line, n, &p, &name, &name_len)) return;
    if (!next_token(line, n, &p, &size, &size_len)) return;
    if (!next_token(line, n, &p, &digest, &digest_len)) return;
    if (out->entry_count >= LAUNCHER_MAX_ENTRIES) return;
    if (name_len > 63 || size_len > 23 || digest_len != 64) return;

    FileEntry e{};
    memcpy(e.name, name, name_len);
    e.name[name_len] = 0;
    if (strlen(e.name) != name_len || !file_name_acceptable(e.name)) return;
    if (!digits_to_u64(size, size_len, &e.size)) return;
    for (int i = 0; i < 64; i++) {
        char c = digest[i];
        if (c >= 'A' && c <= 'F') c = (char)(c - 'A' + 'a');
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return;
        e.digest[i] = c;
    }
    e.digest[64] = 0;
    // A file listed twice (Windows ignores case) would share one temporary
    // file and one target: the first listing wins.
    for (int i = 0; i < out->entry_count; i++)
        if (file_names_equal(out->entries[i].name, e.name)) return;
    out->entries[out->entry_count++] = e;
}

void parse_line(const char* line, size_t n, VersionDesc* out) {
    size_t p = 0;
    while (p < n && is_blank((unsigned char)line[p])) p++;
    char key[32];
    size_t k = 0;
    while (p < n && !is_blank((unsigned char)line[p]) && !is_control((unsigned char)line[p])) {
        if (k < 31) key[k++] = line[p];
        p++;
    }
    key[k] = 0;
    if (k == 0 || key[0] == '#') return;

    if (strcmp(key, "version") == 0) {
        while (p < n && is_blank((unsigned char)line[p])) p++;
        size_t start = p;
        while (p < n && !is_blank((unsigned char)line[p]) && !is_control((unsigned char)line[p])) p++;
        size_t keep = utf8_prefix_bytes(line + start, p - start, LAUNCHER_VERSION_BYTES - 1);
        memcpy(out->version, line + start, keep);
        out->version[keep] = 0;
    } else if (strcmp(key, "fichier") == 0) {
        parse_entry(line, n, p, out);
    } else if (strcmp(key, "serie") == 0) {
        // A whole number alone on its line; anything else is not an order.
        const char* value;
        size_t value_len;
        uint64_t serie;
        if (next_token(line, n, &p, &value, &value_len) && digits_to_u64(value, value_len, &serie) &&
            !next_token(line, n, &p, &value, &value_len))
            out->serie = serie;
    } else if (strcmp(key, "note") == 0) {
        if (out->note_count >= LAUNCHER_MAX_NOTES) return;
        while (p < n && is_blank((unsigned char)line[p])) p++;
        // Cut on a character boundary so that a long note stays valid UTF-8.
        size_t keep = utf8_prefix_bytes(line + p, n - p, LAUNCHER_NOTE_BYTES - 1);
        char* dst = out->notes[out->note_count++];
        memcpy(dst, line + p, keep);
        dst[keep] = 0;
    }
}

}  // namespace

int utf8_utf16_length(const char* s, size_t len) {
    const unsigned char* u = (const unsigned char*)s;
    int total = 0;
    size_t i = 0;
    while (i < len) {
        int units;
        int n = utf8_char(u + i, len - i, &units);
        if (n == 0) return -1;
        i += (size_t)n;
        total += units;
    }
    return total;
}

size_t utf8_prefix_bytes(const char* s, size_t len, size_t max_bytes) {
    const unsigned char* u = (const unsigned char*)s;
    size_t i = 0;
    while (i < len) {
        int units;
        int n = utf8_char(u + i, len - i, &units);
        if (n == 0) n = 1;  // a stray byte counts as one character
        if (i + (size_t)n > max_bytes) break;
        i += (size_t)n;
    }
    return i;
}

size_t utf8_prefix_units(const char* s, size_t len, size_t max_units) {
    const unsigned char* u = (const unsigned char*)s;
    size_t i = 0, total = 0;
    while (i < len) {
        int units;
        int n = utf8_char(u + i, len - i, &units);
        if (n == 0) n = 1;
        if (total + (size_t)units > max_units) break;
        total += (size_t)units;
        i += (size_t)n;
    }
    return i;
}

void utf8_copy(char* dst, size_t cap, const char* src) {
    if (cap == 0) return;
    size_t n = utf8_prefix_bytes(src, strlen(src), cap - 1);
    memmove(dst, src, n);
    dst[n] = 0;
}

bool file_names_equal(const char* a, const char* b) {
    for (;; a++, b++) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z') x = (char)(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = (char)(y - 'A' + 'a');
        if (x != y) return false;
        if (!x) return true;
    }
}

namespace {

bool ends_with_nocase(const char* s, size_t n, const char* tail) {
    const size_t t = strlen(tail);
    if (n < t) return false;
    char a[32];
    memcpy(a, s + n - t, t);
    a[t] = 0;
    return file_names_equal(a, tail);
}

// Windows opens a device whatever the folder for these names, with or
// without an extension ("nul.txt", "COM1.log"), and ignores blanks before
// the extension ("con .txt").
bool is_device_name(const char* name) {
    size_t n = 0;
    while (name[n] && name[n] != '.') n++;
    while (n > 0 && name[n - 1] == ' ') n--;
    char base[16] = {};
    if (n == 0 || n >= sizeof base) return false;
    memcpy(base, name, n);
    base[n] = 0;
    static const char* const devices[] = {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"};
    for (const char* d : devices)
        if (file_names_equal(base, d)) return true;
    // COM0-9 and LPT0-9, and the superscript digits ¹ ² ³ that count there too.
    char stem[4] = {base[0], base[1], base[2], 0};
    if (!file_names_equal(stem, "com") && !file_names_equal(stem, "lpt")) return false;
    const unsigned char a = (unsigned char)base[3], b = (unsigned char)base[4];
    if (n == 4 && a >= '0' && a <= '9') return true;
    if (n == 5 && a == 0xc2 && (b == 0xb9 || b == 0xb2 || b == 0xb3)) return true;
    return false;
}

}  // namespace

bool file_name_acceptable(const char* name) {
    if (!name[0] || name[0] == '.') return false;
    const size_t n = strlen(name);
    for (const unsigned char* p = (const unsigned char*)name; *p; p++) {
        // "~" makes 8.3 short names ("TERVAN~1.EXE") that Windows resolves
        // to another file of the folder.
        if (is_control(*p) || strchr("\"*/:<>?\\|~", *p)) return false;
    }
    // Windows drops a trailing dot or blank: "Tervanne-lanceur.exe." is the
    // launcher itself.
    if (name[n - 1] == '.' || name[n - 1] == ' ') return false;
    // The launcher's own working names: "X.telechargement" listed before X
    // would have X's verified download renamed into place under its name.
    if (ends_with_nocase(name, n, ".telechargement") || ends_with_nocase(name, n, ".ancien")) return false;
    return !is_device_name(name);
}

void version_desc_parse(const char* text, size_t len, VersionDesc* out) {
    memset(out, 0, sizeof *out);
    size_t i = 0;
    if (len >= 3 && (unsigned char)text[0] == 0xef && (unsigned char)text[1] == 0xbb &&
        (unsigned char)text[2] == 0xbf)
        i = 3;
    char line[256];
    while (i < len) {
        size_t n = 0;
        while (i < len && text[i] != '\n') {
            char c = text[i++];
            if (c == '\r') continue;
            if (n < 255) line[n++] = c;
        }
        if (i < len) i++;  // the LF
        line[n] = 0;
        parse_line(line, n, out);
    }
}

void config_read_address(const char* data, size_t len, char out[LAUNCHER_ADDRESS_BYTES]) {
    strcpy(out, LAUNCHER_DEFAULT_ADDRESS);
    if (!data) return;
    if (len > 511) len = 511;
    char text[512];
    memcpy(text, data, len);
    text[len] = 0;
    const char* key = strstr(text, "adresse");
    if (!key) return;
    const char* p = key + 7;
    while (*p == ' ' || *p == '\t') p++;
    size_t n = 0;
    while (p[n] && p[n] != ' ' && p[n] != '\r' && p[n] != '\n' && n < 280) n++;
    if (n < 9) return;
    char value[300];
    memcpy(value, p, n);
    if (value[n - 1] != '/') value[n++] = '/';
    value[n] = 0;
    const int units = utf8_utf16_length(value, n);
    if (units < 0 || units > 300) {
        out[0] = 0;  // unusable address: every request fails
        return;
    }
    memcpy(out, value, n + 1);
}

void config_read_installed(const char* data, size_t len, char out[LAUNCHER_INSTALLED_BYTES]) {
    out[0] = 0;
    if (!data) return;
    if (len > 63) len = 63;
    size_t n = 0;
    while (n < len && data[n] != '\r' && data[n] != '\n' && data[n] != 0) n++;
    if (utf8_utf16_length(data, n) < 0) return;
    memcpy(out, data, n);
    out[n] = 0;
}

uint64_t config_read_serie(const char* data, size_t len) {
    if (!data) return 0;
    for (size_t i = 0; i < len;) {
        size_t end = i;
        while (end < len && data[end] != '\n' && data[end] != '\r') end++;
        uint64_t serie;
        if (end - i > 6 && memcmp(data + i, "serie ", 6) == 0 && digits_to_u64(data + i + 6, end - i - 6, &serie))
            return serie;
        i = end + 1;
    }
    return 0;
}
