// Input snapshot, log, file and window-placement rules shared by the backends.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/input_script.h"
#include "game/main_loop.h"
#include "platform/backend_common.h"

static std::string format_line(const char* fmt, ...) {
    char buf[2048];
    va_list args;
    va_start(args, fmt);
    int n = plat_format_log_line(buf, fmt, args);
    va_end(args);
    return std::string(buf, (size_t)n);
}

TEST(Log, LineEndsWithCrLfAndIsCutAt2040Bytes) {
    EXPECT_EQ(format_line("Monde prêt : %d obstacles.", 12), "Monde prêt : 12 obstacles.\r\n");
    std::string longer(5000, 'x');
    std::string line = format_line("%s", longer.c_str());
    ASSERT_EQ(line.size(), 2042u);
    EXPECT_EQ(line.substr(2040), "\r\n");
    EXPECT_EQ(line.find_first_not_of('x'), 2040u);
}

// One run's log stops short of a mebibyte, with one closing line: a peer
// that makes the game log a line per datagram cannot fill the disk.
TEST(Log, ARunsLogIsCappedWithOneClosingLine) {
    char exe[4096];
    ssize_t got = readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[got > 0 ? got : 0] = 0;
    char path[4200];
    plat_path_beside_program(exe, "tervanne-journal.txt", path, sizeof path);
    log_printf("Essai du plafond du journal.");
    auto size_of = [&] {
        FILE* f = fopen(path, "rb");
        if (!f) return -1L;
        fseek(f, 0, SEEK_END);
        long n = ftell(f);
        fclose(f);
        return n;
    };
    long before = size_of();
    ASSERT_GT(before, 0);
    // In a child, whose log state is a copy: this process logs on afterwards.
    pid_t child = fork();
    if (child == 0) {
        std::string line(2000, 'x');
        for (int i = 0; i < 800; ++i) log_printf("%d %s", i, line.c_str());
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    long after = size_of();
    EXPECT_LE(after, PLAT_LOG_LIMIT);
    EXPECT_GT(after, PLAT_LOG_LIMIT - 4096);
    FILE* f = fopen(path, "rb");
    ASSERT_NE(f, nullptr);
    std::string tail(200, 0);
    fseek(f, after - 200, SEEK_SET);
    tail.resize(fread(&tail[0], 1, 200, f));
    fclose(f);
    const std::string closing = "Journal plein (1 Mio) : la suite de cette partie n'est pas écrite.\r\n";
    ASSERT_GE(tail.size(), closing.size());
    EXPECT_EQ(tail.substr(tail.size() - closing.size()), closing);
}

TEST(Files, ReadWriteBesideProgram) {
    const char* name = "tervanne-test-fichier.txt";
    ASSERT_TRUE(plat_write_file(name, "abcdef", 6));
    char buf[16];
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(plat_read_file(name, buf, sizeof buf), 6);
    EXPECT_STREQ(buf, "abcdef");
    // Capacity n reads at most n - 1 bytes and NUL-terminates.
    EXPECT_EQ(plat_read_file(name, buf, 4), 3);
    EXPECT_STREQ(buf, "abc");
    // Truncation on rewrite.
    ASSERT_TRUE(plat_write_file(name, "z", 1));
    EXPECT_EQ(plat_read_file(name, buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "z");
    // A missing file gives -1 and leaves the buffer alone.
    memcpy(buf, "keep", 5);
    EXPECT_EQ(plat_read_file("tervanne-absent-xyz.txt", buf, sizeof buf), -1);
    EXPECT_STREQ(buf, "keep");
    EXPECT_FALSE(plat_write_file("dossier-absent/x.txt", "a", 1));
}

TEST(Files, PathBesideProgram) {
    char out[64];
    plat_path_beside_program("C:\\Jeux\\Tervanne\\Tervanne.exe", "tervanne-options.txt", out, sizeof out);
    EXPECT_STREQ(out, "C:\\Jeux\\Tervanne\\tervanne-options.txt");
    plat_path_beside_program("/opt/tervanne/Tervanne", "a.txt", out, sizeof out);
    EXPECT_STREQ(out, "/opt/tervanne/a.txt");
    plat_path_beside_program("Tervanne.exe", "a.txt", out, sizeof out);
    EXPECT_STREQ(out, "a.txt");
    plat_path_beside_program("/a/b", "bien-trop-long-pour-le-tampon.txt", out, 8);
    EXPECT_STREQ(out, "");  // never a cut path that would name another file
}

TEST(Keys, UsageTableGivesScanCodeIndices) {
    EXPECT_EQ(plat_usage_to_key_index(41), KEY_ESCAPE);
    EXPECT_EQ(plat_usage_to_key_index(68), KEY_F11);
    EXPECT_EQ(plat_usage_to_key_index(225), KEY_LSHIFT);
    EXPECT_EQ(plat_usage_to_key_index(229), KEY_LSHIFT);  // both Shifts are one key
    EXPECT_EQ(plat_key_index(KEY_RSHIFT, false), KEY_LSHIFT);
    EXPECT_EQ(plat_usage_to_key_index(26), 0x11);          // W
    EXPECT_EQ(plat_usage_to_key_index(4), 0x1E);           // A
    EXPECT_EQ(plat_usage_to_key_index(44), 0x39);          // Space
    EXPECT_EQ(plat_usage_to_key_index(82), 0x48 | 0x80);   // Up is extended
    EXPECT_EQ(plat_usage_to_key_index(96), 0x48);          // keypad 8 is not
    EXPECT_EQ(plat_usage_to_key_index(88), 0x1C | 0x80);   // keypad Enter
    EXPECT_EQ(plat_usage_to_key_index(40), 0x1C);          // Enter
    EXPECT_EQ(plat_usage_to_key_index(228), 0x1D | 0x80);  // right Ctrl
    EXPECT_EQ(plat_usage_to_key_index(0), -1);
    EXPECT_EQ(plat_usage_to_key_index(150), -1);
    // Every known index maps back to a usage that gives it again.
    for (int u = 0; u < 256; ++u) {
        int k = plat_usage_to_key_index(u);
        if (k < 0) continue;
        EXPECT_EQ(plat_usage_to_key_index(plat_key_index_to_usage(k)), k) << u;
    }
    // No two different physical keys collide, apart from the Shifts and the
    // two backslash usages of the same key.
    int seen[256] = {0};
    for (int u = 0; u < 256; ++u) {
        int k = plat_usage_to_key_index(u);
        if (k >= 0 && u != 229 && u != 50) {
            EXPECT_EQ(seen[k]++, 0) << "usage " << u;
        }
    }
}

TEST(Keys, FrenchNamesForEveryKeyThatPrintsNothing) {
    // Usages of keys that type a character: letters, digit row, punctuation,
    // the key left of W. The layout names those.
    auto prints = [](int u) { return (u >= 4 && u <= 39) || (u >= 45 && u <= 56) || u == 100; };
    const char* seen[256] = {};
    for (int u = 0; u < 256; ++u) {
        int k = plat_usage_to_key_index(u);
        if (k < 0) continue;
        const char* name = plat_key_french_name(k);
        if (prints(u)) {
            EXPECT_EQ(name, nullptr) << "usage " << u << " is named by the layout";
            continue;
        }
        ASSERT_NE(name, nullptr) << "usage " << u << " (key " << k << ") has no French name";
        // Two keys with one name could not be told apart in the options.
        for (int other = 0; other < 256; ++other) {
            if (seen[other] && other != k) {
                EXPECT_STRNE(seen[other], name) << "keys " << other << " and " << k;
            }
        }
        seen[k] = name;
    }
    EXPECT_STREQ(plat_key_french_name(KEY_RSHIFT), "Maj droite");
    // A keypad key and the one it stands for without Verr num differ by the
    // extended flag only.
    EXPECT_STREQ(plat_key_french_name(0x47), "7 (pavé num.)");
    EXPECT_STREQ(plat_key_french_name(0x47 | KEY_EXTENDED), "Début");
    EXPECT_STREQ(plat_key_french_name(0x51 | KEY_EXTENDED), "Page suiv.");
    EXPECT_EQ(plat_key_french_name(0x7E), nullptr);
}

TEST(Keys, NameFallbackAndCapital) {
    char out[32];
    plat_key_name_from_utf32(nullptr, 0, 57, out, sizeof out);
    EXPECT_STREQ(out, "touche 57");
    const uint32_t a[] = {'a'};
    plat_key_name_from_utf32(a, 1, 30, out, sizeof out);
    EXPECT_STREQ(out, "A");
    const uint32_t maj[] = {'M', 'a', 'j'};
    plat_key_name_from_utf32(maj, 3, 42, out, sizeof out);
    EXPECT_STREQ(out, "Maj");
    const uint32_t fleche[] = {'F', 'l', 0x00E8, 'c', 'h', 'e'};  // "Flèche"
    plat_key_name_from_utf32(fleche, 6, 200, out, sizeof out);
    EXPECT_STREQ(out, "Flèche");
    // Capacity below 5 always takes the fallback, cut to the capacity.
    plat_key_name_from_utf32(a, 1, 30, out, 4);
    EXPECT_STREQ(out, "tou");
    // Past the 16-bit plane a name stays valid UTF-8 (four bytes), and a lone
    // UTF-16 half becomes the replacement character, never stray bytes.
    const uint32_t odd[] = {'K', 0x1F511, 0xD800};
    plat_key_name_from_utf32(odd, 3, 5, out, sizeof out);
    EXPECT_STREQ(out, "K\xF0\x9F\x94\x91\xEF\xBF\xBD");
    plat_key_name_from_utf32(odd + 1, 1, 5, out, 5);  // exactly room for it and the NUL
    EXPECT_STREQ(out, "\xF0\x9F\x94\x91");
    // Long names stop before capacity - 4 bytes.
    const uint32_t longname[] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'};
    plat_key_name_from_utf32(longname, 10, 1, out, 8);
    EXPECT_STREQ(out, "ABCD");
}

TEST(Input, TextCutAtWholeCharacterAndControlsIgnored) {
    InputState in{};
    plat_input_begin_frame(in);
    for (int i = 0; i < 31; ++i) plat_input_text(in, 0xE9);  // "é", 62 bytes
    plat_input_text(in, 0xE9);                               // would make 64: dropped
    EXPECT_EQ(in.text_input_length, 62);
    plat_input_text(in, 'a');  // one byte still fits
    EXPECT_EQ(in.text_input_length, 63);
    EXPECT_EQ(strlen(in.text_input), 63u);
    plat_input_begin_frame(in);
    EXPECT_EQ(in.text_input_length, 0);
    for (uint32_t c : {8u, 9u, 13u, 27u, 0xD800u, 0xDFFFu}) plat_input_text(in, c);
    EXPECT_EQ(in.text_input_length, 0);
    plat_input_text(in, 0x2026);  // "…" is three bytes
    EXPECT_STREQ(in.text_input, "…");
}

TEST(Input, HeldKeyIsPressedInOneFrameOnly) {
    InputState in{};
    for (int frame = 0; frame < 4; ++frame) {
        plat_input_begin_frame(in);
        // The system repeats key-down messages while a key is held.
        plat_input_key_down(in, 0x11);
        plat_input_key_down(in, 0x11);
        EXPECT_EQ(in.key_pressed[0x11], frame == 0 ? 1 : 0) << frame;
        EXPECT_EQ(in.key_down[0x11], 1);
        EXPECT_EQ(in.key_down_prev[0x11], frame == 0 ? 0 : 1);
    }
    plat_input_begin_frame(in);
    plat_input_key_up(in, KEY_LSHIFT);
    plat_input_key_down(in, plat_key_index(KEY_RSHIFT, false));
    plat_input_key_up(in, KEY_LSHIFT);  // releasing either Shift releases it
    EXPECT_EQ(in.key_down[KEY_LSHIFT], 0);
}

TEST(Input, F11ToggleRule) {
    InputState in{};
    plat_input_begin_frame(in);
    plat_input_key_down(in, KEY_F11);
    EXPECT_TRUE(plat_f11_went_down(in, false));
    plat_input_begin_frame(in);  // still held next frame: no second toggle
    EXPECT_FALSE(plat_f11_went_down(in, true));
}

TEST(Input, ScriptRoundTripAndReplay) {
    InputState frames[3] = {};
    frames[0].key_down[0x11] = 1;
    frames[1].key_down[0x11] = 1;
    frames[1].button_down[0] = 1;
    frames[1].mouse_delta[0] = 12.5f;
    frames[2].wheel = -1;
    frames[2].quit_requested = 1;
    strcpy(frames[2].text_input, "é!");
    char text[8192];
    int n = input_script_write(frames, 3, text, sizeof text);
    ASSERT_GT(n, 0);
    InputState back[3];
    ASSERT_EQ(input_script_read(text, back, 3), 3);
    EXPECT_EQ(back[1].button_down[0], 1);
    EXPECT_FLOAT_EQ(back[1].mouse_delta[0], 12.5f);
    EXPECT_STREQ(back[2].text_input, "é!");
    EXPECT_EQ(input_script_read("garbage\n", back, 3), -1);
    EXPECT_EQ(input_script_write(frames, 3, text, 10), -1);

    InputState live{};
    live.cursor_captured = 1;
    int pressed = 0;
    for (int f = 0; f < 3; ++f) {
        plat_input_begin_frame(live);
        input_script_apply(live, back[f]);
        pressed += live.key_pressed[0x11];
    }
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(live.key_down[0x11], 0);
    EXPECT_EQ(live.quit_requested, 1);
    EXPECT_STREQ(live.text_input, "é!");

    // Hand-edited text: a four-byte character (which no keyboard message can
    // carry), a stray continuation byte and a cut sequence type nothing.
    InputState odd{};
    strcpy(odd.text_input, "a\xF0\x9F\x94\x91" "b\x80" "c\xC3");
    plat_input_begin_frame(live);
    input_script_apply(live, odd);
    EXPECT_STREQ(live.text_input, "abc");
}

TEST(Window, PlacementFallsBackToThreeQuartersAndCentres) {
    WindowPlacement fit = plat_place_window(1920, 1080, 16, 39, 2560, 1440);
    EXPECT_TRUE(fit.fits);
    EXPECT_EQ(fit.right - fit.left, 1936);
    EXPECT_EQ(fit.bottom - fit.top, 1119);
    EXPECT_EQ(fit.left, (2560 - 1936) / 2);
    EXPECT_EQ(fit.top, (1440 - 1119) / 2);
    // A 1920 x 1080 screen cannot hold the client area plus the frame.
    WindowPlacement small = plat_place_window(1920, 1080, 16, 39, 1920, 1080);
    EXPECT_FALSE(small.fits);
    EXPECT_EQ(small.right - small.left, 1440);
    EXPECT_EQ(small.bottom - small.top, 810);
    EXPECT_EQ(small.left, 240);
    EXPECT_EQ(small.top, 135);
}

TEST(MainLoop, StepIsClamped) {
    EXPECT_FLOAT_EQ(main_loop_clamp_step(10.016, 10.0), (float)0.016);
    EXPECT_FLOAT_EQ(main_loop_clamp_step(12.0, 10.0), 0.05f);  // a long stall
    EXPECT_FLOAT_EQ(main_loop_clamp_step(9.0, 10.0), 0.0f);    // the clock went backwards
    EXPECT_FLOAT_EQ(main_loop_clamp_step(10.0, 10.0), 0.0f);
}
