#pragma once
// The purchase log "kakin.log": one Shift-JIS line per downloaded archive,
// appended, never rewritten.

#include "data/result.h"

#include <ctime>
#include <filesystem>
#include <string>

namespace velmar::online {

inline constexpr const char* kPurchaseLogName = "kakin.log";

// "yyyy/mm/dd hh:nn:ss" + 4 blanks + file + 4 blanks + price + "円" + 4 blanks
// + account, without the line end. `account` is the user ID with "@BIGLOBE"
// or "@nifty" already attached (see purchaseAccount).
std::string purchaseLogLine(const std::tm& when, const std::string& fileName,
                            const std::string& price, const std::string& account);

// The user ID followed by "@BIGLOBE" for "BIGLOBE", "@nifty" for any other provider.
std::string purchaseAccount(const std::string& userId, const std::string& provider);

// Appends the line (UTF-8, written as CP932 with CR LF). The log is created
// when missing; a read-only log receives nothing and that is not an error.
Status AppendPurchaseLog(const std::filesystem::path& logFile, const std::string& line);

} // namespace velmar::online
