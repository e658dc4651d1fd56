// Keyboard usage ids (USB HID, which SDL scancodes are) to the game's key
// index (set-1 scan code with the extended flag in bit 7), so bindings and
// saved files are the same on every system.
#include "platform/backend_common.h"

static const uint8_t usage_to_index[256] = {
    // 0-3: none
    0, 0, 0, 0,
    // 4-29: A..Z
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
    // 30-39: 1..9, 0
    0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B,
    // 40-56: Return Escape Backspace Tab Space - = [ ] \ #(non-US) ; ' ` , . /
    0x1C, 0x01, 0x0E, 0x0F, 0x39, 0x0C, 0x0D, 0x1A, 0x1B, 0x2B, 0x2B, 0x27, 0x28,
    0x29, 0x33, 0x34, 0x35,
    // 57: Caps Lock; 58-69: F1..F12
    0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58,
    // 70-72: Print Screen, Scroll Lock, Pause
    0x37 | 0x80, 0x46, 0x45,
    // 73-82: Insert Home PageUp Delete End PageDown Right Left Down Up
    0x52 | 0x80, 0x47 | 0x80, 0x49 | 0x80, 0x53 | 0x80, 0x4F | 0x80, 0x51 | 0x80,
    0x4D | 0x80, 0x4B | 0x80, 0x50 | 0x80, 0x48 | 0x80,
    // 83-88: Num Lock, KP / * - + Enter
    0x45 | 0x80, 0x35 | 0x80, 0x37, 0x4A, 0x4E, 0x1C | 0x80,
    // 89-99: KP 1..9, 0, .
    0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49, 0x52, 0x53,
    // 100: the key left of Z on European keyboards; 101: Menu
    0x56, 0x5D | 0x80,
};

int plat_usage_to_key_index(int sc) {
    if (sc >= 0 && sc <= 101) {
        int v = usage_to_index[sc];
        return v ? plat_key_index(v & 0x7F, (v & 0x80) != 0) : -1;
    }
    switch (sc) {
        case 224: return 0x1D;                                 // left Ctrl
        case 225: return KEY_LSHIFT;                           // left Shift
        case 226: return 0x38;                                 // left Alt
        case 227: return 0x5B | 0x80;                          // left Windows
        case 228: return 0x1D | 0x80;                          // right Ctrl
        case 229: return plat_key_index(KEY_RSHIFT, false);    // right Shift
        case 230: return 0x38 | 0x80;                          // AltGr
        case 231: return 0x5C | 0x80;                          // right Windows
        default: return -1;
    }
}

int plat_key_index_to_usage(int key_index) {
    for (int sc = 0; sc < 256; ++sc)
        if (plat_usage_to_key_index(sc) == key_index) return sc;
    return -1;
}

// Names of the keys that print no character, as a French Windows gives them;
// the others are named by the layout (the character they type).
struct KeyName {
    uint8_t index;
    const char* name;
};
static const KeyName french_names[] = {
    {0x01, "Échap"}, {0x0E, "Retour arrière"}, {0x0F, "Tab"}, {0x1C, "Entrée"}, {0x39, "Espace"},
    {0x2A, "Maj gauche"}, {0x36, "Maj droite"}, {0x1D, "Ctrl gauche"}, {0x1D | 0x80, "Ctrl droite"},
    {0x38, "Alt"}, {0x38 | 0x80, "Alt Gr"}, {0x5B | 0x80, "Windows gauche"}, {0x5C | 0x80, "Windows droite"},
    {0x5D | 0x80, "Application"}, {0x3A, "Verr maj"}, {0x45 | 0x80, "Verr num"}, {0x46, "Arrêt défil"},
    {0x45, "Pause"}, {0x37 | 0x80, "Impr. écran"},
    // The block above the arrows, and the arrows.
    {0x52 | 0x80, "Inser"}, {0x53 | 0x80, "Suppr"}, {0x47 | 0x80, "Début"}, {0x4F | 0x80, "Fin"},
    {0x49 | 0x80, "Page préc."}, {0x51 | 0x80, "Page suiv."},
    {0x48 | 0x80, "Haut"}, {0x50 | 0x80, "Bas"}, {0x4B | 0x80, "Gauche"}, {0x4D | 0x80, "Droite"},
    // The keypad.
    {0x52, "0 (pavé num.)"}, {0x4F, "1 (pavé num.)"}, {0x50, "2 (pavé num.)"}, {0x51, "3 (pavé num.)"},
    {0x4B, "4 (pavé num.)"}, {0x4C, "5 (pavé num.)"}, {0x4D, "6 (pavé num.)"}, {0x47, "7 (pavé num.)"},
    {0x48, "8 (pavé num.)"}, {0x49, "9 (pavé num.)"}, {0x53, ". (pavé num.)"}, {0x35 | 0x80, "/ (pavé num.)"},
    {0x37, "* (pavé num.)"}, {0x4A, "- (pavé num.)"}, {0x4E, "+ (pavé num.)"},
    {0x1C | 0x80, "Entrée (pavé num.)"},
    {0x3B, "F1"}, {0x3C, "F2"}, {0x3D, "F3"}, {0x3E, "F4"}, {0x3F, "F5"}, {0x40, "F6"},
    {0x41, "F7"}, {0x42, "F8"}, {0x43, "F9"}, {0x44, "F10"}, {0x57, "F11"}, {0x58, "F12"},
};

const char* plat_key_french_name(int key_index) {
    for (const KeyName& k : french_names)
        if (k.index == key_index) return k.name;
    return nullptr;
}
