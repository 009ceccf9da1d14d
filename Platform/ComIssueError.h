// Raising the compiler's COM error (_com_error) for a failed HRESULT.
#pragma once

#include "Platform/Unknwn.h"

// Throws _com_error(hr) without an error-info object.
[[noreturn]] void _com_issue_error(HRESULT hr);
// Throws _com_error(hr) carrying the thread's error-info object when `punk` says (ISupportErrorInfo)
// that interface `riid` supports error info; otherwise without one.
[[noreturn]] void _com_issue_errorex(HRESULT hr, IUnknown* punk, REFIID riid);

namespace _com_util {
inline void CheckError(HRESULT hr) {
    if (FAILED(hr)) {
        _com_issue_error(hr);
    }
}
} // namespace _com_util
