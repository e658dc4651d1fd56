// publier [--cle CLE.pem] [--serie N] DOSSIER VERSION [NOTE ...]
// publier --nouvelle-cle CLE.pem | --cle-publique CLE.pem
// Writes DOSSIER/version.txt for the launcher: the version, one "note" line
// per NOTE argument, the "serie" line that orders the folder's lists (one
// more than the folder's last one, or N), one "fichier" line (name, size, SHA-256) per file of
// the folder, then, with a key, the "signature" line that launchers holding
// the matching "cle" line require. Everything the launcher would refuse is
// refused here, loudly, so that an operator never publishes a description
// that silently drops a file.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "launcher/config.h"
#include "launcher/launcher_io.h"
#include "launcher/signature.h"
#include "launcher/update.h"
#include "tools/publier/signing.h"

namespace fs = std::filesystem;

namespace {

int usage() {
    fprintf(stderr,
            "usage : publier [--cle CLE.pem] [--serie N] DOSSIER VERSION [NOTE ...]\n"
            "  écrit DOSSIER/version.txt : la version, une ligne \"note\" par NOTE (8 au plus),\n"
            "  la série (celle de la version.txt du dossier plus un, ou N)\n"
            "  et la taille et l'empreinte SHA-256 de chaque fichier du dossier (32 au plus) ;\n"
            "  avec --cle, la liste est signée par la clé privée CLE.pem.\n"
            "usage : publier --nouvelle-cle CLE.pem\n"
            "  crée une paire de clés (CLE.pem, privée, à garder hors du site) et affiche\n"
            "  la ligne \"cle ...\" à mettre dans le lanceur.txt des joueurs.\n"
            "usage : publier --cle-publique CLE.pem\n"
            "  affiche la ligne \"cle ...\" de la clé CLE.pem.\n");
    return 2;
}

bool is_ours(const std::string& name) {
    auto ends = [&](const char* s) {
        size_t n = strlen(s);
        return name.size() >= n && name.compare(name.size() - n, n, s) == 0;
    };
    // The description itself and files the launcher leaves behind are not published.
    return name == "version.txt" || name == "version.txt.nouveau" || ends(".telechargement") || ends(".ancien");
}

void print_key_line(const uint8_t pub[LAUNCHER_KEY_BYTES]) {
    char hex[2 * LAUNCHER_KEY_BYTES + 1];
    hex_encode(pub, LAUNCHER_KEY_BYTES, hex);
    printf("cle %s\n", hex);
}

int key_command(const char* command, const char* pem) {
    uint8_t pub[LAUNCHER_KEY_BYTES];
    std::string error;
    const bool fresh = strcmp(command, "--nouvelle-cle") == 0;
    if (!(fresh ? signing_new_key(pem, pub, &error) : signing_public_key(pem, pub, &error))) {
        fprintf(stderr, "publier : %s\n", error.c_str());
        return 1;
    }
    if (fresh)
        fprintf(stderr, "publier : clé privée écrite dans %s ; ligne à ajouter au lanceur.txt des joueurs :\n", pem);
    print_key_line(pub);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && (strcmp(argv[1], "--nouvelle-cle") == 0 || strcmp(argv[1], "--cle-publique") == 0))
        return key_command(argv[1], argv[2]);
    const char* pem = nullptr;
    uint64_t serie = 0;
    while (argc >= 2 && (strcmp(argv[1], "--cle") == 0 || strcmp(argv[1], "--serie") == 0)) {
        if (argc < 3) return usage();
        if (strcmp(argv[1], "--cle") == 0) {
            pem = argv[2];
        } else {
            VersionDesc given{};
            const std::string line = std::string("serie ") + argv[2];
            version_desc_parse(line.data(), line.size(), &given);
            if (given.serie == 0) {
                fprintf(stderr, "publier : --serie attend un nombre entier supérieur à 0\n");
                return usage();
            }
            serie = given.serie;
        }
        argc -= 2;
        argv += 2;
    }
    if (argc < 3 || argv[1][0] == '-') return usage();
    const std::string folder = argv[1], version = argv[2];
    if (version.empty() || version.size() > 31 || version.find_first_of(" \t\r\n") != std::string::npos) {
        fprintf(stderr, "publier : la version doit tenir en 31 octets, sans blanc\n");
        return 1;
    }
    std::vector<std::string> notes;
    for (int i = 3; i < argc; i++) {
        std::string n = argv[i];
        if (n.size() > 159 || n.find_first_of("\r\n") != std::string::npos) {
            fprintf(stderr, "publier : une note tient sur une ligne de 159 octets au plus : %s\n", argv[i]);
            return 1;
        }
        notes.push_back(n);
    }
    if (notes.size() > LAUNCHER_MAX_NOTES) {
        fprintf(stderr, "publier : 8 notes au plus\n");
        return 1;
    }

    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::string name = reinterpret_cast<const char*>(it->path().filename().u8string().c_str());
        if (is_ours(name)) continue;
        if (pem && file_names_equal(name.c_str(), LAUNCHER_CONFIG_FILE)) {
            // It holds each installation's key; a launcher that checks signatures never takes it.
            fprintf(stderr, "publier : %s non publié (chaque installation garde le sien)\n", name.c_str());
            continue;
        }
        if (name[0] == '.') {
            fprintf(stderr, "publier : %s ignoré (fichier caché)\n", name.c_str());
            continue;
        }
        if (name.size() > 63 || !file_name_acceptable(name.c_str())) {
            fprintf(stderr, "publier : le lanceur refuserait le nom « %s »\n", name.c_str());
            return 1;
        }
        names.push_back(name);
    }
    if (ec) {
        fprintf(stderr, "publier : impossible de lire le dossier %s\n", folder.c_str());
        return 1;
    }
    if (names.empty() || names.size() > LAUNCHER_MAX_ENTRIES) {
        fprintf(stderr, "publier : le dossier doit contenir de 1 à 32 fichiers (il en a %zu)\n", names.size());
        return 1;
    }
    std::sort(names.begin(), names.end());
    // Windows would see one file where this folder holds two.
    for (size_t i = 0; i < names.size(); i++)
        for (size_t j = i + 1; j < names.size(); j++)
            if (file_names_equal(names[i].c_str(), names[j].c_str())) {
                fprintf(stderr, "publier : « %s » et « %s » ne diffèrent que par la casse\n", names[i].c_str(),
                        names[j].c_str());
                return 1;
            }

    // Digests through the launcher's own code: what it computes is what we publish.
    std::string base = folder;
    if (base.back() != '/' && base.back() != '\\') base += '/';
    launcher_set_paths((base + "x").c_str());
    // Launchers holding a key refuse a list older than the one they
    // installed: each release of the folder comes after the last one.
    if (!serie) {
        char last[LAUNCHER_PATH_BYTES];
        static char previous[VERSION_DESC_CAPACITY];
        size_t got = 0;
        if (LFile* f = launcher_path(last, "version.txt", "") ? lfs_open_read(last) : nullptr) {
            long long r;
            while (got + 1 < sizeof previous && (r = lfs_read(f, previous + got, sizeof previous - 1 - got)) > 0)
                got += (size_t)r;
            lfs_close(f);
        }
        static VersionDesc before;
        version_desc_parse(previous, got, &before);
        if (before.serie == UINT64_MAX) {
            fprintf(stderr, "publier : la série de %s ne peut plus croître\n", last);
            return 1;
        }
        serie = before.serie + 1;
        if (!got)
            fprintf(stderr,
                    "publier : pas de version.txt dans le dossier : série 1 (--serie N pour continuer une série "
                    "publiée ailleurs)\n");
    }
    std::string text = "# écrit par publier\r\nversion " + version + "\r\nserie " + std::to_string(serie) + "\r\n";
    for (const std::string& n : notes) text += "note " + n + "\r\n";
    for (const std::string& name : names) {
        char path[LAUNCHER_PATH_BYTES], digest[65];
        uint64_t size = 0;
        if (!launcher_path(path, name.c_str(), "") || !sha256_file(path, digest, &size)) {
            fprintf(stderr, "publier : impossible de lire %s\n", name.c_str());
            return 1;
        }
        text += "fichier " + name + " " + std::to_string(size) + " " + digest + "\r\n";
        printf("%-40s %12llu %s\n", name.c_str(), (unsigned long long)size, digest);
    }
    size_t parse_len = text.size();
    uint8_t pub[LAUNCHER_KEY_BYTES];
    if (pem) {
        // Signed over every byte written so far; the signature line comes last.
        uint8_t sig[LAUNCHER_SIGNATURE_BYTES];
        std::string error;
        if (!signing_sign(pem, text.data(), text.size(), sig, pub, &error)) {
            fprintf(stderr, "publier : %s\n", error.c_str());
            return 1;
        }
        char hex[2 * LAUNCHER_SIGNATURE_BYTES + 1];
        hex_encode(sig, sizeof sig, hex);
        text += std::string("signature ") + hex + "\r\n";
    }
    if (text.size() >= VERSION_DESC_CAPACITY) {
        fprintf(stderr, "publier : version.txt dépasserait 32767 octets\n");
        return 1;
    }
    if (pem) {
        // Checked as a launcher holding this key will check it.
        LauncherKey key{true, true, {}};
        memcpy(key.point, pub, sizeof pub);
        if (!description_authentic(key, text.data(), text.size(), &parse_len)) {
            fprintf(stderr, "publier : la signature relue n'est pas valide\n");
            return 1;
        }
    }

    // Read back as the launcher will read it.
    VersionDesc check;
    version_desc_parse(text.data(), parse_len, &check);
    if ((size_t)check.entry_count != names.size() || version != check.version || check.serie != serie ||
        (size_t)check.note_count != notes.size()) {
        fprintf(stderr, "publier : la description relue ne correspond pas\n");
        return 1;
    }

    // Written beside, then renamed: a launcher never fetches half a file.
    char tmp[LAUNCHER_PATH_BYTES], dst[LAUNCHER_PATH_BYTES];
    launcher_path(tmp, "version.txt.nouveau", "");
    launcher_path(dst, "version.txt", "");
    LFile* f = lfs_create(tmp);
    bool ok = f && lfs_write(f, text.data(), text.size());
    ok = f && lfs_close(f) && ok;
    if (!ok || !lfs_rename_replace(tmp, dst)) {
        if (f) lfs_delete(tmp);
        fprintf(stderr, "publier : impossible d'écrire %s\n", dst);
        return 1;
    }
    printf("%s : version %s, série %llu, %zu fichier(s), %zu note(s)%s\n", dst, version.c_str(),
           (unsigned long long)serie, names.size(), notes.size(), pem ? ", signé" : "");
    if (pem) print_key_line(pub);
    return 0;
}
