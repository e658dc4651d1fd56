#include "ui/pause_dialog.h"

#include "common/game_time.h"
#include "net/net.h"
#include "persist/characters.h"
#include "platform/platform.h"
#include "render/hud.h"
#include "ui/character_select.h"
#include "ui/options_screen.h"

namespace {

// Closing the dialog resumes: nothing more to do.
void resume() {}

void change_character() {
    game_flags.paused = 0;
    // The character is saved and the server left before the list opens.
    character_save_current();
    net_shutdown();
    character_select_show();
}

void options() { options_open(); }

void quit() { plat_request_quit(); }

}  // namespace

void pause_dialog_open() {
    static const HudButton buttons[4] = {
        {"Reprendre", resume},
        {"Changer de personnage", change_character},
        {"Options", options},
        {"Quitter le jeu", quit},
    };
    hud_dialog("Tervanne",
               "Le jeu est en pause.\nVotre personnage et vos quêtes sont sauvegardés en quittant le jeu.",
               buttons, 4);
    game_flags.paused = 1;
}
