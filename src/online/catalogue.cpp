#include "online/catalogue.h"

#include "data/atomic_file.h"
#include "data/sjis.h"
#include "data/text.h"

#include <cfenv>
#include <cmath>
#include <limits>
#include <set>

namespace velmar::online {

namespace fs = std::filesystem;

std::string IniFile::fold(std::string_view name) {
    std::string s = data::trim(name);
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

IniFile IniFile::parse(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    IniFile ini;
    std::vector<std::string>* current = nullptr;
    for (const std::string& raw : data::splitLines(bytes)) {
        std::string line = data::trim(data::sjisToUtf8(raw));
        if (line.empty())
            continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            if (close != std::string::npos) {
                current = &ini.sections_[fold(line.substr(1, close - 1))];
                continue;
            }
        }
        if (current)
            current->push_back(line);
    }
    return ini;
}

bool IniFile::sectionExists(std::string_view section) const {
    return sections_.count(fold(section)) != 0;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    auto it = sections_.find(fold(section));
    if (it == sections_.end())
        return std::string(fallback);
    std::string wanted = fold(key);
    for (const std::string& line : it->second) {
        if (line.front() == ';')
            continue;
        size_t eq = line.find('=');
        if (eq != std::string::npos && fold(line.substr(0, eq)) == wanted)
            return data::trim(line.substr(eq + 1));
    }
    return std::string(fallback);
}

std::vector<std::string> IniFile::sectionLines(std::string_view section) const {
    auto it = sections_.find(fold(section));
    return it == sections_.end() ? std::vector<std::string>{} : it->second;
}

int64_t taxIncludedPrice(int64_t price) {
    static_assert(std::numeric_limits<long double>::digits == 64,
                  "the tax rounding needs x87 extended precision");
    const long double factor = 1.05L; // nearest extended value, slightly below 1.05
    long double taxed = static_cast<long double>(price) * factor;
    int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    long double rounded = std::nearbyintl(taxed);
    std::fesetround(saved);
    return static_cast<int64_t>(rounded);
}

std::string authAddress(const IniFile& ini, const std::string& provider) {
    return ini.readString("SITE_AUTH", provider == "BIGLOBE" ? "URLB" : "URLN");
}

std::vector<TCnx> ReadCatalogueSection(const IniFile& ini, const CatalogueSection& section,
                                       const std::string& provider, bool member) {
    std::vector<TCnx> out;
    if (!ini.sectionExists(section.section))
        return out;
    int k = member ? 1 : 0;
    bool biglobe = provider == "BIGLOBE";
    std::string base =
        ini.readString(member ? "SITE_DATA_MEMBER" : "SITE_DATA_GUEST", biglobe ? "URLB" : "URLN");
    std::string path = data::trim(
        data::fieldOf(",", ini.readString(section.section, biglobe ? "PATHB" : "PATHN"), k));
    std::string priceField =
        data::trim(data::fieldOf(",", ini.readString(section.section, "PRICE"), k));
    int32_t price = 0;
    // An entry without a price it can state is not offered at all.
    if (!data::tryIntOf(priceField, price))
        return out;
    std::string taxed = std::to_string(taxIncludedPrice(price));
    for (const std::string& line : ini.sectionLines(section.section)) {
        if (line.rfind("FILE=", 0) != 0)
            continue;
        out.push_back({data::trim(line.substr(5)), section.kind, taxed, "https://" + base + path});
    }
    return out;
}

std::vector<std::string> ListLocalFiles(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return names;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code tec;
        if (!it->is_directory(tec))
            names.push_back(it->path().filename().string());
    }
    return names;
}

bool alreadyOnDisk(const std::string& fileName, const std::vector<std::string>& localNames) {
    for (const std::string& local : localNames) {
        if (local == fileName)
            return true;
        if (local.size() >= 2 && fileName.size() >= 2 && local.compare(0, 2, "hz") == 0 &&
            fileName.compare(0, 2, "hb") == 0 &&
            local.compare(2, std::string::npos, fileName, 2) == 0)
            return true;
    }
    return false;
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

std::vector<TCnx> offeredEntries(const std::vector<TCnx>& entries,
                                 const std::vector<std::string>& localNames) {
    std::vector<TCnx> out;
    std::set<std::string> listed;
    for (const TCnx& e : entries) {
        if (!isPlainFileName(e.fileName) || listed.count(e.fileName) ||
            alreadyOnDisk(e.fileName, localNames))
            continue;
        listed.insert(e.fileName);
        out.push_back(e);
    }
    return out;
}

} // namespace velmar::online
