// Signed version descriptions: the key line, the signature line, and the
// whole check against a loopback site with a key, another key and none.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "launcher/http.h"
#include "launcher/sha256.h"
#include "launcher/signature.h"
#include "launcher/status.h"
#include "launcher/update.h"
#include "loopback_server.h"
#include "tools/publier/signing.h"

namespace fs = std::filesystem;

namespace {

const char kRefused[] =
    "Le site des mises à jour n'a pas pu être authentifié (signature absente ou invalide). Vous pouvez jouer à la "
    "version installée.";

std::string hex(const uint8_t* data, size_t n) {
    std::string out(2 * n + 1, 0);
    hex_encode(data, n, out.data());
    out.pop_back();
    return out;
}

std::string digest(const std::string& s) {
    char h[65];
    sha256_text(s.data(), s.size(), h);
    return h;
}

// Two key pairs made once for the whole program: the publisher's and a stranger's.
struct Keys {
    fs::path dir;
    std::string ours, other;
    uint8_t ours_point[65], other_point[65];
    Keys() {
        char tmpl[] = "/tmp/lanceur-cles-XXXXXX";
        dir = mkdtemp(tmpl);
        ours = (dir / "editeur.pem").string();
        other = (dir / "intrus.pem").string();
        std::string err;
        if (!signing_new_key(ours.c_str(), ours_point, &err) || !signing_new_key(other.c_str(), other_point, &err))
            abort();
    }
    ~Keys() { fs::remove_all(dir); }
};
Keys& keys() {
    static Keys k;
    return k;
}

std::string signed_by(const std::string& pem, const std::string& text) {
    uint8_t sig[64], pub[65];
    std::string err;
    EXPECT_TRUE(signing_sign(pem.c_str(), text.data(), text.size(), sig, pub, &err)) << err;
    return text + "signature " + hex(sig, 64) + "\r\n";
}

LauncherKey key_of(const uint8_t point[65]) {
    LauncherKey k{true, true, {}};
    memcpy(k.point, point, 65);
    return k;
}

}  // namespace

TEST(SignatureFormats, KeyLineOfTheAddressFile) {
    const std::string point = hex(keys().ours_point, 65);
    LauncherKey k;
    auto read = [&](const std::string& text) {
        config_read_key(text.data(), text.size(), &k);
        return k;
    };
    read("adresse http://127.0.0.1/x\r\ncle " + point + "\r\n");
    EXPECT_TRUE(k.present && k.usable);
    EXPECT_EQ(memcmp(k.point, keys().ours_point, 65), 0);
    // Upper case, tabs, a byte-order mark, a key first and no line end.
    std::string upper = point;
    for (char& c : upper) c = (char)toupper(c);
    EXPECT_TRUE(read("\xef\xbb\xbf\tcle\t" + upper).usable);
    EXPECT_EQ(memcmp(k.point, keys().ours_point, 65), 0);
    // Far past the 511 bytes the address is looked for in.
    EXPECT_TRUE(read("adresse http://127.0.0.1/x\r\n# " + std::string(900, '-') + "\r\ncle " + point + "\r\n").usable);

    // No key: the launcher behaves as before.
    EXPECT_FALSE(read("adresse http://cle.example/cle " + point + "\r\n").present);
    EXPECT_FALSE(read("clef " + point + "\r\n").present);
    EXPECT_FALSE(read("").present);
    config_read_key(nullptr, 0, &k);
    EXPECT_FALSE(k.present);

    // A key that is there but cannot be used makes every list refused.
    for (const std::string& bad : {"cle " + point.substr(0, 128), "cle " + point + "0", "cle 02" + point.substr(2),
                                   "cle " + point.substr(0, 64) + "zz" + point.substr(66), std::string("cle"),
                                   "cle " + point + " de trop"}) {
        read(bad + "\r\n");
        EXPECT_TRUE(k.present) << bad;
        EXPECT_FALSE(k.usable) << bad;
    }
}

TEST(SignatureFormats, SignatureIsTheLastLine) {
    const std::string body = "version 2\r\nfichier a.dat 3 " + digest("abc") + "\r\n";
    const std::string sig(128, 'a');
    uint8_t bytes[64];
    size_t signed_len = 0;
    for (const std::string& end : {std::string("\r\n"), std::string("\n"), std::string(""), std::string("  \r\n")}) {
        const std::string text = body + "signature " + sig + end;
        EXPECT_EQ(signature_split(text.data(), text.size(), &signed_len, bytes), SIGNATURE_FOUND);
        EXPECT_EQ(signed_len, body.size());
        EXPECT_EQ(bytes[0], 0xaa);
    }
    auto split = [&](const std::string& text) { return signature_split(text.data(), text.size(), &signed_len, bytes); };
    EXPECT_EQ(split(body), SIGNATURE_MISSING);
    EXPECT_EQ(split(""), SIGNATURE_MISSING);
    EXPECT_EQ(split("signature " + sig + "\r\n" + body), SIGNATURE_MISSING);  // moved to the top
    EXPECT_EQ(split(body + "signature " + sig + "\r\n\r\n"), SIGNATURE_MISSING);  // a blank line after it
    EXPECT_EQ(split(body + "signature " + sig.substr(0, 127) + "\r\n"), SIGNATURE_MALFORMED);
    EXPECT_EQ(split(body + "signature " + sig + "a\r\n"), SIGNATURE_MALFORMED);
    EXPECT_EQ(split(body + "signature " + sig.substr(0, 126) + "g0\r\n"), SIGNATURE_MALFORMED);
    EXPECT_EQ(split(body + "signature\r\n"), SIGNATURE_MALFORMED);
    EXPECT_EQ(split(body + "signature " + sig + " x\r\n"), SIGNATURE_MALFORMED);
}

// The publisher's libcrypto signature checked by the launcher's own path,
// and nothing else passing it.
TEST(SignatureFormats, VerificationAcceptsOnlyTheKeysOwnSignature) {
    const std::string text = "version 2\r\nnote Été\r\n";
    uint8_t sig[64], pub[65];
    std::string err;
    ASSERT_TRUE(signing_sign(keys().ours.c_str(), text.data(), text.size(), sig, pub, &err)) << err;
    EXPECT_EQ(memcmp(pub, keys().ours_point, 65), 0);
    EXPECT_TRUE(signature_verify(keys().ours_point, text.data(), text.size(), sig));
    EXPECT_FALSE(signature_verify(keys().other_point, text.data(), text.size(), sig));
    EXPECT_FALSE(signature_verify(keys().ours_point, text.data(), text.size() - 1, sig));
    uint8_t bent[64];
    memcpy(bent, sig, 64);
    bent[40] ^= 0x10;
    EXPECT_FALSE(signature_verify(keys().ours_point, text.data(), text.size(), bent));
    // r = s = 0 and a point off the curve never verify.
    const uint8_t zero[64] = {};
    EXPECT_FALSE(signature_verify(keys().ours_point, text.data(), text.size(), zero));
    uint8_t off_curve[65];
    memcpy(off_curve, keys().ours_point, 65);
    off_curve[64] ^= 1;
    EXPECT_FALSE(signature_verify(off_curve, text.data(), text.size(), sig));
    // The same key read back from its file.
    uint8_t again[65];
    ASSERT_TRUE(signing_public_key(keys().ours.c_str(), again, &err)) << err;
    EXPECT_EQ(memcmp(again, keys().ours_point, 65), 0);
    EXPECT_FALSE(signing_public_key("/nonexistent.pem", again, &err));
}

class SignedUpdate : public ::testing::Test {
protected:
    LoopbackServer server;
    fs::path dir;

    void SetUp() override {
        char tmpl[] = "/tmp/lanceur-signe-XXXXXX";
        ASSERT_TRUE(mkdtemp(tmpl));
        dir = tmpl;
        launcher_set_paths((dir / "Tervanne-lanceur").c_str());
        snprintf(launcher_base_address, sizeof launcher_base_address, "http://127.0.0.1:%d/site/", server.port());
        launcher_status_reset();
        launcher_status_set_installed("1.0");
        launcher_key = key_of(keys().ours_point);
        put("a.dat", "ancien a");
        put("tervanne-version.txt", "1.0\r\n");
    }
    void TearDown() override {
        launcher_key = LauncherKey{};
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
    // Every file of the folder with its content.
    std::map<std::string, std::string> snapshot() {
        std::map<std::string, std::string> out;
        for (const auto& e : fs::directory_iterator(dir)) out[e.path().filename().string()] = get(e.path().filename());
        return out;
    }
    // The unsigned list of release 2.0, its files served.
    std::string release() {
        server.set("/site/a.dat", "nouveau a");
        server.set("/site/b.dat", "b neuf");
        return "# test\r\nversion 2.0\r\nnote Nouvelle forêt\r\nfichier a.dat 9 " + digest("nouveau a") +
               "\r\nfichier b.dat 6 " + digest("b neuf") + "\r\n";
    }
    size_t file_requests() {
        size_t n = 0;
        for (const std::string& p : server.paths()) n += p != "/site/version.txt";
        return n;
    }
    LauncherStatus check(const std::string& list) {
        server.set("/site/version.txt", list);
        run_update_check();
        return launcher_status_get();
    }
    // Refused: the status says so, nothing was fetched but the list, nothing written.
    void expect_refused(const std::string& list, const char* text = kRefused) {
        const auto before = snapshot();
        const size_t asked = file_requests();
        const LauncherStatus st = check(list);
        EXPECT_EQ(st.state, STATE_UNREACHABLE);
        EXPECT_STREQ(st.status_text, text);
        EXPECT_LT(st.progress, 0.0f);
        EXPECT_EQ(st.note_count, 0);
        EXPECT_STREQ(st.new_version, "");
        EXPECT_STREQ(st.installed_version, "1.0");
        EXPECT_EQ(file_requests(), asked);
        EXPECT_EQ(snapshot(), before);
    }
};

TEST_F(SignedUpdate, SignedListInstalls) {
    const LauncherStatus st = check(signed_by(keys().ours, release()));
    EXPECT_EQ(st.state, STATE_READY);
    EXPECT_STREQ(st.status_text, "Mise à jour terminée : version 2.0. Bon jeu !");
    EXPECT_EQ(st.note_count, 1);
    EXPECT_EQ(get("a.dat"), "nouveau a");
    EXPECT_EQ(get("b.dat"), "b neuf");
    EXPECT_EQ(get("tervanne-version.txt"), "2.0\r\n");
}

TEST_F(SignedUpdate, EveryFlippedByteIsRefused) {
    const std::string good = signed_by(keys().ours, release());
    for (size_t i = 0; i < good.size(); i++) {
        SCOPED_TRACE("byte " + std::to_string(i));
        std::string bad = good;
        bad[i] ^= 0x01;
        expect_refused(bad);
        if (HasFailure()) break;
    }
}

TEST_F(SignedUpdate, ForeignMissingMalformedOrMovedSignaturesAreRefused) {
    const std::string body = release(), good = signed_by(keys().ours, body);
    const std::string sig_line = good.substr(body.size());
    expect_refused(signed_by(keys().other, body));
    expect_refused(body);
    expect_refused(body + "signature " + sig_line.substr(10, 100) + "\r\n");             // truncated
    expect_refused(body + "signature " + std::string(128, 'x') + "\r\n");                // not hexadecimal
    expect_refused(sig_line + body);                                                      // moved to the top
    expect_refused(body.substr(0, 8) + sig_line + body.substr(8));                      // moved inside
    expect_refused(good + "fichier c.dat 1 " + digest("c") + "\r\n");                    // a line after it
    expect_refused(good.substr(0, 8) + "fichier c.dat 1 " + digest("c") + "\r\n" + good.substr(8));
    // A signature over an older list does not carry over to a new one.
    expect_refused(release() + "note de plus\r\n" + sig_line);
}

TEST_F(SignedUpdate, UnusableKeyRefusesEverything) {
    const std::string list = signed_by(keys().ours, release());
    const std::string line = "cle " + hex(keys().ours_point, 64) + "\r\n";  // one byte short
    config_read_key(line.data(), line.size(), &launcher_key);
    expect_refused(list,
                   "La clé de lanceur.txt est illisible : le site des mises à jour ne peut pas être authentifié. "
                   "Vous pouvez jouer à la version installée.");
}

TEST_F(SignedUpdate, WithoutAKeyUnsignedAndSignedListsInstall) {
    launcher_key = LauncherKey{};
    EXPECT_EQ(check(release()).state, STATE_READY);
    EXPECT_EQ(get("b.dat"), "b neuf");
    put("a.dat", "ancien a");
    EXPECT_EQ(check(signed_by(keys().other, release())).state, STATE_READY);
    EXPECT_EQ(get("a.dat"), "nouveau a");
}

// The key's file is never replaced by a signed update, so the new launcher
// it brings keeps checking; the rest of the release is installed.
TEST_F(SignedUpdate, UpdateKeepsTheKeyFile) {
    const std::string config = "adresse http://127.0.0.1/site\r\ncle " + hex(keys().ours_point, 65) + "\r\n";
    put("lanceur.txt", config);
    server.set("/site/lanceur.txt", "adresse http://ailleurs.example/\r\n");
    server.set("/site/Tervanne-lanceur", "nouveau lanceur");
    const std::string list = release() + "fichier lanceur.txt 34 " + digest("adresse http://ailleurs.example/\r\n") +
                             "\r\nfichier Tervanne-lanceur 15 " + digest("nouveau lanceur") + "\r\n";
    EXPECT_EQ(check(signed_by(keys().ours, list)).state, STATE_READY);
    EXPECT_EQ(get("Tervanne-lanceur"), "nouveau lanceur");
    EXPECT_EQ(get("lanceur.txt"), config);
    for (const std::string& p : server.paths()) EXPECT_NE(p, "/site/lanceur.txt");

    // The next start reads the same key and still refuses a stranger's list.
    launcher_key = LauncherKey{};
    launcher_startup();
    EXPECT_TRUE(launcher_key.usable);
    snprintf(launcher_base_address, sizeof launcher_base_address, "http://127.0.0.1:%d/site/", server.port());
    launcher_status_reset();
    launcher_status_set_installed("1.0");
    put("tervanne-version.txt", "1.0\r\n");
    expect_refused(signed_by(keys().other, release()));
}

// publier signs what it writes, leaves the key file out, and the launcher
// holding the printed key installs the result.
TEST_F(SignedUpdate, PublisherSignsWhatTheLauncherAccepts) {
    const fs::path published = dir / "publie";
    fs::create_directory(published);
    std::ofstream(published / "a.dat", std::ios::binary) << "publie a";
    std::ofstream(published / "lanceur.txt", std::ios::binary) << "adresse http://ailleurs.example/\r\n";
    const std::string cmd = "bin/publier --cle '" + keys().ours + "' '" + published.string() +
                            "' 5.0 'Signé' > '" + (dir / "sortie.txt").string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "run from the build folder: " << cmd;
    EXPECT_NE(get("sortie.txt").find("cle " + hex(keys().ours_point, 65)), std::string::npos);
    auto published_list = [&] {
        std::ifstream in(published / "version.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    const std::string first = published_list();
    EXPECT_EQ(first.find("lanceur.txt"), std::string::npos);
    EXPECT_NE(first.find("\r\nserie 1\r\n"), std::string::npos);
    server.set("/site/a.dat", "publie a");
    EXPECT_EQ(check(first).state, STATE_READY);
    EXPECT_EQ(get("a.dat"), "publie a");

    // The next release of the folder comes next in order: once it is
    // installed, the first one can no longer be served in its place.
    std::ofstream(published / "a.dat", std::ios::binary) << "publie a 2";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    EXPECT_NE(published_list().find("\r\nserie 2\r\n"), std::string::npos);
    server.set("/site/a.dat", "publie a 2");
    EXPECT_EQ(check(published_list()).state, STATE_READY);
    EXPECT_EQ(check(first).state, STATE_UNREACHABLE);
    EXPECT_EQ(get("a.dat"), "publie a 2");
    // A release made in a fresh folder continues a series given by hand.
    const fs::path fresh = dir / "neuf";
    fs::create_directory(fresh);
    std::ofstream(fresh / "a.dat", std::ios::binary) << "publie a 3";
    const std::string by_hand = "bin/publier --cle '" + keys().ours + "' --serie 40 '" + fresh.string() +
                                "' 5.2 > /dev/null 2>&1";
    ASSERT_EQ(std::system(by_hand.c_str()), 0) << by_hand;
    std::ifstream in(fresh / "version.txt", std::ios::binary);
    std::stringstream third;
    third << in.rdbuf();
    EXPECT_NE(third.str().find("\r\nserie 40\r\n"), std::string::npos);

    // A new key is never written over an existing file.
    const std::string again = "bin/publier --nouvelle-cle '" + keys().ours + "' >/dev/null 2>&1";
    EXPECT_NE(std::system(again.c_str()), 0);
    uint8_t pub[65];
    std::string err;
    ASSERT_TRUE(signing_public_key(keys().ours.c_str(), pub, &err));
    EXPECT_EQ(memcmp(pub, keys().ours_point, 65), 0);
}

// Rollback: a genuinely signed but older list (a lower "serie" than the one
// installed, or none at all once one was installed) installs nothing.
TEST_F(SignedUpdate, OlderSerieIsRefusedAndTheHighestRemembered) {
    auto list = [&](const std::string& version, const std::string& serie, const std::string& a) {
        server.set("/site/a.dat", a);
        return signed_by(keys().ours, "version " + version + "\r\n" + serie + "fichier a.dat " +
                                          std::to_string(a.size()) + " " + digest(a) + "\r\n");
    };
    const std::string v5 = list("2.0", "serie 5\r\n", "a de la 2.0");
    const std::string v4 = list("1.5", "serie 4\r\n", "a de la 1.5"), unnumbered = list("1.2", "", "a de la 1.2");
    server.set("/site/a.dat", "a de la 2.0");
    EXPECT_EQ(check(v5).state, STATE_READY);
    EXPECT_EQ(get("tervanne-version.txt"), "2.0\r\nserie 5\r\n");
    launcher_status_set_installed("2.0");

    for (const auto& [older, text] :
         {std::pair{v4, "La version 1.5 proposée par le site (série 4) est plus ancienne que celle qui est installée. "
                        "Vous pouvez jouer à la version installée."},
          std::pair{unnumbered, "La version 1.2 proposée par le site (série 0) est plus ancienne que celle qui est "
                                "installée. Vous pouvez jouer à la version installée."}}) {
        server.set("/site/a.dat", older == v4 ? "a de la 1.5" : "a de la 1.2");
        launcher_status_reset();
        const auto before = snapshot();
        const size_t asked = file_requests();
        const LauncherStatus st = check(older);
        EXPECT_EQ(st.state, STATE_UNREACHABLE);
        EXPECT_STREQ(st.status_text, text);
        EXPECT_EQ(st.note_count, 0);
        EXPECT_STREQ(st.new_version, "");
        EXPECT_STREQ(st.installed_version, "2.0");
        EXPECT_EQ(file_requests(), asked);
        EXPECT_EQ(snapshot(), before);
    }

    // The same list again is fine, a higher one installs and is remembered.
    server.set("/site/a.dat", "a de la 2.0");
    EXPECT_EQ(check(v5).state, STATE_READY);
    EXPECT_EQ(check(list("2.1", "serie 6\r\n", "a de la 2.1")).state, STATE_READY);
    EXPECT_EQ(get("a.dat"), "a de la 2.1");
    EXPECT_EQ(get("tervanne-version.txt"), "2.1\r\nserie 6\r\n");
    put("tervanne-version.txt", "2.1\r\nserie 9\r\n");  // what another launcher of the folder installed
    server.set("/site/a.dat", "a de la 2.1");
    EXPECT_EQ(check(list("2.1", "serie 8\r\n", "a de la 2.1")).state, STATE_UNREACHABLE);

    // Without a key, the order means nothing: every list installs as before.
    launcher_key = LauncherKey{};
    server.set("/site/a.dat", "a de la 1.5");
    EXPECT_EQ(check(v4).state, STATE_READY);
    EXPECT_EQ(get("a.dat"), "a de la 1.5");
    EXPECT_EQ(get("tervanne-version.txt"), "1.5\r\n");
}
