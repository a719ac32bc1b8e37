// LZH listing and extraction: the real-archiver corpus against an independent
// extractor's checksums, and hostile or damaged archives built here with the
// LZH writer.

#include "archive_test_support.h"
#include "data/archive.h"
#include "data/sjis.h"
#include "tools/lzh_writer.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using velmar::data::ExtractHooks;
using velmar::testing::slurp;
using velmar::testing::snapshot;
using velmar::testing::spit;
using velmar::testing::TempDir;
using velmar::tools::LzhEntry;
using velmar::tools::LzhEntryKind;

std::string sha256(const std::string& bytes) {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    EVP_Digest(bytes.data(), bytes.size(), md, &len, EVP_sha256(), nullptr);
    std::string hex;
    static const char* digits = "0123456789abcdef";
    for (unsigned i = 0; i < len; ++i) {
        hex += digits[md[i] >> 4];
        hex += digits[md[i] & 15];
    }
    return hex;
}

fs::path corpusDir() {
    const char* dir = std::getenv("VELMAR_CORPUS_DIR");
    return dir ? fs::path(dir) : fs::path();
}

// What one extraction reported.
struct Outcome {
    bool ok = false;
    std::vector<std::pair<int, std::string>> errors;
    std::vector<int> progress;
    int finished = 0;
    bool progressAfterFinish = false;
};

Outcome extract(const fs::path& archive, const fs::path& target) {
    Outcome o;
    ExtractHooks hooks;
    hooks.progress = [&o](int p) {
        if (o.finished)
            o.progressAfterFinish = true;
        o.progress.push_back(p);
    };
    hooks.finished = [&o] { ++o.finished; };
    hooks.error = [&o](int code, const std::string& m) { o.errors.emplace_back(code, m); };
    o.ok = velmar::data::extractArchive(archive, target, hooks);
    return o;
}

std::string describe(const Outcome& o) {
    std::ostringstream s;
    for (const auto& [code, m] : o.errors)
        s << code << " : " << m << "\n";
    return s.str();
}

// ---------------------------------------------------------------------------
// The corpus

// tests/fixtures/lzh_corpus.sha256 was written once by
// tests/fixtures/make_lzh_corpus_sha256.sh, which extracts the corpus with
// jlha (a Java LHA implementation sharing no code with libarchive) and records
// the SHA-256 of every file: "<sha256>  <archive>:<entry>".
std::map<std::string, std::map<std::string, std::string>> loadManifest() {
    std::map<std::string, std::map<std::string, std::string>> m;
    const char* src = std::getenv("VELMAR_SOURCE_DIR");
    std::istringstream in(slurp(fs::path(src ? src : ".") / "tests/fixtures/lzh_corpus.sha256"));
    std::string line;
    while (std::getline(in, line)) {
        auto sep = line.find("  ");
        auto colon = line.find(':', sep);
        if (sep == std::string::npos || colon == std::string::npos)
            continue;
        m[line.substr(sep + 2, colon - sep - 2)][line.substr(colon + 1)] = line.substr(0, sep);
    }
    return m;
}

// Archives the import refuses whole, with the first error code reported.
const std::map<std::string, int> kRefused = {
    // Methods libarchive does not decode.
    {"lengths/lh1-0.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"lengths/lh1-1m.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"lengths/lh1-2m.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"lengths/lh1-64k.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"lengths/lz5-0.lzs", velmar::data::kArchiveUnsupportedMethod},
    {"lengths/lz5-1.lzs", velmar::data::kArchiveUnsupportedMethod},
    {"lengths/lz5-1m.lzs", velmar::data::kArchiveUnsupportedMethod},
    {"lengths/lz5-64k.lzs", velmar::data::kArchiveUnsupportedMethod},
    {"lha_os2_208/lh1.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"lharc113/lh1.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"lharc113/long.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"lhmelt_16536/h0_lh1.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"lhmelt_16536/h1_lh1.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"lhmelt_16536/h2_lh1.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"maclha_224/l0_lh1.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"maclha_224/l1_lh1.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"maclha_224/l2_lh1.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"morphos_lha_2717/h0_lh1.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"morphos_lha_2717/h1_lh1.lzh", velmar::data::kArchiveUnsupportedMethod},
    {"morphos_lha_2717/h2_lh1.lzh", velmar::data::kArchiveUnsupportedMethod},
    // A file entry "subdir" next to "subdir/subdir2/hello.txt".
    {"lh2_222/easubdir.lzh", velmar::data::kArchiveUnsafeName},
    // Absolute names ("/subdir/...", "/Untitled/...", "/tmp/...").
    {"lhmelt_16536/h0_subdir.lzh", velmar::data::kArchiveUnsafeName},
    {"lhmelt_16536/h1_subdir.lzh", velmar::data::kArchiveUnsafeName},
    {"lhmelt_16536/h2_subdir.lzh", velmar::data::kArchiveUnsafeName},
    {"maclha_224/l1_full_subdir.lzh", velmar::data::kArchiveUnsafeName},
    {"maclha_224/l2_full_subdir.lzh", velmar::data::kArchiveUnsafeName},
    {"regression/abspath.lzh", velmar::data::kArchiveUnsafeName},
    {"regression/badterm.lzh", velmar::data::kArchiveUnsafeName},
    {"regression/dotdot.lzh", velmar::data::kArchiveUnsafeName},
    // Links.
    {"lha_unix114i/h0_symlink.lzh", velmar::data::kArchiveLinkEntry},
    {"lha_unix114i/h1_symlink.lzh", velmar::data::kArchiveLinkEntry},
    {"lha_unix114i/h1_symlink2.lzh", velmar::data::kArchiveLinkEntry},
    {"lha_unix114i/h1_symlink3.lzh", velmar::data::kArchiveLinkEntry},
    {"lha_unix114i/h2_symlink.lzh", velmar::data::kArchiveLinkEntry},
    {"lha_unix114i/h2_symlink2.lzh", velmar::data::kArchiveLinkEntry},
    {"lha_unix114i/h2_symlink3.lzh", velmar::data::kArchiveLinkEntry},
    {"regression/symlink1.lzh", velmar::data::kArchiveLinkEntry},
    {"regression/symlink2.lzh", velmar::data::kArchiveLinkEntry},
    {"regression/symlink3.lzh", velmar::data::kArchiveLinkEntry},
    // 4.7 GB of zeros (-lh5-, 64-bit size header).
    {"morphos_lha_2717/h2_huge.lzh", velmar::data::kArchiveTooLarge},
    {"regression/truncated.lzh", velmar::data::kArchiveDamaged},
};

// Archives whose files jlha cannot write, checked against the same file in a
// sibling archive (the level-1 name field carries a NUL and an Amiga comment).
const std::map<std::string, std::string> kSameAs = {
    {"morphos_lha_2717/h1_metadata.lzh", "morphos_lha_2717/h0_metadata.lzh"},
};

// Archives holding folders only.
const std::map<std::string, std::set<std::string>> kFoldersOnly = {
    {"regression/dir.lzh", {"dir"}},
};

std::vector<std::string> corpusArchives() {
    std::vector<std::string> all;
    for (const auto& e : fs::recursive_directory_iterator(corpusDir())) {
        auto ext = e.path().extension();
        if (e.is_regular_file() && (ext == ".lzh" || ext == ".lzs"))
            all.push_back(fs::relative(e.path(), corpusDir()).generic_string());
    }
    std::sort(all.begin(), all.end());
    return all;
}

class Corpus : public ::testing::Test {
  protected:
    void SetUp() override {
        if (corpusDir().empty() || !fs::is_directory(corpusDir()))
            GTEST_FAIL() << "VELMAR_CORPUS_DIR does not name the LZH corpus";
        manifest = loadManifest();
        ASSERT_GT(manifest.size(), 50u) << "lzh_corpus.sha256 missing or cut";
    }
    // A copy, so the read-only corpus is never touched.
    fs::path copyOf(const std::string& archive) {
        fs::path to = tmp.path() / "src" / archive;
        fs::create_directories(to.parent_path());
        fs::copy_file(corpusDir() / archive, to);
        return to;
    }

    TempDir tmp;
    std::map<std::string, std::map<std::string, std::string>> manifest;
};

TEST_F(Corpus, EveryArchiveHasAnExpectedOutcome) {
    auto all = corpusArchives();
    ASSERT_GT(all.size(), 100u);
    for (const auto& a : all) {
        int places =
            manifest.count(a) + kRefused.count(a) + kSameAs.count(a) + kFoldersOnly.count(a);
        EXPECT_EQ(places, 1) << a;
    }
}

TEST_F(Corpus, ExtractsEveryLh0Lh5Lh6Lh7ArchiveByteExactly) {
    std::map<std::string, std::map<std::string, std::string>> expected = manifest;
    for (const auto& [a, sibling] : kSameAs)
        expected[a] = manifest.at(sibling);
    int n = 0;
    for (const auto& [archive, files] : expected) {
        SCOPED_TRACE(archive);
        fs::path out = tmp.path() / ("out" + std::to_string(n++));
        fs::create_directories(out);
        Outcome o = extract(copyOf(archive), out);
        ASSERT_TRUE(o.ok) << describe(o);
        EXPECT_EQ(o.finished, 1);
        std::map<std::string, std::string> got;
        for (const auto& [rel, content] : snapshot(out))
            if (content != "<dir>")
                got[rel] = sha256(content);
        EXPECT_EQ(got, files);

        auto listing = velmar::data::listArchive(corpusDir() / archive);
        ASSERT_TRUE(listing.ok());
        EXPECT_TRUE(listing->complete);
    }
}

TEST_F(Corpus, FolderOnlyArchiveMakesItsFolders) {
    for (const auto& [archive, folders] : kFoldersOnly) {
        fs::path out = tmp.path() / "out";
        fs::create_directories(out);
        Outcome o = extract(copyOf(archive), out);
        ASSERT_TRUE(o.ok) << describe(o);
        std::set<std::string> got;
        for (const auto& [rel, content] : snapshot(out))
            got.insert(rel + (content == "<dir>" ? "" : " (file)"));
        EXPECT_EQ(got, folders);
    }
}

// Unsupported methods, damaged and hostile archives: refused whole, with the
// reason; nothing is written into the target or next to it, and an earlier
// file of the target stays as it was.
TEST_F(Corpus, RefusedArchivesWriteNothingAnywhere) {
    const bool absoluteExisted = fs::exists("/tmp/absolute_path.txt");
    for (const auto& [archive, code] : kRefused) {
        SCOPED_TRACE(archive);
        fs::path src = copyOf(archive);
        fs::path work = tmp.path() / "work";
        fs::remove_all(work);
        fs::create_directories(work / "home" / "deeper");
        spit(work / "home" / "cnx_uma.vd2", "earlier day");
        auto before = snapshot(tmp.path());
        Outcome o = extract(src, work / "home" / "deeper");
        EXPECT_FALSE(o.ok);
        ASSERT_FALSE(o.errors.empty());
        EXPECT_EQ(o.errors.front().first, code) << describe(o);
        EXPECT_EQ(o.finished, 1);
        EXPECT_EQ(snapshot(tmp.path()), before);
    }
    EXPECT_EQ(fs::exists("/tmp/absolute_path.txt"), absoluteExisted);
}

TEST_F(Corpus, MessagesNeverCarryControlCharacters) {
    fs::path out = tmp.path() / "out";
    fs::create_directories(out);
    Outcome o = extract(copyOf("regression/badterm.lzh"), out);
    ASSERT_FALSE(o.errors.empty());
    for (const auto& [code, m] : o.errors)
        EXPECT_EQ(std::count_if(m.begin(), m.end(),
                                [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
                  0)
            << m;
}

// ---------------------------------------------------------------------------
// Archives written here

LzhEntry file(std::string name, std::string data) {
    LzhEntry e;
    e.name = std::move(name);
    e.data = std::move(data);
    return e;
}

TEST(LzhWriter, Crc16IsLhasCrc) {
    EXPECT_EQ(velmar::tools::lzhCrc16("123456789"), 0xBB3D);
    EXPECT_EQ(velmar::tools::lzhCrc16(""), 0);
}

// Every name length, including those whose header size has a zero low byte
// (the writer pads them so the header does not read as the end marker).
TEST(LzhWriter, EveryNameLengthReadsBack) {
    TempDir tmp;
    for (std::size_t len = 1; len <= 300; ++len) {
        std::string name(len, 'n');
        std::string bytes = velmar::tools::lzhArchive({file(name, "x"), file("after", "y")});
        spit(tmp.path() / "a.lzh", bytes);
        auto listing = velmar::data::listArchive(tmp.path() / "a.lzh");
        ASSERT_TRUE(listing.ok()) << len;
        ASSERT_EQ(listing->entries.size(), 2u) << len;
        EXPECT_EQ(listing->entries[0].rawName, name);
        EXPECT_EQ(listing->entries[1].rawName, "after");
    }
}

class Extraction : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(home());
        spit(home() / "cnx_uma.vd2", "earlier day");
    }
    fs::path home() const { return tmp.path() / "home"; }
    fs::path write(const std::vector<LzhEntry>& entries, const std::string& name = "t.lzh") {
        fs::path p = tmp.path() / name;
        EXPECT_TRUE(velmar::tools::writeLzhArchive(p, entries).ok());
        return p;
    }
    TempDir tmp;
};

TEST_F(Extraction, Cp932NamesBecomeUtf8FileNames) {
    using velmar::data::utf8ToSjis;
    // 表 and 能 end in 0x5C, the byte of "\": it must stay part of the name.
    const std::vector<std::string> names = {"日本語.txt", "表/能.txt", "ﾃｽﾄ.txt"};
    std::vector<LzhEntry> entries;
    for (const auto& n : names)
        entries.push_back(file(utf8ToSjis(n), "content of " + n));
    fs::path a = write(entries);

    auto listing = velmar::data::listArchive(a);
    ASSERT_TRUE(listing.ok());
    ASSERT_EQ(listing->entries.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(listing->entries[i].rawName, utf8ToSjis(names[i]));
        EXPECT_EQ(listing->entries[i].name, names[i]);
    }
    Outcome o = extract(a, home());
    ASSERT_TRUE(o.ok) << describe(o);
    for (const auto& n : names)
        EXPECT_EQ(slurp(home() / fs::path(n)), "content of " + n) << n;
}

TEST_F(Extraction, ReplacesFilesAndLaterEntryOfTheSameNameWins) {
    Outcome o = extract(write({file("cnx_uma.vd2", "first"), file("cnx_uma.vd2", "second"),
                               file("sub/inner.txt", "inner")}),
                        home());
    ASSERT_TRUE(o.ok) << describe(o);
    EXPECT_EQ(snapshot(home()), (std::map<std::string, std::string>{
                                    {"cnx_uma.vd2", "second"},
                                    {"sub", "<dir>"},
                                    {"sub/inner.txt", "inner"},
                                }));
}

TEST_F(Extraction, ProgressRisesToHundredThenFinishes) {
    std::string big(100 * 1024, 'a');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>('a' + i % 26);
    Outcome o = extract(write({file("a", big), file("b", big), file("c", big)}), home());
    ASSERT_TRUE(o.ok) << describe(o);
    ASSERT_GE(o.progress.size(), 3u);
    EXPECT_EQ(o.progress.front(), 0);
    EXPECT_EQ(o.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(o.progress.begin(), o.progress.end()));
    EXPECT_EQ(o.finished, 1);
    EXPECT_FALSE(o.progressAfterFinish);
}

struct HostileCase {
    const char* what;
    std::vector<LzhEntry> entries;
    int code;
};

LzhEntry whole(std::string name) {
    LzhEntry e = file(std::move(name), "pwned");
    e.splitDirectory = false; // the whole path in the file-name header
    return e;
}

LzhEntry link(std::string name, std::string target) {
    LzhEntry e;
    e.name = std::move(name);
    e.kind = LzhEntryKind::Symlink;
    e.linkTarget = std::move(target);
    return e;
}

std::vector<HostileCase> hostileCases() {
    using namespace velmar::data;
    LzhEntry badCrc = file("cnx_ods.vd2", "odds");
    badCrc.dataCrc = 0x1234;
    LzhEntry lh1 = file("cnx_uma.vd2", "not really compressed");
    lh1.method = "-lh1-";
    LzhEntry huge = file("cnx_uma.vd2", "x");
    huge.originalSize = 0x40000000;
    LzhEntry dirEntry;
    dirEntry.name = "a";
    dirEntry.kind = LzhEntryKind::Directory;
    return {
        {"dotdot in the file-name header", {whole("../pwned.txt")}, kArchiveUnsafeName},
        {"dotdot in the folder header", {file("../pwned.txt", "x")}, kArchiveUnsafeName},
        {"dotdot further down", {file("a/b/../../../pwned.txt", "x")}, kArchiveUnsafeName},
        {"dotdot with MS-DOS separators", {whole("..\\pwned.txt")}, kArchiveUnsafeName},
        {"absolute in the folder header", {file("/tmp/velmar-pwned.txt", "x")}, kArchiveUnsafeName},
        {"absolute in the file-name header", {whole("/tmp/velmar-pwned.txt")}, kArchiveUnsafeName},
        {"absolute with MS-DOS separators", {whole("\\velmar-pwned.txt")}, kArchiveUnsafeName},
        {"drive letter", {whole("C:/velmar-pwned.txt")}, kArchiveUnsafeName},
        {"terminal escape in a name", {file("\x1b]2;pwned\x07.txt", "x")}, kArchiveUnsafeName},
        {"link out, then a file through it",
         {link("evil", ".."), file("evil/pwned.txt", "x")},
         kArchiveLinkEntry},
        {"link to an absolute path", {link("cnx_den1.vd2", "/etc/passwd")}, kArchiveLinkEntry},
        {"file and folder of the same name",
         {file("a", "file"), file("a/b", "under")},
         kArchiveUnsafeName},
        {"folder entry, then a file of its name",
         {dirEntry, file("a", "file")},
         kArchiveUnsafeName},
        {"unsupported method", {lh1}, kArchiveUnsupportedMethod},
        {"data CRC mismatch", {badCrc}, kArchiveCrcError},
        {"good entry before a damaged one",
         {file("cnx_den1.vd2", "race"), badCrc},
         kArchiveCrcError},
        {"good entry before an unsupported one",
         {file("cnx_den1.vd2", "race"), lh1},
         kArchiveUnsupportedMethod},
        {"declared size beyond any race day", {huge}, kArchiveTooLarge},
    };
}

TEST_F(Extraction, HostileAndDamagedArchivesWriteNothing) {
    for (const auto& c : hostileCases()) {
        SCOPED_TRACE(c.what);
        fs::path a = write(c.entries);
        fs::create_directories(home());
        auto before = snapshot(tmp.path());
        Outcome o = extract(a, home());
        EXPECT_FALSE(o.ok);
        ASSERT_FALSE(o.errors.empty());
        EXPECT_EQ(o.errors.front().first, c.code) << describe(o);
        EXPECT_EQ(o.finished, 1);
        EXPECT_EQ(snapshot(tmp.path()), before);
        EXPECT_FALSE(fs::exists("/tmp/velmar-pwned.txt"));
    }
}

// Cut inside a header or inside data: an error, and the target unchanged.
TEST_F(Extraction, TruncatedArchivesWriteNothing) {
    std::string one(3000, 'r'), two(3000, 'u');
    std::string whole =
        velmar::tools::lzhArchive({file("cnx_den1.vd2", one), file("cnx_uma.vd2", two)});
    std::size_t firstHeader =
        velmar::tools::lzhArchive({file("cnx_den1.vd2", one)}, {.terminator = false}).size() -
        one.size();
    std::size_t secondStart = firstHeader + one.size();
    std::size_t end = whole.size() - 1; // before the end marker
    for (std::size_t cut : {std::size_t{10}, firstHeader - 5, firstHeader + 100, secondStart + 7,
                            end - (two.size() / 2), end - 1}) {
        SCOPED_TRACE(cut);
        spit(tmp.path() / "cut.lzh", whole.substr(0, cut));
        auto before = snapshot(home());
        Outcome o = extract(tmp.path() / "cut.lzh", home());
        EXPECT_FALSE(o.ok);
        EXPECT_FALSE(o.errors.empty());
        EXPECT_EQ(o.finished, 1);
        EXPECT_EQ(snapshot(home()), before);
    }
}

// A link already standing in the target is not followed out of it.
TEST_F(Extraction, ExistingLinkInTheTargetIsNotFollowed) {
    fs::create_directories(tmp.path() / "outside");
    fs::create_directory_symlink(tmp.path() / "outside", home() / "sub");
    fs::path a = write({file("cnx_den1.vd2", "race"), file("sub/pwned.txt", "x")});
    auto before = snapshot(tmp.path());
    Outcome o = extract(a, home());
    EXPECT_FALSE(o.ok);
    ASSERT_FALSE(o.errors.empty());
    EXPECT_EQ(o.errors.front().first, velmar::data::kArchiveWriteError) << describe(o);
    EXPECT_EQ(snapshot(tmp.path()), before);
}

TEST_F(Extraction, NotAnArchiveIsAnError) {
    for (const std::string& bytes :
         {std::string(), std::string("PK\x03\x04 not lzh"), std::string(5000, '\x7f')}) {
        spit(tmp.path() / "x.lzh", bytes);
        EXPECT_FALSE(velmar::data::listArchive(tmp.path() / "x.lzh").ok());
        Outcome o = extract(tmp.path() / "x.lzh", home());
        EXPECT_FALSE(o.ok);
        ASSERT_FALSE(o.errors.empty());
        EXPECT_EQ(o.errors.front().first, velmar::data::kArchiveOpenError);
    }
    EXPECT_FALSE(velmar::data::listArchive(tmp.path() / "missing.lzh").ok());
}

// Several archives as one: a failure in the second keeps the first out too.
TEST_F(Extraction, ArchivesExtractedTogetherFailTogether) {
    LzhEntry badCrc = file("cnx_ods.vd2", "odds");
    badCrc.dataCrc = 1;
    fs::path good = write({file("cnx_uma.vd2", "new day")}, "good.lzh");
    fs::path bad = write({badCrc}, "bad.lzh");
    auto before = snapshot(home());
    int finished = 0;
    std::vector<int> codes;
    ExtractHooks hooks;
    hooks.finished = [&] { ++finished; };
    hooks.error = [&](int code, const std::string&) { codes.push_back(code); };
    EXPECT_FALSE(velmar::data::extractArchives({good, bad}, home(), hooks));
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(codes, std::vector<int>{velmar::data::kArchiveCrcError});
    EXPECT_EQ(snapshot(home()), before);

    // Both good: the second archive's file of the same name wins.
    fs::path odds = write({file("cnx_ods.vd2", "odds"), file("cnx_uma.vd2", "from odds")}, "o.lzh");
    EXPECT_TRUE(velmar::data::extractArchives({good, odds}, home(), {}));
    EXPECT_EQ(slurp(home() / "cnx_uma.vd2"), "from odds");
    EXPECT_EQ(slurp(home() / "cnx_ods.vd2"), "odds");
}

} // namespace
