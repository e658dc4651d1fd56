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
uint32_t lnc_tick_ms();
