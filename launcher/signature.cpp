#include "launcher/signature.h"

#include <cstring>

LauncherKey launcher_key;

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The first word of a line and where the rest starts.
size_t line_key(const char* line, size_t n, size_t* key_start) {
    size_t p = 0;
    while (p < n && is_blank(line[p])) p++;
    *key_start = p;
    while (p < n && !is_blank(line[p]) && line[p] != '\r') p++;
    return p - *key_start;
}

// A value made of exactly `digits` hexadecimal digits, alone after the key
// but for blanks and a CR.
bool hex_value_of(const char* line, size_t n, size_t p, size_t digits, uint8_t* out) {
    if (p >= n || !is_blank(line[p])) return false;
    while (p < n && is_blank(line[p])) p++;
    const size_t start = p;
    while (p < n && !is_blank(line[p]) && line[p] != '\r') p++;
    if (p - start != digits || !hex_decode(line + start, digits, out)) return false;
    while (p < n && (is_blank(line[p]) || line[p] == '\r')) p++;
    return p == n;
}

}  // namespace

bool hex_decode(const char* s, size_t n, uint8_t* out) {
    if (n % 2) return false;
    for (size_t i = 0; i < n; i += 2) {
        const int hi = hex_value(s[i]), lo = hex_value(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out[i / 2] = (uint8_t)(hi << 4 | lo);
    }
    return true;
}

void hex_encode(const uint8_t* data, size_t n, char* out) {
    static const char digits[] = "0123456789abcdef";
    for (size_t i = 0; i < n; i++) {
        out[2 * i] = digits[data[i] >> 4];
        out[2 * i + 1] = digits[data[i] & 15];
    }
    out[2 * n] = 0;
}

void config_read_key(const char* data, size_t len, LauncherKey* out) {
    memset(out, 0, sizeof *out);
    if (!data) return;
    size_t i = 0;
    // A byte-order mark left by an editor must not hide a key on the first line.
    if (len >= 3 && memcmp(data, "\xef\xbb\xbf", 3) == 0) i = 3;
    while (i < len) {
        size_t end = i;
        while (end < len && data[end] != '\n') end++;
        size_t key_start;
        const size_t key_len = line_key(data + i, end - i, &key_start);
        if (key_len == 3 && memcmp(data + i + key_start, "cle", 3) == 0) {
            out->present = true;
            out->usable = hex_value_of(data + i, end - i, key_start + 3, 2 * LAUNCHER_KEY_BYTES, out->point) &&
                          out->point[0] == 0x04;
            if (!out->usable) memset(out->point, 0, sizeof out->point);
            return;
        }
        i = end + 1;
    }
}

SignatureLine signature_split(const char* text, size_t len, size_t* signed_len,
                              uint8_t sig[LAUNCHER_SIGNATURE_BYTES]) {
    size_t end = len;
    if (end > 0 && text[end - 1] == '\n') end--;
    size_t start = end;
    while (start > 0 && text[start - 1] != '\n') start--;
    size_t key_start;
    const size_t key_len = line_key(text + start, end - start, &key_start);
    if (key_len != 9 || memcmp(text + start + key_start, "signature", 9) != 0) return SIGNATURE_MISSING;
    if (!hex_value_of(text + start, end - start, key_start + 9, 2 * LAUNCHER_SIGNATURE_BYTES, sig))
        return SIGNATURE_MALFORMED;
    *signed_len = start;
    return SIGNATURE_FOUND;
}

bool description_authentic(const LauncherKey& key, const char* text, size_t len, size_t* use_len) {
    *use_len = len;
    if (!key.present) return true;
    if (!key.usable) return false;
    size_t signed_len = 0;
    uint8_t sig[LAUNCHER_SIGNATURE_BYTES];
    if (signature_split(text, len, &signed_len, sig) != SIGNATURE_FOUND) return false;
    if (!signature_verify(key.point, text, signed_len, sig)) return false;
    // Only what the signature covers is read: nothing can be slipped in after it.
    *use_len = signed_len;
    return true;
}
