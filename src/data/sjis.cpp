#include "data/sjis.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <stdexcept>
#include <vector>

namespace velmar::data {
namespace {

// One converter per direction and thread; iconv_open is far too slow to call
// per field.
class Converter final {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv: no conversion from ") + from + " to " +
                                     to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts one complete character sequence; false when iconv refuses it.
    bool convert(std::string_view in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buf[16];
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        char* outPtr = buf;
        size_t outLeft = sizeof buf;
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
            inLeft != 0)
            return false;
        out.append(buf, static_cast<size_t>(outPtr - buf));
        return true;
    }

  private:
    iconv_t cd_;
};

Converter& fromSjis() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}
Converter& toSjis() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

bool isLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length of the UTF-8 sequence starting with `c`, 0 when `c` cannot start one.
size_t utf8Length(unsigned char c) {
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return 2;
    if (c >= 0xE0 && c <= 0xEF)
        return 3;
    if (c >= 0xF0 && c <= 0xF4)
        return 4;
    return 0;
}

// Length of the UTF-8 character at `pos`, clamped to the text; 1 for a stray byte.
size_t charLength(std::string_view s, size_t pos) {
    size_t n = utf8Length(static_cast<unsigned char>(s[pos]));
    if (n == 0 || pos + n > s.size())
        return 1;
    return n;
}

int charWidth(std::string_view s, size_t pos, size_t len) {
    if (len == 1)
        return 1;
    // Half-width katakana U+FF61..U+FF9F: EF BD A1..EF BE 9F
    if (len == 3 && static_cast<unsigned char>(s[pos]) == 0xEF) {
        unsigned c1 = static_cast<unsigned char>(s[pos + 1]);
        unsigned c2 = static_cast<unsigned char>(s[pos + 2]);
        if ((c1 == 0xBD && c2 >= 0xA1) || (c1 == 0xBE && c2 <= 0x9F))
            return 1;
    }
    return 2;
}

} // namespace

namespace {

// CP932 -> UTF-8 by table lookup. A row of the table (one lead byte) is built
// from iconv the first time a character of that row is met, so decoding costs
// one lookup per character and start-up pays only for the rows a day uses.
class DecodeTable final {
  public:
    // UTF-8 bytes of a character (CP932 lies in the BMP: at most 3 bytes);
    // length 0 means "not a character".
    struct Entry {
        char bytes[3];
        unsigned char length;
    };

    DecodeTable() {
        for (int c = 0; c < 256; ++c) {
            if (c < 0x80) {
                single_[c].bytes[0] = static_cast<char>(c);
                single_[c].length = 1;
            } else if (isLead(static_cast<unsigned char>(c))) {
                single_[c].length = 0;
            } else {
                char b = static_cast<char>(c);
                fill(single_[c], std::string_view(&b, 1));
            }
        }
    }

    const Entry& single(unsigned char c) const { return single_[c]; }

    const Entry& pair(unsigned char lead, unsigned char trail) {
        auto& row = rows_[lead - 0x80];
        if (!row) {
            row = std::make_unique<std::array<Entry, 256>>();
            for (int t = 0; t < 256; ++t) {
                char two[2] = {static_cast<char>(lead), static_cast<char>(t)};
                fill((*row)[static_cast<size_t>(t)], std::string_view(two, 2));
            }
        }
        return (*row)[trail];
    }

  private:
    static void fill(Entry& e, std::string_view in) {
        std::string out;
        e.length = 0;
        if (fromSjis().convert(in, out) && !out.empty() && out.size() <= 3) {
            std::copy(out.begin(), out.end(), e.bytes);
            e.length = static_cast<unsigned char>(out.size());
        }
    }

    Entry single_[256];
    std::array<std::unique_ptr<std::array<Entry, 256>>, 128> rows_;
};

DecodeTable& decodeTable() {
    thread_local DecodeTable table;
    return table;
}

} // namespace

std::string sjisToUtf8(std::string_view in) {
    DecodeTable& t = decodeTable();
    std::string out;
    out.reserve(in.size() + in.size() / 2);
    size_t i = 0;
    while (i < in.size()) {
        unsigned char c = static_cast<unsigned char>(in[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const DecodeTable::Entry* e = &t.single(c);
        size_t len = 1;
        if (isLead(c) && i + 1 < in.size()) {
            e = &t.pair(c, static_cast<unsigned char>(in[i + 1]));
            len = 2;
        }
        if (e->length)
            out.append(e->bytes, e->length);
        else
            out += "\xEF\xBF\xBD";
        i += len;
    }
    return out;
}

std::string utf8ToSjis(std::string_view in, bool* lossy) {
    std::string out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        unsigned char c = static_cast<unsigned char>(in[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        size_t len = utf8Length(c);
        if (len == 0 || i + len > in.size() || !toSjis().convert(in.substr(i, len), out)) {
            out += '?';
            if (lossy)
                *lossy = true;
            len = len == 0 || i + len > in.size() ? 1 : len;
        }
        i += len;
    }
    return out;
}

int sjisWidth(std::string_view s) {
    int w = 0;
    for (size_t i = 0; i < s.size();) {
        size_t len = charLength(s, i);
        w += charWidth(s, i, len);
        i += len;
    }
    return w;
}

std::string sjisLeft(std::string_view s, int bytes) {
    int w = 0;
    size_t i = 0;
    while (i < s.size()) {
        size_t len = charLength(s, i);
        int cw = charWidth(s, i, len);
        if (w + cw > bytes)
            break;
        w += cw;
        i += len;
    }
    return std::string(s.substr(0, i));
}

std::string sjisMid(std::string_view s, int bytes) {
    return std::string(s.substr(sjisLeft(s, bytes).size()));
}

} // namespace velmar::data
