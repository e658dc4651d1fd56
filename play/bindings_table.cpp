// Default key bindings: scan codes of a French (AZERTY) keyboard's layout
// positions; the label list of the options screen reads this table.
#include "play/bindings.h"

#include "platform/platform.h"

const BindingInfo binding_table[BINDING_COUNT] = {
    {"Avancer", "t_avancer", 0x11},
    {"Reculer", "t_reculer", 0x1F},
    {"Aller à gauche", "t_gauche", 0x1E},
    {"Aller à droite", "t_droite", 0x20},
    {"Sauter", "t_sauter", 0x39},
    {"Marcher (maintenir)", "t_courir", 0x2A},
    {"Fouiller, entrer, ouvrir", "t_interagir", 0x12},
    {"Attaquer la cible", "t_tirer", 0x21},
    {"Lever l'écu (guerrier)", "t_viser", 0x2D},
    {"Feuille de personnage", "t_personnage", 0x2E},
    {"Sac", "t_sac", 0x17},
    {"Journal de quêtes", "t_journal", 0x24},
    {"Barre d'action 1", "t_barre1", 0x02},
    {"Barre d'action 2", "t_barre2", 0x03},
    {"Barre d'action 3", "t_barre3", 0x04},
    {"Barre d'action 4", "t_barre4", 0x05},
    {"Barre d'action 5", "t_barre5", 0x06},
    {"Métiers", "t_metiers", 0x25},
    {"Cible suivante", "t_cible", 0x0F},
    {"Grimoire", "t_grimoire", 0x19},
    {"Grande carte", "t_carte", 0x27},
    {"Barre d'action 6", "t_barre6", 0x07},
    {"Barre d'action 7", "t_barre7", 0x08},
    {"Barre d'action 8", "t_barre8", 0x09},
    {"Barre d'action 9", "t_barre9", 0x0A},
    {"Barre d'action 10", "t_barre10", 0x0B},
};

int32_t bindings[BINDING_COUNT] = {
    0x11, 0x1F, 0x1E, 0x20, 0x39, 0x2A, 0x12, 0x21, 0x2D, 0x2E, 0x17, 0x24, 0x02,
    0x03, 0x04, 0x05, 0x06, 0x25, 0x0F, 0x19, 0x27, 0x07, 0x08, 0x09, 0x0A, 0x0B,
};

// ---- The pad: default buttons and which actions and buttons may be bound ----------------

const int32_t pad_binding_defaults[BINDING_COUNT] = {
    -1, -1, -1, -1,   // the left stick walks
    PAD_A,            // jump
    PAD_LSTICK,       // walk (hold the stick in)
    PAD_Y,            // interact
    PAD_X,            // attack
    PAD_B,            // raise the shield
    PAD_UP,           // character sheet
    -1,               // the bag is in the sheet
    PAD_RIGHT,        // quest journal
    -1, -1, -1, -1, -1,  // bar slots: trigger pages
    PAD_LEFT,         // professions
    PAD_RB,           // next target
    PAD_RSTICK,       // spellbook
    PAD_DOWN,         // map
    -1, -1, -1, -1, -1,
};
int32_t pad_bindings[BINDING_COUNT];
PadTuning pad_tuning = {0.2f, 1.0f, 0, 1};
const int pad_bar_buttons[5] = {PAD_X, PAD_Y, PAD_B, PAD_A, PAD_RB};

void pad_bindings_reset() {
    for (int i = 0; i < BINDING_COUNT; ++i) pad_bindings[i] = pad_binding_defaults[i];
}

bool pad_action_bindable(int action) {
    return action >= 0 && action < BINDING_COUNT && pad_binding_defaults[action] >= 0;
}

bool pad_button_bindable(int button) {
    return button >= 0 && button < PAD_BUTTON_COUNT && button != PAD_BACK && button != PAD_START &&
           button != PAD_LT && button != PAD_RT;
}
