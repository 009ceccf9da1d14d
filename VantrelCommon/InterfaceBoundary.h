// The one routine that turns the exception being handled into the HRESULT a host-callable method
// returns. Every such method has the shape
//     try { ... } catch (...) { return HResultFromCurrentException("Class::Method", __FILE__, __LINE__,
//     nullptr); }
#pragma once

#include "VantrelCommon/StdString.h"

// Must be called while an exception is being handled. Logs it (error statement, attributed to `file`
// and `line`), fills `errorText` when given, and returns its HRESULT: that of an hresult_exception, a
// thrown `long` or a _com_error unchanged, E_FAIL for a std::exception or anything else.
HRESULT HResultFromCurrentException(const char* function, const char* file, int line,
                                    CStdStr<wchar_t>* errorText) noexcept;
