// Long texts of the transport (bodies, headers) written into the log in pieces, one record each,
// attributed to the source file that logs them (whose verbosity decides the diagnostic pieces).
#pragma once

#include "VantrelCommon/LSDiag.h"

namespace LSTransportLog {

inline const wchar_t* NonNull(const wchar_t* text) {
    return text != nullptr ? text : L"";
}

} // namespace LSTransportLog

#define LS_LOG_LARGE_TEXT_AS_DIAG(text)                                                                      \
    LogLargeText(LSTransportLog::NonNull(text), __FILE__, __LINE__,                                          \
                 [](const char* piece, const char* file, int line) { LSDIAG_DIAG_AT(file, line) << piece; })

#define LS_LOG_LARGE_TEXT_AS_ERROR(text)                                                                     \
    LogLargeText(                                                                                            \
        LSTransportLog::NonNull(text), __FILE__, __LINE__,                                                   \
        [](const char* piece, const char* file, int line) { LSDIAG_ERROR_AT(file, line) << piece; })
