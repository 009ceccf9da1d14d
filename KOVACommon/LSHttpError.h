// The transport's error: an HTTP status (or a WinINet code for a transport failure), a message for the
// user, the server's Retry-After and, for a JSON reply, the reply body.
#pragma once

#include "VantrelCommon/StdString.h"

#include <cstdint>

class LSHttpError {
public:
    LSHttpError(long status, const CStdStr<wchar_t>& message);
    LSHttpError(long status, const CStdStr<wchar_t>& message, const CStdStr<wchar_t>& detail,
                std::uint32_t retryAfterSeconds);

    std::int32_t status;
    CStdStr<wchar_t> message;
    std::uint32_t retryAfterSeconds;
    CStdStr<wchar_t> detail;
};

// The text shown to the user: "message (status)", "Error" standing for the message "Unknown", followed
// on a new line by the WinINet text in parentheses when the status is a transport failure code.
CStdStr<wchar_t> FormatHttpErrorText(const LSHttpError& error);

// The resource text for a WinINet code (and for 0 and 415); empty for any other code.
CStdStr<wchar_t> InternetErrorToText(long code);
