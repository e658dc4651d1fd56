// The whole update check against a real HTTP server on 127.0.0.1.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "launcher/http.h"
#include "launcher/launcher_io.h"
#include "launcher/sha256.h"
#include "launcher/status.h"
#include "launcher/update.h"
#include "loopback_server.h"

namespace fs = std::filesystem;

namespace {

std::vector<int> seen_states;

void record_state() {
    const int s = launcher_status_get().state;
    if (seen_states.empty() || seen_states.back() != s) seen_states.push_back(s);
}

std::string digest(const std::string& s) {
    char hex[65];
    sha256_text(s.data(), s.size(), hex);
    return hex;
}

class UpdateCheck : public ::testing::Test {
protected:
    LoopbackServer server;
    fs::path dir;

    void SetUp() override {
        char tmpl[] = "/tmp/lanceur-test-XXXXXX";
        ASSERT_TRUE(mkdtemp(tmpl));
        dir = tmpl;
        launcher_set_paths((dir / "Tervanne-lanceur").c_str());
        snprintf(launcher_base_address, sizeof launcher_base_address, "http://127.0.0.1:%d/site/", server.port());
        launcher_status_reset();
        launcher_status_set_installed("");
        seen_states.clear();
        launcher_set_repaint_hook(record_state);
    }
    void TearDown() override {
        launcher_set_repaint_hook(nullptr);
        fs::remove_all(dir);
    }

    void put(const std::string& name, const std::string& content) {
        std::ofstream(dir / name, std::ios::binary) << content;
    }
    std::string get(const std::string& name) {
        std::ifstream in(dir / name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    bool exists(const std::string& name) { return fs::exists(dir / name); }
    std::vector<std::string> listing() {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    // Publishes files under /site/ and a version.txt that lists them.
    void publish(const std::string& version, const std::vector<std::pair<std::string, std::string>>& files,
                 const std::string& extra = "") {
        std::string text = "version " + version + "\r\nnote Nouvelle forêt\r\n" + extra;
        for (const auto& [name, content] : files) {
            text += "fichier " + name + " " + std::to_string(content.size()) + " " + digest(content) + "\r\n";
            server.set("/site/" + name, content);
        }
        server.set("/site/version.txt", text);
    }
    std::vector<std::string> file_requests() {
        std::vector<std::string> out;
        for (const std::string& p : server.paths())
            if (p != "/site/version.txt") out.push_back(p);
        return out;
    }
    LauncherStatus check() {
        run_update_check();
        return launcher_status_get();
    }
};

TEST_F(UpdateCheck, UpToDateDownloadsNothingAndStillRecordsTheVersion) {
    publish("1.0", {{"Tervanne.exe", "jeu"}, {"donnees.bin", std::string(70000, 'd')}});
    put("Tervanne.exe", "jeu");
    put("donnees.bin", std::string(70000, 'd'));
    LauncherStatus st = check();
    EXPECT_EQ(st.state, STATE_READY);
    EXPECT_STREQ(st.status_text, "Le jeu est à jour (version 1.0).");
    EXPECT_LT(st.progress, 0.0f);
    EXPECT_STREQ(st.installed_version, "1.0");
    EXPECT_STREQ(st.new_version, "1.0");
    ASSERT_EQ(st.note_count, 1);
    EXPECT_STREQ(st.notes[0], "Nouvelle forêt");
    EXPECT_EQ(get("tervanne-version.txt"), "1.0\r\n");
    EXPECT_TRUE(file_requests().empty());
    EXPECT_EQ(seen_states, (std::vector<int>{STATE_CHECKING, STATE_READY}));

    // The description is asked for with a cache-defeating query and headers.
    auto reqs = server.requests();
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].target.rfind("/site/version.txt?v=", 0), 0u);
    EXPECT_NE(reqs[0].headers.find("User-Agent: Tervanne-lanceur/1.0"), std::string::npos);
    EXPECT_NE(reqs[0].headers.find("Cache-Control: no-cache"), std::string::npos);
    EXPECT_NE(reqs[0].headers.find("Pragma: no-cache"), std::string::npos);
}

TEST_F(UpdateCheck, UpdatesOnlyTheFilesThatDiffer) {
    const std::string exe(200000, 'x'), data = "nouvelles donnees", same = "identique";
    publish("2.0", {{"Tervanne.exe", exe}, {"donnees.txt", data}, {"pareil.txt", same}},
            "fichier ../evasion.txt 3 " + digest("abc") + "\r\nfichier .cache 3 " + digest("abc") + "\r\n");
    put("donnees.txt", std::string(data.size(), '?'));  // same size, other digest
    put("pareil.txt", same);
    put("tervanne-version.txt", "1.0\r\n");
    LauncherStatus st = check();
    EXPECT_EQ(st.state, STATE_READY);
    EXPECT_STREQ(st.status_text, "Mise à jour terminée : version 2.0. Bon jeu !");
    EXPECT_FLOAT_EQ(st.progress, 1.0f);
    EXPECT_EQ(get("Tervanne.exe"), exe);
    EXPECT_EQ(get("donnees.txt"), data);
    EXPECT_EQ(get("tervanne-version.txt"), "2.0\r\n");
    EXPECT_STREQ(st.installed_version, "2.0");
    EXPECT_EQ(seen_states, (std::vector<int>{STATE_CHECKING, STATE_DOWNLOADING, STATE_READY}));
    EXPECT_EQ(file_requests(), (std::vector<std::string>{"/site/Tervanne.exe", "/site/donnees.txt"}));
    for (const auto& r : server.requests()) {
        if (r.target.rfind("/site/Tervanne.exe", 0) == 0) {
            EXPECT_EQ(r.target, "/site/Tervanne.exe?v=" + digest(exe).substr(0, 8));
        }
    }
    EXPECT_EQ(listing(), (std::vector<std::string>{"Tervanne.exe", "donnees.txt", "pareil.txt", "tervanne-version.txt"}));
}

TEST_F(UpdateCheck, UpperCaseDigestMatchesTheFileOnDisk) {
    std::string d = digest("contenu");
    for (char& c : d) c = (char)toupper(c);
    server.set("/site/version.txt", "version 3\nfichier a.txt 7 " + d + "\n");
    put("a.txt", "contenu");
    EXPECT_EQ(check().state, STATE_READY);
    EXPECT_TRUE(file_requests().empty());
}

// The release notes reach the window before the local files are hashed,
// which can take a while for a large game.
std::vector<std::pair<int, int>> seen_notes;  // (state, note count) at each repaint
void record_notes() {
    const LauncherStatus st = launcher_status_get();
    seen_notes.emplace_back(st.state, st.note_count);
}

TEST_F(UpdateCheck, NotesAreShownWhileStillChecking) {
    publish("1.0", {{"a.dat", "a"}});
    put("a.dat", "a");
    seen_notes.clear();
    launcher_set_repaint_hook(record_notes);
    EXPECT_EQ(check().state, STATE_READY);
    EXPECT_EQ(seen_notes, (std::vector<std::pair<int, int>>{{STATE_CHECKING, 0}, {STATE_CHECKING, 1}, {STATE_READY, 1}}));
}

TEST_F(UpdateCheck, CorruptOrShortDownloadsReplaceNothing) {
    struct Case {
        const char* what;
        std::function<void(LoopbackServer&)> spoil;
    } cases[] = {
        {"other bytes", [](LoopbackServer& s) { s.set("/site/b.dat", "BBBBBBBBBB"); }},
        {"cut short", [](LoopbackServer& s) { s.set("/site/b.dat", "bbbbb", 200, 10); }},
        {"longer than listed", [](LoopbackServer& s) { s.set("/site/b.dat", std::string(300000, 'b')); }},
        {"not found", [](LoopbackServer& s) { s.remove("/site/b.dat"); }},
        {"server error", [](LoopbackServer& s) { s.set("/site/b.dat", "bbbbbbbbbb", 500); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        publish("2.0", {{"a.dat", "nouveau a"}, {"b.dat", "bbbbbbbbbb"}});
        c.spoil(server);
        put("a.dat", "ancien a");
        put("b.dat", "ancien b");
        put("tervanne-version.txt", "1.0\r\n");
        seen_states.clear();
        LauncherStatus st = check();
        EXPECT_EQ(st.state, STATE_DOWNLOAD_FAILED);
        EXPECT_STREQ(st.status_text, "Le téléchargement de b.dat a échoué ou est abîmé. Réessayez plus tard.");
        EXPECT_EQ(seen_states, (std::vector<int>{STATE_CHECKING, STATE_DOWNLOADING, STATE_DOWNLOAD_FAILED}));
        EXPECT_GE(st.progress, 0.0f);
        // Nothing is replaced before every download is verified.
        EXPECT_EQ(get("a.dat"), "ancien a");
        EXPECT_EQ(get("b.dat"), "ancien b");
        EXPECT_EQ(get("tervanne-version.txt"), "1.0\r\n");
        EXPECT_FALSE(exists("b.dat.telechargement"));
    }
}

TEST_F(UpdateCheck, UnusableDescriptionsMeanUnreachable) {
    const std::string unreachable =
        "Impossible de joindre le site des mises à jour. Vous pouvez jouer à la version installée.";
    put("a.dat", "installe");
    put("tervanne-version.txt", "1.0\r\n");
    const std::string good = "fichier a.dat 3 " + digest("new") + "\n";
    struct Case {
        const char* what;
        std::function<void()> setup;
    } cases[] = {
        {"no description", [&] { server.remove("/site/version.txt"); }},
        {"no version line", [&] { server.set("/site/version.txt", good); }},
        {"no accepted file", [&] { server.set("/site/version.txt", "version 2\nfichier a/b 3 " + digest("new") + "\n"); }},
        {"too large", [&] { server.set("/site/version.txt", "version 2\n" + good + std::string(32768, '#')); }},
        {"site closed",
         [&] { snprintf(launcher_base_address, sizeof launcher_base_address, "http://127.0.0.1:%d/", closed_loopback_port()); }},
        {"empty address", [&] { launcher_base_address[0] = 0; }},
        {"no scheme", [&] { snprintf(launcher_base_address, sizeof launcher_base_address, "127.0.0.1:%d/site/", server.port()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.setup();
        seen_states.clear();
        const auto before = listing();
        LauncherStatus st = check();
        EXPECT_EQ(st.state, STATE_UNREACHABLE);
        EXPECT_EQ(st.status_text, unreachable);
        EXPECT_LT(st.progress, 0.0f);
        EXPECT_EQ(seen_states, (std::vector<int>{STATE_CHECKING, STATE_UNREACHABLE}));
        EXPECT_EQ(listing(), before);
        EXPECT_EQ(get("a.dat"), "installe");
        EXPECT_EQ(get("tervanne-version.txt"), "1.0\r\n");
    }
}

TEST_F(UpdateCheck, DescriptionJustBelowTheLimitIsRead) {
    const std::string head = "version 2\nfichier a.dat 3 " + digest("new") + "\n";
    server.set("/site/version.txt", head + std::string(32767 - head.size(), '#'));
    server.set("/site/a.dat", "new");
    EXPECT_EQ(check().state, STATE_READY);
    EXPECT_EQ(get("a.dat"), "new");
}

TEST_F(UpdateCheck, UnwritableTemporaryFileStopsTheUpdate) {
    publish("2.0", {{"a.dat", "nouveau"}});
    put("a.dat", "ancien");
    fs::create_directory(dir / "a.dat.telechargement");  // cannot be opened as a file
    LauncherStatus st = check();
    EXPECT_EQ(st.state, STATE_DOWNLOAD_FAILED);
    EXPECT_STREQ(st.status_text, "Impossible d'écrire dans le dossier du jeu (est-il protégé en écriture ?).");
    EXPECT_EQ(get("a.dat"), "ancien");
    EXPECT_FALSE(exists("tervanne-version.txt"));
}

TEST_F(UpdateCheck, LockedTargetOffersRetryThatSucceeds) {
    publish("2.0", {{"a.dat", "nouveau a"}, {"b.dat", "nouveau b"}, {"c.dat", "nouveau c"}});
    put("a.dat", "ancien a");
    put("c.dat", "ancien c");
    // A non-empty folder in the way cannot be replaced by a rename.
    fs::create_directories(dir / "b.dat" / "occupe");
    LauncherStatus st = check();
    EXPECT_EQ(st.state, STATE_REPLACE_FAILED);
    EXPECT_STREQ(st.status_text,
                 "Impossible de remplacer b.dat : le jeu est sans doute ouvert. Fermez-le, puis cliquez sur « Réessayer ».");
    EXPECT_EQ(get("a.dat"), "nouveau a");     // already replaced: stays
    EXPECT_EQ(get("c.dat"), "ancien c");      // after the failure: untouched
    EXPECT_TRUE(exists("b.dat.telechargement"));
    EXPECT_TRUE(exists("c.dat.telechargement"));
    EXPECT_FALSE(exists("tervanne-version.txt"));

    fs::remove_all(dir / "b.dat");
    seen_states.clear();
    st = check();
    EXPECT_EQ(st.state, STATE_READY);
    EXPECT_EQ(seen_states, (std::vector<int>{STATE_CHECKING, STATE_DOWNLOADING, STATE_READY}));
    EXPECT_EQ(get("b.dat"), "nouveau b");
    EXPECT_EQ(get("c.dat"), "nouveau c");
    EXPECT_EQ(get("tervanne-version.txt"), "2.0\r\n");
    EXPECT_FALSE(exists("b.dat.telechargement"));
    EXPECT_FALSE(exists("c.dat.telechargement"));
}

// A second press of "Réessayer" while the first retry still runs must not
// start a second worker on the same temporary files.
TEST_F(UpdateCheck, RetryRunsOneWorkerAtATime) {
    publish("2.0", {{"a.dat", "nouveau a"}});
    fs::create_directories(dir / "a.dat" / "occupe");
    EXPECT_EQ(check().state, STATE_REPLACE_FAILED);
    fs::remove_all(dir / "a.dat");

    ASSERT_TRUE(launcher_worker_claim());
    EXPECT_FALSE(launcher_worker_claim());  // the double press
    std::thread worker(launcher_worker_body);
    worker.join();
    EXPECT_EQ(launcher_status_get().state, STATE_READY);
    EXPECT_EQ(get("a.dat"), "nouveau a");

    // The worker gave its claim back, whatever the outcome.
    launcher_base_address[0] = 0;
    ASSERT_TRUE(launcher_worker_claim());
    launcher_worker_body();
    EXPECT_EQ(launcher_status_get().state, STATE_UNREACHABLE);
    EXPECT_TRUE(launcher_worker_claim());
    launcher_worker_release();
}

// Linux replaces the running launcher in one rename: there is no moment
// without a launcher under its name, and no old copy to clean up.
TEST_F(UpdateCheck, SelfUpdateReplacesTheRunningLauncherInOneRename) {
    publish("2.0", {{"TERVANNE-LANCEUR", "nouveau lanceur"}});
    launcher_set_paths((dir / "tervanne-lanceur").c_str());
    put("TERVANNE-LANCEUR", "ancien lanceur");
    EXPECT_EQ(check().state, STATE_READY);
    EXPECT_EQ(get("TERVANNE-LANCEUR"), "nouveau lanceur");
    EXPECT_FALSE(exists("TERVANNE-LANCEUR.ancien"));

    // A copy left by an earlier launcher is removed at the next start; the
    // copy is named after the launcher's own full path.
    put("TERVANNE-LANCEUR.ancien", "ancien lanceur");
    launcher_set_paths((dir / "TERVANNE-LANCEUR").c_str());
    launcher_startup();
    EXPECT_FALSE(exists("TERVANNE-LANCEUR.ancien"));
    EXPECT_EQ(get("TERVANNE-LANCEUR"), "nouveau lanceur");
}

// A launcher stopped between moving itself aside and renaming its new copy
// in (Windows) leaves only Tervanne-lanceur.ancien: the next start puts it
// back, and never over a launcher that is there.
TEST_F(UpdateCheck, StartWithoutLauncherPutsTheOldCopyBack) {
    put("Tervanne-lanceur.ancien", "ancien lanceur");
    put("Tervanne-lanceur.telechargement", "nouveau lanceur");
    launcher_set_paths((dir / "copie-du-lanceur").c_str());
    launcher_startup();
    EXPECT_EQ(get("Tervanne-lanceur"), "ancien lanceur");
    EXPECT_FALSE(exists("Tervanne-lanceur.ancien"));

    put("Tervanne-lanceur.ancien", "plus ancien");
    launcher_startup();
    EXPECT_EQ(get("Tervanne-lanceur"), "ancien lanceur");
}

int mode_of(const fs::path& p) {
    struct stat st;
    return stat(p.c_str(), &st) == 0 ? (int)(st.st_mode & 0777) : -1;
}

// After an update the programs still start: a replaced file keeps the mode
// of the one it replaces (the running launcher included), a new file named
// like one of our programs is executable, other new files are not.
TEST_F(UpdateCheck, ReplacedFilesKeepTheirModeAndNewProgramsRun) {
    publish("2.0", {{"Tervanne", "jeu 2"}, {"Tervanne-lanceur", "lanceur 2"}, {"reglages.txt", "r 2"},
                    {"notes.txt", "nouveau"}});
    put("Tervanne", "jeu 1");
    put("Tervanne-lanceur", "lanceur 1");
    put("reglages.txt", "r 1");
    chmod((dir / "Tervanne").c_str(), 0750);
    chmod((dir / "Tervanne-lanceur").c_str(), 0755);
    chmod((dir / "reglages.txt").c_str(), 0600);
    EXPECT_EQ(check().state, STATE_READY);
    EXPECT_EQ(get("Tervanne"), "jeu 2");
    EXPECT_EQ(mode_of(dir / "Tervanne"), 0750);
    EXPECT_EQ(mode_of(dir / "Tervanne-lanceur"), 0755);
    EXPECT_EQ(mode_of(dir / "reglages.txt"), 0600);
    EXPECT_EQ(mode_of(dir / "notes.txt") & 0111, 0);

    // A first install: the game arrives runnable, and so does a launcher
    // listed under its usual name beside one started under another.
    fs::remove(dir / "Tervanne");
    fs::remove(dir / "Tervanne-lanceur");
    launcher_set_paths((dir / "mon-lanceur").c_str());
    EXPECT_EQ(check().state, STATE_READY);
    // Every program shipped runs after an update: the game server, any
    // other Linux program, and one whose old copy had lost its run bit.
    const std::string elf = std::string("\x7f" "ELF\x02\x01\x01", 7) + std::string(100, '\0');
    publish("3.0", {{"Tervanne", "jeu 3"}, {"tervanne-serveur", "serveur 3"}, {"outil", elf}, {"notes.txt", "n 3"}});
    put("tervanne-serveur", "serveur 2");
    chmod((dir / "tervanne-serveur").c_str(), 0644);
    chmod((dir / "Tervanne").c_str(), 0640);
    EXPECT_EQ(check().state, STATE_READY);
    EXPECT_EQ(mode_of(dir / "tervanne-serveur"), 0755);
    EXPECT_EQ(mode_of(dir / "Tervanne"), 0750);
    EXPECT_EQ(mode_of(dir / "notes.txt") & 0111, 0);
    fs::remove(dir / "tervanne-serveur");  // and a first install of it
    EXPECT_EQ(check().state, STATE_READY);
    for (const char* program : {"Tervanne", "Tervanne-lanceur", "tervanne-serveur", "outil"}) {
        const int m = mode_of(dir / program);
        EXPECT_EQ(m & 0100, 0100) << program;
        EXPECT_EQ((m & 0044) >> 2, m & 0011) << program;  // run by whoever may read it
        EXPECT_EQ(access((dir / program).c_str(), X_OK), 0) << program;
    }
}

// "X.telechargement" listed before X would make the first rename put X's
// verified download in place under another name: such names never count.
TEST_F(UpdateCheck, WorkingNamesInTheListAreIgnored) {
    const std::string good = "le vrai", evil = "remplace";
    server.set("/site/a.dat", good);
    server.set("/site/a.dat.telechargement", evil);
    server.set("/site/b.dat.ancien", evil);
    server.set("/site/version.txt", "version 2\nfichier a.dat.telechargement 8 " + digest(evil) +
                                        "\nfichier b.dat.ancien 8 " + digest(evil) + "\nfichier a.dat 7 " +
                                        digest(good) + "\n");
    EXPECT_EQ(check().state, STATE_READY);
    EXPECT_EQ(get("a.dat"), good);
    EXPECT_EQ(file_requests(), (std::vector<std::string>{"/site/a.dat"}));
    EXPECT_EQ(listing(), (std::vector<std::string>{"a.dat", "tervanne-version.txt"}));
}

// A pipe (or any non-file) under a listed name is neither read nor written
// through: it would hold the worker for ever. It is simply replaced.
TEST_F(UpdateCheck, APipeUnderAListedNameDoesNotHoldTheCheck) {
    publish("2.0", {{"a.dat", "nouveau"}});
    ASSERT_EQ(mkfifo((dir / "a.dat").c_str(), 0644), 0);
    EXPECT_EQ(check().state, STATE_READY);
    EXPECT_TRUE(fs::is_regular_file(dir / "a.dat"));
    EXPECT_EQ(get("a.dat"), "nouveau");
}

// Two launchers of one folder: while another holds the folder, the check
// waits (showing that it is checking) and fetches nothing; it goes on once
// the other is done.
TEST_F(UpdateCheck, SecondLauncherWaitsWhileAnotherUpdates) {
    publish("2.0", {{"a.dat", "nouveau"}});
    const int other = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    std::thread worker([] { run_update_check(); });
    for (int i = 0; i < 40 && launcher_status_get().state != STATE_CHECKING; i++) usleep(25000);
    usleep(500000);  // room to misbehave: any request now would be a second writer
    EXPECT_EQ(launcher_status_get().state, STATE_CHECKING);
    EXPECT_TRUE(server.requests().empty());
    EXPECT_FALSE(exists("a.dat.telechargement"));
    close(other);  // the other launcher is done
    worker.join();
    EXPECT_EQ(launcher_status_get().state, STATE_READY);
    EXPECT_EQ(get("a.dat"), "nouveau");
}

// A verified temporary file rewritten before its rename (another writer of
// the folder) is hashed again just before it and never put in place.
fs::path tamper_folder;
void rewrite_verified_temporary() {
    if (fs::exists(tamper_folder / "a.dat.telechargement") && fs::exists(tamper_folder / "b.dat.telechargement"))
        std::ofstream(tamper_folder / "a.dat.telechargement", std::ios::binary) << "falsifie!";
}

TEST_F(UpdateCheck, TemporaryFileRewrittenAfterItsCheckIsNotInstalled) {
    publish("2.0", {{"a.dat", "nouveau a"}, {"b.dat", std::string(1000, 'b')}});
    put("a.dat", "ancien a");
    tamper_folder = dir;
    launcher_set_repaint_hook(rewrite_verified_temporary);  // runs while b.dat downloads
    const LauncherStatus st = check();
    EXPECT_EQ(st.state, STATE_DOWNLOAD_FAILED);
    EXPECT_STREQ(st.status_text, "Le téléchargement de a.dat a échoué ou est abîmé. Réessayez plus tard.");
    EXPECT_EQ(get("a.dat"), "ancien a");
    EXPECT_FALSE(exists("a.dat.telechargement"));
    EXPECT_FALSE(exists("tervanne-version.txt"));
}

// One start of the launcher in `folder`, in a process of its own (its
// start-up, then the check), so that it can be stopped dead at a named step:
// its end state, or minus the signal that ended it.
int launcher_run_in_child(const fs::path& folder, const char* cut) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (cut) setenv("TERVANNE_LANCEUR_COUPURE", cut, 1);
        else unsetenv("TERVANNE_LANCEUR_COUPURE");
        launcher_set_repaint_hook(nullptr);
        launcher_set_paths((folder / "Tervanne-lanceur").c_str());
        launcher_startup();
        run_update_check();
        _exit(launcher_status_get().state);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1000;
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

std::map<std::string, std::string> folder_files(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) {
        std::ifstream in(e.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        out[e.path().filename().string()] = ss.str();
    }
    return out;
}

// The game program is whole and starts (it is a small script here).
bool game_starts(const fs::path& folder) {
    const std::string game = (folder / "Tervanne").string();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(game.c_str(), game.c_str(), (char*)nullptr);
        _exit(127);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// An update of the game, its server and the launcher itself, stopped dead
// after each download, between the renames, while the version is written and
// before it is: each time the installed game still starts, and the next start
// of the launcher finishes the update to exactly the files of an uncut one.
TEST_F(UpdateCheck, UpdateCutShortAnywhereIsFinishedByTheNextStart) {
    const std::string game1 = "#!/bin/sh\n# jeu 1\nexit 0\n", game2 = "#!/bin/sh\n# jeu 2\nexit 0\n";
    publish("2.0", {{"Tervanne", game2}, {"tervanne-serveur", "serveur 2"}, {"Tervanne-lanceur", "lanceur 2"}});
    const fs::path start = dir / "depart";
    fs::create_directory(start);
    auto write = [](const fs::path& p, const std::string& text, int mode) {
        std::ofstream(p, std::ios::binary) << text;
        chmod(p.c_str(), mode);
    };
    write(start / "Tervanne", game1, 0755);
    write(start / "tervanne-serveur", "serveur 1", 0755);
    write(start / "Tervanne-lanceur", "lanceur 1", 0755);
    write(start / "tervanne-version.txt", "1.0\r\n", 0644);
    write(start / "lanceur.txt", "adresse http://127.0.0.1:" + std::to_string(server.port()) + "/site/\r\n", 0644);
    auto fresh_copy = [&](const std::string& name) {
        const fs::path to = dir / name;
        fs::copy(start, to, fs::copy_options::recursive);
        return to;
    };

    const fs::path uncut = fresh_copy("sans-coupure");
    ASSERT_EQ(launcher_run_in_child(uncut, nullptr), STATE_READY);
    const auto expected = folder_files(uncut);
    ASSERT_EQ(expected.at("Tervanne"), game2);
    ASSERT_EQ(expected.at("tervanne-version.txt"), "2.0\r\n");

    for (const char* step : {"telechargement-1", "telechargement-2", "telechargement-3", "remplacement-1",
                             "remplacement-2", "remplacement-3", "version-a-moitie", "avant-version"}) {
        SCOPED_TRACE(step);
        const fs::path folder = fresh_copy(std::string("coupure-") + step);
        EXPECT_EQ(launcher_run_in_child(folder, step), -SIGKILL) << "the launcher never reached this step";
        const auto cut = folder_files(folder);
        ASSERT_TRUE(cut.count("Tervanne"));
        EXPECT_TRUE(cut.at("Tervanne") == game1 || cut.at("Tervanne") == game2);
        EXPECT_TRUE(cut.count("Tervanne-lanceur")) << "no launcher left to start";
        EXPECT_TRUE(game_starts(folder));
        EXPECT_EQ(launcher_run_in_child(folder, nullptr), STATE_READY);
        EXPECT_EQ(folder_files(folder), expected);
        EXPECT_TRUE(game_starts(folder));
        for (const auto& e : fs::directory_iterator(folder))
            EXPECT_EQ(mode_of(e.path()), mode_of(uncut / e.path().filename())) << e.path().filename();
    }
}

TEST_F(UpdateCheck, AddressFileWithPortAndSubPath) {
    put("lanceur.txt", "adresse http://127.0.0.1:" + std::to_string(server.port()) + "/depot/tervanne\r\n");
    put("tervanne-version.txt", "0.9\r\nignore");
    launcher_startup();
    EXPECT_EQ(std::string(launcher_base_address),
              "http://127.0.0.1:" + std::to_string(server.port()) + "/depot/tervanne/");
    EXPECT_STREQ(launcher_status_get().installed_version, "0.9");
    server.set("/depot/tervanne/version.txt", "version 1.1\nfichier jeu.dat 4 " + digest("jeu!") + "\n");
    server.set("/depot/tervanne/jeu.dat", "jeu!");
    EXPECT_EQ(check().state, STATE_READY);
    EXPECT_EQ(get("jeu.dat"), "jeu!");
    EXPECT_EQ(server.paths(), (std::vector<std::string>{"/depot/tervanne/version.txt", "/depot/tervanne/jeu.dat"}));
}

TEST_F(UpdateCheck, NamesAreEscapedInRequests) {
    publish("2.0", {{"été#1.txt", "accents"}});
    server.set("/site/%C3%A9t%C3%A9%231.txt", "accents");
    EXPECT_EQ(check().state, STATE_READY);
    EXPECT_EQ(get("été#1.txt"), "accents");
    EXPECT_EQ(file_requests(), (std::vector<std::string>{"/site/%C3%A9t%C3%A9%231.txt"}));
}

// What the release tool writes is what the launcher accepts, every file.
TEST_F(UpdateCheck, PublishedFolderUpdatesAnInstall) {
    const fs::path published = dir / "publie";
    fs::create_directory(published);
    std::map<std::string, std::string> files = {
        {"Tervanne.exe", std::string(150000, 'T')}, {"Tervanne-lanceur.exe", "lanceur 2"}, {"réglages.txt", "é"}};
    for (const auto& [name, content] : files) std::ofstream(published / name, std::ios::binary) << content;
    std::ofstream(published / ".cache") << "caché";
    const std::string cmd = "bin/publier '" + published.string() + "' 4.2 'Note une' 'Note deux' > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "run from the build folder: " << cmd;

    std::ifstream in(published / "version.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    server.set("/site/version.txt", text.str());
    for (const auto& [name, content] : files) server.set("/site/" + name, content);
    server.set("/site/r%C3%A9glages.txt", "é");
    LauncherStatus st = check();
    EXPECT_EQ(st.state, STATE_READY);
    EXPECT_STREQ(st.new_version, "4.2");
    EXPECT_EQ(st.note_count, 2);
    for (const auto& [name, content] : files) EXPECT_EQ(get(name), content) << name;
    EXPECT_EQ(file_requests().size(), 3u);
}

// What the launcher would drop, the release tool refuses outright.
TEST_F(UpdateCheck, PublisherRefusesWhatTheLauncherWouldDrop) {
    const fs::path published = dir / "publie";
    fs::create_directory(published);
    std::ofstream(published / "carte.dat") << "a";
    std::ofstream(published / "Carte.dat") << "b";  // one file on Windows
    const std::string cmd = "bin/publier '" + published.string() + "' 4.3 2> /dev/null > /dev/null";
    EXPECT_NE(std::system(cmd.c_str()), 0);
    EXPECT_FALSE(fs::exists(published / "version.txt"));
    fs::remove(published / "Carte.dat");
    // Names Windows takes for a device or for another file are refused too.
    for (const char* name : {"a|b.dat", "nul.txt", "COM1", "Tervanne.exe.", "TERVAN~1.EXE"}) {
        std::ofstream(published / name) << "c";
        EXPECT_NE(std::system(cmd.c_str()), 0) << name;
        EXPECT_FALSE(fs::exists(published / "version.txt")) << name;
        fs::remove(published / name);
    }
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "run from the build folder: " << cmd;
    EXPECT_TRUE(fs::exists(published / "version.txt"));
}

TEST(LauncherPaths, FolderNameAndLengthLimit) {
    char out[LAUNCHER_PATH_BYTES];
    launcher_set_paths("C:\\Jeux\\Tervanne/Tervanne-lanceur.exe");
    EXPECT_STREQ(launcher_folder, "C:\\Jeux\\Tervanne/");
    EXPECT_STREQ(launcher_exe_name, "Tervanne-lanceur.exe");
    ASSERT_TRUE(launcher_path(out, "a.txt", ".telechargement"));
    EXPECT_STREQ(out, "C:\\Jeux\\Tervanne/a.txt.telechargement");

    // 300 UTF-16 units at most; "é" is one unit in two bytes.
    const std::string folder = "/" + std::string(98, 'x') + "/";
    launcher_set_paths((folder + "lanceur").c_str());
    std::string name;
    for (int i = 0; i < 200; i++) name += "é";  // 100 + 200 units
    EXPECT_TRUE(launcher_path(out, name.c_str(), ""));
    EXPECT_FALSE(launcher_path(out, (name + "e").c_str(), ""));

    // No folder known: nothing may be read or written anywhere.
    launcher_set_paths("");
    EXPECT_FALSE(launcher_path(out, "tervanne-version.txt", ""));
    launcher_set_paths("lanceur-sans-dossier");
    EXPECT_FALSE(launcher_path(out, "tervanne-version.txt", ""));
}

// Bodies never outgrow their target: the description keeps room for its
// terminating zero, and a file takes no more bytes than listed, not even
// for an empty file.
TEST(HttpBody, MemoryAndFileLimits) {
    char mem[8];
    HttpSink m{mem, sizeof mem, nullptr, 0, 0, 0, 0};
    EXPECT_TRUE(http_sink_accept(&m, "abcd", 4));
    EXPECT_TRUE(http_sink_accept(&m, "efg", 3));
    EXPECT_FALSE(http_sink_accept(&m, "h", 1));  // would leave no room for the zero
    http_sink_finish(&m);
    EXPECT_STREQ(mem, "abcdefg");

    const std::string path = "/tmp/lanceur-corps-" + std::to_string(getpid());
    for (uint64_t listed : {0u, 5u}) {
        SCOPED_TRACE(listed);
        LFile* f = lfs_create(path.c_str());
        ASSERT_TRUE(f);
        HttpSink s{nullptr, 0, f, listed, 0, 0, 0};
        if (listed) {
            EXPECT_TRUE(http_sink_accept(&s, "12345", 5));
        }
        EXPECT_FALSE(http_sink_accept(&s, "6", 1));
        EXPECT_TRUE(lfs_close(f));
        EXPECT_EQ(fs::file_size(path), listed);
    }
    unlink(path.c_str());
}

TEST(Sha256File, DigestAndSizeOfALargeFile) {
    std::string content;
    for (int i = 0; i < 200000; i++) content.push_back((char)(i * 7 + (i >> 9)));
    const std::string path = "/tmp/lanceur-sha-" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary) << content;
    char hex[65];
    uint64_t size = 0;
    ASSERT_TRUE(sha256_file(path.c_str(), hex, &size));
    EXPECT_EQ(size, content.size());
    EXPECT_EQ(std::string(hex), digest(content));
    unlink(path.c_str());
    EXPECT_FALSE(sha256_file(path.c_str(), hex, &size));
}

}  // namespace
