#include "data/race_day.h"

#include "data/atomic_file.h"
#include "data/codes.h"
#include "data/sjis.h"
#include "data/text.h"

#include <cstdio>
#include <memory>
#include <system_error>

namespace velmar::data {

bool sameRaceKey(std::string_view a, std::string_view b) {
    // A short line has no key: two empty lines must not make a race "have" odds.
    std::string_view ka = cut(a, 1, kRaceKeyWidth);
    std::string_view kb = cut(b, 1, kRaceKeyWidth);
    return ka.size() == static_cast<size_t>(kRaceKeyWidth) && ka == kb;
}

namespace {

std::string_view lineAt(const std::vector<std::string>& lines, int i) {
    if (i < 0 || static_cast<size_t>(i) >= lines.size())
        return {};
    return lines[static_cast<size_t>(i)];
}

} // namespace

std::string_view RaceDay::raceLine(int k) const {
    return k < raceCount ? lineAt(raceLines, k) : std::string_view{};
}
std::string_view RaceDay::entryLine(int i) const {
    return lineAt(entryLines, i);
}
std::string_view RaceDay::horseLine(int i) const {
    return lineAt(horseLines, i);
}
std::string_view RaceDay::oddsLine(int k) const {
    return lineAt(oddsLines, k);
}

const RaceTexts& RaceDay::texts(int k) const {
    static const RaceTexts kNone;
    if (k < 0 || k >= raceCount || static_cast<size_t>(k) >= raceTexts.size())
        return kNone;
    return raceTexts[static_cast<size_t>(k)];
}

Result<RunnerRange> runnerRange(const RaceDay& day, int k) {
    if (k < 0 || k >= day.raceCount)
        return Error{"レース番号 " + std::to_string(k + 1) + " はこの開催日にありません（全" +
                     std::to_string(day.raceCount) + "レース）。"};
    int first = 0;
    for (int j = 0; j <= k; ++j) {
        RaceLine race{day.raceLine(j)};
        int32_t count = 0;
        if (!tryIntOf(race.runnerCount(), count) || count < 0) {
            return Error{std::string(kRaceFileName) + " の " + std::to_string(j + 1) + " 行目（" +
                         venueName(race.venueCode()) + sjisToUtf8(race.raceNo()) +
                         "R）の出走頭数「" + sjisToUtf8(race.runnerCount()) +
                         "」を数値に変換できません。"};
        }
        if (j < k)
            first += count;
        else
            return RunnerRange{first, first + count - 1};
    }
    return RunnerRange{first, first - 1}; // not reached
}

Result<int> firstRunner(const RaceDay& day, int k) {
    auto r = runnerRange(day, k);
    if (!r)
        return r.error();
    return r->first;
}

Result<int> lastRunner(const RaceDay& day, int k) {
    auto r = runnerRange(day, k);
    if (!r)
        return r.error();
    return r->last;
}

bool hasOdds(const RaceDay& day, int k) {
    if (k < 0 || k >= day.raceCount)
        return false;
    return sameRaceKey(day.raceLine(k), day.oddsLine(k));
}

std::optional<std::string_view> oddsOf(const RaceDay& day, int k, int horseNo) {
    if (!hasOdds(day, k))
        return std::nullopt;
    return OddsLine{day.oddsLine(k)}.winOdds(horseNo);
}

bool oddsOfSameDay(const RaceDay& day) {
    return day.raceCount > 0 && sameRaceKey(day.raceLine(0), day.oddsLine(0));
}

namespace {

Status checkCapacity(size_t count, size_t limit, const char* file, const char* what) {
    if (count <= limit)
        return okStatus();
    return Error{std::string(file) + " は" + what + "が " + std::to_string(count) +
                 " 行あり、上限の " + std::to_string(limit) +
                 " 行を超えています。このデータは読み込めません。"};
}

} // namespace

Result<bool> loadRaceDay(const RaceDayFiles& files, RaceDay& day) {
    // Everything is read and checked first; the day changes only when the whole
    // load is acceptable.
    std::optional<std::vector<std::string>> odds;
    if (files.odds) {
        odds = splitLines(*files.odds);
        if (auto s = checkCapacity(odds->size(), kMaxOddsLines, kOddsFileName, "予想オッズ"); !s)
            return s.error();
    }

    const bool complete = files.races && files.entries && files.horses;
    std::vector<std::string> races, entries, horses;
    std::vector<RaceTexts> texts;
    if (complete) {
        races = splitLines(*files.races);
        if (auto s = checkCapacity(races.size(), kMaxRaces, kRaceFileName, "レース"); !s)
            return s.error();
        entries = splitLines(*files.entries);
        if (auto s = checkCapacity(entries.size(), kMaxRunnerLines, kEntryFileName, "出走馬"); !s)
            return s.error();
        horses = splitLines(*files.horses);
        if (auto s = checkCapacity(horses.size(), kMaxRunnerLines, kHorseFileName, "馬"); !s)
            return s.error();
        texts.reserve(races.size());
        for (const std::string& line : races)
            texts.push_back(addRace(line));
    }

    if (complete) {
        day.raceCount = static_cast<int>(races.size());
        day.raceLines = std::move(races);
        day.entryLines = std::move(entries);
        day.horseLines = std::move(horses);
        day.raceTexts = std::move(texts);
    }
    if (odds)
        day.oddsLines = std::move(*odds);
    return complete;
}

namespace {

// The content of a day file, none when it does not exist.
Result<std::optional<MappedFile>> readDayFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return std::optional<MappedFile>{};
    auto content = MappedFile::open(path);
    if (!content)
        return content.error();
    return std::optional<MappedFile>{std::move(*content)};
}

} // namespace

Result<bool> loadRaceDay(const std::filesystem::path& home, RaceDay& day) {
    auto exists = [&](const char* name) {
        std::error_code ec;
        return std::filesystem::exists(home / name, ec);
    };
    // The three race-day files are read only together: one missing leaves them
    // all as they were.
    const bool complete = exists(kRaceFileName) && exists(kEntryFileName) && exists(kHorseFileName);
    std::optional<MappedFile> races, entries, horses;
    if (complete) {
        for (auto [name, target] :
             {std::pair{kRaceFileName, &races}, std::pair{kEntryFileName, &entries},
              std::pair{kHorseFileName, &horses}}) {
            auto content = readDayFile(home / name);
            if (!content)
                return content.error();
            *target = std::move(*content);
        }
    }
    auto odds = readDayFile(home / kOddsFileName);
    if (!odds)
        return odds.error();

    RaceDayFiles files;
    if (races && entries && horses) {
        files.races = races->bytes();
        files.entries = entries->bytes();
        files.horses = horses->bytes();
    }
    if (*odds)
        files.odds = (*odds)->bytes();
    return loadRaceDay(files, day);
}

Result<size_t> countFileLines(const std::filesystem::path& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f)
        return Error{"ファイルを読み込めません: " + path.string()};
    char buf[1 << 15];
    size_t lines = 0, n;
    bool open = false;    // bytes since the last line break
    bool afterCr = false; // an LF right after a CR ends no further line
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
        for (size_t i = 0; i < n; ++i) {
            const char c = buf[i];
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = c == '\r';
            if (c == '\n' || c == '\r') {
                ++lines;
                open = false;
            } else {
                open = true;
            }
        }
    }
    if (std::ferror(f.get()))
        return Error{"ファイルを読み込めません: " + path.string()};
    return lines + (open ? 1 : 0);
}

Result<bool> loadRaceList(const std::filesystem::path& home, RaceDay& day) {
    auto exists = [&](const char* name) {
        std::error_code ec;
        return std::filesystem::exists(home / name, ec);
    };
    if (!(exists(kRaceFileName) && exists(kEntryFileName) && exists(kHorseFileName)))
        return false;
    auto races = readFile(home / kRaceFileName);
    if (!races)
        return races.error();
    std::vector<std::string> lines = splitLines(*races);
    if (auto s = checkCapacity(lines.size(), kMaxRaces, kRaceFileName, "レース"); !s)
        return s.error();
    for (auto [name, what] :
         {std::pair{kEntryFileName, "出走馬"}, std::pair{kHorseFileName, "馬"}}) {
        auto count = countFileLines(home / name);
        if (!count)
            return count.error();
        if (auto s = checkCapacity(*count, kMaxRunnerLines, name, what); !s)
            return s.error();
    }
    std::vector<RaceTexts> texts;
    texts.reserve(lines.size());
    for (const std::string& line : lines)
        texts.push_back(addRace(line));
    day.raceCount = static_cast<int>(lines.size());
    day.raceLines = std::move(lines);
    day.raceTexts = std::move(texts);
    day.entryLines.clear();
    day.horseLines.clear();
    return true;
}

} // namespace velmar::data
