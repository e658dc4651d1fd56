// Files and clock of the Windows launcher; UTF-8 paths become wide ones.
#include <windows.h>

#include "launcher/launcher_io.h"

const char LAUNCHER_GAME_FILE[] = "Tervanne.exe";
const char LAUNCHER_SELF_FILE[] = "Tervanne-lanceur.exe";
const char LAUNCHER_SERVER_FILE[] = "tervanne-serveur.exe";
// A running program can be renamed but not replaced.
const bool LAUNCHER_RENAME_OVER_RUNNING = false;

struct LFile {
    HANDLE h;
    bool writing;
};

namespace {

// False when the path is not valid UTF-8 or longer than 300 characters.
bool wide(const char* s, wchar_t out[301]) {
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s, -1, out, 301);
    return n > 0;
}

LFile* open_with(const char* path, DWORD access, DWORD share, DWORD disposition, bool writing) {
    wchar_t w[301];
    if (!wide(path, w)) return nullptr;
    HANDLE h = CreateFileW(w, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    // A console, a printer or a pipe answering to a file name would block
    // the worker or swallow the download: only files on a disk are used.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return nullptr;
    }
    return new LFile{h, writing};
}

}  // namespace

LFile* lfs_create(const char* path) { return open_with(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, true); }

LFile* lfs_open_read(const char* path) {
    return open_with(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, false);
}

bool lfs_write(LFile* f, const void* data, size_t len) {
    const char* p = (const char*)data;
    while (len) {
        DWORD chunk = len > 0x40000000 ? 0x40000000 : (DWORD)len, wrote = 0;
        if (!WriteFile(f->h, p, chunk, &wrote, nullptr) || wrote == 0) return false;
        p += wrote;
        len -= wrote;
    }
    return true;
}

long long lfs_read(LFile* f, void* data, size_t len) {
    DWORD got = 0;
    if (!ReadFile(f->h, data, len > 0x40000000 ? 0x40000000 : (DWORD)len, &got, nullptr)) return -1;
    return got;
}

bool lfs_close(LFile* f) {
    bool ok = !f->writing || FlushFileBuffers(f->h);
    ok = CloseHandle(f->h) && ok;
    delete f;
    return ok;
}

bool lfs_delete(const char* path) {
    wchar_t w[301];
    return wide(path, w) && DeleteFileW(w);
}

bool lfs_rename_replace(const char* from, const char* to) {
    wchar_t a[301], b[301];
    return wide(from, a) && wide(to, b) && MoveFileExW(a, b, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool lfs_rename_no_replace(const char* from, const char* to) {
    wchar_t a[301], b[301];
    return wide(from, a) && wide(to, b) && MoveFileExW(a, b, MOVEFILE_WRITE_THROUGH);
}

bool lfs_exists(const char* path) {
    wchar_t w[301];
    if (!wide(path, w)) return false;
    DWORD a = GetFileAttributesW(w);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Files carry no execute permission here.
void lfs_match_mode(const char*, const char*, bool) {}

// A second launcher's temporary file cannot be opened while the first one
// writes it (no write sharing), so two writers never meet.
void lfs_lock_folder(const char*) {}
void lfs_unlock_folder() {}

uint32_t lnc_tick_ms() { return GetTickCount(); }
