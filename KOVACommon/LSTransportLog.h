// Long texts of the transport (bodies, headers) written into the log in pieces, one record each,
// attributed to the source file that logs them (whose verbosity decides the diagnostic pieces). The
// text of secret elements (session tokens) is masked on the way.
#pragma once

#include "VantrelCommon/LSDiag.h"

#include <string>

namespace LSTransportLog {

inline const wchar_t* NonNull(const wchar_t* text) {
    return text != nullptr ? text : L"";
}

// From now on, the text of every element of this local name (any namespace prefix) is masked in the
// logged transport texts, as a password is: a long value keeps a short prefix, for support.
void MaskElementText(const std::wstring& localName);

// The text as the log shows it: the text of the elements named to MaskElementText masked.
std::wstring Masked(const wchar_t* text);

} // namespace LSTransportLog

#define LS_LOG_LARGE_TEXT_AS_DIAG(text)                                                                      \
    LogLargeText(LSTransportLog::Masked(LSTransportLog::NonNull(text)).c_str(), __FILE__, __LINE__,          \
                 [](const char* piece, const char* file, int line) { LSDIAG_DIAG_AT(file, line) << piece; })

#define LS_LOG_LARGE_TEXT_AS_ERROR(text)                                                                     \
    LogLargeText(                                                                                            \
        LSTransportLog::Masked(LSTransportLog::NonNull(text)).c_str(), __FILE__, __LINE__,                   \
        [](const char* piece, const char* file, int line) { LSDIAG_ERROR_AT(file, line) << piece; })
