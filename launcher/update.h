// The update check: fetch the version description, compare, download,
// verify, replace, record. Runs on the worker thread.
#pragma once
#include <cstddef>
#include <cstdint>

#include "launcher/config.h"

constexpr int LAUNCHER_PATH_BYTES = 1024;  // 300 UTF-16 units of UTF-8

// The launcher's folder (ending with its separator) and its own file name.
extern char launcher_folder[LAUNCHER_PATH_BYTES];
extern char launcher_exe_name[LAUNCHER_NAME_BYTES];

// Splits the launcher's own full path (after the last "\" or "/").
void launcher_set_paths(const char* exe_full_path);
// folder + name + suffix into out; false when longer than 300 UTF-16 units.
bool launcher_path(char* out, const char* name, const char* suffix);

// Start-up: puts the launcher's old copy back when no launcher bears its
// usual name (a self-update stopped half-way), removes the copy left by a
// previous self-update, then reads the address file and the installed
// version into the status record.
void launcher_startup();

// SHA-256 and size of a file, read in blocks of 65536 bytes.
bool sha256_file(const char* path, char digest[65], uint64_t* size);

// True for the file names of our programs (the game, the game server, the
// launcher under its usual name or its present one): a new copy of them must
// be runnable.
bool launcher_is_program(const char* name);

// The worker thread's body.
void run_update_check();

// Never two workers at once: they would write the same temporary files. The
// window claims the worker before starting a thread, whose body is
// launcher_worker_body (the check, then the claim given back). A press of
// "Réessayer" while a check still runs is thus ignored.
bool launcher_worker_claim();
void launcher_worker_release();  // when the thread could not be started
void launcher_worker_body();

