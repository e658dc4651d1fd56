// The launcher's small text formats: its address file, the installed-version
// file and the version description published by the update site.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int LAUNCHER_MAX_ENTRIES = 32;
constexpr int LAUNCHER_MAX_NOTES = 8;
constexpr int LAUNCHER_NOTE_BYTES = 160;     // 159 bytes + zero
constexpr int LAUNCHER_VERSION_BYTES = 32;   // 31 + zero
constexpr int LAUNCHER_NAME_BYTES = 64;      // 63 + zero
constexpr int LAUNCHER_ADDRESS_BYTES = 1024; // 300 UTF-16 units fit in 900 UTF-8 bytes
constexpr int LAUNCHER_INSTALLED_BYTES = 64; // 63 bytes read
constexpr size_t VERSION_DESC_CAPACITY = 32768;

extern const char LAUNCHER_DEFAULT_ADDRESS[];

struct FileEntry {
    char name[LAUNCHER_NAME_BYTES];
    uint64_t size;
    char digest[65];
    bool needs_download;
};

struct VersionDesc {
    char version[LAUNCHER_VERSION_BYTES];  // empty when no "version" line
    FileEntry entries[LAUNCHER_MAX_ENTRIES];
    int entry_count;
    char notes[LAUNCHER_MAX_NOTES][LAUNCHER_NOTE_BYTES];
    int note_count;
    uint64_t serie;  // "serie N": the order of signed lists, 0 without one
};

// Parses the version description (at most len bytes, need not be
// zero-terminated); every earlier content of out is discarded.
void version_desc_parse(const char* text, size_t len, VersionDesc* out);

// True when NAME may be written in the launcher's folder and means the same
// file on every system: not empty, no leading full stop, no control
// character, none of " * / : < > ? \ | ~, no trailing full stop or blank, not
// ending with ".telechargement" or ".ancien", not a Windows device name (CON,
// PRN, AUX, NUL, COM0-9, LPT0-9, with or without an extension, any case).
bool file_name_acceptable(const char* name);
// Two file names compared without regard to the case of A-Z.
bool file_names_equal(const char* a, const char* b);

// Update base address from the contents of "lanceur.txt" (data may be null
// when the file is missing). Always yields an address ending with "/",
// the built-in one when the file gives none; empty when the value is not
// valid UTF-8 or longer than 300 UTF-16 units.
void config_read_address(const char* data, size_t len, char out[LAUNCHER_ADDRESS_BYTES]);

// Installed version from the contents of "tervanne-version.txt": the text up
// to the first CR or LF of at most 63 bytes; empty when none.
void config_read_installed(const char* data, size_t len, char out[LAUNCHER_INSTALLED_BYTES]);

// The highest list order installed, from the "serie N" line that the
// launcher writes after the version in "tervanne-version.txt"; 0 when none.
uint64_t config_read_serie(const char* data, size_t len);

// UTF-8 helpers shared with the window code.
// Number of UTF-16 units of a valid UTF-8 text, or -1 when it is not valid.
int utf8_utf16_length(const char* s, size_t len);
// Length in bytes of the longest prefix of s (len bytes) that is at most
// max_bytes long and does not split a character.
size_t utf8_prefix_bytes(const char* s, size_t len, size_t max_bytes);
// Same, counted in UTF-16 units instead of bytes.
size_t utf8_prefix_units(const char* s, size_t len, size_t max_units);
// Copies src into dst (capacity cap) cut at a character boundary.
void utf8_copy(char* dst, size_t cap, const char* src);
