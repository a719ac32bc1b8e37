#pragma once
// Small text and number helpers shared by every reader of the data files.
// Texts are UTF-8; "width" means the CP932 byte width (see sjis.h), which is
// what the fixed-column formats count.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::data {

// Decimal value of the text; leading blanks and a sign are accepted, anything
// else (trailing blanks included) gives 0, as does an out-of-range value.
int32_t intOf(std::string_view text);

// Strict form of intOf: false when the text is not such a number.
bool tryIntOf(std::string_view text, int32_t& value);

// Decimal number of the text (blanks around it allowed), 0.0 when it is not one.
double floatOf(std::string_view text);
bool tryFloatOf(std::string_view text, double& value);

// "07" -> "7", blank -> "0".
std::string plainNumber(std::string_view text);

// n with one leading "0" when n <= 9.
std::string zeroPad2(int n);
// n with one leading blank when n <= 9.
std::string blankPad2(int n);
// "0" put in front until the text is w wide.
std::string zeroPad(std::string_view text, int w);
// Blanks put in front / appended until the text is w wide; longer texts unchanged.
std::string padLeft(std::string_view text, int w);
std::string padRight(std::string_view text, int w);
// The text without its last n characters (empty when shorter).
std::string dropLast(std::string_view text, int n);
// ① .. ⑱ for 1..18, empty otherwise.
std::string circledNumber(int n);
// The path with "\" appended unless it ends with one.
std::string withBackslash(std::string_view path);

// Removes leading and trailing characters with codes up to 0x20 (a full-width
// blank stays).
std::string_view trimmed(std::string_view text);
std::string trim(std::string_view text);

// Field n (0-based) of a separated line; for "," runs of commas collapse first,
// the line is trimmed, and when no separator is left the rest of the line is
// every further field.
std::string fieldOf(std::string_view separator, std::string_view line, int n);

// Splits at every occurrence of the delimiter, without quoting: empty fields
// count, a trailing delimiter gives a trailing empty field and an empty line
// one empty field.
std::vector<std::string> splitFields(std::string_view line, char delimiter);

// Number with one decimal, at least one integer digit ("#0.0"): 3.5, 0.5, -0.3.
std::string format01(double value);

// Replaces every occurrence of `from` by `to`.
std::string replaceAll(std::string text, std::string_view from, std::string_view to);

} // namespace velmar::data
