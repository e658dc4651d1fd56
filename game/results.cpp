#include "game/results.h"

#include "common/game_events.h"
#include "content/professions.h"
#include "content/quests.h"
#include "persist/characters.h"
#include "play/creatures.h"
#include "render/hud.h"

void game_results_drain() {
    GameEvent e;
    while (game_event_pop(&e)) {
        switch (e.kind) {
            case GameEventKind::message: hud_message(e.text, e.seconds); break;
            case GameEventKind::float_text:
                hud_float_text_marked(e.at, e.text, e.colour, e.seconds, e.rise, e.size, e.pips);
                break;
            case GameEventKind::creature_killed: {
                // The body stays in its slot for a while after death: the
                // quests and the skinning read it as it fell.
                const Creature* c = e.slot >= 0 && e.slot < CREATURE_CAPACITY ? &creatures[e.slot] : nullptr;
                quests_creature_killed(e.species, c);
                professions_creature_killed(c);
                break;
            }
            case GameEventKind::save_wanted: character_save_current(); break;
        }
    }
}
