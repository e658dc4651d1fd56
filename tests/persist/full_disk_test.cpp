// A save on a disk without room, through the real file calls: in a child
// process limited in file size (any machine), and in a small memory disk
// mounted over the program's folder where this machine lets a process mount
// one (also made read-only). Both copies of the character stay whole, the
// player is told at once, nothing waits, and the next save with room passes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "game/layer_calls.h"
#include "persist/characters.h"
#include "persist/keyvalue.h"
#include "persist/save_queue.h"
#include "persist_support.h"
#include "play/combat.h"
#include "play/items.h"
#include "play/player.h"
#include "play/skills.h"
#include "render/hud.h"
#include "tests/support/shown.h"

namespace {

const char* const kFailed = "La sauvegarde a échoué : votre progression n'est pas enregistrée.";

// Checks made in the child: each failure is one line sent to the parent.
char failures[4096];
size_t failures_used;
void child_note(const char* text) {
    int n = std::snprintf(failures + failures_used, sizeof failures - failures_used, "%s", text);
    if (n > 0) failures_used = std::min(sizeof failures - 1, failures_used + (size_t)n);
}
void child_failed(const char* what, int line) {
    char text[512];
    std::snprintf(text, sizeof text, "%s (line %d)\n", what, line);
    child_note(text);
}
#define CHILD_EXPECT(cond) ((cond) ? (void)0 : child_failed(#cond, __LINE__))

// Runs body in a child process; "" when every check held, "SKIP: why" when
// the machine cannot make the case, else the failed checks.
std::string in_child(void (*body)()) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return "no pipe";
    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) return "no fork";
    if (pid == 0) {
        close(pipe_fds[0]);
        failures_used = 0;
        body();
        ssize_t w = write(pipe_fds[1], failures, failures_used);
        (void)w;
        _exit(0);
    }
    close(pipe_fds[1]);
    std::string out;
    char buf[512];
    ssize_t n;
    while ((n = read(pipe_fds[0], buf, sizeof buf)) > 0) out.append(buf, (size_t)n);
    close(pipe_fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) out += "the child did not end normally\n";
    return out;
}

std::string slot, backup;
std::string old_text;  // the character on disk before the full disk

int level_in(const std::string& text) { return kv_int(text.c_str(), "niveau", -1); }

bool whole(const std::string& text) { return !text.empty() && character_text_valid(text.c_str()); }

// A save that the disk refuses: false at once, nothing kept, the player told.
bool refused_at_once() {
    hud_message("", 0.0f);
    bool saved = character_save_to(slot.c_str());
    return !saved && !saves_waiting() && std::strcmp(shown_message(), kFailed) == 0;
}

// Level 8 with a full bag: a longer text than the level 7 on disk.
void make_it_grow() {
    set_level_and_experience(8, 0);
    int id = 1;
    while (id < ITEM_LAST && !(item_exists(id) && item_is_stackable(id))) ++id;
    for (int s = 0; s < BAG_SLOTS; ++s) bag[s] = {id, 20};
}

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        game_connect_layers();
        clear_game_files();
        current_slot = -1;
        character_reset();
        std::snprintf(player.name, sizeof player.name, "Girflet");
        set_level_and_experience(7, 0);
        slot = slot_name(0);
        backup = backup_of(0);
        ASSERT_TRUE(character_save_to(slot.c_str()));
        put_file(backup.c_str(), "");
        old_text = read_file(slot.c_str());
        make_it_grow();
    }
    void TearDown() override { clear_game_files(); }
};

// Writes past the size limit fail with EFBIG (the signal it would send is
// ignored, as a game on a quota'd disk sees ENOSPC or EDQUOT instead).
void size_limit_body() {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    rlimit tight = limit;
    CharacterRecord r;
    character_record_of_player(r);
    static char new_text[CHARACTER_FILE_SIZE];
    int new_length = character_record_write(r, save_bar, new_text, sizeof new_text);
    CHILD_EXPECT(new_length > (int)old_text.size() + 20);
    // Room for the backup (the old text) and not for the new slot text.
    tight.rlim_cur = old_text.size() + (size_t)(new_length - (int)old_text.size()) / 2;
    CHILD_EXPECT(setrlimit(RLIMIT_FSIZE, &tight) == 0);
    CHILD_EXPECT(refused_at_once());
    CHILD_EXPECT(read_file(slot.c_str()) == old_text);
    CHILD_EXPECT(read_file(backup.c_str()) == old_text);
    // No room for either file: it fails at the backup, which stays whole.
    tight.rlim_cur = 100;
    CHILD_EXPECT(setrlimit(RLIMIT_FSIZE, &tight) == 0);
    CHILD_EXPECT(refused_at_once());
    CHILD_EXPECT(read_file(slot.c_str()) == old_text);
    CHILD_EXPECT(read_file(backup.c_str()) == old_text);
    // Room again: the next save passes.
    CHILD_EXPECT(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    CHILD_EXPECT(character_save_to(slot.c_str()));
    CHILD_EXPECT(level_in(read_file(slot.c_str())) == 8);
    CHILD_EXPECT(read_file(backup.c_str()) == old_text);
    CHILD_EXPECT(character_load(slot.c_str()) && player.level == 8);
}

bool write_text(const char* path, const char* text) {
    int fd = open(path, O_WRONLY);
    if (fd < 0) return false;
    bool ok = write(fd, text, std::strlen(text)) == (ssize_t)std::strlen(text);
    close(fd);
    return ok;
}

// The program's folder covered by a 64 KiB memory disk of this process's
// own: a user and mount namespace where the machine allows one.
bool own_small_disk(std::string& folder, std::string& why) {
    uid_t uid = getuid();
    gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
        char map[64];
        std::snprintf(map, sizeof map, "0 %u 1", (unsigned)uid);
        bool mapped = write_text("/proc/self/setgroups", "deny") && write_text("/proc/self/uid_map", map);
        std::snprintf(map, sizeof map, "0 %u 1", (unsigned)gid);
        if (!mapped || !write_text("/proc/self/gid_map", map)) return why = "no user mapping", false;
    } else if (unshare(CLONE_NEWNS) != 0) {
        return why = std::string("no mount namespace: ") + std::strerror(errno), false;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return why = std::string("mounts not private: ") + std::strerror(errno), false;
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return why = "no program path", false;
    exe[n] = 0;
    folder = exe;
    folder.resize(folder.rfind('/'));
    if (mount("tervanne-essai", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
        return why = std::string("no tmpfs: ") + std::strerror(errno), false;
    return true;
}

void small_disk_body() {
    std::string folder, why;
    if (!own_small_disk(folder, why)) {
        child_note(("SKIP: " + why).c_str());
        return;
    }
    CHILD_EXPECT(plat_write_file(slot.c_str(), old_text.data(), (int)old_text.size()));
    // Fill the disk, then give back one page: room for the backup, none
    // for the slot's new text.
    std::string filler = folder + "/remplissage";
    int fd = open(filler.c_str(), O_WRONLY | O_CREAT, 0644);
    static char page[4096];
    off_t size = 0;
    while (write(fd, page, sizeof page) == (ssize_t)sizeof page) size += (off_t)sizeof page;
    CHILD_EXPECT(size > 0 && errno == ENOSPC);
    CHILD_EXPECT(refused_at_once());
    CHILD_EXPECT(!plat_file_busy());
    CHILD_EXPECT(read_file(slot.c_str()) == old_text);
    CHILD_EXPECT(read_file(backup.c_str()).empty() || read_file(backup.c_str()) == old_text);
    CHILD_EXPECT(ftruncate(fd, size - (off_t)sizeof page) == 0);
    CHILD_EXPECT(refused_at_once());
    CHILD_EXPECT(read_file(slot.c_str()) == old_text);
    CHILD_EXPECT(read_file(backup.c_str()) == old_text);
    // Room again.
    close(fd);
    unlink(filler.c_str());
    CHILD_EXPECT(character_save_to(slot.c_str()));
    std::string saved = read_file(slot.c_str());
    CHILD_EXPECT(whole(saved) && level_in(saved) == 8);
    CHILD_EXPECT(read_file(backup.c_str()) == old_text);
    // A folder made read-only refuses at once too, and keeps both copies.
    if (mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        child_failed(std::strerror(errno), __LINE__);
        return;
    }
    set_level_and_experience(9, 0);
    CHILD_EXPECT(refused_at_once());
    CHILD_EXPECT(!plat_file_busy());
    CHILD_EXPECT(read_file(slot.c_str()) == saved);
    CHILD_EXPECT(read_file(backup.c_str()) == old_text);
}

}  // namespace

TEST_F(FullDisk, AFileSizeLimitRefusesTheSaveAtOnceAndTheNextWithRoomPasses) {
    ASSERT_TRUE(whole(old_text));
    EXPECT_EQ(in_child(size_limit_body), "");
}

TEST_F(FullDisk, ASmallDiskFilledUpOrMadeReadOnlyKeepsBothCopiesWhole) {
    ASSERT_TRUE(whole(old_text));
    std::string result = in_child(small_disk_body);
    if (result.rfind("SKIP: ", 0) == 0) GTEST_SKIP() << result.substr(6);
    EXPECT_EQ(result, "");
}
