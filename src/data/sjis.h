#pragma once
// Shift-JIS (code page 932) at the edges, UTF-8 inside.
//
// Data files, exports and the history database carry CP932 bytes. Everything
// inside the program is UTF-8; widths that the data formats count in bytes are
// measured here as the width the text would have in CP932 (one column for
// ASCII and half-width katakana, two for every other character).

#include <string>
#include <string_view>

namespace velmar::data {

// Decodes CP932 bytes. Bytes that are not valid CP932 become U+FFFD, so the
// decoder never fails and never reads past the input.
std::string sjisToUtf8(std::string_view cp932);

// Encodes UTF-8 as CP932. A character without a CP932 form (or malformed
// UTF-8) becomes "?" and `*lossy` is set when given.
std::string utf8ToSjis(std::string_view utf8, bool* lossy = nullptr);

// Width in CP932 bytes of a UTF-8 text.
int sjisWidth(std::string_view utf8);

// The longest prefix of a UTF-8 text whose CP932 width is at most `bytes`.
// A double-width character that would straddle the limit is left out.
std::string sjisLeft(std::string_view utf8, int bytes);

// The rest of a UTF-8 text after its first `bytes` CP932 columns (the
// complement of sjisLeft).
std::string sjisMid(std::string_view utf8, int bytes);

} // namespace velmar::data
