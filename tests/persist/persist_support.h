#pragma once
// Files beside the test program and the run log, for the persistence suites.
#include <string>
#include <vector>

#include "persist/characters.h"
#include "platform/platform.h"

inline std::string read_file(const char* name) {
    static std::vector<char> buf(1 << 22);
    int n = plat_read_file(name, buf.data(), (int)buf.size());
    return n < 0 ? std::string() : std::string(buf.data(), (size_t)n);
}

inline void put_file(const char* name, const std::string& text) {
    plat_write_file(name, text.data(), (int)text.size());
}

inline std::string log_text() { return read_file("tervanne-journal.txt"); }

inline std::string slot_name(int slot) {
    char n[64];
    character_file_name(slot, n, sizeof n);
    return n;
}

inline std::string backup_of(int slot) {
    char b[64];
    backup_file_name(slot_name(slot).c_str(), b, sizeof b);
    return b;
}

// Every slot and backup empty (a zero-length file counts as absent), no old
// save, no options.
inline void clear_game_files() {
    for (int s = 0; s < CHARACTER_SLOTS; ++s) {
        put_file(slot_name(s).c_str(), "");
        put_file(backup_of(s).c_str(), "");
    }
    put_file("tervanne-sauvegarde.txt", "");
    put_file("tervanne-options.txt", "");
}
