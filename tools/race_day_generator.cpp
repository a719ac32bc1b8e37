#include "tools/race_day_generator.h"

#include "data/sjis.h"
#include "tools/gen_random.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>
#include <string_view>

namespace velmar::tools {

using data::sjisLeft;
using data::sjisWidth;
using data::utf8ToSjis;

namespace {

// ---------------------------------------------------------------------------
// Calendar

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long z, int& y, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

int digitsOf(const std::string& s, size_t pos, size_t n) {
    int v = 0;
    for (size_t i = pos; i < pos + n && i < s.size(); ++i)
        v = v * 10 + (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : 0);
    return v;
}

long dayNumber(const std::string& yyyymmdd) {
    return daysFromCivil(digitsOf(yyyymmdd, 0, 4), digitsOf(yyyymmdd, 4, 2),
                         digitsOf(yyyymmdd, 6, 2));
}

std::string pad(long long v, int width) {
    std::string s = std::to_string(v < 0 ? 0 : v);
    if (static_cast<int>(s.size()) > width)
        s = std::string(static_cast<size_t>(width), '9');
    return std::string(static_cast<size_t>(width) - s.size(), '0') + s;
}

std::string dateOf(long days) {
    int y, m, d;
    civilFromDays(days, y, m, d);
    return pad(y, 4) + pad(m, 2) + pad(d, 2);
}

// ---------------------------------------------------------------------------
// Fixed-column line writer. Columns the program does not read get digits, as
// in the service's files, where other fields fill them; so a reader that cuts
// one column off reads a stray digit rather than a harmless blank.

std::uint64_t mix(std::uint64_t x) {
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

class FixedLine final {
  public:
    FixedLine(int width, std::uint64_t fillerSeed) : bytes_(static_cast<size_t>(width), ' ') {
        std::uint64_t h = mix(fillerSeed + 0x9E3779B97F4A7C15ULL);
        for (size_t i = 0; i < bytes_.size(); ++i) {
            if (i % 16 == 0)
                h = mix(h + i);
            bytes_[i] = static_cast<char>('0' + ((h >> ((i % 16) * 4)) & 0xF) % 10);
        }
    }

    void blank(int col, int width) { ascii(col, std::string(static_cast<size_t>(width), ' ')); }

    // A text field: CP932, left aligned, blank padded; cut at the field's end
    // without splitting a double-width character.
    void text(int col, int width, std::string_view utf8) {
        std::string b = utf8ToSjis(sjisLeft(utf8, width));
        b.resize(static_cast<size_t>(width), ' ');
        put(col, b);
    }
    // ASCII codes written as they stand; a code shorter than the field is
    // blank padded.
    void ascii(int col, std::string_view code) { put(col, code); }
    void code(int col, int width, std::string_view c) {
        std::string b(c.substr(0, static_cast<size_t>(width)));
        b.resize(static_cast<size_t>(width), ' ');
        put(col, b);
    }
    void number(int col, int width, long long v) { put(col, pad(v, width)); }

    std::string take() { return std::move(bytes_); }

  private:
    void put(int col, std::string_view b) {
        size_t at = static_cast<size_t>(col - 1);
        for (size_t i = 0; i < b.size() && at + i < bytes_.size(); ++i)
            bytes_[at + i] = b[i];
    }
    std::string bytes_;
};

// ---------------------------------------------------------------------------
// Name pools (UTF-8). Horse names are katakana, at most nine characters.

const std::vector<std::string> kNamePrefixes = {
    "ベルマー", "アオゾラ", "ハヤテ",     "ミラクル",   "ホシノ",   "カゼノ",
    "ユメノ",   "ソラノ",   "ヒカリ",     "ツキノ",     "シルヴァ", "ゴールデン",
    "ブルー",   "レッド",   "ウインド",   "サンライズ", "ミスター", "ラッキー",
    "ノーブル", "グラン",   "エル",       "ヴィヴィ",   "アイアン", "スカイ",
    "メロディ", "マリン",   "フォレスト", "オーロラ",   "セレス",   "キタカゼ"};
const std::vector<std::string> kNameSuffixes = {
    "スター",   "ブレイブ", "ヴィクトリー", "ヴェール",   "ジョーカー", "ライト",   "ウイング",
    "ドリーム", "ルージュ", "クラウン",     "フラッシュ", "キング",     "クイーン", "ダンサー",
    "ロード",   "アロー",   "ミスト",       "フェザー",   "グローリー", "ハート",   "ソング",
    "ブリーズ", "ジェム",   "タイガー",     "ファルコン", "レディ",     "プリンス", "メテオ",
    "コメット", "サーガ",   "リバティ",     "エース",     "ノヴァ",     "ステラ",   "カイザー",
    "ミューズ", "ボルト",   "ワルツ",       "ティアラ",   "シャトル"};
const std::vector<std::string> kSires = {
    "スカイラインキング", "ブルーヴィクトリー", "ゴールデンサーガ", "ノーブルハート",
    "アイアンカイザー",   "ミラクルステラ",     "サンライズボルト", "エルファルコン",
    "グランメテオ",       "ウインドジョーカー", "ストームクラウン", "ヴィヴィッドロード",
    "キタカゼブレイブ",   "オーロラタイガー"};
const std::vector<std::string> kDamSuffixes = {"レディ", "クイーン", "ティアラ", "ミューズ",
                                               "ワルツ", "ルージュ", "ソング",   "ジェム"};

struct Person {
    std::string full;
    std::string shortName;
};
// Includes 髙 and 﨑, which only code page 932 (not plain Shift_JIS) encodes.
const std::vector<Person> kJockeys = {
    {"髙橋祐也", "髙橋祐"},   {"山﨑一馬", "山﨑一"},       {"佐藤翔太", "佐藤翔"},
    {"鈴木健一", "鈴木健"},   {"田中誠", "田中誠"},         {"渡辺大輔", "渡辺大"},
    {"伊藤隆史", "伊藤隆"},   {"中村拓也", "中村拓"},       {"小林悠", "小林悠"},
    {"加藤雄一", "加藤雄"},   {"吉田亮", "吉田亮"},         {"山田健太", "山田健"},
    {"松本陽介", "松本陽"},   {"井上正樹", "井上正"},       {"木村光", "木村光"},
    {"林勇気", "林勇気"},     {"清水一真", "清水一"},       {"池田蓮", "池田蓮"},
    {"橋本直人", "橋本直"},   {"石川慎", "石川慎"},         {"前田健", "前田健"},
    {"藤田菜々", "藤田菜"},   {"岡田悠斗", "岡田悠"},       {"長谷川翼", "長谷川"},
    {"Ｊ．ロッシ", "ロッシ"}, {"Ａ．マルタン", "マルタン"}, {"武藤彩", "武藤彩"},
    {"西村淳", "西村淳"},     {"大野拓弥", "大野拓"},       {"菅原隆", "菅原隆"}};
const std::vector<std::string> kTrainers = {"森本健", "石田昭", "高野守", "浅井誠", "奥村武",
                                            "西園寺", "尾関知", "宮田敬", "堀井宣", "国本勇",
                                            "手塚貴", "上原博", "矢野英", "中竹和", "斉藤崇",
                                            "安田翔", "杉山晴", "﨑田豊", "髙木登", "大和田"};
const std::vector<std::string> kOwners = {"ベルマーホースクラブ",
                                          "（株）北星レーシング",
                                          "山岡正人",
                                          "サンライズファーム",
                                          "（有）青空牧場",
                                          "田村恵子",
                                          "ミナトホールディングス",
                                          "カゼノレーシングクラブ",
                                          "川村一郎",
                                          "（株）グランドスター",
                                          "ノーブルサラブレッドクラブ",
                                          "佐々木由美"};
const std::vector<std::string> kBreeders = {
    "白樺牧場",         "北星ファーム", "日高山田牧場", "青空ステーブル", "（有）三石牧場",
    "新冠ホースパーク", "静内桜井牧場", "浦河ヒルズ",   "早来ファーム",   "門別高橋牧場"};
// Short names (at most seven full-width characters) of open and graded races.
struct NamedPast {
    std::string name;
    std::string grade;
    bool jump;
    bool twoYear;
};
const std::vector<NamedPast> kPastNames = {
    {"京王杯２歳Ｓ", "1", false, true},  {"東スポ杯２歳", "1", false, true},
    {"サウジＲＣ", "2", false, true},    {"アルテミスＳ", "2", false, true},
    {"ファンタジー", "2", false, true},  {"デイリー杯", "1", false, true},
    {"萩ステークス", " ", false, true},  {"きんもくせい", " ", false, true},
    {"武蔵野Ｓ", "2", false, false},     {"みやこＳ", "2", false, false},
    {"エルムＳ", "2", false, false},     {"毎日王冠", "1", false, false},
    {"天皇賞（秋）", "0", false, false}, {"オールカマー", "1", false, false},
    {"新潟記念", "2", false, false},     {"ブラジルＣ", " ", false, false},
    {"東京大障害", "3", true, false},    {"京都ジャンプ", "5", true, false},
    {"秋陽ジャンプ", " ", true, false},  {"東京ハイＪ", "4", true, false}};

// ---------------------------------------------------------------------------
// Courses

struct Course {
    char surface; // '1' turf, '0' dirt, 'J' steeplechase
    int distance;
    char layout; // course-layout code
};

struct Venue {
    std::string code;
    int meetingNo;
    char turn; // '0' right, '1' left
    std::vector<Course> courses;
};

// The ten central venues, in the order a day takes them (a December Sunday:
// 中山, 阪神, 中京, then 小倉 and the others).
const std::vector<Venue> kVenues = {
    {"05",
     5,
     '0',
     {{'1', 1200, '1'},
      {'1', 1600, '1'},
      {'1', 1800, '0'},
      {'1', 2000, '0'},
      {'1', 2200, '1'},
      {'1', 2500, '0'},
      {'0', 1200, '0'},
      {'0', 1800, '0'},
      {'0', 2400, '0'},
      {'J', 3200, '3'},
      {'J', 2880, '0'}}},
    {"01",
     5,
     '0',
     {{'1', 1200, '0'},
      {'1', 1400, '0'},
      {'1', 1600, '1'},
      {'1', 1800, '1'},
      {'1', 2000, '0'},
      {'1', 2400, '1'},
      {'0', 1200, '0'},
      {'0', 1400, '0'},
      {'0', 1800, '0'},
      {'0', 2000, '0'},
      {'J', 3140, '6'},
      {'J', 2970, '0'}}},
    {"02",
     4,
     '1',
     {{'1', 1200, '0'},
      {'1', 1400, '0'},
      {'1', 1600, '0'},
      {'1', 2000, '0'},
      {'1', 2200, '0'},
      {'0', 1200, '0'},
      {'0', 1400, '0'},
      {'0', 1800, '0'},
      {'0', 1900, '0'},
      {'J', 3000, '0'},
      {'J', 3300, '0'}}},
    {"03",
     3,
     '0',
     {{'1', 1200, '0'},
      {'1', 1800, '0'},
      {'1', 2000, '0'},
      {'1', 2600, '0'},
      {'0', 1000, '0'},
      {'0', 1700, '0'},
      {'J', 2860, '0'}}},
    {"04",
     5,
     '1',
     {{'1', 1400, '0'},
      {'1', 1600, '0'},
      {'1', 1800, '0'},
      {'1', 2000, '0'},
      {'1', 2400, '0'},
      {'0', 1300, '0'},
      {'0', 1400, '0'},
      {'0', 1600, '0'},
      {'0', 2100, '0'},
      {'J', 3110, '0'}}},
    {"00",
     5,
     '0',
     {{'1', 1200, '0'},
      {'1', 1400, '1'},
      {'1', 1600, '1'},
      {'1', 1800, '1'},
      {'1', 2000, '0'},
      {'1', 2200, '1'},
      {'0', 1200, '0'},
      {'0', 1400, '0'},
      {'0', 1800, '0'},
      {'0', 1900, '0'},
      {'J', 3170, '0'}}},
    {"06",
     3,
     '0',
     {{'1', 1200, '0'},
      {'1', 1800, '0'},
      {'1', 2000, '0'},
      {'1', 2600, '0'},
      {'0', 1150, '0'},
      {'0', 1700, '0'},
      {'J', 2750, '0'}}},
    {"07",
     4,
     '1',
     {{'1', 1000, '0'},
      {'1', 1400, '0'},
      {'1', 1600, '1'},
      {'1', 1800, '1'},
      {'1', 2000, '1'},
      {'0', 1200, '0'},
      {'0', 1800, '0'},
      {'J', 2890, '0'}}},
    {"08",
     2,
     '0',
     {{'1', 1200, '0'},
      {'1', 1500, '0'},
      {'1', 1800, '0'},
      {'1', 2000, '0'},
      {'0', 1000, '0'},
      {'0', 1700, '0'}}},
    {"09",
     2,
     '0',
     {{'1', 1200, '0'}, {'1', 1800, '0'}, {'1', 2000, '0'}, {'0', 1000, '0'}, {'0', 1700, '0'}}},
};
const std::vector<std::string> kLocalVenues = {"10", "11", "12", "13", "42", "19", "20", "37"};

const Venue* venueByCode(const std::string& code) {
    for (const auto& v : kVenues)
        if (v.code == code)
            return &v;
    return nullptr;
}

Course pickCourse(GenRandom& rng, const Venue& v, char surface, int minDist = 0,
                  int maxDist = 9999) {
    std::vector<Course> fits;
    for (const auto& c : v.courses)
        if (c.surface == surface && c.distance >= minDist && c.distance <= maxDist)
            fits.push_back(c);
    if (fits.empty())
        for (const auto& c : v.courses)
            if (c.surface == surface)
                fits.push_back(c);
    if (fits.empty())
        fits.push_back(v.courses.front());
    return rng.pick(fits);
}

// ---------------------------------------------------------------------------
// The day's program: what each race number of a venue is.

struct RacePlan {
    std::string breedAge; // breed-and-age code
    std::string classCode;
    std::string weightRule;
    char surface = '0';
    int minDist = 0, maxDist = 9999;
    std::string name;
    int edition = 0;
    std::string grade = " ";
    bool jpn = false;
    bool fillies = false;
    int fixedDistance = 0; // with fixedLayout, a course not in the catalogue
    char fixedLayout = '0';
    bool gapTarget = false; // 14+ runners built so that a gap horse occurs
    bool noRatings = false;
    bool someZeroRatings = false;
    bool withheld = false;
    std::string forcedMark; // "/", "*" or "-" given to one runner
};

RacePlan planFor(int venueIndex, int raceNo) {
    RacePlan p;
    auto twoYear = [&](const char* cls, char surface) {
        p.breedAge = "1";
        p.classCode = cls;
        p.weightRule = "01";
        p.surface = surface;
        p.maxDist = 2000; // two-year-olds do not run the long courses
    };
    auto older = [&](const char* cls, char surface) {
        p.breedAge = "3";
        p.classCode = cls;
        p.weightRule = "03";
        p.surface = surface;
    };
    switch (raceNo) {
    case 1:
        twoYear("00003", '0');
        break;
    case 2:
        twoYear("00003", '1');
        p.someZeroRatings = venueIndex == 0;
        break;
    case 3:
        older("05000", '0');
        p.withheld = venueIndex == 0;
        break;
    case 4:
        if (venueIndex == 0) {
            p.breedAge = "8";
            p.classCode = "00003";
            p.weightRule = "03";
            p.surface = 'J';
        } else {
            twoYear("00003", '0');
        }
        break;
    case 5:
        twoYear("00001", '1');
        p.noRatings = venueIndex == 0;
        break;
    case 6:
        if (venueIndex == 0)
            older("05000", '1');
        else
            twoYear("00001", '0');
        if (venueIndex == 0)
            p.forcedMark = "/";
        break;
    case 7:
        older("05000", '0');
        p.gapTarget = true;
        break;
    case 8:
        older("05000", '1');
        p.gapTarget = true;
        break;
    case 9:
        twoYear("05000", '1');
        p.minDist = 1400;
        if (venueIndex == 0)
            p.forcedMark = "*";
        break;
    case 10:
        older("16000", '0');
        p.weightRule = "02";
        if (venueIndex == 0)
            p.forcedMark = "-";
        break;
    case 11:
        older("00004", '1');
        p.weightRule = "00";
        break;
    default:
        older("10000", '0');
        p.gapTarget = true;
        break;
    }
    // Named races of the first venues; further venues get generic specials.
    struct Named {
        int venue, raceNo;
        const char* name;
        int edition;
        const char* grade;
        bool jpn;
    };
    static const Named named[] = {
        {0, 9, "ひいらぎ賞", 0, " ", false},
        {0, 10, "中山大障害", 149, "3", false},
        {0, 11, "カペラステークス", 19, "2", true},
        {1, 9, "エリカ賞", 0, " ", false},
        {1, 10, "ギャラクシーステークス", 0, " ", false},
        {1, 11, "阪神ジュベナイルフィリーズ", 78, "0", false},
        {2, 9, "中京２歳ステークス", 5, " ", false},
        {2, 10, "浜松ステークス", 12, " ", false},
        {2, 11, "金鯱賞", 62, "1", false},
        {3, 9, "ホープフルチャレンジ", 0, " ", false},
        {3, 10, "小倉レーシングトロフィー", 0, " ", false},
        {3, 11, "ロイヤルチャレンジカップ", 3, " ", false},
    };
    for (const auto& n : named) {
        if (n.venue != venueIndex || n.raceNo != raceNo)
            continue;
        p.name = n.name;
        p.edition = n.edition;
        p.grade = n.grade;
        p.jpn = n.jpn;
    }
    if (venueIndex == 0 && raceNo == 10) {
        // The big steeplechase: its own course, the 大障害 layout.
        p.breedAge = "8";
        p.classCode = "00004";
        p.weightRule = "03";
        p.surface = 'J';
        p.fixedDistance = 4100;
        p.fixedLayout = '4';
    }
    if (venueIndex == 0 && raceNo == 11) {
        p.surface = '0';
        p.maxDist = 1200;
    }
    if (venueIndex == 1 && raceNo == 11) {
        p.breedAge = "1";
        p.weightRule = "01";
        p.fillies = true;
        p.minDist = 1600;
        p.maxDist = 1600;
    }
    if (venueIndex == 2 && raceNo == 11)
        p.minDist = p.maxDist = 2000;
    if (venueIndex >= 4 && raceNo >= 9 && raceNo <= 11 && p.name.empty()) {
        static const char* generic[] = {"ウインタースプリント", "師走ステークス", "冬至特別"};
        p.name = generic[raceNo - 9];
    }
    return p;
}

int classWins(const std::string& classCode) {
    if (classCode == "00001" || classCode == "00003" || classCode == "00002")
        return 0;
    if (classCode == "05000")
        return 1;
    if (classCode == "10000")
        return 2;
    if (classCode == "16000")
        return 3;
    return 4;
}

// Rating base (tenths) by class: the better the class, the higher the ratings.
int ratingBase(const RacePlan& p) {
    if (p.surface == 'J')
        return 500;
    if (p.classCode == "00001" || p.classCode == "00003")
        return 470;
    if (p.classCode == "05000")
        return 520;
    if (p.classCode == "10000")
        return 560;
    if (p.classCode == "16000")
        return 600;
    return 630;
}

// ---------------------------------------------------------------------------
// Builders

class DayBuilder {
  public:
    DayBuilder(const GenOptions& o) : opt_(o), rng_(o.seed) {}

    RaceDay build() {
        RaceDay day;
        day.date = opt_.date;
        const int races = std::clamp(opt_.races, 1, 39);
        const int venues = (races + 11) / 12;
        const std::string weekday = weekdayCodeOf(opt_.date);
        int made = 0;
        for (int v = 0; v < venues; ++v) {
            const Venue& venue = kVenues[static_cast<size_t>(v) % kVenues.size()];
            const int count = std::min(12, races - made);
            GenRandom vr = rng_.fork(static_cast<std::uint64_t>(v) + 1);
            const char railTurf = static_cast<char>('0' + vr.between(0, 6));
            const char railDirt = '0';
            for (int r = 1; r <= count; ++r) {
                GenRandom rr = vr.fork(static_cast<std::uint64_t>(r));
                Race race = makeRace(rr, v, venue, r, weekday);
                race.railCode =
                    race.surfaceCode == "1" ? std::string(1, railTurf) : std::string(1, railDirt);
                day.races.push_back(std::move(race));
                ++made;
            }
        }
        return day;
    }

  private:
    std::string uniqueHorseName(GenRandom& rng) {
        for (int attempt = 0; attempt < 200; ++attempt) {
            std::string name = rng.pick(kNamePrefixes) + rng.pick(kNameSuffixes);
            if (sjisWidth(name) > 18 || usedNames_.count(name))
                continue;
            usedNames_.insert(name);
            return name;
        }
        // Pools exhausted: number the name with a katakana digit word.
        static const char* tails[] = {"ワン", "ツー", "スリー", "フォー", "ファイブ"};
        std::string base = rng.pick(kNameSuffixes);
        for (int i = 0;; ++i) {
            std::string name = base + tails[i % 5] + (i >= 5 ? rng.pick(kNameSuffixes) : "");
            name = sjisLeft(name, 18);
            if (!usedNames_.count(name)) {
                usedNames_.insert(name);
                return name;
            }
        }
    }

    std::string anyHorseName(GenRandom& rng) {
        std::string name = rng.pick(kNamePrefixes) + rng.pick(kNameSuffixes);
        return sjisLeft(name, 18);
    }

    Race makeRace(GenRandom& rng, int v, const Venue& venue, int raceNo,
                  const std::string& weekday) {
        const RacePlan plan = planFor(v, raceNo);
        Race race;
        race.venueCode = venue.code;
        race.meetingNo = venue.meetingNo;
        race.meetingDay = 4;
        race.raceNo = raceNo;
        race.date = opt_.date;
        race.weekdayCode = weekday;
        race.jump = plan.surface == 'J';
        race.editionNo = plan.edition;
        race.raceName = sjisLeft(plan.name, 30);
        race.gradeCode = plan.grade;
        race.jpnFlag = plan.jpn;
        race.weightRuleCode = plan.weightRule;
        // "03" (牝) only where the field is all fillies.
        static const std::vector<std::string> conditions = {"  ", "  ", "04", "13", "29"};
        static const std::vector<std::string> designations = {"  ", "01", "02", "03", "04"};
        race.conditionCode = plan.fillies ? "03" : rng.pick(conditions);
        race.designationCode = rng.pick(designations);
        race.breedAgeCode = plan.breedAge;
        race.classCode = plan.classCode;
        Course course = plan.fixedDistance
                            ? Course{plan.surface, plan.fixedDistance, plan.fixedLayout}
                            : pickCourse(rng, venue, plan.surface, plan.minDist, plan.maxDist);
        race.surfaceCode = course.surface == '0' ? "0" : "1";
        race.turnCode =
            std::string(1, course.distance == 1000 && venue.code == "07" ? '2' : venue.turn);
        race.courseLayoutCode = std::string(1, course.layout);
        race.distance = course.distance;
        race.withheld = plan.withheld;
        const int minutes = 9 * 60 + 50 + (raceNo - 1) * 32 + v * 10;
        race.postTime = pad(minutes / 60, 2) + ":" + pad(minutes % 60, 2);
        race.fillerSeed = rng.next();

        int n = opt_.runners > 0 ? std::clamp(opt_.runners, 1, 18)
                                 : (plan.gapTarget ? rng.between(14, 18)
                                                   : rng.between(8, 10) + rng.between(0, 8));
        makeRunners(rng, race, plan, n);
        return race;
    }

    void makeRunners(GenRandom& rng, Race& race, const RacePlan& plan, int n) {
        const bool twoYear = plan.breedAge == "1";
        const bool blankPaddedOdds = rng.chance(0.3);
        std::vector<double> strength(static_cast<size_t>(n));
        for (auto& s : strength)
            s = rng.normal();

        // Frames: n <= 8 one horse per frame; otherwise the outer frames take
        // the extra horses, as the draw does.
        std::vector<int> perFrame(8, n / 8);
        for (int i = 0; i < n % 8; ++i)
            perFrame[static_cast<size_t>(7 - i)] += 1;
        std::vector<int> frameOf;
        for (int f = 0; f < 8; ++f)
            for (int k = 0; k < perFrame[static_cast<size_t>(f)]; ++k)
                frameOf.push_back(f + 1);

        std::vector<int> oddsKey(static_cast<size_t>(n));
        {
            std::vector<double> q(static_cast<size_t>(n));
            double sum = 0;
            for (int i = 0; i < n; ++i) {
                q[static_cast<size_t>(i)] =
                    std::exp(0.95 * (strength[static_cast<size_t>(i)] + 0.5 * rng.normal()));
                sum += q[static_cast<size_t>(i)];
            }
            for (int i = 0; i < n; ++i) {
                double odds = 0.8 / (q[static_cast<size_t>(i)] / sum);
                oddsKey[static_cast<size_t>(i)] =
                    std::clamp(static_cast<int>(std::lround(odds * 10)), 11, 9999);
            }
        }
        std::vector<int> rating(static_cast<size_t>(n), 0);
        if (!plan.noRatings) {
            const int base = ratingBase(plan);
            for (int i = 0; i < n; ++i)
                rating[static_cast<size_t>(i)] = std::clamp(
                    static_cast<int>(std::lround(base + 45 * strength[static_cast<size_t>(i)] +
                                                 15 * rng.normal())),
                    300, 850);
        }
        if (plan.someZeroRatings)
            for (int k = 0; k < 3 && k < n; ++k)
                rating[static_cast<size_t>(rng.between(0, n - 1))] = 0;
        if (plan.gapTarget && n >= 14)
            makeGapHorse(rng, rating, oddsKey);

        std::vector<std::string> odds(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            std::string digits = std::to_string(oddsKey[static_cast<size_t>(i)]);
            odds[static_cast<size_t>(i)] =
                std::string(5 - digits.size(), blankPaddedOdds ? ' ' : '0') + digits;
        }
        std::string mark = plan.forcedMark;
        if (mark.empty() && !plan.gapTarget && rng.chance(0.15))
            mark = "/";
        if (!mark.empty())
            odds[static_cast<size_t>(rng.between(0, n - 1))] = "    " + mark;

        for (int i = 0; i < n; ++i) {
            Runner r;
            r.horseNo = i + 1;
            r.frameNo = frameOf[static_cast<size_t>(i)];
            r.sexCode = plan.fillies
                            ? "1"
                            : (rng.chance(0.4) ? "1" : (twoYear || rng.chance(0.85) ? "0" : "2"));
            r.age = twoYear ? 2 : (race.jump ? rng.between(3, 8) : rng.between(3, 6));
            if (plan.weightRule == "02")
                r.weightCarried = rng.between(100, 118) * 5;
            else if (twoYear)
                r.weightCarried = r.sexCode == "1" ? 540 : 550;
            else if (race.jump)
                r.weightCarried = r.sexCode == "1" ? 590 : 600;
            else
                r.weightCarried = r.sexCode == "1" ? 550 : 570;
            const Person& j = rng.pick(kJockeys);
            r.jockeyName = j.full;
            r.jockeyShortName = j.shortName;
            r.rating = rating[static_cast<size_t>(i)];
            r.winOdds = odds[static_cast<size_t>(i)];
            r.horse = makeHorse(rng, race, plan, r, strength[static_cast<size_t>(i)]);
            race.runners.push_back(std::move(r));
        }
    }

    // A field of 14 or more with a rated favourite between 53.0 and 67.0 at
    // odds of 3.0 or more, and a well-rated runner that the odds neglect.
    static void makeGapHorse(GenRandom& rng, std::vector<int>& rating, std::vector<int>& oddsKey) {
        const int n = static_cast<int>(rating.size());
        for (auto& r : rating)
            if (r == 0)
                r = 450;
        int top = *std::max_element(rating.begin(), rating.end());
        int shift = 0;
        if (top < 540)
            shift = 540 - top + rng.between(0, 60);
        else if (top > 660)
            shift = 660 - top - rng.between(0, 60);
        for (auto& r : rating)
            r = std::clamp(r + shift, 100, 999);
        std::vector<int> order(static_cast<size_t>(n));
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return rating[static_cast<size_t>(a)] > rating[static_cast<size_t>(b)];
        });
        // Distinct top ratings keep the ranks plain.
        for (size_t k = 1; k < 3; ++k)
            if (rating[static_cast<size_t>(order[k])] >= rating[static_cast<size_t>(order[k - 1])])
                rating[static_cast<size_t>(order[k])] =
                    rating[static_cast<size_t>(order[k - 1])] - 1;
        int& bestKey = oddsKey[static_cast<size_t>(order[0])];
        if (bestKey < 30)
            bestKey = rng.between(30, 55);
        // The second-rated runner drifts behind at least seven others.
        const int gap = order[1];
        std::vector<int> others;
        for (int i = 0; i < n; ++i)
            if (i != gap)
                others.push_back(oddsKey[static_cast<size_t>(i)]);
        std::sort(others.begin(), others.end());
        oddsKey[static_cast<size_t>(gap)] = std::min(
            9999, others[static_cast<size_t>(std::min<int>(6, n - 2))] + rng.between(5, 80));
    }

    Horse makeHorse(GenRandom& rng, const Race& race, const RacePlan& plan, const Runner& runner,
                    double strength) {
        Horse h;
        const bool twoYear = plan.breedAge == "1";
        const int birthYear = digitsOf(race.date, 0, 4) - runner.age;
        h.horseCode = (birthYear % 100) * 100000 + (++horseSerial_);
        h.name = uniqueHorseName(rng);
        static const std::vector<std::string> coats = {"01", "02", "03", "03", "03", "04",
                                                       "04", "05", "06", "07", "11"};
        static const std::vector<std::string> areas = {"003", "005", "006", "007", "004", "002",
                                                       "001", "096", "044", "016", "073", "074"};
        static const std::vector<std::string> marks = {"00", "00", "00", "00", "00", "00", "00",
                                                       "00", "00", "00", "00", "00", "00", "00",
                                                       "06", "04", "05", "01", "16", "13"};
        h.coatCode = rng.pick(coats);
        h.producerAreaCode = rng.pick(areas);
        h.horseMarkCode = rng.pick(marks);
        h.sireName = rng.pick(kSires);
        h.damName = sjisLeft(rng.pick(kNamePrefixes) + rng.pick(kDamSuffixes), 34);
        h.damSireName = rng.pick(kSires);
        h.damDamName = sjisLeft(rng.pick(kNamePrefixes) + rng.pick(kDamSuffixes), 34);
        h.ownerName = rng.pick(kOwners);
        h.breederName = sjisLeft(rng.pick(kBreeders), 20);
        h.trainerName = rng.pick(kTrainers);
        const bool east = race.venueCode == "05" || race.venueCode == "04" ||
                          race.venueCode == "06" || race.venueCode == "07";
        h.trainerCentreCode = rng.chance(0.8) ? (east ? (rng.chance(0.5) ? "51" : "52") : "50")
                                              : (east ? "50" : "51");

        int pastCount;
        if (plan.classCode == "00001")
            pastCount = 0;
        else if (twoYear)
            pastCount = rng.between(1, 4);
        else if (race.jump)
            pastCount = rng.between(3, 5);
        else
            pastCount = rng.chance(0.1) ? rng.between(1, 2) : rng.between(3, 5);

        const int allowedWins = classWins(plan.classCode);
        int wins = 0;
        long day = dayNumber(race.date);
        const long earliest = twoYear ? daysFromCivil(digitsOf(race.date, 0, 4), 6, 1) : 0;
        for (int k = 0; k < pastCount; ++k) {
            day -= 7L * rng.between(2, 6) + (rng.chance(0.5) ? 1 : 0);
            if (twoYear && day < earliest)
                break;
            PastRace p = makePastRace(rng, race, plan, runner, h, strength, dateOf(day),
                                      k == pastCount - 1, wins, allowedWins);
            h.pastRaces.push_back(std::move(p));
        }

        // Career: the past races shown plus earlier ones.
        const int extra = twoYear ? 0 : (race.jump ? rng.between(5, 25) : rng.between(0, 20));
        int total = static_cast<int>(h.pastRaces.size()) + extra;
        int firsts = std::max(wins, std::min(allowedWins, total));
        if (plan.classCode == "00004")
            firsts = std::min(total, std::max(firsts, rng.between(3, 6)));
        total = std::max(total, firsts);
        int rest = total - firsts;
        int seconds = rest ? rng.between(0, std::min(rest, 4)) : 0;
        rest -= seconds;
        int thirds = rest ? rng.between(0, std::min(rest, 4)) : 0;
        rest -= thirds;
        h.career = {firsts, seconds, thirds, rest};

        // Prize money in yen; the main prize counts the wins.
        const long long perWin = plan.classCode == "00004" ? 30000000LL : 7000000LL;
        h.mainPrize = firsts * perWin + seconds * (perWin / 4) + rng.between(0, 99) * 10000LL;
        h.prizeA = h.mainPrize + thirds * (perWin / 8);
        h.prizeB = rng.between(0, 400) * 10000LL + rng.between(0, 9999);
        if (total == 0)
            h.mainPrize = h.prizeA = h.prizeB = 0;
        makeStats(rng, h, total, race.surfaceCode == "1");
        return h;
    }

    PastRace makePastRace(GenRandom& rng, const Race& race, const RacePlan& plan,
                          const Runner& runner, const Horse& horse, double strength,
                          const std::string& date, bool oldest, int& wins, int allowedWins) {
        PastRace p;
        const bool twoYear = plan.breedAge == "1";
        // Venue: mostly central; horses from local racing start there.
        const Venue* venue = nullptr;
        if ((horse.horseMarkCode == "05" || horse.horseMarkCode == "13") && oldest) {
            p.venueCode = rng.pick(kLocalVenues);
        } else if (plan.classCode == "00004" && rng.chance(0.05)) {
            p.venueCode = rng.chance(0.5) ? "60" : "63";
        } else {
            venue = &kVenues[static_cast<size_t>(rng.between(0, 9))];
            if (rng.chance(0.5))
                if (const Venue* same = venueByCode(race.venueCode))
                    venue = same;
            p.venueCode = venue->code;
        }
        p.meetingNo = pad(venue ? rng.between(1, 5) : rng.between(1, 12), 2);
        p.meetingDay = pad(rng.between(1, 12), 2);
        p.raceDate = date;
        p.jump = race.jump && rng.chance(0.75);
        char surface = p.jump ? 'J'
                              : (rng.chance(0.7) ? race.surfaceCode[0]
                                                 : (race.surfaceCode == "1" ? '0' : '1'));
        Course course;
        if (venue)
            course = pickCourse(rng, *venue, surface);
        else
            course = Course{surface == 'J' ? '1' : '0', 1200 + 100 * rng.between(0, 8), '0'};
        p.surfaceCode = course.surface == '0' ? "0" : "1";
        p.courseLayoutCode = std::string(1, course.layout);
        p.railCode = std::string(1, static_cast<char>('0' + rng.between(0, 6)));
        p.distance = course.distance;

        // Class and name.
        p.classCode = plan.classCode;
        if (twoYear)
            p.classCode = oldest ? "00001" : (wins == 0 ? "00003" : plan.classCode);
        else if (plan.classCode == "00001")
            p.classCode = "00003";
        else if (rng.chance(0.2) && plan.classCode != "00003")
            p.classCode = "05000";
        if (p.jump)
            p.classCode = plan.classCode == "00004" ? "00004" : "00003";
        p.gradeCode = " ";
        if (p.classCode == "00004") {
            std::vector<NamedPast> fits;
            for (const auto& n : kPastNames)
                if (n.jump == p.jump && n.twoYear == twoYear)
                    fits.push_back(n);
            if (!fits.empty()) {
                const NamedPast& n = rng.pick(fits);
                p.raceName = n.name;
                p.gradeCode = n.grade;
            }
        }
        p.weightRuleCode =
            twoYear ? "01" : (rng.chance(0.2) ? "02" : (rng.chance(0.5) ? "03" : "00"));
        p.runnerCount = rng.between(8, 18);
        p.paceCode = std::string(1, static_cast<char>('0' + rng.between(0, 2)));
        static const std::vector<std::string> goings = {"0", "0", "0", "0", "0",
                                                        "0", "1", "1", "2", "3"};
        p.goingCode = rng.pick(goings);
        p.horseNo = rng.between(1, p.runnerCount);
        p.weightCarried = runner.weightCarried + (rng.between(-2, 2)) * 10;
        p.bodyWeight = rng.between(420, 520);
        p.jockeyName =
            sjisLeft(rng.chance(0.6) ? runner.jockeyShortName : rng.pick(kJockeys).shortName, 8);

        // Result.
        int pos = std::clamp(static_cast<int>(std::lround(p.runnerCount * (0.45 - 0.2 * strength) +
                                                          2.5 * rng.normal())),
                             1, p.runnerCount);
        if (pos == 1 && wins >= allowedWins)
            pos = rng.between(2, std::min(5, p.runnerCount));
        const double abnormal = p.jump ? 0.12 : 0.04;
        if (rng.chance(abnormal)) {
            static const std::vector<int> codes = {31, 32, 33, 33, 34, 35};
            int code = rng.pick(codes);
            if (!p.jump && code == 31)
                code = 33;
            pos = code;
        }
        if (pos == 1)
            ++wins;
        p.finishPos = pos;
        p.popularity = pos >= 34 ? pos
                                 : std::clamp(pos <= 18 ? pos + rng.between(-3, 3)
                                                        : rng.between(1, p.runnerCount),
                                              1, p.runnerCount);

        // Times.
        const double rate = p.jump ? 0.0665 : (p.surfaceCode == "1" ? 0.0593 : 0.0625);
        const int going = p.goingCode[0] - '0';
        const int winnerTenths = static_cast<int>(
            std::lround((p.distance * rate * (1.0 + 0.006 * going) + 0.6 * rng.normal()) * 10));
        const bool ran = pos <= 18 || pos == 32;
        if (pos == 1)
            p.margin = rng.between(0, 8);
        else if (pos <= 18)
            p.margin = std::min(997, rng.between(pos - 1, 3 * (pos - 1) + 5) * (p.jump ? 4 : 1));
        else
            p.margin = 998;
        if (ran) {
            const int t = winnerTenths + (pos == 1 ? 0 : pos <= 18 ? p.margin : rng.between(0, 40));
            p.raceTime = pad(t / 600, 1) + pad((t % 600) / 10, 2) + pad(t % 10, 1);
            const int first = p.distance <= 1400 ? rng.between(330, 355) : rng.between(345, 380);
            p.first3F = pad(first, 3);
            p.last3F = pad(p.jump ? rng.between(380, 430) : rng.between(332, 400), 3);
        } else {
            p.raceTime = "0000";
            p.first3F = "000";
            p.last3F = "000";
        }
        if (pos >= 34) {
            p.bodyWeight = 0;
            p.margin = 998;
        }

        // Corners: sprints pass two corners, longer races four, the straight
        // course none.
        int cornersRun = p.jump ? 4 : (p.distance <= 1600 ? 2 : 4);
        if (p.distance == 1000 && p.venueCode == "07")
            cornersRun = 0;
        int eventCorner = (pos == 31 || pos == 33) ? rng.between(4 - cornersRun, 3) : 9;
        for (int c = 0; c < 4; ++c) {
            std::string code = "00";
            if (c >= 4 - cornersRun && pos < 34) {
                if (c == eventCorner) {
                    code = pad(pos, 2);
                } else if (c < eventCorner) {
                    const int base = pos <= 18 ? pos : rng.between(1, p.runnerCount);
                    int at = std::clamp(base + rng.between(-4, 4) * (3 - c) / 2, 1, p.runnerCount);
                    if (rng.chance(0.06))
                        at += 40;
                    code = pad(at, 2);
                }
            }
            p.corners[static_cast<size_t>(c)] = code;
        }
        p.straightPos = rng.chance(0.1) || pos >= 34
                            ? " "
                            : std::string(1, static_cast<char>('0' + rng.between(0, 4)));
        p.opponentName = anyHorseName(rng);
        return p;
    }

    static void makeStats(GenRandom& rng, Horse& h, int total, bool turfHorse) {
        h.stats.fill(0);
        auto add = [&](int group, int slot) {
            int& c = h.stats[static_cast<size_t>(group * 4 + slot)];
            c = std::min(99, c + 1);
        };
        // Group 0: the career record.
        for (int s = 0; s < 4; ++s)
            h.stats[static_cast<size_t>(s)] = std::min(99, h.career[static_cast<size_t>(s)]);
        const int style = rng.between(0, 3);
        int slot = 0;
        int left = h.career[0];
        for (int k = 0; k < total; ++k) {
            while (left == 0 && slot < 3)
                left = h.career[static_cast<size_t>(++slot)];
            --left;
            // Running style (group 1): the horse's own style most of the time.
            add(1, rng.chance(0.7) ? style : rng.between(0, 3));
            const bool turf = rng.chance(turfHorse ? 0.75 : 0.25);
            // Turf right/left, dirt right/left, straight.
            int course = turf ? (rng.chance(0.6) ? 2 : 3) : (rng.chance(0.6) ? 4 : 5);
            if (turf && rng.chance(0.03))
                course = 6;
            add(course, slot);
            if (rng.chance(0.2))
                add(turf ? 10 + rng.between(0, 1) : 14 + rng.between(0, 1), slot);
            add((turf ? 20 : 28) + rng.between(0, 7), slot);
        }
    }

    GenOptions opt_;
    GenRandom rng_;
    std::set<std::string> usedNames_;
    int horseSerial_ = 10000;
};

} // namespace

std::string weekdayCodeOf(const std::string& date) {
    // 1970-01-01 was a Thursday; 0 = Sunday.
    const long days = dayNumber(date);
    const int dow = static_cast<int>(((days % 7) + 7 + 4) % 7);
    static const char* codes[] = {"02", "03", "04", "05", "06", "07", "01"};
    return codes[dow];
}

std::string Race::raceKey() const {
    return venueCode + date.substr(0, 4) + pad(meetingNo, 2) + pad(meetingDay, 2) + pad(raceNo, 2) +
           date + weekdayCode;
}

RaceDay generateRaceDay(const GenOptions& options) {
    return DayBuilder(options).build();
}

std::string raceLine(const Race& race) {
    FixedLine l(kRaceLineWidth, race.fillerSeed);
    l.ascii(1, race.raceKey());
    l.ascii(25, race.jump ? "1" : "0");
    l.number(26, 3, race.editionNo);
    l.text(29, 30, race.raceName);
    l.code(73, 1, race.gradeCode);
    l.code(74, 2, race.weightRuleCode);
    l.code(94, 2, race.conditionCode);
    l.code(96, 2, race.designationCode);
    l.code(98, 1, race.breedAgeCode);
    l.code(100, 5, race.classCode);
    l.code(105, 1, race.surfaceCode);
    l.code(106, 1, race.turnCode);
    l.code(107, 1, race.courseLayoutCode);
    l.code(108, 1, race.railCode);
    l.number(109, 4, race.distance);
    l.ascii(331, race.withheld ? "1" : "0");
    l.code(332, 5, race.postTime);
    l.number(337, 2, static_cast<long long>(race.runners.size()));
    l.ascii(358, race.jpnFlag ? "1" : "0");
    return l.take();
}

std::string entryLine(const Race& race, int index) {
    const Runner& r = race.runners.at(static_cast<size_t>(index));
    FixedLine l(kEntryLineWidth,
                race.fillerSeed ^ (0xE1ULL << 40) ^ static_cast<std::uint64_t>(index));
    l.ascii(1, race.raceKey());
    l.number(23, 1, r.frameNo);
    l.number(24, 2, r.horseNo);
    l.number(26, 7, r.horse.horseCode);
    l.text(33, 18, r.horse.name);
    l.code(65, 1, r.sexCode);
    l.number(66, 2, r.age);
    l.number(149, 3, r.weightCarried);
    l.text(157, 12, r.jockeyName);
    l.text(189, 8, r.jockeyShortName);
    l.number(706, 3, r.rating);
    return l.take();
}

std::string horseLine(const Race& race, int index) {
    const Runner& r = race.runners.at(static_cast<size_t>(index));
    const Horse& h = r.horse;
    FixedLine l(kHorseLineWidth,
                race.fillerSeed ^ (0xB2ULL << 40) ^ static_cast<std::uint64_t>(index));
    l.number(1, 7, h.horseCode);
    l.text(8, 30, h.name);
    l.code(86, 2, h.coatCode);
    l.code(90, 3, h.producerAreaCode);
    l.code(93, 2, h.horseMarkCode);
    l.text(105, 34, h.sireName);
    l.text(146, 34, h.damName);
    l.text(187, 34, h.damSireName);
    l.text(228, 34, h.damDamName);
    l.text(344, 40, h.ownerName);
    l.text(464, 20, h.breederName);
    l.text(526, 8, h.trainerName);
    l.code(534, 2, h.trainerCentreCode);
    l.number(570, 10, h.mainPrize);
    l.number(580, 10, h.prizeA);
    l.number(610, 10, h.prizeB);
    for (int s = 0; s < 4; ++s)
        l.number(633 + 3 * s, 3, h.career[static_cast<size_t>(s)]);
    for (int c = 0; c < 144; ++c)
        l.number(657 + 2 * c, 2, h.stats[static_cast<size_t>(c)]);
    for (int k = 0; k < 5; ++k) {
        const int b = 1064 + 590 * k; // column of offset 0
        if (k >= static_cast<int>(h.pastRaces.size())) {
            // No race: a blank block, whose venue code is not in the venue table.
            l.blank(b + 1, 590);
            continue;
        }
        const PastRace& p = h.pastRaces[static_cast<size_t>(k)];
        l.code(b + 1, 2, p.venueCode);
        l.code(b + 7, 2, p.meetingNo);
        l.code(b + 9, 2, p.meetingDay);
        l.code(b + 13, 8, p.raceDate);
        l.ascii(b + 26, p.jump ? "1" : "0");
        l.text(b + 60, 14, p.raceName);
        l.code(b + 74, 1, p.gradeCode);
        l.code(b + 75, 2, p.weightRuleCode);
        l.code(b + 101, 5, p.classCode);
        l.code(b + 116, 1, p.surfaceCode);
        l.code(b + 118, 1, p.courseLayoutCode);
        l.code(b + 119, 1, p.railCode);
        l.number(b + 120, 4, p.distance);
        l.number(b + 124, 2, p.runnerCount);
        l.code(b + 128, 1, p.paceCode);
        l.code(b + 130, 1, p.goingCode);
        l.number(b + 153, 2, p.horseNo);
        l.number(b + 243, 3, p.weightCarried);
        l.number(b + 246, 3, p.bodyWeight);
        l.text(b + 292, 8, p.jockeyName);
        l.number(b + 360, 2, p.popularity);
        l.number(b + 367, 2, p.finishPos);
        l.code(b + 375, 4, p.raceTime);
        l.number(b + 382, 3, p.margin);
        l.code(b + 385, 3, p.first3F);
        l.code(b + 388, 3, p.last3F);
        for (int c = 0; c < 4; ++c)
            l.code(b + 391 + 2 * c, 2, p.corners[static_cast<size_t>(c)]);
        l.code(b + 399, 1, p.straightPos);
        l.text(b + 517, 30, p.opponentName);
    }
    return l.take();
}

std::string oddsLine(const Race& race) {
    FixedLine l(kOddsLineWidth, race.fillerSeed ^ (0x0DULL << 40));
    l.ascii(1, race.raceKey());
    // The ".vd3" conversion puts a blank here; keeping it blank lets a ".vd3"
    // day and its ".vd2" twin carry identical odds lines.
    l.ascii(161, " ");
    for (int n = 1; n <= 18; ++n) {
        const int col = 162 + 5 * (n - 1);
        if (n <= static_cast<int>(race.runners.size()))
            l.code(col, 5, race.runners[static_cast<size_t>(n - 1)].winOdds);
        else
            l.blank(col, 5);
    }
    return l.take();
}

std::string odds2Line(const Race& race) {
    FixedLine l(640, race.fillerSeed ^ (0x02ULL << 40));
    l.ascii(1, race.raceKey());
    return l.take();
}

} // namespace velmar::tools
