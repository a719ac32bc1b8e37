#include "engine/main_grid.h"

#include "data/codes.h"
#include "data/sjis.h"
#include "data/text.h"
#include "engine/full_width.h"
#include "engine/running_style.h"
#include "engine/tenths.h"

#include <chrono>
#include <cmath>

namespace velmar::engine {

using data::padLeft;
using data::padRight;

const std::array<std::string, kGridColumns>& gridHeaders() {
    static const std::array<std::string, kGridColumns> h = {
        "枠", "馬", "馬　名", "3走前", "2走前", "前走", "R", "R順位", "O", "O順位", "QV", "印"};
    return h;
}

const std::array<std::string, kGridColumns>& gridHeaderHints() {
    static const std::array<std::string, kGridColumns> h = {"枠番でソート",
                                                            "馬番でソート",
                                                            "斤量でソート",
                                                            "",
                                                            "",
                                                            "",
                                                            "R指数⇒レイティングでソート",
                                                            "R順位でソート",
                                                            "O指数⇒オッズでソート",
                                                            "O順位でソート",
                                                            "QV指数でソート",
                                                            "印でソート"};
    return h;
}

const std::array<std::string, kGridColumns>& htmlGridHeaders() {
    static const std::array<std::string, kGridColumns> h = {
        "印",           "枠",     "馬",   "馬　名", "斤量",  "騎手",
        "展開パターン", "タイプ", "人気", "勝利P",  "回収P", "合計P"};
    return h;
}

std::string frameCell(std::string_view frameNo) {
    return "<BR><P ALIGN=\"center\">" + std::string(frameNo) + "</P>";
}

std::string horseCell(int32_t horse) {
    return "<BR><P ALIGN=\"center\">" + std::to_string(horse) + "</P>";
}

std::string nameCell(std::string_view sexCode, int32_t age, int32_t horse,
                     std::string_view horseName, std::string_view weightText,
                     std::string_view jockeyName) {
    return data::sexText(sexCode) + std::to_string(age) + "歳" + "<BR><font color=\"#0000FF\">" +
           "<A HREF=\"" + std::to_string(horse) + "\">" + std::string(horseName) + "</A></font>" +
           "<BR>" + std::string(weightText) + " " + std::string(jockeyName);
}

int32_t horseNumberOfCell(std::string_view cell) {
    if (cell.size() == 27)
        return data::intOf(cell.substr(22, 1));
    if (cell.size() == 28)
        return data::intOf(cell.substr(22, 2));
    return 0;
}

std::string pastRaceClassText(const data::PastRace& race) {
    const std::string_view code = race.classCode();
    std::string cls;
    if (code == "00001")
        cls = "新馬";
    else if (code == "00002")
        cls = "未出走";
    else if (code == "00003")
        cls = "未勝利";
    else if (code == "00004")
        cls = data::gradeText(race.gradeCode());
    else {
        cls = std::to_string(data::intOf(code.substr(0, std::min<size_t>(4, code.size()))));
        if (cls == "0")
            cls.clear();
    }
    // The short race name leads; outside the central venues it replaces the class.
    const std::string_view rawName = race.raceName();
    const std::string name6 =
        data::trimmed(rawName.substr(0, std::min<size_t>(6, rawName.size()))).empty()
            ? std::string()
            : data::sjisLeft(data::sjisToUtf8(rawName), 6);
    if (!data::trimmed(name6).empty()) {
        const std::string_view venue = race.venueCode();
        const bool central =
            venue.size() == 2 && venue[0] == '0' && venue[1] >= '0' && venue[1] <= '9';
        return central ? name6 + cls : name6;
    }
    int32_t value = 0;
    if (data::tryIntOf(cls, value)) {
        if (value > 99)
            return cls + "万";
        if (value >= 1)
            return {};
    }
    return cls;
}

namespace {

std::string finishText(int32_t f) {
    std::string t = padLeft(std::to_string(f), 2) + "着";
    if (f >= 1 && f <= 3)
        return "<B>" + t + "</B>";
    return t == " 0着" ? std::string("--着") : t;
}

std::string timeText(std::string_view raceTime) {
    auto part = [&](size_t at, size_t len) {
        return at < raceTime.size() ? data::trim(raceTime.substr(at, len)) : std::string();
    };
    std::string t = padLeft(part(0, 1) + "." + part(1, 2) + "." + part(3, 1), 6);
    return t == "    .." ? std::string("-.--.-") : t;
}

std::string cornerText(const data::PastRace& race) {
    std::string t;
    for (int c = 1; c <= 4; ++c)
        t += data::cornerMark(race.corner(c));
    return data::trimmed(t).empty() ? std::string(13, ' ') : t;
}

} // namespace

std::string pastRaceCell(const data::PastRace& race, int32_t surface, int32_t distance,
                         std::string_view historyText) {
    // Built in one buffer: a day-wide run builds some two thousand of these.
    std::string cell;
    cell.reserve(160 + historyText.size());
    auto appendPadded = [&](std::string_view text, int width, bool left) {
        const int pad = width - data::sjisWidth(text);
        if (left && pad > 0)
            cell.append(static_cast<size_t>(pad), ' ');
        cell.append(text);
        if (!left && pad > 0)
            cell.append(static_cast<size_t>(pad), ' ');
    };

    std::string meeting = std::to_string(race.meetingNoValue());
    meeting += data::sjisLeft(data::venueName(race.venueCode()), 4);
    meeting += std::to_string(race.meetingDayValue());
    appendPadded(meeting, 8, false);
    const std::string_view date = race.raceDate();
    std::string day;
    day.append(date.size() > 4 ? date.substr(4, 2) : std::string_view{});
    day += '.';
    day.append(date.size() > 6 ? date.substr(6, 2) : std::string_view{});
    appendPadded(day, 7, false);
    appendPadded(pastRaceClassText(race), 10, false);
    cell += ' ';
    cell += finishText(race.finishPosValue());
    cell += '/';
    const int32_t runners = race.runnerCountValue();
    if (runners == 0)
        cell += "--";
    else
        appendPadded(std::to_string(runners), 2, true);
    cell += "頭<BR>";

    cell += data::trackKindText(surface);
    cell.append(std::to_string(distance), 0, 4);
    cell += "m ";
    cell += timeText(race.raceTime());
    cell += ' ';
    appendPadded(data::trim(data::sjisLeft(data::sjisToUtf8(race.jockeyName()), 6)), 7, false);
    appendPadded(race.weightCarriedText(), 5, true);
    cell += ' ';
    cell += cornerText(race);
    cell += "<BR>      ";
    cell.append(historyText);
    return cell;
}

std::array<std::string, 5> indexCells(const TBachu& r) {
    const bool scratched = r.oddsText == "/";
    const std::string ratingText = scratched       ? std::string("取消")
                                   : r.rating != 0 ? tenthsText(r.rating)
                                                   : std::string("-");
    const std::string oddsText = scratched ? std::string("取消") : r.oddsText;
    const std::string open = "<BR><P ALIGN=\"center\">";
    auto rankCell = [&](int32_t rank) {
        return rank <= 4 ? open + "<B>" + std::to_string(rank) + "位</B></P>"
                         : open + std::to_string(rank) + "位</P>";
    };
    std::array<std::string, 5> c;
    c[0] = r.ratingRank <= 4
               ? open + "<FONT COLOR=\"#FF0000\"><B>" + std::to_string(r.rIndex) +
                     "</B></FONT><BR>(" + ratingText + ")</P>"
               : open + std::to_string(r.rIndex) + "</FONT><BR>(" + ratingText + ")</P>";
    c[1] = rankCell(r.ratingRank);
    c[2] = r.oddsRank <= 4 ? open + "<FONT COLOR=\"#FF0000\"><B>" + std::to_string(r.oIndex) +
                                 "</B></FONT><BR>(" + oddsText + ")</P>"
                           : open + std::to_string(r.oIndex) + "<BR>(" + oddsText + ")</P>";
    c[3] = rankCell(r.oddsRank);
    c[4] = open + "<FONT COLOR=\"#006699\"><B>" + std::to_string(r.qvIndex) + "</B></FONT></P>";
    return c;
}

CellColors frameColors(std::string_view cell, size_t digitAt) {
    const char digit = digitAt >= 1 && digitAt <= cell.size() ? cell[digitAt - 1] : '\0';
    switch (digit) {
    case '2':
        return {"#000000", "#FFFFFF"};
    case '3':
        return {"#FF0000", "#FFFFFF"};
    case '4':
        return {"#0000FF", "#FFFFFF"};
    case '5':
        return {"#FFFF00", "#000000"};
    case '6':
        return {"#008000", "#FFFFFF"};
    case '7':
        return {"#FF9900", "#000000"};
    case '8':
        return {"#FF66FF", "#000000"};
    default:
        return {"#FFFFFF", "#000000"};
    }
}

std::string pastRaceBackground(const TBachu& r, int index) {
    if (index < 0 || index > 2 || r.pastSurfaces[index] == 0 || !r.pastRan[index])
        return "#DDDDDD";
    switch (r.pastFinishes[index]) {
    case 1:
        return "#FFD6D6";
    case 2:
        return "#FFE3C5";
    case 3:
        return "#D5E9F4";
    default:
        return "#FFFFFF";
    }
}

DateTime addMonths(const DateTime& d, int months) {
    using namespace std::chrono;
    int total = d.year * 12 + (d.month - 1) + months;
    DateTime out = d;
    out.year = total / 12;
    out.month = total % 12 + 1;
    const year_month_day_last last{year{out.year} / month{static_cast<unsigned>(out.month)} /
                                   std::chrono::last};
    const int lastDay = static_cast<int>(static_cast<unsigned>(last.day()));
    if (out.day > lastDay)
        out.day = lastDay;
    return out;
}

bool longBreak(const DateTime& d, const DateTime& next) {
    if (d.month < 1 || d.month > 12)
        return false; // no usable date
    return addMonths(d, 3) < next;
}

void showIndexCells(Prediction& p) {
    const bool shown = p.hasRatings && p.hasOdds;
    for (GridRow& row : p.grid.rows) {
        for (int c = 6; c <= 10; ++c)
            row.cells[c].text.clear();
        if (!shown || row.horse < 1 || row.horse > static_cast<int32_t>(p.runners.size()))
            continue;
        const auto cells = indexCells(p.runners[row.horse - 1]);
        for (int c = 0; c < 5; ++c)
            row.cells[6 + c].text = cells[c];
    }
    for (KuraiRow& k : p.kurai) {
        const int32_t h = data::intOf(k[0]);
        if (h < 1 || h > static_cast<int32_t>(p.runners.size()))
            continue;
        const TBachu& r = p.runners[h - 1];
        for (int c = 3; c <= 9; ++c)
            k[c].clear();
        k[1].clear();
        if (!shown) {
            k[3] = k[4] = "0";
            continue;
        }
        k[1] = markWeight(p.markedHorses, h);
        k[3] = std::to_string(r.rating);
        k[4] = std::to_string(r.ratingRank);
        k[5] = std::to_string(r.rIndex);
        if (r.oddsText == "/")
            k[6] = "99999";
        else if (r.oddsText == "*")
            k[6] = "99998";
        else if (r.oddsText == "-")
            k[6] = "99997";
        else
            k[6] = std::to_string(std::llround(data::floatOf(r.oddsText) * 10.0));
        k[7] = std::to_string(r.oddsRank);
        k[8] = std::to_string(r.oIndex);
        k[9] = std::to_string(r.qvIndex);
    }
}

void fillHtmlGrid(Prediction& p, const std::vector<std::string>& frameNos) {
    p.html.headers = htmlGridHeaders();
    p.html.rows.assign(p.runners.size(), {});
    for (size_t i = 0; i < p.runners.size(); ++i) {
        const TBachu& r = p.runners[i];
        const int32_t h = static_cast<int32_t>(i + 1);
        auto& cells = p.html.rows[i];
        // The mark as the 印 cell of the main grid shows it.
        for (const GridRow& row : p.grid.rows) {
            if (row.horse != h)
                continue;
            const std::string& mark = row.cells[11].text;
            const std::string open = "<BR><P ALIGN=\"center\">";
            if (!mark.empty()) {
                std::string symbol = mark;
                if (symbol.rfind(open, 0) == 0 && symbol.size() >= open.size() + 4)
                    symbol = symbol.substr(open.size(), symbol.size() - open.size() - 4);
                cells[0].text = "<P ALIGN=\"center\">" + symbol + "</P>";
            }
        }
        const std::string frame = i < frameNos.size() ? frameNos[i] : std::string();
        cells[1].text = "<P ALIGN=\"center\">" + frame + "</P>";
        cells[2].text = "<P ALIGN=\"right\">" + std::to_string(h) + "</P>";
        cells[3].text = r.horseName;
        cells[4].text = "<P ALIGN=\"center\">" + r.weightText + "</P>";
        cells[5].text = r.jockeyText;
        cells[6].text = styledText(r.runningStyle, toFullWidth(r.distanceChange));
        if (r.oddsRank > 0)
            cells[8].text = "<P ALIGN=\"right\">" + std::to_string(r.oddsRank) + "位</P>";
        const CellColors fc = frameColors(cells[1].text, 19);
        cells[1].background = fc.background;
        cells[1].fontColor = fc.font;
        const std::string side = cells[6].text.empty() ? "#DDDDDD" : "#FFFFFF";
        cells[6].background = cells[7].background = side;
    }
}

} // namespace velmar::engine
