#include "history/gap_map.h"

#include "data/atomic_file.h"
#include "data/codes.h"
#include "data/sjis.h"
#include "data/text.h"

#include <algorithm>

namespace velmar::history {

namespace {

// Character positions count characters, not bytes, so a cut never splits one.
size_t charOffset(std::string_view text, size_t chars) {
    size_t i = 0;
    while (i < text.size() && chars > 0) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
        --chars;
    }
    return i;
}

size_t charCount(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string leftChars(std::string_view text, size_t n) {
    return std::string(text.substr(0, charOffset(text, n)));
}

std::string fromChar(std::string_view text, size_t n) {
    return std::string(text.substr(charOffset(text, n)));
}

bool isNumber12(std::string_view t) {
    return !t.empty() && t.size() <= 2 &&
           std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

bool gapMapRow(std::string_view line, std::array<std::string, 3>& cells) {
    cells = {};
    const auto f = data::splitFields(line, ',');
    if (f.size() != 4)
        return false;
    const std::string& venue = f[0];
    const std::string& label = f[1];
    const std::string& entry = f[2];
    const std::string& index = f[3];

    cells[0] = venue.empty() ? " " : venue;

    if (label.empty())
        cells[1] = " ";
    else if (charCount(label) >= 4)
        cells[1] = leftChars(label, 4) + "<A HREF=\"" + index + "\">" + fromChar(label, 4) + "</A>";
    else
        cells[1] = label;

    if (entry.empty())
        cells[2] = " ";
    else
        cells[2] = leftChars(entry, 3) + "<A HREF=\"" + index + "," +
                   data::plainNumber(leftChars(entry, 2)) + "\">" + fromChar(entry, 3) + "</A>";
    return true;
}

Result<GapMap> loadGapMap(const std::filesystem::path& file, const data::RaceDay& day) {
    auto bytes = data::readFile(file);
    if (!bytes)
        return bytes.error();

    GapMap map;
    const std::string& d = day.texts(0).raceDateText; // YYYY/MM/DD(曜)
    auto part = [&](size_t pos, size_t n) { return pos < d.size() ? d.substr(pos, n) : ""; };
    map.caption = part(0, 4) + "年" + part(5, 2) + "月" + part(8, 2) + "日の単勝GAPホースMAP";
    map.date = part(0, 4) + part(5, 2) + part(8, 2);
    map.file = file;

    const auto lines = data::splitLines(*bytes);
    map.lineCount = static_cast<int>(lines.size());
    map.rows.reserve(lines.size());
    for (const std::string& raw : lines) {
        std::array<std::string, 3> cells;
        gapMapRow(data::sjisToUtf8(raw), cells);
        map.rows.push_back(std::move(cells));
    }
    map.windowHeight = kGapMapRowHeight * map.lineCount + 115;
    return map;
}

std::string gapBetFileName(const GapMap& map) {
    return "gap" + (map.date.size() == 8 ? map.date.substr(2) : map.date) + ".kmi";
}

GapBetLines gapBetLines(const GapMap& map) {
    GapBetLines out;
    std::string venueName; // of the nearest row above with a venue
    std::string venueCode; // empty: not a central venue
    std::string race;
    for (const auto& row : map.rows) {
        if (std::string v = data::trim(row[0]); !v.empty()) {
            venueName = v;
            venueCode = data::jraVenueCode(v);
        }
        if (std::string r = data::trim(leftChars(row[1], 2)); !r.empty())
            race = r;
        const std::string horse = data::trim(leftChars(row[2], 2));

        if (venueCode.empty()) {
            ++out.skippedRows;
            if (!venueName.empty() && std::find(out.skippedVenues.begin(), out.skippedVenues.end(),
                                                venueName) == out.skippedVenues.end())
                out.skippedVenues.push_back(venueName);
            continue;
        }
        if (!isNumber12(race) || !isNumber12(horse) || data::intOf(horse) == 0) {
            ++out.skippedRows;
            continue;
        }
        const std::string head = venueCode + map.date + data::zeroPad(race, 2);
        const std::string tail = data::zeroPad(horse, 2) + "0000";
        out.lines.push_back(head + "0" + tail);
        out.lines.push_back(head + "1" + tail);
    }
    return out;
}

} // namespace velmar::history
