#pragma once
// Race days built in code for the engine tests: each test states only the
// fields it is about; everything else is a plausible default.

#include "data/race_day.h"
#include "data/sjis.h"

#include <array>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::enginetest {

// A blank-padded CP932 line; put() writes UTF-8 text at a 1-based byte column.
class Line {
  public:
    explicit Line(int width) : bytes_(static_cast<size_t>(width), ' ') {}
    Line& put(int col, std::string_view utf8) {
        const std::string s = data::utf8ToSjis(utf8);
        const size_t at = static_cast<size_t>(col - 1);
        if (at + s.size() > bytes_.size())
            bytes_.resize(at + s.size(), ' ');
        bytes_.replace(at, s.size(), s);
        return *this;
    }
    const std::string& str() const { return bytes_; }

  private:
    std::string bytes_;
};

struct PastSpec {
    std::string venue = "05";
    std::string meetingNo = "05";
    std::string meetingDay = "02";
    std::string date = "20061126";
    std::string jump = "0";
    std::string name;        // short race name (14 bytes)
    std::string grade = " "; // GradeCode
    std::string weightRule = "00";
    std::string classCode = "05000";
    std::string surface = "1";
    std::string distance = "1600";
    std::string runners = "16";
    std::string jockey = "武豊";
    std::string weight = "570";
    std::string finish = "03";
    std::string time = "1345";
    std::array<std::string, 4> corners{"03", "03", "02", "02"};
};

struct RunnerSpec {
    std::string frame = "1";
    std::string name = "テストホース";
    std::string sex = "0";
    std::string age = "03";
    std::string weight = "570";
    std::string jockey = "武豊";
    std::string jockeyShort = "武";
    std::string rating = "553";
    std::string odds = "00035"; // the 5 bytes of WinOdds
    std::string horseCode = "1000001";
    std::string coat = "03";
    std::vector<PastSpec> past; // most recent first
};

struct RaceSpec {
    std::string venue = "05";
    std::string raceNo = "11";
    std::string date = "20061224";
    std::string weekday = "02";
    std::string jump = "0";
    std::string classCode = "05000";
    std::string surface = "1"; // turf
    std::string layout = "0";  // 内
    std::string distance = "1600";
    std::string withheld = "0";
    std::string runnerCount; // default: the number of runners
    bool withOdds = true;
    std::vector<RunnerSpec> runners;
};

inline std::string raceLine(const RaceSpec& r) {
    const std::string count = r.runnerCount.empty() ? (r.runners.size() < 10 ? "0" : "") +
                                                          std::to_string(r.runners.size())
                                                    : r.runnerCount;
    return Line(777)
        .put(1, r.venue)
        .put(3, "2006")
        .put(7, "05")
        .put(9, "08")
        .put(11, r.raceNo)
        .put(13, r.date)
        .put(21, r.weekday)
        .put(25, r.jump)
        .put(26, "000")
        .put(73, " ")
        .put(74, "00")
        .put(98, "3")
        .put(100, r.classCode)
        .put(105, r.surface)
        .put(106, "0")
        .put(107, r.layout)
        .put(108, "0")
        .put(109, r.distance)
        .put(331, r.withheld)
        .put(332, "15:25")
        .put(337, count)
        .str();
}

inline std::string entryLine(const RunnerSpec& s) {
    return Line(741)
        .put(23, s.frame)
        .put(33, s.name)
        .put(65, s.sex)
        .put(66, s.age)
        .put(149, s.weight)
        .put(157, s.jockey)
        .put(189, s.jockeyShort)
        .put(706, s.rating)
        .str();
}

inline void putPast(Line& l, int k, const PastSpec& p) {
    const int base = 1064 + 590 * (k - 1);
    l.put(base + 1, p.venue)
        .put(base + 7, p.meetingNo)
        .put(base + 9, p.meetingDay)
        .put(base + 13, p.date)
        .put(base + 26, p.jump)
        .put(base + 60, p.name)
        .put(base + 74, p.grade)
        .put(base + 75, p.weightRule)
        .put(base + 101, p.classCode)
        .put(base + 116, p.surface)
        .put(base + 120, p.distance)
        .put(base + 124, p.runners)
        .put(base + 243, p.weight)
        .put(base + 292, p.jockey)
        .put(base + 367, p.finish)
        .put(base + 375, p.time);
    for (int c = 0; c < 4; ++c)
        l.put(base + 391 + 2 * c, p.corners[c]);
}

inline std::string horseLine(const RunnerSpec& s) {
    Line l(4014);
    l.put(1, s.horseCode).put(8, s.name).put(86, s.coat);
    for (size_t k = 0; k < s.past.size() && k < 5; ++k)
        putPast(l, static_cast<int>(k + 1), s.past[k]);
    return l.str();
}

inline std::string oddsLine(const RaceSpec& r) {
    Line l(1502);
    l.put(1, raceLine(r).substr(0, 22));
    for (size_t h = 0; h < r.runners.size(); ++h)
        l.put(162 + 5 * static_cast<int>(h), r.runners[h].odds);
    return l.str();
}

// A day of the given races, loaded through the race-day loader.
inline data::RaceDay makeDay(const std::vector<RaceSpec>& races) {
    std::string den1, den2, uma, ods;
    for (const RaceSpec& r : races) {
        den1 += raceLine(r) + "\r\n";
        for (const RunnerSpec& s : r.runners) {
            den2 += entryLine(s) + "\r\n";
            uma += horseLine(s) + "\r\n";
        }
        ods += (r.withOdds ? oddsLine(r) : Line(1502).put(1, "99").str()) + "\r\n";
    }
    data::RaceDay day;
    data::RaceDayFiles files{den1, den2, uma, ods};
    auto loaded = data::loadRaceDay(files, day);
    if (!loaded || !*loaded)
        throw std::runtime_error("fixture day did not load");
    return day;
}

// n runners with the given ratings and odds keys (horse 1 first).
inline RaceSpec raceOf(const std::vector<std::string>& ratings,
                       const std::vector<std::string>& odds) {
    RaceSpec r;
    for (size_t i = 0; i < ratings.size(); ++i) {
        RunnerSpec s;
        s.rating = ratings[i];
        s.odds = i < odds.size() ? odds[i] : "";
        s.name = "ホース" + std::to_string(i + 1);
        s.horseCode = std::to_string(2000000 + i);
        s.frame = std::to_string(i / 2 + 1);
        r.runners.push_back(s);
    }
    return r;
}

// A fresh folder, removed at the end of the test.
class TempHome {
  public:
    TempHome() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("velmar-engine-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempHome() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

} // namespace velmar::enginetest
