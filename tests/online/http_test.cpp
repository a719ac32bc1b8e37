#include "online/http_client.h"
#include "online/sign_in.h"

#include "test_service.h"

#include <gtest/gtest.h>

#include <fstream>

namespace velmar::online {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::TestService;

HttpSettings trusting(const TestService& s) {
    HttpSettings h;
    h.caFile = s.caFile();
    h.connectTimeoutSeconds = 5;
    h.stallTimeoutSeconds = 5;
    return h;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(TmodHttp, WireOfFetchToFile) {
    TestService s;
    TempDir tmp;
    TmodHttp http(trusting(s));
    struct Row {
        const char* provider;
        const char* path;
        const char* user;
        const char* password;
        const char* method;
        const char* version;
        const char* auth;
    };
    const Row rows[] = {
        {"BIGLOBE", "/data/a/x1.lzh", "id", "pw", "GET", "HTTP/1.1", "id:pw"},
        // Basic goes out even with empty credentials (the catalogue fetch).
        {"BIGLOBE", "/data/a/x2.lzh", "", "", "GET", "HTTP/1.1", ":"},
        {"@nifty", "/nifty/a/x3.lzh", "nid", "npw", "POST", "HTTP/1.0", "nid:npw"},
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(http.FetchToFile(r.provider, r.user, r.password, s.https(r.path),
                                     tmp.path() / "out.lzh"))
            << r.path << " " << failureText(http.lastFailure());
        auto w = s.wireFor(r.path);
        ASSERT_EQ(w.size(), 1u) << r.path; // pre-emptive: no 401 round trip
        EXPECT_EQ(w[0]["method"], r.method);
        EXPECT_EQ(w[0]["version"], r.version);
        EXPECT_EQ(w[0]["auth"], r.auth);
        EXPECT_EQ(w[0]["headers"]["Accept"], "text/html, */*");
        EXPECT_EQ(w[0]["headers"]["User-Agent"], "Mozilla/3.0 (compatible; Indy Library)");
        if (std::string(r.method) == "POST") {
            EXPECT_EQ(w[0]["headers"]["Content-Length"], "0");
        }
        EXPECT_EQ(slurp(tmp.path() / "out.lzh").rfind(std::string("ARCHIVE ") + r.path, 0), 0u);
    }
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"out.lzh"});
}

TEST(TmodHttp, SignInPageSendsCredentialsOnlyWhenBothAreGiven) {
    TestService s;
    TmodHttp http(trusting(s));
    struct Row {
        const char* user;
        const char* password;
        bool sent;
        const char* result;
    };
    const Row rows[] = {{"member", "secret", true, nullptr},
                        {"guest", "secret", true, "403"},
                        {"member", "", false, "401"},
                        {"", "secret", false, "401"}};
    for (const Row& r : rows) {
        s.clearWire();
        std::string text =
            http.RequestSignInPage("BIGLOBE", r.user, r.password, s.https("/auth/biglobe"));
        if (r.result)
            EXPECT_EQ(text, r.result);
        else // the Shift-JIS page arrives decoded
            EXPECT_NE(text.find(kFramePhrase), std::string::npos) << text;
        auto w = s.wire();
        ASSERT_FALSE(w.empty());
        EXPECT_EQ(w[0]["auth"].is_null(), !r.sent) << r.user << "/" << r.password;
        EXPECT_EQ(w[0]["version"], "HTTP/1.1");
    }
}

TEST(TmodHttp, FailedTransferKeepsEarlierFileAndLeavesNoPartialFile) {
    TestService s;
    TempDir tmp;
    TmodHttp http(trusting(s));
    fs::path target = tmp.path() / "hb101010.lzh";
    std::ofstream(target, std::ios::binary) << "earlier good file";
    struct Row {
        const char* path;
        FailureKind kind;
    };
    const Row rows[] = {{"/cut/hb101010.lzh", FailureKind::Connection},
                        {"/fail9/data/hb101010.lzh", FailureKind::HttpStatus},
                        {"/missing", FailureKind::HttpStatus}};
    for (const Row& r : rows) {
        EXPECT_FALSE(http.FetchToFile("BIGLOBE", "id", "pw", s.https(r.path), target)) << r.path;
        EXPECT_EQ(http.lastFailure().kind, r.kind) << r.path;
        EXPECT_EQ(slurp(target), "earlier good file");
        EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"hb101010.lzh"});
    }
    // A destination folder that does not exist is a local failure, not a crash.
    EXPECT_FALSE(http.FetchToFile("BIGLOBE", "id", "pw", s.https("/data/x.lzh"),
                                  tmp.path() / "nope" / "x.lzh"));
    EXPECT_EQ(http.lastFailure().kind, FailureKind::LocalFile);
}

TEST(TmodHttp, UntrustedCertificateIsRefused) {
    TestService s;
    TempDir tmp;
    struct Row {
        std::string caFile;
        FailureKind kind;
    };
    const Row rows[] = {{"", FailureKind::Certificate}, // system store: the test CA is unknown
                        {s.otherCaFile(), FailureKind::Certificate},
                        {(tmp.path() / "no-such-ca.pem").string(), FailureKind::CaFile}};
    for (const Row& r : rows) {
        HttpSettings h = trusting(s);
        h.caFile = r.caFile;
        TmodHttp http(h);
        EXPECT_FALSE(
            http.FetchToFile("BIGLOBE", "id", "pw", s.https("/data/x.lzh"), tmp.path() / "x.lzh"));
        EXPECT_EQ(http.lastFailure().kind, r.kind) << r.caFile;
        EXPECT_FALSE(fs::exists(tmp.path() / "x.lzh"));
        // The sign-in page gives no status digits that could pass for a guest.
        EXPECT_EQ(http.RequestSignInPage("BIGLOBE", "guest", "secret", s.https("/auth/biglobe")),
                  "0");
        EXPECT_EQ(http.lastFailure().kind, r.kind);

        SignInCheck check =
            CheckSignIn(http, "BIGLOBE", "member", "secret", s.host() + "/auth/biglobe");
        EXPECT_EQ(check.status, SignInStatus::Failed);
        EXPECT_NE(check.message.find(r.kind == FailureKind::Certificate ? "証明書を確認できません"
                                                                        : "CA証明書ファイル"),
                  std::string::npos)
            << check.message;
    }
    EXPECT_TRUE(s.wireFor("/data/").empty()); // nothing reached the server
}

TEST(TmodHttp, FollowsRedirectsWithCookiesOfThatRequestOnly) {
    TestService s;
    TempDir tmp;
    TmodHttp http(trusting(s));
    ASSERT_TRUE(http.FetchToFile("BIGLOBE", "id", "pw", s.https("/redirect/data/r.lzh"),
                                 tmp.path() / "r.lzh"))
        << failureText(http.lastFailure());
    EXPECT_EQ(slurp(tmp.path() / "r.lzh").rfind("ARCHIVE /data/r.lzh", 0), 0u);
    auto followed = s.wireFor("/needcookie/data/r.lzh");
    ASSERT_EQ(followed.size(), 1u);
    EXPECT_EQ(followed[0]["headers"]["Cookie"], "velmar=trail");
    // A new request starts without the cookie.
    EXPECT_EQ(http.RequestSignInPage("BIGLOBE", "", "", s.https("/needcookie/data/r.lzh")), "403");
}

TEST(TmodHttp, ProxyAndItsCredentials) {
    TestService s;
    TempDir tmp;
    struct Row {
        std::string address;
        std::string user;
        std::string password;
        bool ok;
        bool viaProxy;
        bool credentialsSent;
    };
    const Row rows[] = {
        {"127.0.0.1", "puser", "ppass", true, true, true},
        {"127.0.0.1", "puser", "", false, true, false},
        {"127.0.0.1", "puser", "   ", false, true, false},
        {"127.0.0.1", "", "ppass", false, true, false},
        {"   ", "puser", "ppass", true, false, false}, // blanks only: no proxy
    };
    for (const Row& r : rows) {
        s.clearWire();
        HttpSettings h = trusting(s);
        h.proxy = {r.address, s.proxyPort(), r.user, r.password};
        TmodHttp http(h);
        EXPECT_EQ(
            http.FetchToFile("BIGLOBE", "id", "pw", s.https("/data/p.lzh"), tmp.path() / "p.lzh"),
            r.ok)
            << "[" << r.address << "] " << r.user << "/" << r.password << " "
            << failureText(http.lastFailure());
        auto proxied = s.wireFor("127.0.0.1:" + std::to_string(s.httpsPort()));
        bool viaProxy = false, sent = false, unasked = false;
        for (size_t i = 0; i < proxied.size(); ++i) {
            if (proxied[i]["server"] != "proxy")
                continue;
            viaProxy = true;
            EXPECT_EQ(proxied[i]["method"], "CONNECT");
            if (!proxied[i]["auth"].is_null()) {
                sent = true;
                EXPECT_EQ(proxied[i]["auth"], "puser:ppass");
                unasked = unasked || i == 0;
            }
        }
        EXPECT_EQ(viaProxy, r.viaProxy) << r.address;
        EXPECT_EQ(sent, r.credentialsSent) << r.user << "/" << r.password;
        EXPECT_FALSE(unasked) << "proxy credentials went out before the proxy asked";
        EXPECT_EQ(s.wireFor("/data/p.lzh").size(), r.ok ? 1u : 0u);
    }
}

TEST(TmodHttp, ReportsProgress) {
    TestService s;
    TempDir tmp;
    std::string body(200000, 'z');
    s.putFile("big.lzh", body);
    std::vector<int64_t> begins, works;
    int ends = 0, pumps = 0;
    TransferEvents ev{[&](int64_t t) { begins.push_back(t); },
                      [&](int64_t c) { works.push_back(c); }, [&] { ++ends; }, [&] { ++pumps; }};
    TmodHttp http(trusting(s), ev);
    ASSERT_TRUE(
        http.FetchToFile("BIGLOBE", "id", "pw", s.https("/data/big.lzh"), tmp.path() / "big.lzh"));
    EXPECT_EQ(begins, std::vector<int64_t>{200000});
    ASSERT_FALSE(works.empty());
    EXPECT_EQ(works.back(), 200000);
    EXPECT_TRUE(std::is_sorted(works.begin(), works.end()));
    EXPECT_EQ(ends, 1);
    EXPECT_GT(pumps, 0);
    EXPECT_EQ(slurp(tmp.path() / "big.lzh"), body);
}

} // namespace
} // namespace velmar::online
