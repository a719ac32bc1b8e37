#include "data/import.h"

#include "data/archive.h"
#include "data/race_line.h"
#include "data/vd3.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>

namespace velmar::data {

namespace fs = std::filesystem;

namespace {

// Entries that make an archive CNX data (exact, case-sensitive names).
constexpr std::array<std::string_view, 4> kCnxEntries = {"cnx_uma.vd2", "cnx_ods.vd2",
                                                         "cnx_uma.vd3", "cnx_ods.vd3"};

// Characters `from` (1-based) to `from + count - 1` of a name; what exists of them.
std::string mid(const std::string& s, std::size_t from, std::size_t count) {
    if (from - 1 >= s.size())
        return {};
    return s.substr(from - 1, count);
}

bool holdsCnxData(const fs::path& archive) {
    auto listing = listArchive(archive);
    if (!listing)
        return false;
    return std::any_of(listing->entries.begin(), listing->entries.end(), [](const auto& e) {
        return std::find(kCnxEntries.begin(), kCnxEntries.end(), e.rawName) != kCnxEntries.end();
    });
}

std::string fileError(const std::string& what, const fs::path& path, const std::error_code& ec) {
    return what + ": " + path.string() + " (" + ec.message() + ")";
}

// Removes a file if it is there.
Status removeIfPresent(const fs::path& path) {
    std::error_code ec;
    fs::remove(path, ec);
    if (ec)
        return Error{fileError("ファイルを削除できません", path, ec)};
    return okStatus();
}

// Moves `from` over `to` when `from` exists. The rename replaces `to` in one
// step, so there is no moment without a race-card file.
Status renameIfPresent(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(from, ec)))
        return okStatus();
    fs::rename(from, to, ec);
    if (ec)
        return Error{fileError("ファイル名を変更できません", from, ec)};
    return okStatus();
}

// Brings the extracted files into the ".vd2" layout, each step only when its
// source exists.
Status normaliseDayFiles(const fs::path& home) {
    for (Vd3Kind kind : {Vd3Kind::Den1, Vd3Kind::Den2, Vd3Kind::Uma, Vd3Kind::Ods}) {
        auto converted = convertVd3File(home, kind);
        if (!converted)
            return converted.error();
        // The second odds file of the ".vd3" generation is not read; it goes
        // with the first.
        if (kind == Vd3Kind::Ods && *converted)
            if (auto s = removeIfPresent(home / "cnx_ods2.vd3"); !s)
                return s;
    }
    if (auto s = renameIfPresent(home / "cnx_tok1.vd2", home / kRaceFileName); !s)
        return s;
    if (auto s = renameIfPresent(home / "cnx_tok2.vd2", home / kEntryFileName); !s)
        return s;
    return okStatus();
}

} // namespace

std::optional<fs::path> oddsCompanion(const fs::path& archive) {
    const std::string name = archive.filename().string();
    const fs::path folder = archive.parent_path();
    for (const fs::path& candidate :
         {folder / ("j" + mid(name, 3, 10)), folder / ("vd3_jb" + mid(name, 7, 10))}) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec))
            return candidate;
    }
    return std::nullopt;
}

std::optional<fs::path> gapFileOf(const fs::path& home, std::string_view raceDate) {
    if (raceDate.size() != 8 ||
        !std::all_of(raceDate.begin(), raceDate.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return home / "Gap" / (std::string(raceDate.substr(2, 6)) + ".gap");
}

ImportResult importArchive(const fs::path& home, const fs::path& archive, RaceDay& day,
                           const ImportHooks& hooks) {
    ImportResult result;

    // Only an archive holding the odds or horse file is taken for CNX data.
    if (!holdsCnxData(archive)) {
        result.message = kNotCnxDataMessage;
        return result;
    }

    // The archive and its odds companion are extracted together.
    std::vector<fs::path> archives{archive};
    result.companion = oddsCompanion(archive);
    if (result.companion)
        archives.push_back(*result.companion);
    ExtractHooks extract;
    extract.progress = hooks.progress;
    extract.finished = [&hooks] {
        if (hooks.progress)
            hooks.progress(0);
    };
    extract.error = [&result](int code, const std::string& message) {
        result.extractErrors += "\r\n" + std::to_string(code) + " : " + message;
    };
    const bool extracted = extractArchives(archives, home, extract);
    if (!extracted && result.extractErrors.empty())
        result.extractErrors =
            "\r\n" + std::to_string(kArchiveDamaged) + " : " + "書庫ファイルを展開できませんでした";
    if (!result.extractErrors.empty()) {
        result.message = std::string(kExtractErrorHead) + result.extractErrors + kExtractErrorTail;
        return result;
    }

    if (auto s = normaliseDayFiles(home); !s) {
        result.message = s.error().message;
        return result;
    }

    // The new day is read beside the one shown and replaces it only when
    // every step below has succeeded.
    RaceDay next = day;
    auto loaded = loadRaceDay(home, next);
    if (!loaded) {
        result.message = loaded.error().message;
        return result;
    }

    // With no race in the home (an odds archive on its own, before any race
    // card) there is no date for gap data and no race to show.
    const bool hasRace = next.raceCount > 0;
    if (hasRace && hooks.createGapData) {
        auto gapFile = gapFileOf(home, RaceLine{next.raceLine(0)}.raceDate());
        std::error_code ec;
        if (gapFile && !fs::exists(*gapFile, ec)) {
            fs::create_directories(gapFile->parent_path(), ec);
            if (ec) {
                result.message =
                    fileError("フォルダーを作成できません", gapFile->parent_path(), ec);
                return result;
            }
            if (auto s = hooks.createGapData(*gapFile, next); !s) {
                result.message = s.error().message;
                return result;
            }
        }
    }

    day = std::move(next);
    if (hasRace && hooks.showFirstRace)
        hooks.showFirstRace(day);
    if (hooks.refreshGapMap)
        hooks.refreshGapMap(day);
    return result;
}

} // namespace velmar::data
