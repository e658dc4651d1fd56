// The ring of sounds heard, and where each came from.
#include <cassert>
#include <cmath>

#include "common/game_time.h"
#include "sound/captions_internal.h"
#include "sound/sound_internal.h"

namespace {

struct HeardEntry {
    int32_t caption;  // -1: empty
    uint8_t placed;
    Vec3 position;
    double time;
};
HeardEntry ring[SND_HEARD_RING];
bool ring_ready = false;
int music_world = -1;  // -1 until the first step: the music at start is no change

void ready() {
    if (ring_ready) return;
    for (HeardEntry& e : ring) e = {-1, 0, {0, 0, 0}, 0.0};
    ring_ready = true;
}

// From the player's feet, turned with the camera: "behind you" is behind
// the player, whom the camera follows from a few metres back.
int direction_of(const HeardEntry& e) {
    if (!e.placed) return SND_FROM_NOWHERE;
    const Listener& l = snd_listener;
    float hx = e.position.x - l.player.x, hz = e.position.z - l.player.z;
    float hl = std::sqrt(hx * hx + hz * hz);
    float rx = l.right.x, rz = l.right.z;
    float rl = std::sqrt(rx * rx + rz * rz);
    if (!(hl >= 1.0f) || !(rl > 1e-6f)) return SND_FROM_NOWHERE;
    // The camera's forward is its right turned a quarter left (y up).
    float side = (hx * rx + hz * rz) / (hl * rl);
    float ahead = (hx * rz - hz * rx) / (hl * rl);
    if (ahead >= 0.64f) return SND_FROM_FRONT;  // within 50 degrees
    if (ahead <= -0.5f) return SND_FROM_BEHIND;  // within 60 degrees
    return side > 0.0f ? SND_FROM_RIGHT : SND_FROM_LEFT;
}

}  // namespace

const char* snd_caption_text(int caption) {
    assert(caption >= 0 && caption < SND_CAPTION_COUNT);
    if (caption < 0 || caption >= SND_CAPTION_COUNT) return nullptr;
    return snd_caption_rows[caption].text;
}

const char* snd_direction_words(int direction) {
    assert(direction >= 0 && direction <= SND_FROM_BEHIND);
    if (direction < 0 || direction > SND_FROM_BEHIND) return nullptr;
    return snd_direction_names[direction];
}

void snd_heard(int caption, const Vec3* position, float loudness) {
    if (!snd_caption_text(caption) || !(loudness >= SND_CAPTION_MIN_LOUDNESS)) return;
    if (position && snd_caption_rows[caption].others_only &&
        hdist(*position, snd_listener.player.x, snd_listener.player.z) < SND_CAPTION_OWN_RADIUS)
        return;
    ready();
    HeardEntry fresh = {caption, (uint8_t)(position ? 1 : 0), position ? *position : Vec3{0, 0, 0}, game_clock};
    // Heard again: the same line, refreshed where it was last heard.
    for (HeardEntry& e : ring)
        if (e.caption == caption) {
            e = fresh;
            return;
        }
    // A new one takes an empty slot, else the one heard longest ago (a line
    // kept fresh by repeats is never the one to go).
    HeardEntry* slot = &ring[0];
    for (HeardEntry& e : ring)
        if (e.caption < 0 || (slot->caption >= 0 && e.time < slot->time)) slot = &e;
    *slot = fresh;
}

void snd_heard_music(bool underground, bool music_on) {
    int world = underground ? 1 : 0;
    if (music_world >= 0 && world != music_world && music_on)
        snd_heard(world ? SND_CAPTION_MUSIC_DARKER : SND_CAPTION_MUSIC_BRIGHTER, nullptr, 1.0f);
    music_world = world;
}

int snd_heard_recent(SoundHeard* out, int max, double now, double within) {
    ready();
    int n = 0;
    for (const HeardEntry& e : ring) {
        if (e.caption < 0 || !(now - e.time <= within) || e.time > now) continue;
        // Newest first: insert in order, dropping the oldest past max.
        int k = n < max ? n++ : max;
        for (; k > 0 && out[k - 1].time < e.time; --k)
            if (k < max) out[k] = out[k - 1];
        if (k < max) out[k] = {e.caption, direction_of(e), e.time};
    }
    return n;
}

void snd_heard_clear() {
    ring_ready = false;
    ready();
    music_world = -1;
}
