#pragma once
// The data service's catalogue ("settei.txt"): what is on offer, where, and at
// what price for guests and members of each provider.

#include "data/result.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::online {

// A small INI reader that keeps, besides key lookup, every raw line of a
// section in file order with duplicates, since the catalogue lists one
// "FILE=" line per archive. Section and key names compare without regard to
// ASCII case; values and lines are UTF-8 (the file is Shift-JIS).
class IniFile {
  public:
    static IniFile parse(std::string_view bytes);

    bool sectionExists(std::string_view section) const;
    // The value of the first "key=value" line of the section, trimmed.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view fallback = {}) const;
    // The non-blank lines of the section, trimmed, in file order. A section
    // that appears twice contributes the lines of both.
    std::vector<std::string> sectionLines(std::string_view section) const;

  private:
    static std::string fold(std::string_view name);
    std::map<std::string, std::vector<std::string>> sections_;
};

// One offered archive.
struct TCnx {
    std::string fileName;
    std::string kind;
    std::string price;   // tax-included yen, decimal
    std::string address; // "https://" + base + path; the file name is appended to fetch
};

// The file-kind sections in the order they are read, with their kind texts.
struct CatalogueSection {
    const char* section;
    const char* kind;
};
inline constexpr CatalogueSection kCatalogueSections[] = {
    {"SYUTSUBA+KYOUSOUBA_ALL", "出馬表+競走馬"},
    {"SUNDBL_SYUTSUBA+KYOUSOUBA", "出馬表+競走馬(日曜重賞付)"},
    {"OZZ", "予想オッズ"},
};

// Price before tax -> price with the 5 % consumption tax: the product in
// x87 extended precision (with the extended value nearest 1.05, which lies
// just below it), rounded to the nearest integer, halves to even.
int64_t taxIncludedPrice(int64_t price);

// The authentication address for the provider ("URLB" for "BIGLOBE", "URLN"
// otherwise) from SITE_AUTH.
std::string authAddress(const IniFile& ini, const std::string& provider);

// The entries of one file-kind section for this provider and status; nothing
// when the section is missing or its PRICE field is not a whole number.
std::vector<TCnx> ReadCatalogueSection(const IniFile& ini, const CatalogueSection& section,
                                       const std::string& provider, bool member);

// Names of all files in the folder and its subfolders (not of the folders);
// empty when the folder does not exist.
std::vector<std::string> ListLocalFiles(const std::filesystem::path& folder);

// True when the archive is already on disk: a file of exactly that name, or
// for "hb" + X a local "hz" + X.
bool alreadyOnDisk(const std::string& fileName, const std::vector<std::string>& localNames);

// A catalogue name that can be saved as it stands: not empty, no folder part,
// no "." or "..", no control characters.
bool isPlainFileName(std::string_view name);

// The entries to list, in catalogue order: each name once (its first
// occurrence), nothing already on disk, nothing that is not a plain name.
std::vector<TCnx> offeredEntries(const std::vector<TCnx>& entries,
                                 const std::vector<std::string>& localNames);

} // namespace velmar::online
