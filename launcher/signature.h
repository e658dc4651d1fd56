// Signed version descriptions: the update site's list ends with a line
// "signature HEX" (ECDSA P-256 over SHA-256 of every byte before that line,
// HEX = r||s), checked against the public key named in "lanceur.txt" by
// "cle HEX" (the uncompressed point 04||X||Y). Without a key nothing changes.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int LAUNCHER_KEY_BYTES = 65;
constexpr int LAUNCHER_SIGNATURE_BYTES = 64;
// "lanceur.txt" is read this far when looking for the key, so that a key
// line placed after a long address is never missed.
constexpr size_t LAUNCHER_CONFIG_READ_BYTES = 4096;

// The launcher's address file, which also holds the key.
constexpr char LAUNCHER_CONFIG_FILE[] = "lanceur.txt";

struct LauncherKey {
    bool present;  // a "cle" line was found: every list must be signed
    bool usable;   // ...and it holds a well-formed uncompressed point
    uint8_t point[LAUNCHER_KEY_BYTES];
};

// The key of the launcher's folder, read at start-up.
extern LauncherKey launcher_key;

// Reads the first line whose key is "cle" from the contents of
// "lanceur.txt" (data may be null). A present but unusable key still counts
// as present: such a launcher refuses every list rather than trusting any.
void config_read_key(const char* data, size_t len, LauncherKey* out);

enum SignatureLine {
    SIGNATURE_FOUND,      // signed_len and sig are set
    SIGNATURE_MISSING,    // the last line is not a "signature" line
    SIGNATURE_MALFORMED,  // it is, but not 128 hexadecimal digits
};

// Splits a description into the signed bytes (everything before the start
// of its last line) and the signature that last line carries. A final CR LF
// or LF after the signature is optional.
SignatureLine signature_split(const char* text, size_t len, size_t* signed_len,
                              uint8_t sig[LAUNCHER_SIGNATURE_BYTES]);

// n hexadecimal digits (either case) into n / 2 bytes; false on anything else.
bool hex_decode(const char* s, size_t n, uint8_t* out);
void hex_encode(const uint8_t* data, size_t n, char* out);  // lower case, zero-terminated

// ECDSA P-256 with SHA-256, by the system's cryptography (libcrypto,
// BCrypt). False for a wrong signature, a point off the curve or any failure.
bool signature_verify(const uint8_t key[LAUNCHER_KEY_BYTES], const void* data, size_t len,
                      const uint8_t sig[LAUNCHER_SIGNATURE_BYTES]);

// The check the worker makes on a fetched description: true when it may be
// used, with *use_len the number of bytes to parse (the whole text without
// a key, the signed part with one).
bool description_authentic(const LauncherKey& key, const char* text, size_t len, size_t* use_len);
