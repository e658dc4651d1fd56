// The score of an arrow on a practice target, for the archer's arrows.
#include "play/practice_scoring.h"

#include "common/game_events.h"
#include "play/player.h"
#include "sound/sound.h"
#include "world/landmarks.h"

bool practice_target_scored(Vec3 tip) {
    Vec3 centre;
    if (!practice_target_hit(tip, &centre)) return false;
    PracticeScore s = practice_score(length(tip - centre));
    player.targets_hit += 1;
    if (s.bullseye) player.bullseyes += 1;
    snd_play_at(SFX_ARROW_TICK, tip, 1.0f);
    result_message(s.text, 1.8f);
    return true;
}
