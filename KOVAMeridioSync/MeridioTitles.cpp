#include "KOVAMeridioSync/MeridioTitles.h"

CStdStr<wchar_t> TitleOfFileName(const CStdStr<wchar_t>& name) {
    const size_t dot = name.rfind(L'.');
    return dot == CStdStr<wchar_t>::npos ? name : CStdStr<wchar_t>(name.substr(0, dot));
}

CStdStr<wchar_t> RemoveInvalidTitleChars(const CStdStr<wchar_t>& name) {
    CStdStr<wchar_t> cleaned;
    for (const wchar_t c : name) {
        if (CStdStr<wchar_t>(L"\\/:*?\"<>|").find(c) == CStdStr<wchar_t>::npos) {
            cleaned += c;
        }
    }
    return cleaned;
}
