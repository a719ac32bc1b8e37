#include "online/download.h"

#include "data/sjis.h"
#include "test_service.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>

namespace velmar::online {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::TestService;

// The service's catalogue; the paths of two file-kind sections vary per test
// ("failN" in a path makes each file under it fail N times).
std::string catalogue(const std::string& sundayPath = "s/", const std::string& oddsPath = "o/") {
    return "[SITE_AUTH]\r\nURLB=@HOST@/auth/biglobe\r\nURLN=@HOST@/auth/nifty\r\n"
           "[SITE_DATA_GUEST]\r\nURLB=@HOST@/data/guest/\r\nURLN=@HOST@/nifty/guest/\r\n"
           "[SITE_DATA_MEMBER]\r\nURLB=@HOST@/data/member/\r\nURLN=@HOST@/nifty/member/\r\n"
           "[SYUTSUBA+KYOUSOUBA_ALL]\r\nPATHB=g/,m/\r\nPATHN=ng/,nm/\r\nPRICE=300,200\r\n"
           "FILE=hb101010.lzh\r\nFILE=hb101011.lzh\r\n"
           "[SUNDBL_SYUTSUBA+KYOUSOUBA]\r\nPATHB=" +
           sundayPath + "\r\nPATHN=" + sundayPath +
           "\r\nPRICE=150\r\nFILE=od101010.lzh\r\nFILE=hb101010.lzh\r\n"
           "[OZZ]\r\nPATHB=" +
           oddsPath + "\r\nPATHN=" + oddsPath +
           "\r\nPRICE=100,30\r\nFILE=j101010.lzh\r\nFILE=j101011.lzh\r\n";
}

// Records everything the download says and answers its questions from a queue.
struct Recorder {
    std::deque<bool> answers;
    std::vector<std::string> questions, messages, started;
    std::vector<std::chrono::milliseconds> waits;
    std::vector<fs::path> imports;
    std::vector<bool> busy;

    DownloadCallbacks callbacks() {
        DownloadCallbacks cb;
        cb.ask = [this](const std::string& q) {
            questions.push_back(q);
            bool a = !answers.empty() && answers.front();
            if (!answers.empty())
                answers.pop_front();
            return a;
        };
        cb.message = [this](const std::string& m) { messages.push_back(m); };
        cb.wait = [this](std::chrono::milliseconds ms) { waits.push_back(ms); };
        cb.fileStarted = [this](const std::string& t) { started.push_back(t); };
        cb.busy = [this](bool b) { busy.push_back(b); };
        cb.importArchive = [this](const fs::path& p) { imports.push_back(p); };
        cb.now = [] {
            std::tm t{};
            t.tm_year = 2026 - 1900;
            t.tm_mon = 11;
            t.tm_mday = 11;
            t.tm_hour = 9;
            t.tm_min = 5;
            t.tm_sec = 7;
            return t;
        };
        return cb;
    }
};

struct Session {
    TestService service;
    TempDir home;
    Recorder rec;

    std::unique_ptr<CnxDownload> make(const std::string& catalogueName = "settei.txt") {
        OnlineSettings settings;
        settings.catalogueUrl = service.http("/cat/" + catalogueName);
        settings.http.caFile = service.caFile();
        settings.http.connectTimeoutSeconds = 5;
        settings.http.stallTimeoutSeconds = 5;
        return std::make_unique<CnxDownload>(home.path(), settings, rec.callbacks());
    }
    fs::path folder() const { return home.path() / "CNX"; }
};

std::vector<std::string> itemNames(const CnxDownload& d) {
    std::vector<std::string> n;
    for (auto& i : d.items())
        n.push_back(i.entry.fileName + (i.checked ? "*" : ""));
    return n;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(PrepareDownload, OffersTheCatalogueForMembersAndGuests) {
    struct Row {
        const char* user;
        const char* status;
        const char* hbPrice;
        const char* odPrice;
        const char* jPrice;
        const char* hbAddress;
    };
    const Row rows[] = {
        {"member", "memberはBIGLOBEメンバーとして認証されています", "210", "158", "31",
         "/data/member/m/"},
        {"guest", "guestはBIGLOBEゲストとして認証されています", "315", "158", "105",
         "/data/guest/g/"},
    };
    for (const Row& r : rows) {
        Session s;
        s.service.putCatalogue("settei.txt", catalogue());
        // "hz101011" in a subfolder of the data folder stands for "hb101011".
        fs::create_directories(s.folder() / "old");
        std::ofstream(s.folder() / "old" / "hz101011.lzh") << "x";
        auto d = s.make();
        ASSERT_TRUE(d->PrepareDownload("BIGLOBE", r.user, "secret")) << s.rec.messages.size();
        EXPECT_EQ(d->statusLine(), r.status);
        EXPECT_EQ(d->listCaption(), kListHasFiles);
        EXPECT_EQ(itemNames(*d), (std::vector<std::string>{"hb101010.lzh", "od101010.lzh",
                                                           "j101010.lzh", "j101011.lzh"}));
        const auto& items = d->items();
        EXPECT_EQ(items[0].entry.kind, "出馬表+競走馬"); // first occurrence wins
        EXPECT_EQ(items[1].entry.kind, "出馬表+競走馬(日曜重賞付)");
        EXPECT_EQ(items[2].entry.kind, "予想オッズ");
        EXPECT_EQ(items[0].entry.price, r.hbPrice);
        EXPECT_EQ(items[1].entry.price, r.odPrice);
        EXPECT_EQ(items[2].entry.price, r.jPrice);
        EXPECT_EQ(items[0].entry.address, s.service.https(r.hbAddress));
        EXPECT_TRUE(s.rec.messages.empty());

        // The catalogue is public: fetched with empty Basic credentials.
        auto cat = s.service.wireFor("/cat/settei.txt");
        ASSERT_EQ(cat.size(), 1u);
        EXPECT_EQ(cat[0]["auth"], ":");
        EXPECT_EQ(cat[0]["method"], "GET");
        EXPECT_TRUE(fs::exists(d->cataloguePath()));
        d->close();
        EXPECT_FALSE(fs::exists(d->cataloguePath()));
    }
}

TEST(PrepareDownload, RetriesTheCatalogueThreeTimes) {
    struct Row {
        const char* name;
        bool ok;
        size_t requests;
        size_t waits;
    };
    const Row rows[] = {{"fail2.txt", true, 3, 2}, {"fail3.txt", false, 3, 2}};
    for (const Row& r : rows) {
        Session s;
        s.service.putCatalogue(r.name, catalogue());
        auto d = s.make(r.name);
        EXPECT_EQ(d->PrepareDownload("BIGLOBE", "member", "secret"), r.ok) << r.name;
        EXPECT_EQ(s.service.wireFor("/cat/").size(), r.requests);
        EXPECT_EQ(s.rec.waits,
                  std::vector<std::chrono::milliseconds>(r.waits, std::chrono::milliseconds(1000)));
        if (!r.ok) {
            EXPECT_EQ(s.rec.messages,
                      std::vector<std::string>{"CorvaneOnLineの設定ファイルが取得できませんでした。"
                                               "\r\n\r\nもう一度認証をやり直してください。"});
            EXPECT_TRUE(s.service.wireFor("/auth/").empty());
        }
    }
}

TEST(PrepareDownload, SignInOutcomes) {
    struct Row {
        const char* provider;
        const char* user;
        const char* password;
        bool ok;
        const char* text; // status line, or the message of a failure
    };
    const Row rows[] = {
        {"@nifty", "member", "secret", true, "memberは@niftyメンバーとして認証されています"},
        {"@nifty", "guest", "secret", true, "guestは@niftyゲストとして認証されています"},
        {"@nifty", "member", "wrong", false, kSignInFailed},
        {"BIGLOBE", "member", "wrong", false, kSignInFailed},
    };
    for (const Row& r : rows) {
        Session s;
        s.service.putCatalogue("settei.txt", catalogue());
        auto d = s.make();
        EXPECT_EQ(d->PrepareDownload(r.provider, r.user, r.password), r.ok) << r.user;
        if (r.ok) {
            EXPECT_EQ(d->statusLine(), r.text);
            EXPECT_TRUE(s.rec.messages.empty());
        } else {
            EXPECT_EQ(s.rec.messages, std::vector<std::string>{r.text});
        }
        auto auth = s.service.wireFor("/auth/");
        ASSERT_EQ(auth.size(), 1u);
        EXPECT_EQ(auth[0]["version"],
                  std::string(r.provider) == "@nifty" ? "HTTP/1.0" : "HTTP/1.1");
        EXPECT_EQ(auth[0]["method"], "GET");
    }
}

TEST(PrepareDownload, CatalogueWithoutFilesOffersNothing) {
    Session s;
    s.service.putCatalogue("settei.txt",
                           "[SITE_AUTH]\r\nURLB=@HOST@/auth/biglobe\r\n[OZZ]\r\nPRICE=100\r\n");
    auto d = s.make();
    ASSERT_TRUE(d->PrepareDownload("BIGLOBE", "member", "secret"));
    EXPECT_TRUE(d->items().empty());
    EXPECT_EQ(d->listCaption(), "現在ダウンロードできるファイルはありません");
    EXPECT_FALSE(d->okEnabled("somewhere"));
}

TEST(DownloadChecked, FetchesBottomUpLogsAndImportsTheTopMost) {
    Session s;
    s.service.putCatalogue("settei.txt", catalogue("s/", "o/fail1/"));
    auto d = s.make();
    ASSERT_TRUE(d->PrepareDownload("BIGLOBE", "member", "secret"));
    EXPECT_FALSE(d->okEnabled(s.folder().string()));
    d->setChecked(0, true); // hb101010, 210
    d->setChecked(3, true); // j101010, 31, fails once
    EXPECT_TRUE(d->okEnabled(s.folder().string()));
    EXPECT_FALSE(d->okEnabled(""));
    s.rec.answers = {true};
    EXPECT_EQ(d->downloadChecked(s.folder()), DownloadOutcome::Completed);

    EXPECT_EQ(s.rec.questions,
              std::vector<std::string>{"チェックされたファイルの合計金額は241円(税込)になります。"
                                       "\r\n\r\nダウンロードしてもよろしいですか？"});
    EXPECT_EQ(s.rec.started, (std::vector<std::string>{"j101010.lzhをダウンロード中...",
                                                       "hb101010.lzhをダウンロード中..."}));
    EXPECT_EQ(s.rec.waits, std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(1000)});
    EXPECT_EQ(s.rec.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(s.rec.imports, std::vector<fs::path>{s.folder() / "hb101010.lzh"});
    EXPECT_TRUE(s.rec.messages.empty());
    EXPECT_EQ(itemNames(*d),
              (std::vector<std::string>{"hb101011.lzh", "od101010.lzh", "j101011.lzh"}));

    auto data = s.service.wireFor("/data/member/");
    ASSERT_EQ(data.size(), 3u);
    EXPECT_EQ(data[0]["path"], "/data/member/o/fail1/j101010.lzh");
    EXPECT_EQ(data[1]["path"], "/data/member/o/fail1/j101010.lzh");
    EXPECT_EQ(data[2]["path"], "/data/member/m/hb101010.lzh");
    EXPECT_EQ(data[2]["auth"], "member:secret");
    EXPECT_EQ(data[2]["method"], "GET");
    EXPECT_EQ(slurp(s.folder() / "hb101010.lzh").rfind("ARCHIVE /data/member/m/hb101010.lzh", 0),
              0u);
    EXPECT_EQ(
        slurp(d->purchaseLogPath()),
        data::utf8ToSjis("2026/12/11 09:05:07    j101010.lzh    31円    member@BIGLOBE\r\n"
                         "2026/12/11 09:05:07    hb101010.lzh    210円    member@BIGLOBE\r\n"));
}

TEST(DownloadChecked, StopsWhenTheUserGivesUpAFailedFile) {
    Session s;
    s.service.putCatalogue("settei.txt", catalogue("s/fail9/"));
    auto d = s.make();
    ASSERT_TRUE(d->PrepareDownload("BIGLOBE", "member", "secret"));
    d->setChecked(0, true); // hb101010
    d->setChecked(2, true); // od101010, always fails
    d->setChecked(4, true); // j101011
    s.rec.answers = {true, false};
    EXPECT_EQ(d->downloadChecked(s.folder()), DownloadOutcome::Stopped);

    ASSERT_EQ(s.rec.questions.size(), 2u);
    EXPECT_EQ(s.rec.questions[1],
              "od101010.lzhがダウンロードできませんでした。\r\n\r\n再度ダウンロードを試みますか？");
    EXPECT_EQ(s.rec.busy, (std::vector<bool>{true, false}));
    EXPECT_TRUE(s.rec.imports.empty());
    EXPECT_EQ(itemNames(*d), (std::vector<std::string>{"hb101010.lzh*", "hb101011.lzh",
                                                       "od101010.lzh*", "j101010.lzh"}));
    EXPECT_EQ(s.service.wireFor("od101010").size(), 3u);
    EXPECT_TRUE(s.service.wireFor("hb101010").empty());
    // Only the good file is on disk: no partial file of the failed one.
    std::vector<std::string> onDisk;
    for (auto& e : fs::directory_iterator(s.folder()))
        onDisk.push_back(e.path().filename().string());
    EXPECT_EQ(onDisk, std::vector<std::string>{"j101011.lzh"});
    EXPECT_EQ(slurp(d->purchaseLogPath()),
              data::utf8ToSjis("2026/12/11 09:05:07    j101011.lzh    31円    member@BIGLOBE\r\n"));
}

TEST(DownloadChecked, FourthAttemptAfterTheUserAsks) {
    struct Row {
        const char* path;
        DownloadOutcome outcome;
        size_t requests;
    };
    const Row rows[] = {{"s/fail3/", DownloadOutcome::Completed, 4},
                        {"s/fail4/", DownloadOutcome::Stopped, 4}};
    for (const Row& r : rows) {
        Session s;
        s.service.putCatalogue("settei.txt", catalogue(r.path));
        auto d = s.make();
        ASSERT_TRUE(d->PrepareDownload("BIGLOBE", "guest", "secret"));
        d->setChecked(2, true); // od101010
        s.rec.answers = {true, true};
        EXPECT_EQ(d->downloadChecked(s.folder()), r.outcome) << r.path;
        EXPECT_EQ(s.service.wireFor("od101010").size(), r.requests);
        EXPECT_EQ(s.rec.waits.size(), 2u); // between the three automatic attempts
        if (r.outcome == DownloadOutcome::Completed) {
            EXPECT_TRUE(s.rec.messages.empty());
            EXPECT_EQ(s.rec.imports, std::vector<fs::path>{s.folder() / "od101010.lzh"});
            EXPECT_TRUE(d->items().size() == 4u);
        } else {
            EXPECT_EQ(s.rec.messages, std::vector<std::string>{
                                          "od101010.lzhがダウンロードできませんでした。\r\n\r\n"
                                          "間をあけて再度ダウンロードを試みてください。"});
            EXPECT_TRUE(s.rec.imports.empty());
            EXPECT_FALSE(fs::exists(d->purchaseLogPath()));
            EXPECT_TRUE(fs::is_empty(s.folder()));
        }
    }
}

TEST(DownloadChecked, DeclinedTotalFetchesNothing) {
    Session s;
    s.service.putCatalogue("settei.txt", catalogue());
    auto d = s.make();
    ASSERT_TRUE(d->PrepareDownload("BIGLOBE", "member", "secret"));
    d->setChecked(0, true);
    s.rec.answers = {false};
    EXPECT_EQ(d->downloadChecked(s.folder()), DownloadOutcome::Declined);
    EXPECT_TRUE(s.service.wireFor("/data/").empty());
    EXPECT_FALSE(fs::exists(s.folder()));
    EXPECT_TRUE(s.rec.busy.empty());
}

TEST(DownloadChecked, NiftyPostsOverHttp10AndReadOnlyLogStaysUntouched) {
    Session s;
    s.service.putCatalogue("settei.txt", catalogue());
    std::ofstream(s.home.path() / "kakin.log") << "old\r\n";
    fs::permissions(s.home.path() / "kakin.log", fs::perms::owner_read);
    auto d = s.make();
    ASSERT_TRUE(d->PrepareDownload("@nifty", "member", "secret"));
    d->setChecked(0, true);
    s.rec.answers = {true};
    EXPECT_EQ(d->downloadChecked(s.folder()), DownloadOutcome::Completed);
    auto data = s.service.wireFor("/nifty/member/nm/hb101010.lzh");
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0]["method"], "POST");
    EXPECT_EQ(data[0]["version"], "HTTP/1.0");
    EXPECT_EQ(data[0]["auth"], "member:secret");
    EXPECT_TRUE(fs::exists(s.folder() / "hb101010.lzh"));
    EXPECT_EQ(slurp(s.home.path() / "kakin.log"), "old\r\n");
    EXPECT_TRUE(s.rec.messages.empty());
}

} // namespace
} // namespace velmar::online
