// Importing CNX archives into a Velmar home: generated race days packed with
// the LZH writer, the odds companion, the ".vd3" generation, the messages and
// what a failed import leaves behind (nothing).

#include "archive_test_support.h"
#include "data/archive.h"
#include "data/import.h"
#include "data/race_day.h"
#include "tools/day_files.h"
#include "tools/lzh_writer.h"
#include "tools/race_day_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using velmar::data::ImportHooks;
using velmar::data::ImportResult;
using velmar::data::RaceDay;
using velmar::testing::slurp;
using velmar::testing::snapshot;
using velmar::testing::spit;
using velmar::testing::TempDir;
using velmar::tools::Generation;
using velmar::tools::LzhEntry;

// The system's own texts, spelled out here so a changed constant is caught.
const std::string kNotCnx =
    "指定した書庫ファイルにデータは含まれておりません。\r\n\r\n正しいCNXデータをご利用ください。";
const std::string kErrorHead = "データの展開でエラーが発生しました。\r\n";
const std::string kErrorTail = "\r\n\r\n開発元にお問い合わせください。";

LzhEntry file(std::string name, std::string data) {
    LzhEntry e;
    e.name = std::move(name);
    e.data = std::move(data);
    return e;
}

std::vector<LzhEntry> entriesOf(const std::vector<velmar::tools::DayFile>& files) {
    std::vector<LzhEntry> entries;
    for (const auto& f : files)
        entries.push_back(file(f.name, f.bytes));
    return entries;
}

velmar::tools::RaceDay generatedDay(const std::string& date, std::uint64_t seed, int races = 12) {
    velmar::tools::GenOptions o;
    o.date = date;
    o.seed = seed;
    o.races = races;
    return velmar::tools::generateRaceDay(o);
}

// The lines every reader of the day sees.
struct DayLines {
    std::vector<std::string> races, entries, horses, odds;
    int raceCount = 0;
    bool operator==(const DayLines&) const = default;
};

DayLines linesOf(const RaceDay& d) {
    return {d.raceLines, d.entryLines, d.horseLines, d.oddsLines, d.raceCount};
}

// The ".vd2" lines the generator meant, to compare the imported day with.
DayLines expectedLines(const velmar::tools::RaceDay& day) {
    DayLines l;
    for (const auto& race : day.races) {
        l.races.push_back(velmar::tools::raceLine(race));
        l.odds.push_back(velmar::tools::oddsLine(race));
        for (int i = 0; i < static_cast<int>(race.runners.size()); ++i) {
            l.entries.push_back(velmar::tools::entryLine(race, i));
            l.horses.push_back(velmar::tools::horseLine(race, i));
        }
    }
    l.raceCount = static_cast<int>(day.races.size());
    return l;
}

// Records what the import asked of the program.
struct Calls {
    std::vector<fs::path> gapFiles;
    int firstRace = 0;
    int gapMap = 0;
    int racesShown = -1;
    std::vector<int> progress;
    std::optional<velmar::Error> gapError;

    ImportHooks hooks() {
        ImportHooks h;
        h.progress = [this](int p) { progress.push_back(p); };
        h.createGapData = [this](const fs::path& gap, const RaceDay&) -> velmar::Status {
            gapFiles.push_back(gap);
            if (gapError)
                return *gapError;
            spit(gap, "gap");
            return velmar::okStatus();
        };
        h.showFirstRace = [this](const RaceDay& d) {
            ++firstRace;
            racesShown = d.raceCount;
        };
        h.refreshGapMap = [this](const RaceDay&) { ++gapMap; };
        return h;
    }
};

class Import : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(home() / "Gap");
        fs::create_directories(downloads());
    }
    fs::path home() const { return tmp.path() / "home"; }
    fs::path downloads() const { return tmp.path() / "downloads"; }
    fs::path pack(const std::string& name, const std::vector<LzhEntry>& entries,
                  const fs::path& folder = {}) {
        fs::path p = (folder.empty() ? downloads() : folder) / name;
        fs::create_directories(p.parent_path());
        EXPECT_TRUE(velmar::tools::writeLzhArchive(p, entries).ok());
        return p;
    }
    // The race-card archive and its odds companion as the service names them.
    fs::path packDay(const velmar::tools::RaceDay& day, Generation gen, bool withOdds = true) {
        if (withOdds)
            pack(velmar::tools::oddsArchiveName(day.date, gen),
                 entriesOf(velmar::tools::oddsFiles(day, gen)));
        return pack(velmar::tools::raceCardArchiveName(day.date, gen),
                    entriesOf(velmar::tools::raceCardFiles(day, gen)));
    }
    ImportResult run(const fs::path& archive, RaceDay& day, Calls& calls) {
        return velmar::data::importArchive(home(), archive, day, calls.hooks());
    }

    TempDir tmp;
};

TEST_F(Import, RaceCardWithItsOddsCompanion) {
    auto gen = generatedDay("20261213", 7);
    fs::path card = packDay(gen, Generation::Vd2);
    EXPECT_EQ(card.filename(), "hz261213.lzh");

    RaceDay day;
    Calls calls;
    ImportResult r = run(card, day, calls);
    ASSERT_TRUE(r.ok()) << *r.message;
    EXPECT_EQ(r.companion, downloads() / "j261213.lzh");
    EXPECT_EQ(linesOf(day), expectedLines(gen));
    EXPECT_EQ(calls.gapFiles, std::vector<fs::path>{home() / "Gap" / "261213.gap"});
    EXPECT_EQ(calls.firstRace, 1);
    EXPECT_EQ(calls.racesShown, day.raceCount);
    EXPECT_EQ(calls.gapMap, 1);
    // The gauge runs per archive and is set back to 0 after each.
    ASSERT_FALSE(calls.progress.empty());
    EXPECT_EQ(std::count(calls.progress.begin(), calls.progress.end(), 100), 2);
    EXPECT_EQ(calls.progress.back(), 0);

    // The gap file exists now: a second import does not create it again.
    Calls again;
    ASSERT_TRUE(run(card, day, again).ok());
    EXPECT_TRUE(again.gapFiles.empty());
    EXPECT_EQ(again.firstRace, 1);
}

TEST_F(Import, Vd3GenerationLeavesOnlyVd2Files) {
    auto gen = generatedDay("20261213", 11);
    fs::path card = packDay(gen, Generation::Vd3);
    EXPECT_EQ(card.filename(), "vd3_hz261213.lzh");

    RaceDay day;
    Calls calls;
    ImportResult r = run(card, day, calls);
    ASSERT_TRUE(r.ok()) << *r.message;
    EXPECT_EQ(r.companion, downloads() / "vd3_jb261213.lzh");

    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(home()))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"Gap", "cnx_den1.vd2", "cnx_den2.vd2", "cnx_ods.vd2",
                                            "cnx_uma.vd2"}));
    EXPECT_EQ(linesOf(day), expectedLines(gen));

    // The flag of column 74 of the ".vd3" race line is JpnFlag at column 358.
    int jpn = 0;
    for (int k = 0; k < day.raceCount; ++k) {
        ASSERT_GE(day.raceLines[k].size(), 358u);
        EXPECT_EQ(day.raceLines[k][357], gen.races[k].jpnFlag ? '1' : '0') << k;
        jpn += gen.races[k].jpnFlag;
    }
    EXPECT_GT(jpn, 0);
    EXPECT_LT(jpn, day.raceCount);
}

// Characters 3-12 of the name after "j", else characters 7-16 after
// "vd3_jb", in the archive's own folder.
TEST_F(Import, OddsCompanionRules) {
    struct Case {
        const char* archive;
        std::vector<const char*> present;
        const char* companion; // nullptr: none
    };
    const std::vector<Case> cases = {
        {"hz261213.lzh", {"j261213.lzh"}, "j261213.lzh"},
        {"hb261213.lzh", {"j261213.lzh", "vd3_jb13.lzh"}, "j261213.lzh"},
        {"hz261213.lzh", {"vd3_jb13.lzh"}, "vd3_jb13.lzh"},
        {"hz261213.lzh", {"vd3_jb261213.lzh"}, nullptr},
        {"vd3_hz261213.lzh", {"vd3_jb261213.lzh", "j261213.lzh"}, "vd3_jb261213.lzh"},
        {"od261213.lzh", {"j261214.lzh"}, nullptr},
        {"j261213.lzh", {}, nullptr},
        {"a.lzh", {"jlzh"}, "jlzh"},
        {"a.lzh", {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.archive);
        fs::path folder = tmp.path() / "case";
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const char* p : c.present)
            spit(folder / p, "x");
        auto got = velmar::data::oddsCompanion(folder / c.archive);
        if (c.companion)
            EXPECT_EQ(got, folder / c.companion);
        else
            EXPECT_FALSE(got.has_value()) << got->string();
    }
}

// A companion in another folder is not found: only the race card comes in.
// Opening the odds archive itself then brings the odds to that day.
TEST_F(Import, OddsArchiveOnItsOwnJoinsTheDayInTheHome) {
    auto gen = generatedDay("20261213", 3);
    fs::path odds = pack("j261213.lzh", entriesOf(velmar::tools::oddsFiles(gen, Generation::Vd2)),
                         tmp.path() / "elsewhere");
    fs::path card = packDay(gen, Generation::Vd2, /*withOdds=*/false);

    RaceDay day;
    Calls calls;
    ImportResult r = run(card, day, calls);
    ASSERT_TRUE(r.ok()) << *r.message;
    EXPECT_FALSE(r.companion.has_value());
    EXPECT_TRUE(day.oddsLines.empty());
    EXPECT_FALSE(fs::exists(home() / "cnx_ods.vd2"));

    r = run(odds, day, calls);
    ASSERT_TRUE(r.ok()) << *r.message;
    EXPECT_FALSE(r.companion.has_value());
    EXPECT_EQ(linesOf(day), expectedLines(gen));
}

TEST_F(Import, TokFilesBecomeRaceCardAndRunnerFiles) {
    spit(home() / "cnx_den1.vd2", "old race card\r\n");
    spit(home() / "cnx_den2.vd2", "old runners\r\n");
    auto gen = generatedDay("20261213", 5);
    auto files = velmar::tools::raceCardFiles(gen, Generation::Vd2);
    std::vector<LzhEntry> entries;
    for (const auto& f : files) {
        if (f.name == "cnx_den1.vd2")
            entries.push_back(file("cnx_tok1.vd2", f.bytes));
        else if (f.name == "cnx_den2.vd2")
            entries.push_back(file("cnx_tok2.vd2", f.bytes));
        else
            entries.push_back(file(f.name, f.bytes));
    }
    RaceDay day;
    Calls calls;
    ImportResult r = run(pack("hz261213.lzh", entries), day, calls);
    ASSERT_TRUE(r.ok()) << *r.message;
    EXPECT_FALSE(fs::exists(home() / "cnx_tok1.vd2"));
    EXPECT_FALSE(fs::exists(home() / "cnx_tok2.vd2"));
    EXPECT_EQ(day.raceLines, expectedLines(gen).races);
    EXPECT_EQ(day.entryLines, expectedLines(gen).entries);
}

TEST_F(Import, ArchiveWithoutCnxDataIsRefusedWithItsMessage) {
    spit(home() / "cnx_uma.vd2", "earlier horses\r\n");
    struct Case {
        const char* what;
        std::vector<LzhEntry> entries; // empty: not an archive at all
    };
    const std::vector<Case> cases = {
        {"other files only", {file("readme.txt", "x"), file("cnx_den1.vd2", "race")}},
        {"data file in a folder", {file("data/cnx_uma.vd2", "x")}},
        {"names differ in case", {file("CNX_UMA.VD2", "x"), file("Cnx_ods.vd2", "x")}},
        {"not an archive", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::path a = downloads() / "hz261213.lzh";
        if (c.entries.empty())
            spit(a, "this is not an archive");
        else
            pack("hz261213.lzh", c.entries);
        RaceDay day;
        day.raceLines = {"kept"};
        day.raceCount = 1;
        auto before = snapshot(home());
        Calls calls;
        ImportResult r = run(a, day, calls);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(*r.message, kNotCnx);
        EXPECT_EQ(snapshot(home()), before);
        EXPECT_EQ(day.raceLines, std::vector<std::string>{"kept"});
        EXPECT_EQ(calls.firstRace, 0);
    }
    RaceDay day;
    Calls calls;
    EXPECT_EQ(run(downloads() / "missing.lzh", day, calls).message, kNotCnx);
}

// Each extraction error is one line "code : message" between the two
// sentences; the home and the loaded day stay as they were.
TEST_F(Import, ExtractionErrorsAreListedOneLineEach) {
    auto gen = generatedDay("20261213", 9);
    RaceDay day;
    Calls first;
    ASSERT_TRUE(run(packDay(gen, Generation::Vd2), day, first).ok());
    const DayLines loaded = linesOf(day);
    auto before = snapshot(home());

    LzhEntry lh1 = file("cnx_den1.vd2", "packed");
    lh1.method = "-lh1-";
    LzhEntry badCrc = file("cnx_ods.vd2", "odds");
    badCrc.dataCrc = 0x4242;
    fs::path folder = tmp.path() / "bad";
    pack("j261220.lzh", {badCrc}, folder);
    fs::path card = pack("hz261220.lzh", {file("cnx_uma.vd2", "horses"), lh1}, folder);

    Calls calls;
    ImportResult r = run(card, day, calls);
    ASSERT_FALSE(r.ok());
    const std::string& m = *r.message;
    ASSERT_TRUE(m.starts_with(kErrorHead + "\r\n4 : ")) << m;
    ASSERT_TRUE(m.ends_with(kErrorTail)) << m;
    std::string middle =
        m.substr(kErrorHead.size(), m.size() - kErrorHead.size() - kErrorTail.size());
    EXPECT_EQ(middle, r.extractErrors);
    std::vector<std::string> lines;
    for (std::size_t at = 0; (at = middle.find("\r\n", at)) != std::string::npos; at += 2)
        lines.push_back(middle.substr(at + 2, middle.find("\r\n", at + 2) - at - 2));
    ASSERT_EQ(lines.size(), 2u) << m;
    EXPECT_TRUE(lines[0].starts_with("4 : ")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("3 : ")) << lines[1];

    EXPECT_EQ(snapshot(home()), before);
    EXPECT_EQ(linesOf(day), loaded);
    EXPECT_EQ(calls.firstRace, 0);
    EXPECT_EQ(calls.progress.back(), 0);
}

// Damaged, truncated or hostile archives: the day on screen and the home
// stay exactly as they were, and nothing appears beside the home.
TEST_F(Import, FailedImportLeavesDayAndHomeUntouched) {
    auto genA = generatedDay("20261213", 1);
    RaceDay day;
    Calls first;
    ASSERT_TRUE(run(packDay(genA, Generation::Vd2), day, first).ok());
    const DayLines loaded = linesOf(day);

    auto genB = generatedDay("20261220", 2);
    std::string whole =
        velmar::tools::lzhArchive(entriesOf(velmar::tools::raceCardFiles(genB, Generation::Vd2)));
    LzhEntry evil = file("../evil.txt", "x");
    LzhEntry jump;
    jump.name = "cnx_den1.vd2";
    jump.kind = velmar::tools::LzhEntryKind::Symlink;
    jump.linkTarget = "/etc/passwd";
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"truncated in the horse file", whole.substr(0, whole.size() - 1000)},
        {"dotdot", velmar::tools::lzhArchive({file("cnx_uma.vd2", "h"), evil})},
        {"link", velmar::tools::lzhArchive({file("cnx_uma.vd2", "h"), jump})},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        fs::path folder = tmp.path() / "in" / what;
        spit(folder / "hz261220.lzh", bytes);
        auto before = snapshot(tmp.path());
        Calls calls;
        ImportResult r = run(folder / "hz261220.lzh", day, calls);
        ASSERT_FALSE(r.ok());
        EXPECT_TRUE(r.message->starts_with(kErrorHead)) << *r.message;
        EXPECT_EQ(snapshot(tmp.path()), before);
        EXPECT_EQ(linesOf(day), loaded);
    }

    // A later step failing (the gap data) also keeps the day shown.
    Calls failing;
    failing.gapError = velmar::Error{"ギャップデータを作成できません"};
    ImportResult r = run(packDay(genB, Generation::Vd2), day, failing);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(*r.message, "ギャップデータを作成できません");
    EXPECT_EQ(linesOf(day), loaded);
    EXPECT_EQ(failing.firstRace, 0);
}

// velmar-cli import: the system's message on stderr and a non-zero status.
TEST_F(Import, CommandLineImport) {
    const char* bin = std::getenv("VELMAR_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    const fs::path cli = fs::path(bin) / "velmar-cli";
    ASSERT_TRUE(fs::exists(cli)) << cli;
    auto runCli = [&](const fs::path& archive, const fs::path& homeDir) {
        std::string cmd = "'" + cli.string() + "' import '" + archive.string() + "' --home '" +
                          homeDir.string() + "' >'" + (tmp.path() / "out").string() + "' 2>'" +
                          (tmp.path() / "err").string() + "'";
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };

    fs::path newHome = tmp.path() / "fresh" / "home";
    EXPECT_EQ(runCli(packDay(generatedDay("20261213", 4), Generation::Vd2), newHome), 0)
        << slurp(tmp.path() / "err");
    EXPECT_TRUE(fs::is_directory(newHome / "Gap"));
    EXPECT_TRUE(fs::exists(newHome / "cnx_den1.vd2"));
    EXPECT_TRUE(fs::exists(newHome / "cnx_ods.vd2"));

    fs::path notCnx = pack("hz261214.lzh", {file("readme.txt", "x")});
    EXPECT_NE(runCli(notCnx, newHome), 0);
    EXPECT_EQ(slurp(tmp.path() / "err"), kNotCnx + "\n");
}

} // namespace
