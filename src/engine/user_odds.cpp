#include "engine/user_odds.h"

#include "data/atomic_file.h"
#include "data/sjis.h"
#include "data/text.h"
#include "engine/update_bets.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <system_error>

namespace velmar::engine {

std::vector<std::string> userOddsItems(int dataRows) {
    std::vector<std::string> items{""};
    for (int i = 1; i <= dataRows; ++i)
        items.push_back(std::to_string(i) + "位");
    return items;
}

std::string userOddsCell(std::string_view item) {
    if (item.empty())
        return {};
    return "<BR><P Align=\"center\">" + std::string(item) + "</p>";
}

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

int32_t userOddsRankOf(std::string_view cell) {
    const std::string low = lower(cell);
    const size_t tag = low.find("<p");
    if (tag == std::string::npos)
        return 0;
    const size_t end = low.find('>', tag);
    if (end == std::string::npos)
        return 0;
    const size_t mark = cell.find("位", end + 1);
    if (mark == std::string_view::npos)
        return 0;
    return data::intOf(cell.substr(end + 1, mark - end - 1));
}

std::string userOddsFileName(const data::RaceTexts& texts) {
    const std::string& d = texts.raceDateText;
    auto part = [&](size_t at, size_t len) {
        return at < d.size() ? d.substr(at, len) : std::string();
    };
    return part(0, 4) + part(5, 2) + part(8, 2) + ".ods";
}

std::string userOddsSection(const data::RaceTexts& texts) {
    return texts.venueLabel + texts.raceNoText + "R";
}

std::vector<std::string> setIniValue(std::vector<std::string> lines, std::string_view section,
                                     std::string_view key, std::string_view value) {
    const std::string wantSection = lower(section);
    const std::string wantKey = lower(key);
    const std::string entry = std::string(key) + "=" + std::string(value);
    auto sectionName = [](std::string_view line) -> std::optional<std::string> {
        std::string_view t = data::trimmed(line);
        if (t.size() >= 2 && t.front() == '[') {
            const size_t close = t.find(']');
            if (close != std::string_view::npos)
                return lower(data::trimmed(t.substr(1, close - 1)));
        }
        return std::nullopt;
    };
    size_t i = 0;
    for (; i < lines.size(); ++i)
        if (sectionName(lines[i]) == wantSection)
            break;
    if (i == lines.size()) {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(entry);
        return lines;
    }
    size_t lastEntry = i;
    for (size_t j = i + 1; j < lines.size() && !sectionName(lines[j]); ++j) {
        const std::string_view t = data::trimmed(lines[j]);
        if (t.empty())
            continue;
        lastEntry = j;
        const size_t eq = t.find('=');
        if (eq != std::string_view::npos && lower(data::trimmed(t.substr(0, eq))) == wantKey) {
            lines[j] = entry;
            return lines;
        }
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastEntry + 1), entry);
    return lines;
}

Status writeUserOdds(const std::filesystem::path& home, const data::RaceTexts& texts,
                     const std::vector<int32_t>& ranks) {
    const std::filesystem::path folder = home / "UserOdds";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return Error{"フォルダ " + folder.string() + " を作成できません: " + ec.message()};
    const std::filesystem::path file = folder / userOddsFileName(texts);

    std::vector<std::string> lines;
    if (std::filesystem::exists(file, ec)) {
        auto bytes = data::readFile(file);
        if (!bytes)
            return bytes.error();
        for (const std::string& l : data::splitLines(*bytes))
            lines.push_back(data::sjisToUtf8(l));
    }
    std::string value;
    for (size_t i = 0; i < ranks.size(); ++i)
        value += (i ? "," : "") + std::to_string(ranks[i]);
    lines = setIniValue(std::move(lines), userOddsSection(texts), "OddsRank", value);
    return data::writeFileAtomic(file, data::sjisLines(lines));
}

Result<bool> changeUserOdds(Prediction& p, const data::RaceDay& day, size_t row,
                            std::string_view item, const std::filesystem::path& home) {
    if (row >= p.grid.rows.size())
        return false;
    p.grid.rows[row].cells[kUserOddsColumn].text = userOddsCell(item);
    // Column 6 starts out holding the R index cells: only typed ranks count
    // as entries, so the store waits for the last runner's rank.
    const bool complete = std::all_of(p.grid.rows.begin(), p.grid.rows.end(), [](const GridRow& r) {
        return userOddsRankOf(r.cells[kUserOddsColumn].text) > 0;
    });
    if (!complete || p.grid.rows.empty())
        return false;
    for (const GridRow& r : p.grid.rows) {
        const int32_t h = r.horse;
        if (h < 1 || h > static_cast<int32_t>(p.runners.size()))
            continue;
        const int32_t rank = userOddsRankOf(r.cells[kUserOddsColumn].text);
        p.runners[h - 1].oddsRank = rank;
        // The sort table row of the same horse gets the rank.
        for (KuraiRow& k : p.kurai)
            if (data::intOf(k[0]) == h)
                k[7] = std::to_string(rank);
    }
    std::vector<int32_t> ranks;
    for (const TBachu& r : p.runners)
        ranks.push_back(r.oddsRank);
    const Status written = writeUserOdds(home, day.texts(p.raceIndex), ranks);
    if (!written)
        return written.error();
    updateBetSuggestions(p, day);
    return true;
}

} // namespace velmar::engine
