#include "data/text.h"

#include "data/sjis.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace velmar::data {

bool tryIntOf(std::string_view t, int32_t& value) {
    size_t i = 0;
    while (i < t.size() && t[i] == ' ')
        ++i;
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        neg = t[i] == '-';
        ++i;
    }
    if (i == t.size())
        return false;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return false;
    }
    if (neg)
        v = -v;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

int32_t intOf(std::string_view t) {
    int32_t v = 0;
    return tryIntOf(t, v) ? v : 0;
}

bool tryFloatOf(std::string_view t, double& value) {
    t = trimmed(t);
    if (t.empty())
        return false;
    size_t i = 0;
    if (t[0] == '+' || t[0] == '-')
        ++i;
    bool digits = false, dot = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= '0' && t[i] <= '9')
            digits = true;
        else if (t[i] == '.' && !dot)
            dot = true;
        else
            return false;
    }
    if (!digits)
        return false;
    std::string s(t);
    value = std::strtod(s.c_str(), nullptr);
    return std::isfinite(value);
}

double floatOf(std::string_view t) {
    double v = 0.0;
    return tryFloatOf(t, v) ? v : 0.0;
}

std::string plainNumber(std::string_view t) { return std::to_string(intOf(t)); }

std::string zeroPad2(int n) { return (n <= 9 ? "0" : "") + std::to_string(n); }
std::string blankPad2(int n) { return (n <= 9 ? " " : "") + std::to_string(n); }

std::string zeroPad(std::string_view t, int w) {
    int have = sjisWidth(t);
    return std::string(have < w ? size_t(w - have) : 0, '0') + std::string(t);
}

std::string padLeft(std::string_view t, int w) {
    int have = sjisWidth(t);
    return std::string(have < w ? size_t(w - have) : 0, ' ') + std::string(t);
}

std::string padRight(std::string_view t, int w) {
    int have = sjisWidth(t);
    return std::string(t) + std::string(have < w ? size_t(w - have) : 0, ' ');
}

std::string dropLast(std::string_view t, int n) {
    // Walk back n UTF-8 characters.
    size_t end = t.size();
    for (int k = 0; k < n; ++k) {
        if (end == 0)
            return {};
        --end;
        while (end > 0 && (static_cast<unsigned char>(t[end]) & 0xC0) == 0x80)
            --end;
    }
    return std::string(t.substr(0, end));
}

std::string circledNumber(int n) {
    static const char* const circled[] = {"①", "②", "③", "④", "⑤", "⑥", "⑦", "⑧", "⑨",
                                          "⑩", "⑪", "⑫", "⑬", "⑭", "⑮", "⑯", "⑰", "⑱"};
    return (n >= 1 && n <= 18) ? circled[n - 1] : std::string();
}

std::string withBackslash(std::string_view p) {
    std::string s(p);
    if (s.empty() || s.back() != '\\')
        s += '\\';
    return s;
}

std::string_view trimmed(std::string_view t) {
    size_t b = 0, e = t.size();
    while (b < e && static_cast<unsigned char>(t[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(t[e - 1]) <= 0x20)
        --e;
    return t.substr(b, e - b);
}

std::string trim(std::string_view t) { return std::string(trimmed(t)); }

std::string fieldOf(std::string_view sep, std::string_view line, int n) {
    std::string s(line);
    if (sep == ",") {
        size_t p;
        while ((p = s.find(",,")) != std::string::npos)
            s.erase(p, 1);
    }
    s = trim(s);
    if (sep.empty())
        return s;
    std::string_view rest(s);
    for (int k = 0;; ++k) {
        size_t p = rest.find(sep);
        if (p == std::string_view::npos)
            return std::string(rest);
        if (k == n)
            return std::string(rest.substr(0, p));
        rest.remove_prefix(p + sep.size());
    }
}

std::vector<std::string> splitFields(std::string_view line, char d) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t p = line.find(d, start);
        if (p == std::string_view::npos) {
            out.emplace_back(line.substr(start));
            return out;
        }
        out.emplace_back(line.substr(start, p - start));
        start = p + 1;
    }
}

std::string format01(double v) {
    // Round half away from zero at the first decimal, as the display format does.
    double r = std::round(v * 10.0) / 10.0;
    if (r == 0.0)
        r = 0.0; // no "-0.0"
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f", r);
    return buf;
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    if (from.empty())
        return text;
    size_t p = 0;
    while ((p = text.find(from, p)) != std::string::npos) {
        text.replace(p, from.size(), to);
        p += to.size();
    }
    return text;
}

} // namespace velmar::data
