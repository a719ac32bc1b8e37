#include "online/password_cipher.h"

#include <gtest/gtest.h>

namespace velmar::online {
namespace {

// Known answers computed with the openssl command line on our own padding:
// key hex 56524d5f4b697465 followed by 48 zeros, `openssl enc -aes-256-ecb -K
// <key> -nopad` over the Shift-JIS bytes plus n bytes of value n, base64 -w0.
struct Known {
    const char* plain;
    const char* stored;
};
const Known kKnown[] = {
    {"password", "iXstpeQ5E/r16k1Squ+9oA=="},
    {"0123456789abcdef", "994C+9UcYxqOrMrk9dSvz9Ea8dmssAwDZaBNRSDsv5Y="}, // a whole padding block
    {"パスワード", "VGxFnc3y3uWRJ0JOy0Fjxw=="},                           // 10 Shift-JIS bytes
};

TEST(PasswordCipher, MatchesKnownAnswers) {
    for (const Known& k : kKnown) {
        EXPECT_EQ(EncryptPassword(k.plain), k.stored) << k.plain;
        auto back = DecryptPassword(k.stored);
        ASSERT_TRUE(back.ok()) << k.plain;
        EXPECT_EQ(*back, k.plain);
    }
}

TEST(PasswordCipher, StoredLengthFollowsThePadding) {
    struct Row {
        size_t plainLength;
        size_t storedLength;
    };
    const Row rows[] = {{0, 0}, {1, 24}, {15, 24}, {16, 44}, {17, 44}, {31, 44}, {32, 64}};
    for (const Row& r : rows) {
        std::string stored = EncryptPassword(std::string(r.plainLength, 'x'));
        EXPECT_EQ(stored.size(), r.storedLength) << r.plainLength;
        EXPECT_EQ(stored.find_first_of("\r\n"), std::string::npos);
    }
}

TEST(PasswordCipher, RoundTrips) {
    for (const char* plain : {"a", "abcdefghijklmno", "abcdefghijklmnop", "髙橋①Ⅰ～パス",
                              "  blanks  ", "0123456789012345678901234567890123456789"}) {
        auto back = DecryptPassword(EncryptPassword(plain));
        ASSERT_TRUE(back.ok()) << plain;
        EXPECT_EQ(*back, plain);
    }
}

TEST(PasswordCipher, DecryptionRules) {
    struct Row {
        const char* stored;
        bool ok;
        const char* plain;
    };
    const Row rows[] = {
        {"", false, ""},
        {"AAAA", false, ""},                              // 3 bytes
        {"AAAAAAAAAAAAAAAAAAAA", false, ""},              // 15 bytes
        {"iXstpeQ5E/r16k1Squ+9oA", true, "password"},     // "=" are optional
        {"iXst=peQ5E/r16k1=Squ+9oA==", true, "password"}, // and skipped anywhere
        {"rH785i35ASJMFIofhDMvLw==", true, ""},           // padding byte 0
        {"7kqH7gj9r+I8RipBCdicAQ==", true, ""},           // padding byte 17
        {"mY9qCmdnZ/x23YF3aTeg+Q==", true, ""},           // "abcdefghijklmnop": padding byte 'p'
    };
    for (const Row& r : rows) {
        auto got = DecryptPassword(r.stored);
        ASSERT_EQ(got.ok(), r.ok) << r.stored;
        if (r.ok)
            EXPECT_EQ(*got, r.plain) << r.stored;
        else
            EXPECT_EQ(got.error().message, "Rijndael: Input not valid - too short");
    }
}

TEST(PasswordCipher, Base64IsStandard) {
    const std::pair<std::string, std::string> rows[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"\xfb\xff", "+/8="}};
    for (const auto& [bytes, text] : rows) {
        EXPECT_EQ(base64Encode(bytes), text);
        EXPECT_EQ(base64Decode(text), bytes);
    }
}

} // namespace
} // namespace velmar::online
