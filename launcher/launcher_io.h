// What the update check needs from the system: files in the launcher's
// folder and a millisecond tick. Each backend (win32, posix) implements it;
// paths are UTF-8 here and converted by the backend where it needs to.
#pragma once
#include <cstddef>
#include <cstdint>

struct LFile;

LFile* lfs_create(const char* path);     // for writing, replacing any file
LFile* lfs_open_read(const char* path);
bool lfs_write(LFile* f, const void* data, size_t len);  // all or failure
long long lfs_read(LFile* f, void* data, size_t len);    // bytes, 0 at end, -1 on error
bool lfs_close(LFile* f);                 // flushes first; false when that failed
bool lfs_delete(const char* path);
// Atomic replacement of `to` by `from`, written through to the disk.
bool lfs_rename_replace(const char* from, const char* to);
bool lfs_exists(const char* path);        // a regular file
// Renames `from` to `to` only when nothing is named `to`; false otherwise.
bool lfs_rename_no_replace(const char* from, const char* to);
// Gives a verified download the permissions its target needs to stay usable:
// those of the file it replaces (or a new file's), with the run bit added for
// a program (`program` set, or a file the system recognises as one). Nothing
// to do where files carry no such mode.
void lfs_match_mode(const char* temp, const char* target, bool program);
// Holds off the other launchers of the same folder while this one checks
// and writes: waits while another holds it (flock on the folder, a named
// mutex on Windows). Taken and given back by the same thread.
void lfs_lock_folder(const char* folder);
void lfs_unlock_folder();
uint32_t lnc_tick_ms();
// Ends the process at once, as a power cut or a killed task would: no
// clean-up, no flush, nothing written (SIGKILL, TerminateProcess).
[[noreturn]] void lnc_stop_dead();

// The programs' file names on this system.
extern const char LAUNCHER_GAME_FILE[];  // "Tervanne.exe" on Windows
extern const char LAUNCHER_SELF_FILE[];  // "Tervanne-lanceur.exe" on Windows
extern const char LAUNCHER_SERVER_FILE[];  // "tervanne-serveur.exe" on Windows
// True where the file of a running program may be replaced by a rename
// (Linux): the launcher then replaces itself in one step, with no moment
// where no launcher bears its name.
extern const bool LAUNCHER_RENAME_OVER_RUNNING;
