#include "engine/running_style.h"

#include "data/text.h"

namespace velmar::engine {

std::string patternText(int32_t pattern) {
    switch (pattern) {
    case 1:
        return "本命";
    case 2:
        return "順当";
    case 3:
        return "波乱";
    case 4:
        return "大穴";
    default:
        return {};
    }
}

std::string markSymbol(int position) {
    static const char* const symbols[] = {"◎", "○", "▲", "△", "×", "×"};
    return position >= 1 && position <= 6 ? symbols[position - 1] : std::string();
}

std::string markWeight(const std::array<int32_t, 6>& markedHorses, int32_t horse) {
    for (int u = 0; u < 6; ++u)
        if (markedHorses[u] == horse && horse != 0)
            return std::to_string(10 - u);
    return "0";
}

int normalizePosition(std::string_view code) {
    int v = data::intOf(code);
    if (v >= 30 && v <= 39)
        return 0;
    if (v >= 40)
        return v - 40;
    return v;
}

namespace {

// A for 1-2, B for 3-4, C for 5-8, D otherwise.
int positionClass(int p) {
    if (p >= 1 && p <= 2)
        return 0;
    if (p >= 3 && p <= 4)
        return 1;
    if (p >= 5 && p <= 8)
        return 2;
    return 3;
}

} // namespace

std::string styleFromPositions(int a, int b) {
    static const char* const single[] = {"逃げ", "先行", "差し", "追込"};
    static const char* const pair[4][4] = {{"逃げ", "逃げ", "先行", "先行"},
                                           {"逃げ", "先行", "差し", "差し"},
                                           {"先行", "差し", "差し", "追込"},
                                           {"先行", "差し", "追込", "追込"}};
    if (a == 0 || b == 0) {
        if (a <= 0)
            return {};
        return single[positionClass(a)];
    }
    return pair[positionClass(a)][positionClass(b)];
}

std::string distanceChangeText(int today, int past, std::string_view todaySurface,
                               std::string_view pastSurface) {
    if (todaySurface != pastSurface)
        return pastSurface.empty() ? std::string() : std::string("別ﾄﾗｯｸ");
    if (past == today)
        return "同距離";
    if (past > today)
        return "短縮";
    return "延長";
}

std::string styleColorTag(std::string_view style) {
    if (style == "逃げ")
        return "<font color=\"#FF3333\">";
    if (style == "先行")
        return "<font color=\"#0066FF\">";
    if (style == "差し")
        return "<font color=\"#FF6600\">";
    if (style == "追込")
        return "<font color=\"#339900\">";
    return {};
}

std::string styledText(std::string_view style, std::string_view change) {
    std::string tag = styleColorTag(style);
    std::string styled = tag.empty() ? std::string() : tag + std::string(style) + "</font>";
    if (!styled.empty() && !change.empty())
        return styled + "・" + std::string(change);
    if (styled.empty() && !change.empty())
        return std::string(change);
    return {};
}

} // namespace velmar::engine
