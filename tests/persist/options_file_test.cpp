// The options file: ranges, refused keys, defaults and a round trip.
#include <gtest/gtest.h>

#include <string>

#include "persist/options.h"
#include "persist_support.h"
#include "play/bindings.h"
#include "play/comfort.h"
#include "render/hud.h"
#include "render/renderer.h"

TEST(OptionsFile, RangesDefaultsAndRefusedKeys) {
    options_defaults();
    options_parse("# Tervanne - options\r\nsensibilite 100\r\nresolution 7\r\nqualite -1\r\nt_sauter 0\r\n"
                  "volume_musique 5000\r\nvolume_effets -3\r\ninverser_y 5\r\nplein_ecran 2\r\n");
    EXPECT_FLOAT_EQ(options.sensitivity, 0.25f);
    EXPECT_EQ(options.resolution, 3);
    EXPECT_EQ(options.quality, 0);
    EXPECT_EQ(bindings[BIND_JUMP], 57);
    EXPECT_FLOAT_EQ(options.music_volume, 1.0f);
    EXPECT_FLOAT_EQ(options.effects_volume, 0.0f);
    EXPECT_EQ(options.invert_y, 1);
    EXPECT_EQ(options.fullscreen, 1);
    options_parse("sensibilite 9000\nt_sauter 300\nt_avancer 1\nt_reculer 87\nt_gauche 200\nt_tirer abc\n");
    EXPECT_FLOAT_EQ(options.sensitivity, 2.5f);
    EXPECT_EQ(bindings[BIND_JUMP], 57);
    EXPECT_EQ(bindings[BIND_FORWARD], 17);  // Escape is never a binding
    EXPECT_EQ(bindings[BIND_BACK], 31);     // nor F11
    EXPECT_EQ(bindings[BIND_LEFT], 200);
    EXPECT_EQ(bindings[BIND_ATTACK], 33);   // not a number: unchanged
    EXPECT_FALSE(options_key_bindable(KEY_ESCAPE));
    EXPECT_FALSE(options_key_bindable(KEY_F11));
    EXPECT_TRUE(options_key_bindable(0x39));
}

// "mesures_gpu 1" asks for the GPU times in the log; players' files never
// carry the line, and a file with it keeps it.
TEST(OptionsFile, GpuTimingLineIsReadAndKeptOnlyWhileOn) {
    options_defaults();
    char text[OPTIONS_FILE_SIZE];
    ASSERT_GT(options_build_text(text, sizeof text), 0);
    EXPECT_EQ(std::string(text).find("mesures_gpu"), std::string::npos);
    options_parse("qualite 1\r\nmesures_gpu 7\r\n");
    EXPECT_EQ(options.gpu_timing, 1);
    ASSERT_GT(options_build_text(text, sizeof text), 0);
    EXPECT_NE(std::string(text).find("\r\nmesures_gpu 1\r\n"), std::string::npos) << text;
    options_parse("mesures_gpu 0\r\n");
    EXPECT_EQ(options.gpu_timing, 0);
    options_defaults();
}

TEST(OptionsFile, MissingFileRoundTripAndLongFile) {
    put_file("tervanne-options.txt", "");
    bindings[BIND_JUMP] = 3;
    EXPECT_FALSE(options_read());
    EXPECT_EQ(bindings[BIND_JUMP], 57);  // defaults, bindings too
    EXPECT_EQ(options.resolution, 2);
    EXPECT_FLOAT_EQ(options.music_volume, 0.8f);

    options.music_volume = 0.337f;
    options.sensitivity = 1.75f;
    options.quality = 1;
    options.invert_y = 1;
    bindings[BIND_JUMP] = bindings[BIND_FORWARD];  // a shared key is allowed
    bindings[BIND_MAP] = 0x9C;
    options_write();
    std::string text = read_file("tervanne-options.txt");
    EXPECT_NE(text.find("\r\nvolume_musique 337\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nt_carte 156\r\n"), std::string::npos);
    EXPECT_LT(text.find("volume_musique"), text.find("t_avancer"));
    options_defaults();
    ASSERT_TRUE(options_read());
    EXPECT_NEAR(options.music_volume, 0.337f, 1e-6f);
    EXPECT_NEAR(options.sensitivity, 1.75f, 1e-6f);
    EXPECT_EQ(options.quality, 1);
    EXPECT_EQ(options.invert_y, 1);
    EXPECT_EQ(bindings[BIND_JUMP], bindings[BIND_FORWARD]);
    EXPECT_EQ(bindings[BIND_MAP], 0x9C);

    // Only the first 4095 bytes count: a key past them keeps its default.
    std::string long_text = "# Tervanne - options\r\n" + std::string(5000, '#') + "\r\nqualite 0\r\n";
    put_file("tervanne-options.txt", long_text);
    options.quality = 2;
    options_read();
    EXPECT_EQ(options.quality, 2);
    put_file("tervanne-options.txt", "");
    options_defaults();
}

// The pad's section: clamps, defaults, refused buttons and a round trip.
TEST(OptionsFile, PadSectionClampsAndRoundTrip) {
    options_defaults();
    EXPECT_FLOAT_EQ(pad_tuning.dead_zone, 0.2f);
    EXPECT_EQ(pad_tuning.vibration, 1);
    EXPECT_EQ(pad_bindings[BIND_JUMP], PAD_A);
    options_parse("manette_sensibilite 100\r\nmanette_zone_morte 2000\r\nmanette_inverser_y 3\r\n"
                  "manette_vibration 0\r\nm_sauter 5\r\nm_tirer 15\r\nm_viser 99\r\nm_interagir 2\r\n"
                  "m_avancer 1\r\n");
    EXPECT_FLOAT_EQ(pad_tuning.sensitivity, 0.25f);
    EXPECT_FLOAT_EQ(pad_tuning.dead_zone, 0.5f);
    EXPECT_EQ(pad_tuning.invert_y, 1);
    EXPECT_EQ(pad_tuning.vibration, 0);
    EXPECT_EQ(pad_bindings[BIND_JUMP], PAD_A);      // Start is the pause
    EXPECT_EQ(pad_bindings[BIND_ATTACK], PAD_X);    // a trigger is a bar page
    EXPECT_EQ(pad_bindings[BIND_GUARD], PAD_B);     // no such button
    EXPECT_EQ(pad_bindings[BIND_INTERACT], PAD_X);  // shared with attack: allowed
    EXPECT_EQ(pad_bindings[BIND_FORWARD], -1);      // the stick walks
    options_parse("manette_zone_morte 1\r\nmanette_sensibilite 9000\r\n");
    EXPECT_FLOAT_EQ(pad_tuning.dead_zone, 0.05f);
    EXPECT_FLOAT_EQ(pad_tuning.sensitivity, 2.5f);

    pad_tuning.dead_zone = 0.3f;
    pad_bindings[BIND_MAP] = PAD_Y;
    options_write();
    std::string text = read_file("tervanne-options.txt");
    EXPECT_NE(text.find("\r\nmanette_zone_morte 300\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nm_carte 3\r\n"), std::string::npos);
    EXPECT_EQ(text.find("m_avancer"), std::string::npos);
    options_defaults();
    ASSERT_TRUE(options_read());
    EXPECT_FLOAT_EQ(pad_tuning.dead_zone, 0.3f);
    EXPECT_EQ(pad_bindings[BIND_MAP], PAD_Y);
    EXPECT_EQ(pad_bindings[BIND_INTERACT], PAD_X);
    put_file("tervanne-options.txt", "");
    options_defaults();
}

// The accessibility lines: absent from a file of defaults (so players' files
// stay as they were), clamped when read, and kept once changed.
TEST(OptionsFile, AccessibilityLinesClampRoundTripAndStayOutByDefault) {
    options_defaults();
    char plain[OPTIONS_FILE_SIZE];
    ASSERT_GT(options_build_text(plain, sizeof plain), 0);
    for (const char* key : {"vision_couleurs", "effets_ecran", "champ_vision", "bascule_", "sous_titres", "taille_texte"})
        EXPECT_EQ(std::string(plain).find(key), std::string::npos) << key;
    options_parse("vision_couleurs 9\r\nchamp_vision 10\r\neffets_ecran 0\r\nbascule_marche 4\r\n"
                  "bascule_bouclier 1\r\nbascule_regard 0\r\nsous_titres 7\r\ntaille_texte 300\r\n");
    EXPECT_EQ(view_settings.colour_vision, VISION_TRITANOPIA);
    EXPECT_EQ(hud_text_size, HUD_TEXT_SIZE_MAX);
    EXPECT_EQ(options.sound_captions, 1);
    EXPECT_FLOAT_EQ(comfort.field_of_view, FIELD_OF_VIEW_MIN);
    EXPECT_EQ(view_settings.screen_flashes, 0);
    EXPECT_EQ(comfort.walk_toggle, 1);
    EXPECT_EQ(comfort.guard_toggle, 1);
    EXPECT_EQ(comfort.look_toggle, 0);
    options_parse("vision_couleurs -2\r\nchamp_vision 500\r\ntaille_texte -40\r\n");
    EXPECT_EQ(view_settings.colour_vision, VISION_NORMAL);
    EXPECT_EQ(hud_text_size, HUD_TEXT_SIZE_MIN);
    EXPECT_FLOAT_EQ(comfort.field_of_view, FIELD_OF_VIEW_MAX);
    view_settings.colour_vision = VISION_DEUTERANOPIA;
    comfort.field_of_view = 75.0f;
    hud_text_size = 130;
    char text[OPTIONS_FILE_SIZE];
    ASSERT_GT(options_build_text(text, sizeof text), 0);
    options_defaults();
    options_parse(text);
    EXPECT_EQ(view_settings.colour_vision, VISION_DEUTERANOPIA);
    EXPECT_FLOAT_EQ(comfort.field_of_view, 75.0f);
    EXPECT_EQ(hud_text_size, 130);
    EXPECT_EQ(view_settings.screen_flashes, 0);
    EXPECT_EQ(comfort.guard_toggle, 1);
    EXPECT_EQ(options.sound_captions, 1);
    EXPECT_NE(std::string(text).find("\r\nsous_titres 1\r\n"), std::string::npos) << text;
    options_parse("sous_titres 0\r\ntaille_texte 100\r\n");
    EXPECT_EQ(options.sound_captions, 0);
    EXPECT_EQ(hud_text_size, HUD_TEXT_SIZE_DEFAULT);
    // Every line of the plain file is still there, in its place.
    EXPECT_EQ(std::string(text).compare(0, std::string(plain).size(), plain), 0);
    options_defaults();
}
