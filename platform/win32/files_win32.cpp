// Whole files beside the program file and the run log, on Windows.
#include <cstdarg>

#include "platform/platform.h"
#include "platform/win32/win32_window.h"

namespace {

HANDLE log_file = INVALID_HANDLE_VALUE;
bool log_tried;

// The longest program path we accept. Windows may hand back a longer one;
// a cut path would point into a different folder, so that case fails instead.
const int kProgramPathCapacity = 1024;

// Virus scanners and cloud sync open a file for a moment just after it was
// written. A save waits for them, about a second at most, before giving up.
const int kBusyTries = 12;
const DWORD kBusyWaitMs = 90;

bool busy(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

HANDLE open_patiently(const wchar_t* path, DWORD access, DWORD share, DWORD disposition) {
    for (int attempt = 1;; ++attempt) {
        HANDLE f = CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE || attempt == kBusyTries || !busy(GetLastError())) return f;
        Sleep(kBusyWaitMs);
    }
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
    if (!name || !buffer || capacity <= 0) return -1;
    wchar_t path[kProgramPathCapacity + 64];
    if (!win32_path_beside_program(name, path, kProgramPathCapacity + 64)) return -1;
    HANDLE f = open_patiently(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (f == INVALID_HANDLE_VALUE) return -1;
    DWORD got = 0;
    BOOL ok = ReadFile(f, buffer, (DWORD)(capacity - 1), &got, nullptr);
    CloseHandle(f);
    if (!ok) return -1;
    buffer[got] = 0;
    return (int)got;
}

bool plat_write_file(const char* name, const void* data, int length) {
    if (!name || length < 0 || (!data && length > 0)) return false;
    wchar_t path[kProgramPathCapacity + 64];
    if (!win32_path_beside_program(name, path, kProgramPathCapacity + 64)) return false;
    HANDLE f = open_patiently(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = length == 0 || WriteFile(f, data, (DWORD)length, &written, nullptr);
    // A full disk can fail at close time too; only a clean close counts.
    BOOL closed = CloseHandle(f);
    return ok && closed && (int)written == length;
}

bool plat_replace_file(const char* from_name, const char* to_name) {
    if (!from_name || !to_name) return false;
    wchar_t from[kProgramPathCapacity + 64], to[kProgramPathCapacity + 64];
    if (!win32_path_beside_program(from_name, from, kProgramPathCapacity + 64) ||
        !win32_path_beside_program(to_name, to, kProgramPathCapacity + 64))
        return false;
    // The new bytes must be on disk before the name points at them.
    HANDLE f = open_patiently(from, GENERIC_WRITE, 0, OPEN_EXISTING);
    if (f == INVALID_HANDLE_VALUE) return false;
    BOOL flushed = FlushFileBuffers(f);
    CloseHandle(f);
    if (!flushed) return false;
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        if (attempt == kBusyTries || !busy(GetLastError())) return false;
        Sleep(kBusyWaitMs);
    }
}

bool plat_claim_program_folder() {
    wchar_t path[kProgramPathCapacity + 64];
    if (!win32_path_beside_program("tervanne-jeu.verrou", path, kProgramPathCapacity + 64)) return true;
    // Opened without any sharing and never closed: a second game's open fails
    // until this process ends, even by a crash.
    HANDLE f = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) return true;
    DWORD e = GetLastError();
    return e != ERROR_SHARING_VIOLATION && e != ERROR_LOCK_VIOLATION;
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
    DWORD written = 0;
    WriteFile(log_file, line, (DWORD)n, &written, nullptr);
}
