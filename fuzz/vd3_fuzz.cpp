// ".vd3" conversion of arbitrary content. Byte 0 picks the file kind.

#include "data/atomic_file.h"
#include "data/vd3.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string_view>

using namespace velmar::data;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const Vd3Kind kind = static_cast<Vd3Kind>(data[0] % 4);
    std::string_view content(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::string out = convertVd3Content(kind, content);
    const auto inLines = splitLines(content);
    const auto outLines = splitLines(out);
    FUZZ_CHECK(inLines.size() == outLines.size());
    for (size_t i = 0; i < inLines.size(); ++i) {
        FUZZ_CHECK(outLines[i] == convertVd3Line(kind, inLines[i]));
        // Full-length lines come out at the fixed ".vd2" widths.
        const size_t full[] = {846, 876, 1502, 0};
        const size_t width[] = {777, 741, 1502, 0};
        const auto k = static_cast<size_t>(kind);
        if (full[k] && inLines[i].size() >= full[k])
            FUZZ_CHECK(outLines[i].size() == width[k]);
        FUZZ_CHECK(outLines[i].size() <= inLines[i].size() + 1);
    }
    return 0;
}
