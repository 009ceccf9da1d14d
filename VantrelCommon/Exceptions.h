// The exceptions the common code defines, the checked narrowing cast, and the one way to throw a
// bare HRESULT.
#pragma once

#include "Platform/WinTypes.h"

#include <cstdint>
#include <exception>
#include <string>

// An HRESULT with a narrow message of its own.
class hresult_exception : public std::exception {
public:
    hresult_exception(HRESULT hr, const char* message)
        : message_(message == nullptr ? "" : message), hr_(hr) {}
    hresult_exception(const hresult_exception&) = default;

    const char* what() const noexcept override { return message_.c_str(); }
    HRESULT hresult() const noexcept { return hr_; }

private:
    std::string message_;
    HRESULT hr_;
};

// Throws a bare HRESULT as the system does: a `long` holding the sign-extended value, which the
// interface boundary catches as the "HRESULT" case. Throwing an HRESULT variable directly would
// throw an `int`, which the boundary treats as unknown.
[[noreturn]] inline void ThrowHResult(HRESULT hr) {
    throw static_cast<long>(hr);
}

namespace VantrelCommon::narrowcasts {

// Thrown by narrow_cast for a value that does not fit; what() is the standard default text.
class narrowing_error : public std::exception {};

// A size as an `int` in 0..2147483647; anything else throws narrowing_error.
inline int narrow_cast(std::uint64_t value) {
    const auto narrowed = static_cast<int>(value);
    if (static_cast<std::uint64_t>(narrowed) != value || narrowed < 0) {
        throw narrowing_error();
    }
    return narrowed;
}

} // namespace VantrelCommon::narrowcasts
