#include "engine/standard_data.h"

#include "data/atomic_file.h"
#include "data/codes.h"
#include "data/sjis.h"
#include "data/text.h"

#include <system_error>

namespace velmar::engine {

namespace {

StandardValues zeroValues() {
    StandardValues v;
    for (auto& table : v)
        for (auto& row : table)
            row.fill("0.0");
    return v;
}

Error notANumber(std::string_view fileName, size_t line, size_t field, std::string_view what,
                 std::string_view text) {
    return Error{std::string(fileName) + " " + std::to_string(line + 1) + "行目 " +
                 std::to_string(field + 1) + "番目の項目（" + std::string(what) + "）「" +
                 std::string(text) + "」が数値ではありません。処理を中止します。"};
}

} // namespace

std::string swapNibbles(std::string_view bytes) {
    std::string out(bytes);
    for (char& c : out) {
        auto b = static_cast<unsigned char>(c);
        c = static_cast<char>(static_cast<unsigned char>((b << 4) | (b >> 4)));
    }
    return out;
}

std::string standardDataFileName(std::string_view venueLabel, std::string_view kind,
                                 std::string_view distanceText) {
    if (kind.empty())
        return {};
    return data::jraVenueCode(venueLabel) + std::string(kind) + std::string(distanceText) + ".dat";
}

Result<StandardData> parseStandardData(const std::vector<std::string>& lines,
                                       std::string_view fileName, int frontRunnerCount) {
    StandardData out{zeroValues(), {}};
    if (lines.size() <= 7)
        return out;
    // Lines are counted from 1: rows from lines 1-4, or 5-8 with three or
    // more front runners.
    const size_t first = frontRunnerCount < 3 ? 0 : 4;
    for (size_t r = 0; r < 4; ++r) {
        const size_t lineNo = first + r;
        const std::vector<std::string> f = data::splitFields(lines[lineNo], ',');
        if (f.size() != 18) {
            out.messages.push_back(std::string(fileName) + "が不正です。処理を中止します。");
            break;
        }
        auto count = [&](size_t idx) -> Result<int32_t> {
            int32_t c = 0;
            if (!data::tryIntOf(f[idx], c))
                return notANumber(fileName, lineNo, idx, "件数", f[idx]);
            return c;
        };
        for (size_t g = 0; g < 4; ++g) {
            const size_t own = 3 * g;
            const size_t fallback = g < 3 ? 12 : 15;
            auto ownCount = count(own + 2);
            if (!ownCount)
                return ownCount.error();
            size_t from = own;
            bool scaled = false;
            if (*ownCount <= 29) {
                auto fbCount = count(fallback + 2);
                if (!fbCount)
                    return fbCount.error();
                from = fallback;
                scaled = *fbCount <= 29;
            }
            for (size_t v = 0; v < 2; ++v) {
                const std::string& text = f[from + v];
                std::string cell;
                if (!scaled) {
                    cell = data::format01(data::floatOf(text));
                } else {
                    double x = 0;
                    if (!data::tryFloatOf(text, x))
                        return notANumber(fileName, lineNo, from + v, "値", text);
                    x = x * 2.0 / 3.0;
                    cell = x < 1.0 ? std::string("1.0") : data::format01(x);
                }
                out.values[v][r][g] = cell;
            }
        }
    }
    return out;
}

Result<StandardData> loadStandardData(const std::filesystem::path& home,
                                      std::string_view venueLabel, std::string_view raceKindLabel,
                                      int frontRunnerCount, std::string_view courseLayoutLabel,
                                      std::string_view distanceText) {
    StandardData none{zeroValues(), {}};
    std::string kind;
    if (raceKindLabel == "芝")
        kind = courseLayoutLabel == "外" ? "SO" : "S";
    else if (raceKindLabel == "ダ")
        kind = "D";
    else
        return none;

    const std::filesystem::path folder = home / "Data";
    std::error_code ec;
    std::string name = standardDataFileName(venueLabel, kind, distanceText);
    if (kind == "SO" && !std::filesystem::exists(folder / name, ec))
        name = standardDataFileName(venueLabel, "S", distanceText);
    // The names are ASCII for every central venue; other venues give names
    // that simply do not exist.
    const std::filesystem::path path = folder / name;
    if (!std::filesystem::is_regular_file(path, ec))
        return none;
    auto bytes = data::readFile(path);
    if (!bytes)
        return bytes.error();
    std::vector<std::string> lines = data::splitLines(swapNibbles(*bytes));
    for (std::string& l : lines)
        l = data::sjisToUtf8(l);
    return parseStandardData(lines, name, frontRunnerCount);
}

} // namespace velmar::engine
