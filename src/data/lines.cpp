#include "data/lines.h"

#include "data/sjis.h"
#include "data/text.h"

namespace velmar::data {

std::string_view cut(std::string_view line, int col, int width) {
    if (col < 1 || width <= 0)
        return {};
    size_t start = static_cast<size_t>(col) - 1;
    if (start >= line.size())
        return {};
    return line.substr(start, static_cast<size_t>(width));
}

std::string fieldText(std::string_view line, int col, int width) {
    return sjisToUtf8(cut(line, col, width));
}

// Trimming works on the raw bytes: CP932 trail bytes are never <= 0x20, so
// only real blanks and control codes go.
std::string fieldTrimmed(std::string_view line, int col, int width) {
    return sjisToUtf8(trimmed(cut(line, col, width)));
}

int32_t fieldInt(std::string_view line, int col, int width) {
    return intOf(cut(line, col, width));
}

} // namespace velmar::data
