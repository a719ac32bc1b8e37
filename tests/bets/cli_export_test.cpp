// velmar-cli export writes exactly the files of the core's exports.

#include "bets/day_export.h"

#include "data/atomic_file.h"
#include "data/race_day.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace velmar::bets {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CliExport : public ::testing::Test {
  protected:
    void SetUp() override {
        home_ = fs::temp_directory_path() /
                ("velmar-cli-export-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home_);
        fs::create_directories(home_);
        tools::GenOptions gen;
        gen.races = 24;
        gen.seed = 5;
        const tools::RaceDay model = tools::generateRaceDay(gen);
        ASSERT_TRUE(tools::writeDayFiles(home_, model, tools::Generation::Vd2).ok());
        ASSERT_TRUE(tools::writeStandardData(home_ / "Data", model, 5).ok());
        auto loaded = data::loadRaceDay(home_, day_);
        ASSERT_TRUE(loaded.ok() && loaded.value());
        options_.home = home_;
    }
    void TearDown() override { fs::remove_all(home_); }

    CliRun cli(const std::string& args) {
        // velmar-cli is built next to the test program.
        const char* bin = std::getenv("VELMAR_BIN_DIR");
        const fs::path dir = bin ? fs::path(bin) : fs::read_symlink("/proc/self/exe").parent_path();
        const fs::path err = home_ / "stderr.txt";
        const std::string cmd = (dir / "velmar-cli").string() + " " + args + " 2>" + err.string();
        CliRun r;
        FILE* pipe = ::popen(cmd.c_str(), "r");
        if (!pipe)
            return r;
        std::array<char, 4096> buf{};
        std::size_t n = 0;
        while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
            r.out.append(buf.data(), n);
        const int st = ::pclose(pipe);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        r.err = contentOf(err);
        return r;
    }

    static std::string contentOf(const fs::path& p) {
        auto r = data::readFile(p);
        return r ? r.value() : std::string("<unreadable>");
    }

    std::string home() const { return "--home " + home_.string(); }

    fs::path home_;
    data::RaceDay day_;
    engine::PredictOptions options_;
};

TEST_F(CliExport, DayFilesMatchTheCoreExports) {
    struct Case {
        const char* command;
        DayExportKind kind;
    };
    for (const Case& c : {Case{"idx", DayExportKind::Index}, Case{"csv", DayExportKind::Csv},
                          Case{"bulk", DayExportKind::Bulk}}) {
        SCOPED_TRACE(c.command);
        const fs::path viaCli = home_ / (std::string("cli.") + c.command);
        const fs::path viaCore = home_ / (std::string("core.") + c.command);
        const CliRun r =
            cli(std::string("export ") + c.command + " " + home() + " --out " + viaCli.string());
        EXPECT_EQ(r.status, 0) << r.err;
        ASSERT_TRUE(exportDayFile(c.kind, viaCore, day_, 0, options_).ok());
        // Compared as a whole; the files are too long to print on a mismatch.
        EXPECT_TRUE(contentOf(viaCli) == contentOf(viaCore));
        EXPECT_FALSE(contentOf(viaCli).empty());
    }
}

TEST_F(CliExport, BetFileOfOneRace) {
    const fs::path out = home_ / "kaime.kmi";
    const CliRun r = cli("export kmi " + home() + " --race 10 --out " + out.string());
    ASSERT_EQ(r.status, 0) << r.err;
    auto p = engine::predictRace(day_, 10, options_);
    ASSERT_TRUE(p.ok());
    EXPECT_TRUE(contentOf(out) == data::sjisLines(betFileLines(day_, 10, *p)));

    const CliRun outside = cli("export kmi " + home() + " --race 24 --out " + out.string());
    EXPECT_NE(outside.status, 0);
    EXPECT_NE(outside.err.find("レース"), std::string::npos) << outside.err;
}

TEST_F(CliExport, MalformedDayFailsNamingTheRaceAndWritesNothing) {
    // RunnerCount of the fifth race is not a number.
    auto races = data::readFile(home_ / data::kRaceFileName);
    ASSERT_TRUE(races.ok());
    auto lines = data::splitLines(*races);
    lines[4].replace(336, 2, "x1");
    std::string bytes;
    for (const auto& l : lines)
        bytes += l + "\r\n";
    ASSERT_TRUE(data::writeFileAtomic(home_ / data::kRaceFileName, bytes).ok());

    const fs::path out = home_ / "qv.idx";
    ASSERT_TRUE(writeLinesFile(out, {"earlier"}).ok());
    const CliRun r = cli("export idx " + home() + " --out " + out.string());
    EXPECT_NE(r.status, 0);
    const std::string label = day_.texts(4).venueLabel + day_.texts(4).raceNoText + "R";
    EXPECT_NE(r.err.find(label), std::string::npos) << r.err;
    EXPECT_EQ(contentOf(out), "earlier\r\n");
}

TEST_F(CliExport, MissingDayIsAnError) {
    const CliRun r = cli("export csv --home " + (home_ / "empty").string() + " --out " +
                         (home_ / "x.csv").string());
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("レースデータがありません"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(home_ / "x.csv"));
}

} // namespace
} // namespace velmar::bets
