// The key line of "lanceur.txt" and the signature line of a version
// description are bytes from outside. Whatever they hold: nothing is read or
// written outside the input, and with the publisher's key the only bytes ever
// accepted are the ones the publisher signed (the seed "liste-signee").
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "launcher/sha256.h"
#include "launcher/signature.h"

namespace {

const char kPublisherKey[] =
    "045ced9ce35aa52df575d818822f82242d63a71b3999f448be2764bdd332d0e4461cd3dd49d6509b2b66b628a0bd4750afa6662ed5f1e4"
    "cd4fde1e3d52a713ebe9";
// SHA-256 of the signed part of the seed list.
const char kSignedBody[] = "5e0ba915172917531403b6acf4a2993c90eeffe215bb1a5664f7b67d9f58631d";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = (const char*)data;

    LauncherKey key;
    config_read_key(text, size, &key);
    if (key.usable && (!key.present || key.point[0] != 0x04)) abort();
    if (!key.usable)
        for (uint8_t b : key.point)
            if (b) abort();

    size_t signed_len = 0;
    uint8_t sig[LAUNCHER_SIGNATURE_BYTES];
    if (signature_split(text, size, &signed_len, sig) == SIGNATURE_FOUND) {
        // The signed part ends where a line starts, before the signature.
        if (signed_len + 9 > size) abort();
        if (signed_len > 0 && text[signed_len - 1] != '\n') abort();
    }

    // Without a key every list is used whole; with an unusable one, none.
    size_t use = 0;
    if (!description_authentic(LauncherKey{}, text, size, &use) || use != size) abort();
    LauncherKey broken{true, false, {}};
    if (description_authentic(broken, text, size, &use)) abort();

    static LauncherKey publisher;
    if (!publisher.usable) {
        publisher.present = publisher.usable = hex_decode(kPublisherKey, 130, publisher.point);
        if (!publisher.usable) abort();
    }
    if (description_authentic(publisher, text, size, &use)) {
        if (use >= size) abort();
        char hex[65];
        sha256_text(text, use, hex);
        if (strcmp(hex, kSignedBody) != 0) abort();
    }
    return 0;
}
