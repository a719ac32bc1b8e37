#include "engine/full_width.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmar::engine {

namespace {

// Decodes one UTF-8 character at i; malformed bytes come back as themselves
// with `valid` false so they pass through unchanged.
char32_t decodeAt(std::string_view s, size_t& i, size_t& len) {
    auto b = static_cast<unsigned char>(s[i]);
    len = 1;
    char32_t cp = b;
    if (b >= 0xC0 && b < 0xE0)
        len = 2, cp = b & 0x1F;
    else if (b >= 0xE0 && b < 0xF0)
        len = 3, cp = b & 0x0F;
    else if (b >= 0xF0 && b < 0xF8)
        len = 4, cp = b & 0x07;
    else if (b >= 0x80)
        return 0xFFFFFFFF;
    if (i + len > s.size())
        return len = 1, 0xFFFFFFFF;
    for (size_t k = 1; k < len; ++k) {
        auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80)
            return len = 1, 0xFFFFFFFF;
        cp = (cp << 6) | (c & 0x3F);
    }
    return cp;
}

void append(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Full-width forms of U+FF61 .. U+FF9F (half-width 。 to ﾟ).
constexpr char16_t kKana[] = u"。「」、・ヲァィゥェォャュョッー"
                             u"アイウエオカキクケコサシスセソタチツテト"
                             u"ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(sizeof(kKana) / sizeof(kKana[0]) == 0xFF9F - 0xFF61 + 2);

// ASCII 0x20 .. 0x7E in row 1 / row 3 of JIS X 0208 (as CP932 decodes them).
char32_t fullWidthAscii(char32_t c) {
    switch (c) {
    case U' ':
        return U'\u3000';
    case U'"':
        return U'\u201D'; // ”
    case U'\'':
        return U'\u2019'; // ’
    case U'`':
        return U'\u2018'; // ‘
    case U'\\':
        return U'\uFFE5'; // ￥
    case U'~':
        return U'\uFFE3'; // ￣
    case U'[':
        return U'\u300C'; // 「
    case U']':
        return U'\u300D'; // 」
    case U'-':
        return U'\uFF0D'; // －
    default:
        return c - 0x20 + 0xFF00; // ！ .. ｝, Ａ .. ｚ, ０ .. ９
    }
}

bool takesVoicedMark(char32_t k) {
    static constexpr std::u32string_view voiced = U"ウカキクケコサシスセソタチツテトハヒフヘホ";
    return voiced.find(k) != std::u32string_view::npos;
}

bool takesSemiVoicedMark(char32_t k) {
    return k >= U'ハ' && k <= U'ホ' && (k - U'ハ') % 3 == 0;
}

} // namespace

std::string toFullWidth(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 3);
    for (size_t i = 0; i < s.size();) {
        size_t len = 1;
        char32_t cp = decodeAt(s, i, len);
        if (cp == 0xFFFFFFFF) {
            out.append(s.substr(i, len));
            i += len;
            continue;
        }
        i += len;
        if (cp >= 0x20 && cp <= 0x7E) {
            append(out, fullWidthAscii(cp));
        } else if (cp >= 0xFF61 && cp <= 0xFF9F) {
            char32_t k = kKana[cp - 0xFF61];
            // A following voiced / semi-voiced mark combines where it can.
            if (i < s.size()) {
                size_t nlen = 1;
                size_t j = i;
                char32_t next = decodeAt(s, j, nlen);
                if (next == 0xFF9E && takesVoicedMark(k)) {
                    k = k == U'ウ' ? U'ヴ' : k + 1;
                    i += nlen;
                } else if (next == 0xFF9F && takesSemiVoicedMark(k)) {
                    k = k + 2;
                    i += nlen;
                }
            }
            append(out, k);
        } else {
            append(out, cp);
        }
    }
    return out;
}

} // namespace velmar::engine
