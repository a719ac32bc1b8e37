#include "data/sjis.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace velmar::data {
namespace {

// One converter per direction and thread; iconv_open is far too slow to call
// per field.
class Converter final {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv: no conversion from ") + from + " to " + to);
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

bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

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

std::string sjisToUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size() + in.size() / 2);
    size_t i = 0;
    while (i < in.size()) {
        // Runs of ASCII go straight through.
        size_t j = i;
        while (j < in.size() && static_cast<unsigned char>(in[j]) < 0x80)
            ++j;
        if (j > i) {
            out.append(in.data() + i, j - i);
            i = j;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(in[i]);
        size_t len = (isLead(c) && i + 1 < in.size()) ? 2 : 1;
        if (!fromSjis().convert(in.substr(i, len), out))
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
