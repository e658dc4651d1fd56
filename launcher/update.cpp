#include "launcher/update.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "launcher/http.h"
#include "launcher/launcher_io.h"
#include "launcher/sha256.h"
#include "launcher/signature.h"
#include "launcher/status.h"

char launcher_folder[LAUNCHER_PATH_BYTES];
char launcher_exe_name[LAUNCHER_NAME_BYTES];

namespace {

bool folder_known;
std::atomic<bool> worker_busy{false};
VersionDesc desc;
char desc_text[VERSION_DESC_CAPACITY];

// Reads at most cap - 1 bytes of a small file; -1 when it cannot be opened.
long long read_small(const char* path, char* buf, size_t cap) {
    LFile* f = lfs_open_read(path);
    if (!f) return -1;
    size_t n = 0;
    while (n + 1 < cap) {
        long long r = lfs_read(f, buf + n, cap - 1 - n);
        if (r <= 0) break;
        n += (size_t)r;
    }
    lfs_close(f);
    buf[n] = 0;
    return (long long)n;
}

// Tests stop the launcher dead at one named step of an update
// (TERVANNE_LANCEUR_COUPURE=telechargement-2, remplacement-1, lanceur-de-cote,
// version-a-moitie or avant-version), to show that an update cut short
// anywhere leaves a game that starts and a folder that the next check
// finishes. Without the variable nothing changes.
void cut_point(const char* step, int n = 0) {
    const char* wanted = getenv("TERVANNE_LANCEUR_COUPURE");
    if (!wanted || !wanted[0]) return;
    char name[64];
    if (n > 0) snprintf(name, sizeof name, "%s-%d", step, n);
    else snprintf(name, sizeof name, "%s", step);
    if (strcmp(wanted, name) == 0) lnc_stop_dead();
}

void finish(int state, float progress, const char* text) {
    launcher_status_set(state, progress, text);
    launcher_request_repaint();
}

// What "tervanne-version.txt" holds: the installed version and, for a
// launcher with a key, the highest list order it installed.
struct InstalledRecord {
    char version[LAUNCHER_INSTALLED_BYTES];
    uint64_t serie;
};

InstalledRecord read_installed_record() {
    InstalledRecord r{};
    char path[LAUNCHER_PATH_BYTES];
    char buf[256];
    long long n = -1;
    if (launcher_path(path, "tervanne-version.txt", "")) n = read_small(path, buf, sizeof buf);
    config_read_installed(n >= 0 ? buf : nullptr, n >= 0 ? (size_t)n : 0, r.version);
    r.serie = config_read_serie(n >= 0 ? buf : nullptr, n >= 0 ? (size_t)n : 0);
    return r;
}

// Written beside and renamed: a crash never leaves a cut record, which
// would forget the order and let an older list in.
bool write_installed_record(const char* version, uint64_t serie) {
    char path[LAUNCHER_PATH_BYTES], temp[LAUNCHER_PATH_BYTES];
    char text[LAUNCHER_INSTALLED_BYTES + 40];
    int n = serie ? snprintf(text, sizeof text, "%s\r\nserie %llu\r\n", version, (unsigned long long)serie)
                  : snprintf(text, sizeof text, "%s\r\n", version);
    if (!launcher_path(path, "tervanne-version.txt", "") ||
        !launcher_path(temp, "tervanne-version.txt", ".telechargement"))
        return false;
    LFile* f = lfs_create(temp);
    if (!f) return false;
    bool ok = lfs_write(f, text, (size_t)n);
    ok = lfs_close(f) && ok;
    cut_point("version-a-moitie");
    if (ok && lfs_rename_replace(temp, path)) return true;
    lfs_delete(temp);
    return false;
}

// Records the version that is now installed.
void record_version(const char* version, uint64_t serie) {
    write_installed_record(version, serie);
    launcher_status_set_installed(version);
}

// Bytes of a name that may not appear raw in a URL path are escaped so that
// a name like "a#b" or an accented name fetches exactly that file.
void append_escaped(char* out, size_t cap, const char* name) {
    size_t n = strlen(out);
    for (const unsigned char* p = (const unsigned char*)name; *p && n + 4 < cap; p++) {
        if (*p <= 0x20 || *p >= 0x7f || *p == '#' || *p == '%') {
            static const char hex[] = "0123456789ABCDEF";
            out[n++] = '%';
            out[n++] = hex[*p >> 4];
            out[n++] = hex[*p & 15];
        } else {
            out[n++] = (char)*p;
        }
    }
    out[n] = 0;
}

}  // namespace

void launcher_set_paths(const char* exe_full_path) {
    const char* cut = exe_full_path;
    for (const char* p = exe_full_path; *p; p++)
        if (*p == '/' || *p == '\\') cut = p + 1;
    size_t folder_len = (size_t)(cut - exe_full_path);
    // Without a usable folder every path fails, rather than silently landing
    // in whatever the current folder happens to be.
    folder_known = folder_len > 0 && folder_len < sizeof launcher_folder;
    if (!folder_known) folder_len = 0;
    memcpy(launcher_folder, exe_full_path, folder_len);
    launcher_folder[folder_len] = 0;
    utf8_copy(launcher_exe_name, sizeof launcher_exe_name, cut);
}

bool launcher_path(char* out, const char* name, const char* suffix) {
    if (!folder_known) {
        out[0] = 0;
        return false;
    }
    int n = snprintf(out, LAUNCHER_PATH_BYTES, "%s%s%s", launcher_folder, name, suffix);
    if (n < 0 || n >= LAUNCHER_PATH_BYTES) {
        out[0] = 0;
        return false;
    }
    const int units = utf8_utf16_length(out, (size_t)n);
    return units >= 0 && units <= 300;
}

void launcher_startup() {
    char path[LAUNCHER_PATH_BYTES], aside[LAUNCHER_PATH_BYTES];
    // A launcher stopped between moving itself aside and renaming its new
    // copy in left no launcher under its usual name: its old copy goes back.
    if (launcher_path(path, LAUNCHER_SELF_FILE, "") && launcher_path(aside, LAUNCHER_SELF_FILE, ".ancien") &&
        !lfs_exists(path) && lfs_exists(aside))
        lfs_rename_no_replace(aside, path);
    if (launcher_path(path, launcher_exe_name, "") && launcher_path(aside, launcher_exe_name, ".ancien") &&
        lfs_exists(path))
        lfs_delete(aside);

    static char buf[LAUNCHER_CONFIG_READ_BYTES];
    long long n = -1;
    if (launcher_path(path, LAUNCHER_CONFIG_FILE, "")) n = read_small(path, buf, sizeof buf);
    config_read_address(n >= 0 ? buf : nullptr, n >= 0 ? (size_t)n : 0, launcher_base_address);
    config_read_key(n >= 0 ? buf : nullptr, n >= 0 ? (size_t)n : 0, &launcher_key);

    char installed[LAUNCHER_INSTALLED_BYTES];
    n = -1;
    if (launcher_path(path, "tervanne-version.txt", "")) n = read_small(path, buf, 64);
    config_read_installed(n >= 0 ? buf : nullptr, n >= 0 ? (size_t)n : 0, installed);
    launcher_status_set_installed(installed);
}

bool sha256_file(const char* path, char digest[65], uint64_t* size) {
    LFile* f = lfs_open_read(path);
    if (!f) return false;
    static thread_local uint8_t block[65536];
    Sha256 s;
    sha256_init(&s);
    uint64_t total = 0;
    bool ok = true;
    for (;;) {
        long long r = lfs_read(f, block, sizeof block);
        if (r < 0) ok = false;
        if (r <= 0) break;
        sha256_update(&s, block, (size_t)r);
        total += (uint64_t)r;
    }
    lfs_close(f);
    if (!ok) return false;
    uint8_t d[32];
    sha256_final(&s, d);
    sha256_hex(d, digest);
    *size = total;
    return true;
}

bool launcher_worker_claim() {
    bool expected = false;
    return worker_busy.compare_exchange_strong(expected, true);
}

void launcher_worker_release() { worker_busy.store(false); }

void launcher_worker_body() {
    run_update_check();
    launcher_worker_release();
}

bool launcher_is_program(const char* name) {
    return file_names_equal(name, launcher_exe_name) || file_names_equal(name, LAUNCHER_GAME_FILE) ||
           file_names_equal(name, LAUNCHER_SELF_FILE) || file_names_equal(name, LAUNCHER_SERVER_FILE);
}

namespace {

// Held for the whole check: another launcher of the folder must not rename
// our half-written temporary files into place, nor we its own.
struct FolderLock {
    FolderLock() { lfs_lock_folder(launcher_folder); }
    ~FolderLock() { lfs_unlock_folder(); }
};

// True when the file at path has the size and the digest the entry lists.
bool file_matches(const char* path, const FileEntry& e) {
    char digest[65];
    uint64_t size = 0;
    return sha256_file(path, digest, &size) && size == e.size && strcmp(digest, e.digest) == 0;
}

// A download that failed or came damaged: its temporary copy goes, and the
// player is asked to try later.
void download_failed(const char* temp, const FileEntry& e) {
    lfs_delete(temp);
    char text[LAUNCHER_STATUS_BYTES];
    snprintf(text, sizeof text, "Le téléchargement de %s a échoué ou est abîmé. Réessayez plus tard.", e.name);
    launcher_status_set(STATE_DOWNLOAD_FAILED, launcher_status_get().progress, text);
    launcher_request_repaint();
}

}  // namespace

void run_update_check() {
    char text[LAUNCHER_STATUS_BYTES];
    char path[LAUNCHER_PATH_BYTES];
    char temp[LAUNCHER_PATH_BYTES];

    // 1. Checking.
    launcher_status_set(STATE_CHECKING, -1.0f, "Recherche des mises à jour…");
    launcher_request_repaint();
    const FolderLock lock;

    // 2. The version description, with a query that no cache has seen.
    char rel[128];
    snprintf(rel, sizeof rel, "version.txt?v=%lu", (unsigned long)lnc_tick_ms());
    HttpSink sink{desc_text, sizeof desc_text, nullptr, 0, 0, 0, 0};
    const bool fetched = http_get(rel, &sink);
    http_sink_finish(&sink);
    memset(&desc, 0, sizeof desc);
    size_t use_len = 0;
    if (fetched && !description_authentic(launcher_key, desc_text, (size_t)sink.received, &use_len)) {
        // Whoever answered for the address is not the publisher (or the key
        // cannot tell): nothing from that list is shown, downloaded or recorded.
        finish(STATE_UNREACHABLE, -1.0f,
               launcher_key.usable
                   ? "Le site des mises à jour n'a pas pu être authentifié (signature absente ou invalide). "
                     "Vous pouvez jouer à la version installée."
                   : "La clé de lanceur.txt est illisible : le site des mises à jour ne peut pas être authentifié. "
                     "Vous pouvez jouer à la version installée.");
        return;
    }
    if (fetched) version_desc_parse(desc_text, use_len, &desc);

    // Signed lists are ordered: one older than what is installed is a
    // genuine but outdated list served in place of the current one.
    InstalledRecord installed = read_installed_record();
    const bool ordered = launcher_key.present;
    const uint64_t serie = ordered && desc.serie > installed.serie ? desc.serie : installed.serie;
    if (fetched && ordered && desc.version[0] && desc.entry_count > 0 && desc.serie < installed.serie) {
        snprintf(text, sizeof text,
                 "La version %s proposée par le site (série %llu) est plus ancienne que celle qui est installée. "
                 "Vous pouvez jouer à la version installée.",
                 desc.version, (unsigned long long)desc.serie);
        memset(&desc, 0, sizeof desc);
        finish(STATE_UNREACHABLE, -1.0f, text);
        return;
    }

    // 3. Nothing usable: the installed game stays as it is.
    if (!fetched || !desc.version[0] || desc.entry_count == 0) {
        finish(STATE_UNREACHABLE, -1.0f,
               "Impossible de joindre le site des mises à jour. Vous pouvez jouer à la version installée.");
        return;
    }

    // 4. Compare each file on disk.
    launcher_status_set_release(desc.version, desc.notes, desc.note_count);
    launcher_request_repaint();  // the notes show while local files are hashed
    uint64_t total = 0;
    int count = 0;
    for (int i = 0; i < desc.entry_count; i++) {
        FileEntry& e = desc.entries[i];
        // The key lives in the address file: a signed update never replaces
        // it, or the next launcher would stop checking.
        if (launcher_key.present && file_names_equal(e.name, LAUNCHER_CONFIG_FILE)) {
            e.needs_download = false;
            continue;
        }
        e.needs_download = !launcher_path(path, e.name, "") || !file_matches(path, e);
        if (e.needs_download) {
            total += e.size;
            count++;
        }
    }

    // 5. Up to date.
    if (count == 0) {
        record_version(desc.version, ordered ? serie : 0);
        snprintf(text, sizeof text, "Le jeu est à jour (version %s).", desc.version);
        finish(STATE_READY, -1.0f, text);
        return;
    }

    // 6. Download every differing file into NAME.telechargement and check it.
    snprintf(text, sizeof text, "Téléchargement de la version %s…", desc.version);
    finish(STATE_DOWNLOADING, 0.0f, text);
    uint64_t done = 0;
    int downloaded = 0, replaced = 0;
    for (int i = 0; i < desc.entry_count; i++) {
        const FileEntry& e = desc.entries[i];
        if (!e.needs_download) continue;
        LFile* f = launcher_path(temp, e.name, ".telechargement") ? lfs_create(temp) : nullptr;
        if (!f) {
            launcher_status_set(STATE_DOWNLOAD_FAILED, launcher_status_get().progress,
                                "Impossible d'écrire dans le dossier du jeu (est-il protégé en écriture ?).");
            launcher_request_repaint();
            return;
        }
        char query[16];
        snprintf(query, sizeof query, "?v=%.8s", e.digest);
        char relpath[256] = "";
        append_escaped(relpath, sizeof relpath, e.name);
        strcat(relpath, query);
        HttpSink fs{nullptr, 0, f, e.size, 0, done, total};
        bool ok = http_get(relpath, &fs);
        ok = lfs_close(f) && ok;

        if (!ok || !file_matches(temp, e)) {
            download_failed(temp, e);
            return;
        }
        done += e.size;
        cut_point("telechargement", ++downloaded);
    }

    // 7. Everything verified: put the new files in place, in order. The
    // order is recorded first, so that an older list cannot come back
    // between a crash and the next check.
    if (ordered && serie > installed.serie) write_installed_record(installed.version, serie);
    for (int i = 0; i < desc.entry_count; i++) {
        const FileEntry& e = desc.entries[i];
        if (!e.needs_download) continue;
        launcher_path(path, e.name, "");
        launcher_path(temp, e.name, ".telechargement");
        // Checked again at the last moment: what is renamed is what was verified.
        if (!file_matches(temp, e)) {
            download_failed(temp, e);
            return;
        }
        char aside[LAUNCHER_PATH_BYTES];
        bool moved_aside = false;
        lfs_match_mode(temp, path, launcher_is_program(e.name));
        if (!LAUNCHER_RENAME_OVER_RUNNING && file_names_equal(e.name, launcher_exe_name) &&
            launcher_path(aside, e.name, ".ancien")) {
            // The running launcher cannot be overwritten, but it can be moved.
            // Should we stop before the rename below, the next start of the
            // launcher or of the game puts this copy back.
            lfs_delete(aside);
            moved_aside = lfs_exists(path) && lfs_rename_replace(path, aside);
            if (moved_aside) cut_point("lanceur-de-cote");
        }
        if (!lfs_rename_replace(temp, path)) {
            // Put the running launcher back so that the next start finds it.
            if (moved_aside) lfs_rename_replace(aside, path);
            snprintf(text, sizeof text,
                     "Impossible de remplacer %s : le jeu est sans doute ouvert. Fermez-le, puis cliquez sur "
                     "« Réessayer ».",
                     e.name);
            launcher_status_set(STATE_REPLACE_FAILED, launcher_status_get().progress, text);
            launcher_request_repaint();
            return;
        }
        cut_point("remplacement", ++replaced);
    }

    // 8. Recorded.
    cut_point("avant-version");
    record_version(desc.version, ordered ? serie : 0);
    snprintf(text, sizeof text, "Mise à jour terminée : version %s. Bon jeu !", desc.version);
    finish(STATE_READY, 1.0f, text);
}
