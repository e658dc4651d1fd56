// For the Wine checks: another program that holds a file open, as a virus
// scanner, a backup or a sync tool does, until it is told to let go.
// Usage: tenir-fichier.exe FILE SHARE
//   SHARE: "-" shares nothing, "r" reads, "rw" reads and writes, "rwd" all.
// It opens FILE for reading (creating it if missing), writes "FILE.pris"
// once it holds it, and closes it when "FILE.lache" appears; it removes its
// own mark on the way out, and leaves the release to whoever wrote it (two
// holders of one file both see it). Exit code 2 when FILE cannot be opened.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 1;
    DWORD share = 0;
    for (const wchar_t* c = argv[2]; *c; ++c) {
        if (*c == L'r') share |= FILE_SHARE_READ;
        if (*c == L'w') share |= FILE_SHARE_WRITE;
        if (*c == L'd') share |= FILE_SHARE_DELETE;
    }
    wchar_t taken[1100], release[1100];
    std::swprintf(taken, 1100, L"%ls.pris", argv[1]);
    std::swprintf(release, 1100, L"%ls.lache", argv[1]);
    HANDLE f = CreateFileW(argv[1], GENERIC_READ, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 2;
    HANDLE mark = CreateFileW(taken, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    while (GetFileAttributesW(release) == INVALID_FILE_ATTRIBUTES) Sleep(20);
    CloseHandle(f);
    DeleteFileW(taken);
    return 0;
}
