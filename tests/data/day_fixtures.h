#pragma once
// Builders for race-day lines and files, so each test writes exactly the
// columns it is about.

#include "data/sjis.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::testing {

// A blank-padded CP932 line; put() writes UTF-8 text (encoded to CP932) at a
// 1-based byte column, growing the line when needed.
class LineBuilder {
  public:
    explicit LineBuilder(int width) : bytes_(static_cast<size_t>(width), ' ') {}
    LineBuilder& put(int col, std::string_view utf8) {
        std::string s = data::utf8ToSjis(utf8);
        size_t at = static_cast<size_t>(col - 1);
        if (at + s.size() > bytes_.size())
            bytes_.resize(at + s.size(), ' ');
        bytes_.replace(at, s.size(), s);
        return *this;
    }
    const std::string& str() const { return bytes_; }
    operator std::string() const { return bytes_; }

  private:
    std::string bytes_;
};

// Fields of a race line; the defaults describe the 51st Arima Kinen.
struct RaceSpec {
    std::string venue = "05";
    std::string meetingNo = "05";
    std::string meetingDay = "08";
    std::string raceNo = "11";
    std::string date = "20061224";
    std::string weekday = "02";
    std::string jump = "0";
    std::string edition = "051";
    std::string name = "有馬記念";
    std::string grade = "0";
    std::string weightRule = "03";
    std::string condition = "  ";
    std::string designation = "  ";
    std::string breedAge = "3";
    std::string classCode = "00004";
    std::string surface = "1";
    std::string turn = "0";
    std::string layout = "1";
    std::string rail = "0";
    std::string distance = "2500";
    std::string withheld = "0";
    std::string postTime = "15:25";
    std::string runners = "14";
    std::string jpn = " ";
};

inline std::string raceLine(const RaceSpec& r) {
    return LineBuilder(777)
        .put(1, r.venue)
        .put(3, "2006")
        .put(7, r.meetingNo)
        .put(9, r.meetingDay)
        .put(11, r.raceNo)
        .put(13, r.date)
        .put(21, r.weekday)
        .put(25, r.jump)
        .put(26, r.edition)
        .put(29, r.name)
        .put(73, r.grade)
        .put(74, r.weightRule)
        .put(94, r.condition)
        .put(96, r.designation)
        .put(98, r.breedAge)
        .put(100, r.classCode)
        .put(105, r.surface)
        .put(106, r.turn)
        .put(107, r.layout)
        .put(108, r.rail)
        .put(109, r.distance)
        .put(331, r.withheld)
        .put(332, r.postTime)
        .put(337, r.runners)
        .put(358, r.jpn);
}

inline std::string crlfJoin(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines)
        out += l + "\r\n";
    return out;
}

} // namespace velmar::testing
