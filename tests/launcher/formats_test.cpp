#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "launcher/config.h"
#include "launcher/http.h"

namespace {

const char* const D1 = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
const char* const D1_UPPER = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";

VersionDesc parse(const std::string& text) {
    VersionDesc d;
    memset(&d, 0x5a, sizeof d);  // earlier content must not survive
    version_desc_parse(text.data(), text.size(), &d);
    return d;
}

std::string entry(const std::string& name, const std::string& size = "10", const std::string& digest = D1) {
    return "fichier " + name + " " + size + " " + digest + "\n";
}

TEST(VersionDescription, KeysValuesAndLayoutRules) {
    VersionDesc d = parse(
        "\xEF\xBB\xBFversion 1.0\r\n"
        "# version 9.9\n"
        "\n"
        "   \tnote   Premier point  \r\n"
        "inconnu valeur\n"
        "fichier\tTervanne.exe\t1234  " + std::string(D1_UPPER) + "\r\n"
        "version 1.2.3 suite ignoree\n");
    EXPECT_STREQ(d.version, "1.2.3");  // the last line counts, up to the blank
    ASSERT_EQ(d.entry_count, 1);
    EXPECT_STREQ(d.entries[0].name, "Tervanne.exe");
    EXPECT_EQ(d.entries[0].size, 1234u);
    EXPECT_STREQ(d.entries[0].digest, D1);  // folded to lower case
    ASSERT_EQ(d.note_count, 1);
    EXPECT_STREQ(d.notes[0], "Premier point  ");
}

TEST(VersionDescription, BadEntriesAreDroppedAndOthersKept) {
    const std::string bad_names[] = {"a/b.txt", ".cache", "a\\b", "a:b", "a*b", "a?b", "a\"b",
                                     "a<b", "a>b", "a|b", "a\x01" "b", std::string(64, 'n')};
    std::string text = "version 2\n";
    for (const std::string& n : bad_names) text += entry(n);
    text += entry("bon.dat");
    text += entry("taille.dat", "12a");
    text += entry("vide.dat", "");
    text += entry("long.dat", std::string(24, '1'));
    text += entry("depasse.dat", "18446744073709551616");  // 2^64 does not fit
    text += entry("court.dat", "5", std::string(D1).substr(0, 63));
    text += entry("hex.dat", "5", std::string(63, 'a') + "g");
    text += "fichier seul.dat 5\n";
    text += entry("BON.dat", "11");  // the same file again, in other case
    text += entry(std::string(63, 'm'), "18446744073709551615");
    VersionDesc d = parse(text);
    ASSERT_EQ(d.entry_count, 2);
    EXPECT_STREQ(d.entries[0].name, "bon.dat");
    EXPECT_EQ(d.entries[0].size, 10u);  // the first listing of a name wins
    EXPECT_EQ(d.entries[1].name, std::string(63, 'm'));
    EXPECT_EQ(d.entries[1].size, UINT64_MAX);
}

// Names that Windows resolves to another file or to a device, and the
// launcher's own working names, mean the same thing on every system: dropped.
TEST(VersionDescription, NamesThatAliasAnotherFileOrADeviceAreDropped) {
    const char* refused[] = {"x.telechargement", "y.ancien", "Tervanne.exe.TELECHARGEMENT", "a.Ancien",
                             "Tervanne.exe.", "Tervanne-lanceur.exe.", "donnees.bin ", "a. ", "TERVAN~1.EXE",
                             "notes~", "CON", "con", "nul.txt", "com1.log", "COM9", "Lpt1.dat", "aux.tar.gz",
                             "PRN", "con .txt", "CONIN$", "conout$.x", "COM\xc2\xb9", "lpt\xc2\xb2.txt", "con.d\xc3\xa9"};
    const char* kept[] = {"Tervanne.exe", "x.telechargement.txt", "ancien", "a.ancienne", "console.txt",
                          "com10.log", "COM", "lpt.txt", "nul_", "auxiliaire.dat", "comA.txt", "d\xc3\xa9" "con.txt"};
    std::string text = "version 2\n";
    for (const char* n : refused) {
        EXPECT_FALSE(file_name_acceptable(n)) << n;
        if (!strchr(n, ' ')) text += entry(n);  // a blank would end the name in the list
    }
    for (const char* n : kept) {
        EXPECT_TRUE(file_name_acceptable(n)) << n;
        text += entry(n);
    }
    VersionDesc d = parse(text);
    ASSERT_EQ(d.entry_count, (int)(sizeof kept / sizeof kept[0]));
    for (int i = 0; i < d.entry_count; i++) EXPECT_STREQ(d.entries[i].name, kept[i]);
}

TEST(VersionDescription, CapacitiesAndCuts) {
    std::string text = std::string("version ") + std::string(40, 'v') + "\n";
    for (int i = 0; i < 40; i++) text += entry(std::string("f") + std::to_string(i));
    for (int i = 0; i < 10; i++) text += std::string("note n") + std::to_string(i) + "\n";
    VersionDesc d = parse(text);
    EXPECT_EQ(strlen(d.version), 31u);
    EXPECT_EQ(d.entry_count, 32);
    EXPECT_STREQ(d.entries[31].name, "f31");
    EXPECT_EQ(d.note_count, 8);
    EXPECT_STREQ(d.notes[7], "n7");

    // A note keeps 159 bytes, never half a character; a line keeps 255.
    d = parse(std::string("note ") + std::string(158, 'x') + "é suite\n");
    EXPECT_EQ(strlen(d.notes[0]), 158u);
    d = parse(std::string(246, ' ') + "note abcdefghij\n");
    EXPECT_STREQ(d.notes[0], "abcd");
    // A long line does not swallow the next one.
    d = parse(std::string("note ") + std::string(400, 'y') + "\nversion 7\n");
    EXPECT_STREQ(d.version, "7");
    EXPECT_EQ(d.note_count, 1);
}

TEST(VersionDescription, KeyEndsAtControlCharacterAndLongKeysDoNotMatch) {
    VersionDesc d = parse("version\x01" "3\nversionversionversionversionversion 4\nversion 5");
    EXPECT_STREQ(d.version, "5");  // the last line needs no LF
    d = parse("version\x01" "3\n");
    EXPECT_STREQ(d.version, "");   // the value stops at the control character
}

TEST(AddressFile, ScanRulesAndDefault) {
    char out[LAUNCHER_ADDRESS_BYTES];
    auto read = [&](const std::string& s) {
        config_read_address(s.data(), s.size(), out);
        return std::string(out);
    };
    const std::string def = LAUNCHER_DEFAULT_ADDRESS;
    EXPECT_EQ(def, "https://maj.tervanne.fr/tervanne/");
    config_read_address(nullptr, 0, out);
    EXPECT_EQ(std::string(out), def);
    EXPECT_EQ(read("# commentaire\r\nadresse  \thttp://127.0.0.1:8080/jeu\r\n"), "http://127.0.0.1:8080/jeu/");
    EXPECT_EQ(read("xxadresse http://h.example/a/ reste"), "http://h.example/a/");  // anywhere in the text
    EXPECT_EQ(read("adresse=http://h.example/"), "=http://h.example/");  // other separators become part of it
    EXPECT_EQ(read("adresse http://h.example/\tx"), "http://h.example/\tx/");  // a tab does not end the value
    EXPECT_EQ(read("adresse 12345678"), def);   // 8 bytes: too short
    EXPECT_EQ(read("adresse 123456789"), "123456789/");
    EXPECT_EQ(read("adresse\r\nhttp://h.example/"), def);
    EXPECT_EQ(read("rien ici"), def);
    EXPECT_EQ(read(std::string(505, ' ') + "adresse http://late.example/"), def);  // beyond 511 bytes
    EXPECT_EQ(read("adresse http://h\xff.example/"), "");  // not UTF-8: every request fails
    EXPECT_EQ(read(std::string("adresse ") + std::string(300, 'a')).size(), 281u);  // 280 bytes and the slash
}

TEST(InstalledVersionFile, FirstLineAtMost63Bytes) {
    char out[LAUNCHER_INSTALLED_BYTES];
    config_read_installed("1.4\r\nautre", 10, out);
    EXPECT_STREQ(out, "1.4");
    std::string longer(80, '9');
    config_read_installed(longer.data(), longer.size(), out);
    EXPECT_EQ(strlen(out), 63u);
    config_read_installed(nullptr, 0, out);
    EXPECT_STREQ(out, "");
}

// "serie" orders signed lists: a whole number, the last valid line counts;
// anything else leaves the list without an order (0).
TEST(VersionDescription, SerieIsAWholeNumber) {
    EXPECT_EQ(parse("version 2\nserie 12\n").serie, 12u);
    EXPECT_EQ(parse("serie 3\nserie 18446744073709551615\n").serie, 18446744073709551615u);
    for (const char* bad : {"serie\n", "serie -4\n", "serie 4x\n", "serie 4 5\n", "serie 18446744073709551616\n"})
        EXPECT_EQ(parse(std::string("serie 7\n") + bad).serie, 7u) << bad;
    EXPECT_EQ(parse("version 2\n").serie, 0u);
    // The installed record keeps it on its second line.
    EXPECT_EQ(config_read_serie("2.0\r\nserie 41\r\n", 15), 41u);
    EXPECT_EQ(config_read_serie("2.0\r\n", 5), 0u);
    EXPECT_EQ(config_read_serie(nullptr, 0), 0u);
}

TEST(Url, SchemeHostPortAndPath) {
    UrlParts u;
    ASSERT_TRUE(url_split("http://127.0.0.1:8080/sous/chemin/version.txt?v=1", &u));
    EXPECT_FALSE(u.secure);
    EXPECT_STREQ(u.host, "127.0.0.1");
    EXPECT_EQ(u.port, 8080);
    EXPECT_STREQ(u.path, "/sous/chemin/version.txt?v=1");
    ASSERT_TRUE(url_split("HTTPS://maj.tervanne.fr", &u));
    EXPECT_TRUE(u.secure);
    EXPECT_EQ(u.port, 443);
    EXPECT_STREQ(u.path, "/");
    ASSERT_TRUE(url_split("http://h/", &u));
    EXPECT_EQ(u.port, 80);
    EXPECT_FALSE(url_split("http:/h/x", &u));
    EXPECT_FALSE(url_split("http://:80/x", &u));
    EXPECT_FALSE(url_split("http://h:99999/x", &u));
    EXPECT_FALSE(url_split("http://h:8o/x", &u));
    EXPECT_FALSE(url_split(("http://" + std::string(200, 'h') + "/").c_str(), &u));
}

TEST(Url, FullAddressLimit) {
    char out[2048];
    strcpy(launcher_base_address, "http://h.example/");
    EXPECT_TRUE(http_full_url("version.txt?v=1", out, sizeof out));
    EXPECT_STREQ(out, "http://h.example/version.txt?v=1");
    EXPECT_TRUE(http_full_url(std::string(599 - 17, 'a').c_str(), out, sizeof out));
    EXPECT_FALSE(http_full_url(std::string(600 - 17, 'a').c_str(), out, sizeof out));
    launcher_base_address[0] = 0;
    EXPECT_FALSE(http_full_url("version.txt", out, sizeof out));
}

}  // namespace
