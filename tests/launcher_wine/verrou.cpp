// For the Wine test: holds the update lock of the folder it lies in, with
// the launcher's own code, until a file "verrou-lache" appears beside it.
// It writes "verrou-pris" once it holds the lock.
#include <windows.h>

#include "launcher/launcher_io.h"
#include "launcher/update.h"

int main() {
    wchar_t module_w[302];
    const DWORD n = GetModuleFileNameW(nullptr, module_w, 301);
    module_w[n] = 0;
    char module[LAUNCHER_PATH_BYTES];
    if (WideCharToMultiByte(CP_UTF8, 0, module_w, -1, module, sizeof module, nullptr, nullptr) <= 0) return 1;
    launcher_set_paths(module);
    lfs_lock_folder(launcher_folder);
    char taken[LAUNCHER_PATH_BYTES], release[LAUNCHER_PATH_BYTES];
    launcher_path(taken, "verrou-pris", "");
    launcher_path(release, "verrou-lache", "");
    if (LFile* f = lfs_create(taken)) lfs_close(f);
    while (!lfs_exists(release)) Sleep(50);
    lfs_unlock_folder();
    return 0;
}
