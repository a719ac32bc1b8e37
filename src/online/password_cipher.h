#pragma once
// The cipher that protects the stored provider password: AES-256 in ECB mode
// with our own block padding and standard Base64, so values written by one
// installation are readable by every other one.

#include "data/result.h"

#include <string>
#include <string_view>

namespace velmar::online {

// Message of a stored value that decodes to less than one block.
inline constexpr const char* kCipherTooShort = "Rijndael: Input not valid - too short";

// UTF-8 password -> Base64 text of the enciphered Shift-JIS bytes; empty for
// an empty password.
std::string EncryptPassword(std::string_view plainUtf8);

// Base64 text -> UTF-8 password. Fewer than 16 bytes after decoding is an
// error; a padding byte out of 1..16 gives an empty password.
Result<std::string> DecryptPassword(std::string_view stored);

// Standard Base64 without line breaks, and its lenient reverse ("=" and any
// character outside the alphabet are skipped).
std::string base64Encode(std::string_view bytes);
std::string base64Decode(std::string_view text);

} // namespace velmar::online
