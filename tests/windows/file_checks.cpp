// Checks of the file calls against what players' machines do: another
// program holding a file (tenir-fichier.exe, a second process), a read-only
// file, and the saves and the folder lock meeting them. Nothing here waits
// on the clock to decide: a holder lets go when told, and the saves are
// driven by frames of a fixed step.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "game/results.h"
#include "persist/characters.h"
#include "persist/keyvalue.h"
#include "persist/save_queue.h"
#include "platform/platform.h"
#include "platform/win32/win32_window.h"
#include "play/combat.h"
#include "play/player.h"
#include "render/hud.h"
#include "tests/windows/checks.h"

namespace {

const float kFrame = 1.0f / 60.0f;
const char* const kFailed = "La sauvegarde a échoué : votre progression n'est pas enregistrée.";

std::wstring beside(const char* name) {
    wchar_t path[1200];
    if (!win32_path_beside_program(name, path, 1200)) return L"";
    return path;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void touch(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}

// Runs a program with a command line and waits for its exit code.
DWORD run_and_wait(std::wstring command) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1000;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1001;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// Another process holding a file beside the program until let go.
struct Holder {
    PROCESS_INFORMATION pi = {};
    std::wstring path;
    bool held = false;
};

// share: "-" nothing, "r" reads, "rw", "rwd". True once the file is held.
bool hold(Holder& h, const char* name, const char* share) {
    h = Holder();
    h.path = beside(name);
    DeleteFileW((h.path + L".pris").c_str());
    DeleteFileW((h.path + L".lache").c_str());
    wchar_t share_w[8];
    MultiByteToWideChar(CP_UTF8, 0, share, -1, share_w, 8);
    std::wstring command = L"\"" + beside("tenir-fichier.exe") + L"\" \"" + h.path + L"\" " + share_w;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &h.pi)) return false;
    // Until it says it holds the file, or it ended (it could not open it);
    // the count only bounds a holder that never starts.
    for (int i = 0; i < 3000 && !h.held; ++i) {
        h.held = exists(h.path + L".pris");
        if (!h.held && WaitForSingleObject(h.pi.hProcess, 10) == WAIT_OBJECT_0) break;
    }
    return h.held;
}

// Tells the holder to let go and waits until its process is gone.
bool let_go(Holder& h) {
    if (!h.pi.hProcess) return false;
    touch(h.path + L".lache");
    WaitForSingleObject(h.pi.hProcess, 60000);
    DeleteFileW((h.path + L".lache").c_str());
    DWORD code = 1;
    GetExitCodeProcess(h.pi.hProcess, &code);
    CloseHandle(h.pi.hThread);
    CloseHandle(h.pi.hProcess);
    h.pi = PROCESS_INFORMATION();
    return code == 0;
}

std::string read_text(const char* name) {
    static char buf[CHARACTER_FILE_SIZE];
    int n = plat_read_file(name, buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, (size_t)n);
}

int level_in(const std::string& text) { return kv_int(text.c_str(), "niveau", -1); }

// Frames of play while saves are kept; how many ran.
int frames(int n) {
    int ran = 0;
    for (; ran < n && saves_waiting(); ++ran) saves_frame(kFrame);
    return ran;
}

bool save_at_level(int level) {
    set_level_and_experience(level, 0);
    hud_message("", 0.0f);
    return character_save_to("tervanne-perso-1.txt");
}

bool told_failed() {
    game_results_drain();
    return std::strcmp(hud_message_text(), kFailed) == 0;
}

}  // namespace

void check_held_and_refused_files() {
    begin("a file another program holds: every call answers at once, as a wait that may pass");
    const char* name = "essai-tenu.txt";
    const char* temp = "essai-tenu.txt.tmp";
    char buf[64];
    EXPECT(plat_write_file(name, "ancien", 6));
    EXPECT(plat_write_file(temp, "nouveau", 7));
    Holder h;
    EXPECT(hold(h, name, "-"));  // shares nothing
    EXPECT(plat_read_file(name, buf, sizeof buf) == -1 && plat_file_busy());
    EXPECT(!plat_replace_file(temp, name) && plat_file_busy());
    EXPECT(!plat_write_file(name, "x", 1) && plat_file_busy());
    EXPECT(let_go(h));
    EXPECT(plat_replace_file(temp, name) && !plat_file_busy());
    EXPECT(plat_read_file(name, buf, sizeof buf) == 7 && strcmp(buf, "nouveau") == 0);
    // A scanner reading the file lets us read it, not replace it.
    EXPECT(plat_write_file(temp, "troisième", 10));
    EXPECT(hold(h, name, "r"));
    EXPECT(plat_read_file(name, buf, sizeof buf) == 7);
    EXPECT(!plat_replace_file(temp, name) && plat_file_busy());
    EXPECT(let_go(h));
    // A scanner looking at the new file just written.
    EXPECT(hold(h, temp, "r"));
    EXPECT(!plat_replace_file(temp, name) && plat_file_busy());
    EXPECT(let_go(h));
    EXPECT(plat_replace_file(temp, name));
    EXPECT(plat_read_file(name, buf, sizeof buf) == 10 && strcmp(buf, "troisième") == 0);
    end();

    begin("a read-only file: refused at once, not as a file that is held");
    std::wstring path = beside(name);
    EXPECT(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT(!plat_write_file(name, "x", 1) && !plat_file_busy());
    EXPECT(plat_write_file(temp, "quatre", 6));
    EXPECT(!plat_replace_file(temp, name) && !plat_file_busy());
    EXPECT(plat_read_file(name, buf, sizeof buf) == 10 && strcmp(buf, "troisième") == 0);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    DeleteFileW(beside(temp).c_str());
    end();
}

void check_saves_held_or_refused() {
    begin("a save whose file another program holds: kept, written on a later frame once let go");
    const char* slot = "tervanne-perso-1.txt";
    const char* backup = "tervanne-perso-1-secours.txt";
    std::snprintf(player.name, sizeof player.name, "Sagremor");
    EXPECT(save_at_level(6) && save_at_level(7));
    Holder h;
    EXPECT(hold(h, slot, "-"));
    EXPECT(!save_at_level(8) && saves_waiting() && !told_failed());
    EXPECT(frames(20) == 20);  // a third of a second held: still kept, nothing said
    EXPECT(saves_waiting() && !told_failed());
    EXPECT(let_go(h));
    frames(20);
    EXPECT(!saves_waiting() && !told_failed());
    EXPECT(level_in(read_text(slot)) == 8 && level_in(read_text(backup)) == 7);
    // A scanner that lets others read: only the replacement waits.
    EXPECT(hold(h, slot, "r"));
    EXPECT(!save_at_level(9) && saves_waiting());
    EXPECT(level_in(read_text(backup)) == 8);
    frames(10);
    EXPECT(let_go(h));
    frames(20);
    EXPECT(!saves_waiting() && level_in(read_text(slot)) == 9);
    end();

    begin("a save held for good fails after a second of play, and loses nothing");
    EXPECT(hold(h, slot, "-"));
    EXPECT(!save_at_level(10));
    EXPECT(frames(54) == 54 && !told_failed());
    frames(10);
    EXPECT(!saves_waiting() && told_failed());
    EXPECT(let_go(h));
    EXPECT(level_in(read_text(slot)) == 9 && level_in(read_text(backup)) == 8);
    end();

    begin("a read-only character file: the save fails at once and says so");
    std::wstring path = beside(slot);
    EXPECT(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT(!save_at_level(11) && !saves_waiting() && told_failed());
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT(level_in(read_text(slot)) == 9);
    DeleteFileW(path.c_str());
    DeleteFileW(beside(backup).c_str());
    end();
}

void check_folder_lock() {
    begin("the folder lock: a program reading its file is no second game, a second game is");
    Holder h;
    EXPECT(hold(h, "tervanne-jeu.verrou", "r"));
    Holder all;
    EXPECT(hold(all, "tervanne-jeu.verrou", "rwd"));
    EXPECT(plat_claim_program_folder());
    EXPECT(let_go(h) && let_go(all));
    wchar_t self[1200];
    GetModuleFileNameW(nullptr, self, 1200);
    EXPECT(run_and_wait(L"\"" + std::wstring(self) + L"\" revendiquer") == 3);
    // A reader coming while the game plays changes nothing either.
    EXPECT(hold(h, "tervanne-jeu.verrou", "r"));
    EXPECT(run_and_wait(L"\"" + std::wstring(self) + L"\" revendiquer") == 3);
    EXPECT(let_go(h));
    end();
}

int check_file_case(const char* which) {
    const char* slot = "tervanne-perso-1.txt";
    const char* backup = "tervanne-perso-1-secours.txt";
    if (std::strcmp(which, "revendiquer") == 0) return plat_claim_program_folder() ? 0 : 3;
    std::snprintf(player.name, sizeof player.name, "Carados");
    std::string before = read_text(slot);
    if (std::strcmp(which, "dossier-en-lecture-seule") == 0) {
        begin("a read-only folder: files and saves fail at once, the character stays");
        EXPECT(level_in(before) == 7);
        EXPECT(!plat_write_file("essai.txt", "x", 1) && !plat_file_busy());
        EXPECT(!save_at_level(8) && !saves_waiting() && told_failed());
        EXPECT(read_text(slot) == before);
        end();
    } else if (std::strcmp(which, "disque-plein") == 0) {
        begin("a full disk during a save: refused at once, both copies whole");
        EXPECT(level_in(before) == 7);
        EXPECT(!save_at_level(8) && !saves_waiting() && told_failed());
        EXPECT(read_text(slot) == before);
        std::string kept = read_text(backup);
        EXPECT(kept.empty() || kept == before);
        end();
    } else if (std::strcmp(which, "disque-libre") == 0) {
        begin("room again: the next save passes");
        EXPECT(level_in(before) == 7);
        EXPECT(save_at_level(8) && !told_failed());
        EXPECT(level_in(read_text(slot)) == 8 && level_in(read_text(backup)) == 7);
        end();
    } else {
        printf("FAIL: unknown case %s\n", which);
        return 2;
    }
    return failed_groups ? 1 : 0;
}
