// A catalogue ("settei.txt") from the data service through the INI reader,
// every file-kind section for both providers and both statuses, the offer
// rules; and the same bytes as a stored password.

#include "fuzz_check.h"
#include "online/catalogue.h"
#include "online/password_cipher.h"

#include <cstdint>
#include <string>
#include <string_view>

using namespace velmar::online;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    IniFile ini = IniFile::parse(bytes);
    for (const char* provider : {"BIGLOBE", "@nifty"}) {
        (void)authAddress(ini, provider);
        for (bool member : {false, true}) {
            std::vector<TCnx> entries;
            for (const CatalogueSection& s : kCatalogueSections) {
                auto part = ReadCatalogueSection(ini, s, provider, member);
                entries.insert(entries.end(), part.begin(), part.end());
            }
            for (const TCnx& e : entries) {
                FUZZ_CHECK(e.address.rfind("https://", 0) == 0);
                FUZZ_CHECK(!e.price.empty());
                FUZZ_CHECK(e.price.find_first_not_of("-0123456789") == std::string::npos);
            }
            // Whatever the catalogue says, no offered name leaves the data folder.
            for (const TCnx& e : offeredEntries(entries, {"hz1.lzh"}))
                FUZZ_CHECK(isPlainFileName(e.fileName));
        }
    }
    auto plain = DecryptPassword(bytes);
    if (!plain.ok())
        FUZZ_CHECK(plain.error().message == kCipherTooShort);
    return 0;
}
