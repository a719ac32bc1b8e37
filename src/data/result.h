#pragma once
// One error idiom for the whole core: a value or a Japanese message that names
// what went wrong (file, line, field where they are known).

#include <string>
#include <utility>
#include <variant>

namespace velmar {

struct Error {
    std::string message; // UTF-8, shown to the user as it stands
};

template <class T> class [[nodiscard]] Result {
  public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error e) : v_(std::move(e)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    const Error& error() const { return std::get<1>(v_); }

  private:
    std::variant<T, Error> v_;
};

struct Ok {};

// Result of an operation that returns nothing but may fail.
using Status = Result<Ok>;

inline Status okStatus() { return Ok{}; }

} // namespace velmar
