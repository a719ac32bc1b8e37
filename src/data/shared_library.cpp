#include "data/shared_library.h"

#include <dlfcn.h>

namespace velmar::data {

SharedLibrary::SharedLibrary(std::initializer_list<const char*> names)
    : names_(names.begin(), names.end()) {}

SharedLibrary::~SharedLibrary() {
    // Left loaded on purpose: libraries such as libcurl keep global state
    // (and atexit handlers) that must outlive every user in the process.
}

bool SharedLibrary::load() {
    std::call_once(once_, [this] {
        std::string tried;
        for (const std::string& name : names_) {
            handle_ = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle_)
                return;
            const char* why = ::dlerror();
            tried += (tried.empty() ? "" : ", ") + (why ? std::string(why) : name);
        }
        error_ = "ライブラリを読み込めません: " + tried;
    });
    return handle_ != nullptr;
}

void* SharedLibrary::symbol(const char* name) const {
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

} // namespace velmar::data
