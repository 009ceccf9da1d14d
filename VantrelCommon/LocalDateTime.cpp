#include "Platform/WinNls.h"
#include "VantrelCommon/ResourceLibraries.h"

CStdStr<wchar_t> FormatLocalDateTime(const SYSTEMTIME& time) {
    constexpr int kBufferLength = 255;
    wchar_t buffer[kBufferLength];
    CStdStr<wchar_t> text;
    if (GetDateFormatW(LOCALE_CUSTOM_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer, kBufferLength) > 0) {
        text = buffer;
        text += L" ";
    }
    if (GetTimeFormatW(LOCALE_CUSTOM_DEFAULT, TIME_NOSECONDS, &time, nullptr, buffer, kBufferLength) > 0) {
        text += buffer;
    }
    return text;
}
