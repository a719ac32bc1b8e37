#pragma once
// A shared library opened on first use.
//
// The HTTP, archive and database libraries pull dozens of further libraries
// with them; loading them only when a command really talks to a server, opens
// an archive or reads the history keeps the start of every other command fast.

#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

namespace velmar::data {

class SharedLibrary final {
  public:
    // `names` are tried in order (sonames of the supported platforms).
    SharedLibrary(std::initializer_list<const char*> names);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Opens the library once; false (with error() telling why) when it cannot
    // be loaded.
    bool load();
    const std::string& error() const { return error_; }

    // Address of a symbol of the loaded library, nullptr when it is missing.
    void* symbol(const char* name) const;

    // Typed form: `symbol(name, fn)` sets fn and reports whether it was found.
    template <class Fn> bool symbol(const char* name, Fn*& fn) const {
        fn = reinterpret_cast<Fn*>(symbol(name));
        return fn != nullptr;
    }

  private:
    std::vector<std::string> names_;
    std::once_flag once_;
    void* handle_ = nullptr;
    std::string error_;
};

} // namespace velmar::data
