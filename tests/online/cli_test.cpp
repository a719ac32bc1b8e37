// velmar-cli download against the loopback service: list, buy, log, import.

#include "data/sjis.h"
#include "test_service.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/wait.h>

namespace velmar::online {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::TestService;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct CliRun {
    int exit = -1;
    std::string out, err;
};

CliRun runCli(const TempDir& tmp, const std::vector<std::string>& args, const std::string& input) {
    std::ofstream(tmp.path() / "stdin.txt", std::ios::binary) << input;
    std::string cmd = quoted(VELMAR_CLI);
    for (const auto& a : args)
        cmd += " " + quoted(a);
    cmd += " < " + quoted((tmp.path() / "stdin.txt").string()) + " > " +
           quoted((tmp.path() / "stdout.txt").string()) + " 2> " +
           quoted((tmp.path() / "stderr.txt").string());
    int status = std::system(cmd.c_str());
    CliRun r;
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(tmp.path() / "stdout.txt");
    r.err = slurp(tmp.path() / "stderr.txt");
    return r;
}

const char* kCatalogue = "[SITE_AUTH]\r\nURLB=@HOST@/auth/biglobe\r\nURLN=@HOST@/auth/nifty\r\n"
                         "[SITE_DATA_GUEST]\r\nURLB=@HOST@/data/guest/\r\n"
                         "[SITE_DATA_MEMBER]\r\nURLB=@HOST@/data/member/\r\n"
                         "[SYUTSUBA+KYOUSOUBA_ALL]\r\nPATHB=g/,m/\r\nPRICE=300,200\r\n"
                         "FILE=hz261213.lzh\r\n"
                         "[OZZ]\r\nPATHB=o/\r\nPRICE=100,30\r\nFILE=j261213.lzh\r\n";

struct CliSession {
    TestService service;
    TempDir tmp;
    fs::path home;

    CliSession() : home(tmp.path() / "home") {
        service.putCatalogue("settei.txt", kCatalogue);
        // A real day's archives, so the import has something to load.
        tools::GenOptions g;
        g.date = "20261213";
        g.races = 2;
        auto day = tools::generateRaceDay(g);
        auto archives = tools::writeDayArchives(tmp.path() / "made", day, tools::Generation::Vd2);
        if (!archives.ok())
            throw std::runtime_error(archives.error().message);
        for (const fs::path& p : *archives)
            service.putFile(p.filename().string(), slurp(p));
    }

    std::vector<std::string> args(const std::string& user, std::vector<std::string> more) const {
        std::vector<std::string> a = {"download",
                                      "--home",
                                      home.string(),
                                      "--provider",
                                      "BIGLOBE",
                                      "--user",
                                      user,
                                      "--password",
                                      "secret",
                                      "--catalogue",
                                      service.http("/cat/settei.txt"),
                                      "--ca-file",
                                      service.caFile()};
        a.insert(a.end(), more.begin(), more.end());
        return a;
    }
};

TEST(CliDownload, ListsTheOfferWithPrices) {
    CliSession s;
    CliRun r = runCli(s.tmp, s.args("member", {"--list"}), "");
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "memberはBIGLOBEメンバーとして認証されています\n"
                     "ダウンロードしたいファイルにチェックをしてOKボタンを押してください\n"
                     "hz261213.lzh\t出馬表+競走馬\t210円\n"
                     "j261213.lzh\t予想オッズ\t31円\n");
    EXPECT_FALSE(fs::exists(s.home / "settei.txt")); // removed when done

    CliRun bad =
        runCli(s.tmp,
               {"download", "--home", s.home.string(), "--provider", "BIGLOBE", "--user", "member",
                "--password", "wrong", "--catalogue", s.service.http("/cat/settei.txt"),
                "--ca-file", s.service.caFile(), "--list"},
               "");
    EXPECT_NE(bad.exit, 0);
    EXPECT_NE(bad.err.find("認証できませんでした。ユーザーIDとパスワードをお確かめください。"),
              std::string::npos)
        << bad.err;
}

TEST(CliDownload, BuysLogsAndImportsTheTopMost) {
    CliSession s;
    // Answering "n" to the total stops before anything is fetched.
    CliRun no = runCli(s.tmp, s.args("guest", {"--get", "hz261213.lzh,j261213.lzh"}), "n\n");
    EXPECT_NE(no.exit, 0);
    EXPECT_NE(no.err.find("チェックされたファイルの合計金額は420円(税込)になります。"),
              std::string::npos)
        << no.err;
    EXPECT_TRUE(s.service.wireFor("/data/").empty());

    CliRun r = runCli(s.tmp, s.args("guest", {"--get", "hz261213.lzh,j261213.lzh", "--yes"}), "");
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(fs::exists(s.home / "CNX" / "hz261213.lzh"));
    EXPECT_TRUE(fs::exists(s.home / "CNX" / "j261213.lzh"));
    std::string log = data::sjisToUtf8(slurp(s.home / "kakin.log"));
    auto lines = log.find("j261213.lzh    105円    guest@BIGLOBE\r\n");
    auto second = log.find("hz261213.lzh    315円    guest@BIGLOBE\r\n");
    EXPECT_NE(lines, std::string::npos) << log;
    EXPECT_NE(second, std::string::npos) << log;
    EXPECT_LT(lines, second); // the odds archive first, from the bottom up
    // The race card (top-most) was imported together with its odds companion.
    EXPECT_TRUE(fs::exists(s.home / "cnx_den1.vd2"));
    EXPECT_TRUE(fs::exists(s.home / "cnx_ods.vd2"));
    EXPECT_TRUE(fs::exists(s.home / "Gap" / "261213.gap"));
    EXPECT_NE(r.out.find("hz261213.lzh を取り込みました (2 レース)"), std::string::npos) << r.out;

    // Both are on disk now: nothing more is offered, and asking for one fails.
    CliRun again = runCli(s.tmp, s.args("guest", {"--get", "hz261213.lzh", "--yes"}), "");
    EXPECT_NE(again.exit, 0);
    EXPECT_NE(again.err.find("hz261213.lzh"), std::string::npos);
}

} // namespace
} // namespace velmar::online
