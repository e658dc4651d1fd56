#pragma once
// The world ambience step (fire flicker, creature top-up timers) and the
// zone announcements.

void ambience_update(float dt);
void zones_update(float dt);
void ambience_submit();
