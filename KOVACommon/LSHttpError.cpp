#include "KOVACommon/LSHttpError.h"

#include <initializer_list>

namespace {

// Copies up to the first NUL.
CStdStr<wchar_t> Terminated(const CStdStr<wchar_t>& text) {
    return CStdStr<wchar_t>(text.c_str());
}

struct InternetTextEntry {
    UINT resource;
    std::initializer_list<long> codes;
};

const InternetTextEntry kInternetTexts[] = {
    {4000, {0}},
    {4009, {415}},
    {4010, {12001, 12002, 12003, 12004, 12009, 12010, 12011, 12012, 12016, 12017,
            12018, 12020, 12021, 12022, 12024, 12025, 12026, 12027, 12028, 12036}},
    {4011, {12019}},
    {4012, {12005}},
    {4013, {12006}},
    {4014, {12007}},
    {4015, {12008}},
    {4016, {12013, 12014, 12015, 12046}},
    {4017, {12023}},
    {4018, {12029}},
    {4019, {12030}},
    {4020, {12031}},
    {4021, {12032}},
    {4022, {12033}},
    {4023, {12034}},
    {4024, {12041, 12042, 12043}},
    {4025, {12047, 12049, 12050}},
    {4026, {12040, 12048, 12052}},
    {4027, {12053}},
    {4028, {12037, 12038, 12044, 12045, 12054, 12055, 12056, 12057}},
    {4029, {12150}},
    {4030, {12151}},
    {4032, {12152}},
    {4033, {12153}},
    {4034, {12154}},
    {4035, {12155}},
    {4036, {12156}},
    {4037, {12160}},
    {4038, {12161}},
    {4039, {12162}},
    {4040, {12168}},
};

} // namespace

LSHttpError::LSHttpError(long status, const CStdStr<wchar_t>& message)
    : LSHttpError(status, message, CStdStr<wchar_t>(), 0) {}

LSHttpError::LSHttpError(long status, const CStdStr<wchar_t>& message, const CStdStr<wchar_t>& detail,
                         std::uint32_t retryAfterSeconds)
    : status(static_cast<std::int32_t>(status)), message(Terminated(message)),
      retryAfterSeconds(retryAfterSeconds), detail(Terminated(detail)) {}

CStdStr<wchar_t> InternetErrorToText(long code) {
    for (const InternetTextEntry& entry : kInternetTexts) {
        for (const long listed : entry.codes) {
            if (listed == code) {
                return CStdStr<wchar_t>(entry.resource);
            }
        }
    }
    return CStdStr<wchar_t>();
}

CStdStr<wchar_t> FormatHttpErrorText(const LSHttpError& error) {
    const wchar_t* message = error.message == L"Unknown" ? L"Error" : error.message.c_str();
    CStdStr<wchar_t> text = FormatString(L"%s (%d)", message, static_cast<int>(error.status));
    const CStdStr<wchar_t> internetText = InternetErrorToText(error.status);
    if (!internetText.empty()) {
        text = FormatString(L"%s\n(%s)", text.c_str(), internetText.c_str());
    }
    return text;
}
