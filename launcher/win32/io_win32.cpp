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

namespace {
HANDLE folder_mutex;
}

// One named mutex per game folder, held by the worker for the whole check:
// between a verified temporary file's close and its rename, a second
// launcher could otherwise rewrite it. The name comes from the folder's
// identity (volume serial and file index), so every spelling of the path
// (case, short names, another drive letter) meets the same lock.
void lfs_lock_folder(const char* folder) {
    lfs_unlock_folder();
    wchar_t w[301];
    if (!wide(folder[0] ? folder : ".", w)) return;
    HANDLE dir = CreateFileW(w, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (dir == INVALID_HANDLE_VALUE) return;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(dir, &info);
    CloseHandle(dir);
    if (!known) return;
    wchar_t name[64] = L"Local\\Tervanne-lanceur-";
    const DWORD parts[3] = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    int n = lstrlenW(name);
    for (DWORD part : parts)
        for (int shift = 28; shift >= 0; shift -= 4) name[n++] = L"0123456789abcdef"[(part >> shift) & 15];
    name[n] = 0;
    folder_mutex = CreateMutexW(nullptr, FALSE, name);
    if (!folder_mutex) return;
    // A launcher that ended while holding it leaves it abandoned: ours then.
    const DWORD r = WaitForSingleObject(folder_mutex, INFINITE);
    if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) {
        CloseHandle(folder_mutex);
        folder_mutex = nullptr;
    }
}

void lfs_unlock_folder() {
    if (!folder_mutex) return;
    ReleaseMutex(folder_mutex);
    CloseHandle(folder_mutex);
    folder_mutex = nullptr;
}

uint32_t lnc_tick_ms() { return GetTickCount(); }

void lnc_stop_dead() {
    TerminateProcess(GetCurrentProcess(), 137);
    ExitProcess(137);  // not reached
}
