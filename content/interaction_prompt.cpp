// The interaction prompt: each frame the first source that has something in
// reach shows its line, and the interaction key (or the click that stands for
// it) acts on that one. Sources are plain calls in their order of precedence;
// later ones (Sire Keu, the merchant, the Lady of the Lake, the trainers,
// corpses to search, the catacombs, gathering, the anvil) slot into the list.
#include "content/interaction_prompt.h"

#include <cmath>

#include "common/game_events.h"
#include "content/professions.h"
#include "content/quests.h"
#include "world/terrain.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/loot.h"
#include "play/merchant.h"
#include "play/player.h"
#include "render/hud.h"
#include "play/catacomb_visits.h"
#include "play/villagers.h"

namespace {

const char* interact_key_name() {
    static char name[48];
    binding_hint_name(BIND_INTERACT, name, (int)sizeof name);
    return name;
}

bool villager_prompt(bool pressed) {
    if (game_flags.underground) return false;
    int i = villager_nearest(player_feet(), 3.2f);
    if (i < 0) return false;
    hud_prompt(true, hud_fmt("%s  ·  Parler à %s", interact_hint(), villager_defs[i].name));
    if (pressed) talk_to_villager(i);
    return true;
}

bool sword_prompt(bool pressed) {
    const float sx = 64.0f, sz = 52.0f;
    if (game_flags.underground || std::hypot(player.pos_x - sx, player.pos_z - sz) > 3.4f) return false;
    hud_prompt(true, hud_fmt("%s  ·  Tenter de retirer l'épée", interact_key_name()));
    if (pressed) result_message("L'épée ne bouge pas d'un pouce.\nSeul le roi légitime pourra la retirer.", 3.2f);
    return true;
}

// In order; the first that answers wins.
bool (*const prompt_sources[])(bool pressed) = {
    keu_prompt,
    merchant_prompt,
    lady_prompt,
    givers_prompt,
    trainers_prompt,
    villager_prompt,
    sword_prompt,
    loot_prompt,
    catacombs_interact,  // the cave mouth, the exit portal, the passage, the ossuary chest
    gather_prompt,  // plants, ore veins and corpses to skin
};

}  // namespace

void player_interaction_prompt() {
    bool pressed = player.interact_requested != 0;
    player.interact_requested = 0;
    for (auto source : prompt_sources)
        if (source(pressed)) return;
    hud_prompt(false, "");
}
