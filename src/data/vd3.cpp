#include "data/vd3.h"

#include "data/atomic_file.h"
#include "data/lines.h"

#include <span>
#include <system_error>

namespace velmar::data {

namespace {

// A piece of the ".vd2" line: columns first..last of the ".vd3" line, or a
// literal when first is 0.
struct Piece {
    int first;
    int last;
    std::string_view literal = {};
};

constexpr Piece kDen1[] = {{1, 73}, {75, 350}, {419, 426}, {74, 74}, {428, 846}};
constexpr Piece kDen2[] = {{1, 255}, {257, 694}, {728, 742}, {844, 876}};
constexpr Piece kOds[] = {{1, 73}, {75, 161}, {0, 0, " "}, {162, 1502}};

std::span<const Piece> mapOf(Vd3Kind kind) {
    switch (kind) {
    case Vd3Kind::Den1:
        return kDen1;
    case Vd3Kind::Den2:
        return kDen2;
    case Vd3Kind::Ods:
        return kOds;
    case Vd3Kind::Uma:
        break;
    }
    return {};
}

void appendConverted(std::span<const Piece> map, std::string_view line, std::string& out) {
    for (const Piece& p : map) {
        if (p.first == 0)
            out += p.literal;
        else
            out += cut(line, p.first, p.last - p.first + 1);
    }
}

} // namespace

std::string_view vd3Stem(Vd3Kind kind) {
    switch (kind) {
    case Vd3Kind::Den1:
        return "cnx_den1";
    case Vd3Kind::Den2:
        return "cnx_den2";
    case Vd3Kind::Ods:
        return "cnx_ods";
    case Vd3Kind::Uma:
        return "cnx_uma";
    }
    return {};
}

std::string convertVd3Line(Vd3Kind kind, std::string_view line) {
    if (kind == Vd3Kind::Uma)
        return std::string(line);
    std::string out;
    out.reserve(1502);
    appendConverted(mapOf(kind), line, out);
    return out;
}

std::string convertVd3Content(Vd3Kind kind, std::string_view content) {
    std::string out;
    out.reserve(content.size() + content.size() / 64);
    size_t start = 0;
    // Same line splitting as the loader: LF, CR LF or CR; a final line break
    // does not start another line.
    auto emit = [&](std::string_view line) {
        if (kind == Vd3Kind::Uma)
            out += line;
        else
            appendConverted(mapOf(kind), line, out);
        out += "\r\n";
    };
    for (size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\n' || content[i] == '\r') {
            emit(content.substr(start, i - start));
            if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < content.size())
        emit(content.substr(start));
    return out;
}

Result<bool> convertVd3File(const std::filesystem::path& home, Vd3Kind kind) {
    const std::string stem(vd3Stem(kind));
    const std::filesystem::path source = home / (stem + ".vd3");
    const std::filesystem::path target = home / (stem + ".vd2");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(source, ec))
        return false;
    auto content = readFile(source);
    if (!content)
        return content.error();
    // The horse file keeps its bytes; only its name changes. Writing a copy
    // (rather than renaming) keeps the same all-or-nothing path for every kind.
    const std::string converted =
        kind == Vd3Kind::Uma ? std::move(*content) : convertVd3Content(kind, *content);
    if (auto s = writeFileAtomic(target, converted); !s)
        return s.error();
    std::filesystem::remove(source, ec);
    if (ec)
        return Error{source.filename().string() + " を削除できません（" + ec.message() +
                     "）。変換後の " + target.filename().string() + " は書き込み済みです。"};
    return true;
}

} // namespace velmar::data
