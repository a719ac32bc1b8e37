#include "online/catalogue.h"
#include "online/purchase_log.h"

#include "data/sjis.h"
#include "test_service.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace velmar::online {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(TaxIncludedPrice, FactorIsTheExtendedValueJustBelow105) {
    // 1.05L is m / 2^63 with a 64-bit integer m; it lies below 1.05 exactly
    // when 20 m < 21 * 2^63.
    unsigned __int128 m = static_cast<unsigned __int128>(std::ldexp(1.05L, 63));
    unsigned __int128 twoTo63 = static_cast<unsigned __int128>(1) << 63;
    EXPECT_LT(20 * m, 21 * twoTo63);
    EXPECT_GT(20 * (m + 1), 21 * twoTo63); // and it is the nearest one below
}

TEST(TaxIncludedPrice, RoundsLikeExtendedPrecision) {
    const std::pair<int64_t, int64_t> rows[] = {{100, 105}, {150, 158}, {250, 262}, {300, 315},
                                                {30, 31},   {200, 210}, {0, 0},     {10, 10},
                                                {50, 52},   {1, 1},     {500, 525}, {1050, 1102}};
    for (auto [price, taxed] : rows)
        EXPECT_EQ(taxIncludedPrice(price), taxed) << price;
}

const char* kCatalogue = "[SITE_AUTH]\r\n"
                         "URLB=auth.example/biglobe\r\n"
                         "URLN=auth.example/nifty\r\n"
                         "[SITE_DATA_GUEST]\r\n"
                         "URLB=g.example/b/\r\n"
                         "URLN=g.example/n/\r\n"
                         "[site_data_member]\r\n"
                         "urlb=m.example/b/\r\n"
                         "URLN=m.example/n/\r\n"
                         "[SYUTSUBA+KYOUSOUBA_ALL]\r\n"
                         "PATHB=gb/ , mb/\r\n"
                         "PATHN=gn/,,mn/\r\n"
                         "PRICE=300,200\r\n"
                         "FILE=hb101010.lzh\r\n"
                         "; FILE=commented.lzh\r\n"
                         "\r\n"
                         "FILE=hb101011.lzh\r\n"
                         "FILE=hb101010.lzh\r\n"
                         "[OZZ]\r\n"
                         "PATHB=odds/\r\n"
                         "PATHN=odds/\r\n"
                         "PRICE=100\r\n"
                         "file=lower.lzh\r\n"
                         "FILE=j101010.lzh\r\n";

TEST(IniFile, KeepsRawLinesInOrderWithDuplicates) {
    IniFile ini = IniFile::parse(kCatalogue);
    EXPECT_TRUE(ini.sectionExists("site_auth"));
    EXPECT_FALSE(ini.sectionExists("SUNDBL_SYUTSUBA+KYOUSOUBA"));
    EXPECT_EQ(ini.readString("SITE_DATA_MEMBER", "URLB"), "m.example/b/");
    EXPECT_EQ(ini.readString("SITE_AUTH", "missing", "x"), "x");
    std::vector<std::string> lines = ini.sectionLines("SYUTSUBA+KYOUSOUBA_ALL");
    std::vector<std::string> want = {
        "PATHB=gb/ , mb/",      "PATHN=gn/,,mn/",    "PRICE=300,200",    "FILE=hb101010.lzh",
        "; FILE=commented.lzh", "FILE=hb101011.lzh", "FILE=hb101010.lzh"};
    EXPECT_EQ(lines, want);
}

TEST(IniFile, DecodesShiftJis) {
    IniFile ini = IniFile::parse(data::utf8ToSjis("[A]\nK=競走馬\n"));
    EXPECT_EQ(ini.readString("A", "K"), "競走馬");
}

TEST(ReadCatalogueSection, PicksAddressAndPriceByProviderAndStatus) {
    IniFile ini = IniFile::parse(kCatalogue);
    struct Row {
        const char* provider;
        bool member;
        const char* address;
        const char* price;
    };
    const Row rows[] = {
        {"BIGLOBE", false, "https://g.example/b/gb/", "315"},
        {"BIGLOBE", true, "https://m.example/b/mb/", "210"},
        {"@nifty", false, "https://g.example/n/gn/", "315"},
        {"@nifty", true, "https://m.example/n/mn/", "210"}, // ",," collapses
    };
    for (const Row& r : rows) {
        auto e = ReadCatalogueSection(ini, kCatalogueSections[0], r.provider, r.member);
        ASSERT_EQ(e.size(), 3u);
        EXPECT_EQ(e[0].fileName, "hb101010.lzh");
        EXPECT_EQ(e[1].fileName, "hb101011.lzh");
        EXPECT_EQ(e[0].kind, "出馬表+競走馬");
        EXPECT_EQ(e[0].address, r.address) << r.provider << r.member;
        EXPECT_EQ(e[0].price, r.price) << r.provider << r.member;
    }
    // A one-field list serves both; "file=" in other case is not an entry.
    auto odds = ReadCatalogueSection(ini, kCatalogueSections[2], "BIGLOBE", true);
    ASSERT_EQ(odds.size(), 1u);
    EXPECT_EQ(odds[0].fileName, "j101010.lzh");
    EXPECT_EQ(odds[0].price, "105");
    EXPECT_EQ(odds[0].address, "https://m.example/b/odds/");
    EXPECT_TRUE(ReadCatalogueSection(ini, kCatalogueSections[1], "BIGLOBE", true).empty());
    EXPECT_EQ(authAddress(ini, "BIGLOBE"), "auth.example/biglobe");
    EXPECT_EQ(authAddress(ini, "@nifty"), "auth.example/nifty");
}

TEST(ReadCatalogueSection, PriceThatIsNoNumberOffersNothing) {
    IniFile ini = IniFile::parse("[SITE_DATA_GUEST]\nURLB=x/\n[OZZ]\nPATHB=p/\nPRICE=abc\n"
                                 "FILE=j1.lzh\n");
    EXPECT_TRUE(ReadCatalogueSection(ini, kCatalogueSections[2], "BIGLOBE", false).empty());
}

TEST(OfferedEntries, SkipsDuplicatesFilesOnDiskAndUnsafeNames) {
    auto entry = [](const char* name, const char* kind) {
        return TCnx{name, kind, "105", "https://x/"};
    };
    std::vector<TCnx> entries = {
        entry("hb101010.lzh", "A"), entry("hz101011.lzh", "A"), entry("hb101012.lzh", "A"),
        entry("j101010.lzh", "B"),  entry("hb101010.lzh", "B"), entry("../evil.lzh", "A"),
        entry("a/b.lzh", "A"),      entry("..", "A"),           entry("", "A"),
        entry("HB101013.lzh", "A"), entry("hb101013.lzh", "A")};
    // "hz101010" on disk hides "hb101010"; "hb101011" on disk does not hide
    // "hz101011"; names compare case-sensitively.
    std::vector<std::string> local = {"hz101010.lzh", "hb101011.lzh", "hb101013.LZH",
                                      "j101010.lzh"};
    auto offered = offeredEntries(entries, local);
    std::vector<std::string> names;
    for (auto& e : offered)
        names.push_back(e.fileName);
    EXPECT_EQ(names, (std::vector<std::string>{"hz101011.lzh", "hb101012.lzh", "HB101013.lzh",
                                               "hb101013.lzh"}));

    auto dup = offeredEntries({entry("x.lzh", "first"), entry("x.lzh", "second")}, {});
    ASSERT_EQ(dup.size(), 1u);
    EXPECT_EQ(dup[0].kind, "first");
}

TEST(ListLocalFiles, ListsFileNamesRecursively) {
    TempDir tmp;
    fs::create_directories(tmp.path() / "sub" / "deeper");
    std::ofstream(tmp.path() / "a.lzh") << "x";
    std::ofstream(tmp.path() / "sub" / "deeper" / "b.lzh") << "x";
    auto names = ListLocalFiles(tmp.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.lzh", "b.lzh"}));
    EXPECT_TRUE(ListLocalFiles(tmp.path() / "missing").empty());
}

TEST(PurchaseLog, LineLayout) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 0;
    when.tm_mday = 5;
    when.tm_hour = 7;
    when.tm_min = 3;
    when.tm_sec = 9;
    EXPECT_EQ(purchaseLogLine(when, "hb260105.lzh", "315", purchaseAccount("abc", "BIGLOBE")),
              "2026/01/05 07:03:09    hb260105.lzh    315円    abc@BIGLOBE");
    EXPECT_EQ(purchaseAccount("abc", "@nifty"), "abc@nifty");
}

TEST(PurchaseLog, AppendsShiftJisAndLeavesReadOnlyLogAlone) {
    TempDir tmp;
    fs::path log = tmp.path() / "kakin.log";
    ASSERT_TRUE(AppendPurchaseLog(log, "one    1円").ok());
    ASSERT_TRUE(AppendPurchaseLog(log, "two    2円").ok());
    std::ifstream in(log, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, data::utf8ToSjis("one    1円\r\ntwo    2円\r\n"));

    fs::permissions(log, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_TRUE(AppendPurchaseLog(log, "three").ok());
    EXPECT_EQ(fs::file_size(log), bytes.size());
}

} // namespace
} // namespace velmar::online
