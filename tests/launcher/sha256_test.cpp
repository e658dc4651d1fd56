#include <gtest/gtest.h>

#include <string>

#include "launcher/sha256.h"

namespace {

struct Vector {
    std::string message;
    const char* digest;
};

std::string digest_of(const std::string& m, size_t piece) {
    Sha256 s;
    sha256_init(&s);
    for (size_t i = 0; i < m.size(); i += piece) sha256_update(&s, m.data() + i, std::min(piece, m.size() - i));
    uint8_t d[32];
    char hex[65];
    sha256_final(&s, d);
    sha256_hex(d, hex);
    return hex;
}

class Sha256Paths : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !sha256_hardware_available()) GTEST_SKIP() << "no SHA extensions on this processor";
        ASSERT_TRUE(sha256_use_hardware(GetParam()));
        ASSERT_EQ(sha256_using_hardware(), GetParam());
    }
    void TearDown() override { sha256_use_hardware(sha256_hardware_available()); }
};

// FIPS 180-4 example messages, fed whole and in awkward pieces so that the
// buffering across block boundaries is exercised as well.
TEST_P(Sha256Paths, NistVectors) {
    const Vector vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Vector& v : vectors) {
        EXPECT_EQ(digest_of(v.message, v.message.size() + 1), v.digest) << v.message.size() << " bytes whole";
        EXPECT_EQ(digest_of(v.message, 7), v.digest) << v.message.size() << " bytes by 7";
        EXPECT_EQ(digest_of(v.message, 64), v.digest) << v.message.size() << " bytes by 64";
    }
}

INSTANTIATE_TEST_SUITE_P(BothPaths, Sha256Paths, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Hardware" : "Portable"; });

// Lengths around the padding boundaries (55, 56, 63, 64, 119, 120 ...) must
// give the same digest on both paths.
TEST(Sha256, HardwareMatchesPortableAtEveryPaddingLength) {
    if (!sha256_hardware_available()) GTEST_SKIP() << "no SHA extensions on this processor";
    std::string m;
    uint32_t x = 2463534242u;
    for (int i = 0; i < 300; i++) {
        x ^= x << 13; x ^= x >> 17; x ^= x << 5;
        m.push_back((char)x);
    }
    for (size_t len = 0; len <= m.size(); len++) {
        sha256_use_hardware(false);
        std::string a = digest_of(m.substr(0, len), 13);
        sha256_use_hardware(true);
        std::string b = digest_of(m.substr(0, len), 64);
        ASSERT_EQ(a, b) << len;
    }
}

}  // namespace
