// Whole files beside the program file and the run log, on Windows.
#include <cstdarg>

#include "platform/backend_common.h"
#include "platform/win32/win32_window.h"

namespace {

HANDLE log_file = INVALID_HANDLE_VALUE;
bool log_tried;

// The longest program path we accept. Windows may hand back a longer one;
// a cut path would point into a different folder, so that case fails instead.
const int kProgramPathCapacity = 1024;

// How long start-up waits for a program that holds the lock file whole.
const int kClaimTries = 12;
const DWORD kClaimWaitMs = 90;

// Why the last file call failed: another program holds the file (try again
// later) or a refusal that will not pass (read-only, full disk, quota).
bool last_busy;

bool held_by_another(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_USER_MAPPED_FILE;
}

bool fail(DWORD error) {
    last_busy = held_by_another(error);
    return false;
}

bool read_only_or_folder(const wchar_t* path) {
    DWORD a = GetFileAttributesW(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

// A rename over a file that another program has open says "access denied",
// as a read-only file or folder does. Asking for the right to delete the
// target tells them apart: a holder that does not share deletion answers
// with a sharing violation, a refusal with "access denied" again.
bool rename_refusal_is_a_holder(const wchar_t* to) {
    HANDLE f = CreateFileW(to, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return held_by_another(GetLastError());
    CloseHandle(f);
    // We may delete it, yet the rename was refused: someone has it open
    // with deletion shared, which lasts no longer than their look at it.
    return true;
}

}  // namespace

bool win32_to_utf8(const wchar_t* text, char* out, int capacity) {
    if (capacity <= 0) return false;
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, capacity, nullptr, nullptr);
    if (n <= 0) {
        out[0] = 0;
        return false;
    }
    return true;
}

bool win32_from_utf8(const char* text, wchar_t* out, int capacity) {
    if (capacity <= 0) return false;
    int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, out, capacity);
    if (n <= 0) {
        out[0] = 0;
        return false;
    }
    return true;
}

bool win32_path_beside_program(const char* name, wchar_t* out, int capacity) {
    wchar_t program_wide[kProgramPathCapacity];
    DWORD n = GetModuleFileNameW(nullptr, program_wide, kProgramPathCapacity);
    if (n == 0 || n >= (DWORD)kProgramPathCapacity) return false;
    // The folder may hold any character (a user name with accents): go through
    // UTF-8 for the shared path rule and back, never through the ANSI page.
    char program[kProgramPathCapacity * 3];
    if (!win32_to_utf8(program_wide, program, (int)sizeof program)) return false;
    char joined[kProgramPathCapacity * 3 + 64];
    plat_path_beside_program(program, name, joined, (int)sizeof joined);
    if (!joined[0]) return false;
    return win32_from_utf8(joined, out, capacity);
}

int plat_read_file(const char* name, char* buffer, int capacity) {
    last_busy = false;
    if (!name || !buffer || capacity <= 0) return -1;
    wchar_t path[kProgramPathCapacity + 64];
    if (!win32_path_beside_program(name, path, kProgramPathCapacity + 64)) return -1;
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        fail(GetLastError());
        return -1;
    }
    DWORD got = 0;
    BOOL ok = ReadFile(f, buffer, (DWORD)(capacity - 1), &got, nullptr);
    DWORD error = ok ? 0 : GetLastError();
    CloseHandle(f);
    if (!ok) {
        fail(error);
        return -1;
    }
    buffer[got] = 0;
    return (int)got;
}

bool plat_write_file(const char* name, const void* data, int length) {
    last_busy = false;
    if (!name || length < 0 || (!data && length > 0)) return false;
    wchar_t path[kProgramPathCapacity + 64];
    if (!win32_path_beside_program(name, path, kProgramPathCapacity + 64)) return false;
    // Windows refuses to truncate a read-only file; Wine run by root would not.
    if (read_only_or_folder(path)) return fail(ERROR_ACCESS_DENIED);
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return fail(GetLastError());
    DWORD written = 0;
    BOOL ok = length == 0 || WriteFile(f, data, (DWORD)length, &written, nullptr);
    DWORD error = ok ? 0 : GetLastError();
    // A full disk can fail at close time too; only a clean close counts.
    // A short write is a full disk or a quota as well.
    BOOL closed = CloseHandle(f);
    if (!ok) return fail(error);
    return closed && (int)written == length;
}

bool plat_replace_file(const char* from_name, const char* to_name) {
    last_busy = false;
    if (!from_name || !to_name) return false;
    wchar_t from[kProgramPathCapacity + 64], to[kProgramPathCapacity + 64];
    if (!win32_path_beside_program(from_name, from, kProgramPathCapacity + 64) ||
        !win32_path_beside_program(to_name, to, kProgramPathCapacity + 64))
        return false;
    // Windows will not rename over a read-only file; Wine would.
    if (read_only_or_folder(to)) return fail(ERROR_ACCESS_DENIED);
    // The new bytes must be on disk before the name points at them. A
    // scanner reading the new file may stay: only our flush needs the handle.
    HANDLE f = CreateFileW(from, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return fail(GetLastError());
    BOOL flushed = FlushFileBuffers(f);
    DWORD error = flushed ? 0 : GetLastError();
    CloseHandle(f);
    if (!flushed) return fail(error);
    if (MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    error = GetLastError();
    if (error == ERROR_ACCESS_DENIED && rename_refusal_is_a_holder(to)) error = ERROR_SHARING_VIOLATION;
    return fail(error);
}

bool plat_file_busy() { return last_busy; }

bool plat_claim_program_folder() {
    wchar_t path[kProgramPathCapacity + 64];
    if (!win32_path_beside_program("tervanne-jeu.verrou", path, kProgramPathCapacity + 64)) return true;
    // The file is opened sharing reads and writes, so that a scanner, a
    // backup or a sync tool reading it never stops the game: only the lock
    // on its first byte says a game plays here. Never closed, the lock ends
    // with this process, even by a crash.
    HANDLE f = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kClaimTries; ++attempt) {
        f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
        // Held whole by a program that shares nothing: a scanner's look
        // lasts a moment; a game of an older version (which opened it so)
        // holds it for good. Before any window, waiting costs no frame.
        Sleep(kClaimWaitMs);
    }
    if (f == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_SHARING_VIOLATION;
    OVERLAPPED at = {};
    if (LockFileEx(f, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return true;
    DWORD e = GetLastError();
    CloseHandle(f);
    return e != ERROR_LOCK_VIOLATION;
}

void plat_alert(const char* text) {
    wchar_t wide[1024];
    if (!win32_from_utf8(text, wide, 1024)) wide[0] = 0;
    MessageBoxW(nullptr, wide, L"Tervanne", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

bool plat_restore_launcher() {
    wchar_t from[kProgramPathCapacity + 64], to[kProgramPathCapacity + 64];
    if (!win32_path_beside_program("Tervanne-lanceur.exe.ancien", from, kProgramPathCapacity + 64) ||
        !win32_path_beside_program("Tervanne-lanceur.exe", to, kProgramPathCapacity + 64))
        return false;
    // Without MOVEFILE_REPLACE_EXISTING an existing launcher stays.
    return MoveFileExW(from, to, MOVEFILE_WRITE_THROUGH) != 0;
}

void log_printf(const char* fmt, ...) {
    if (!log_tried) {
        log_tried = true;
        wchar_t path[kProgramPathCapacity + 64];
        if (win32_path_beside_program("tervanne-journal.txt", path, kProgramPathCapacity + 64))
            log_file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (log_file == INVALID_HANDLE_VALUE) return;
    char line[2048];
    va_list args;
    va_start(args, fmt);
    int n = plat_format_log_line(line, fmt, args);
    va_end(args);
    static long log_bytes = 0;
    n = plat_log_keep(line, n, &log_bytes);
    if (n <= 0) return;
    DWORD written = 0;
    WriteFile(log_file, line, (DWORD)n, &written, nullptr);
}
