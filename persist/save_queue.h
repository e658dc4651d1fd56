#pragma once
// Saves that meet a file another program holds for a moment (a virus
// scanner, a backup or sync tool) are kept and tried again from the frame,
// never waited for inside one; after about a second of play they fail as any
// other failed save does. A refusal that will not pass (read-only file or
// folder, full disk, quota) fails at once. What is on disk stays whole in
// every case: each try writes through temporary files.
#include <cstdint>

enum SaveOutcome : uint8_t { SAVE_WRITTEN, SAVE_REFUSED, SAVE_WAITING };
enum SaveKind : uint8_t { SAVE_NONE, SAVE_CHARACTER, SAVE_OPTIONS };

// Seconds of play between two tries of a kept save, and how long it is kept.
constexpr float SAVE_RETRY_EVERY = 0.1f;
constexpr float SAVE_KEPT_FOR = 1.0f;
// Saves kept at once at most (different files); one more is refused.
constexpr int SAVES_KEPT = 4;

// Tries a save of text to name now. Written or refused, the player is told
// as for any save; held, it is kept (replacing a kept save of the same file)
// and saves_frame goes on with it. level is the character's, for the log.
SaveOutcome save_now_or_later(SaveKind kind, const char* name, const char* text, int length, int level);
// Once a frame with the frame's step (which runs also while the game pauses).
void saves_frame(float dt);
bool saves_waiting();
// The text a kept save will give that file, or null (its length in *length):
// what is read meanwhile must be what will be on disk.
const char* saves_waiting_text(const char* name, int* length);
// Drops a kept save of that file unwritten (its character was deleted).
void saves_forget(const char* name);
// At exit no frame follows: gives the held files a last second, waiting
// between tries, then refuses what is left.
void saves_finish();
