#include "KOVAMeridioSync/MeridioLocations.h"

#include "KOVAMeridioSync/MeridioNumbers.h"
#include "Platform/WinError.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/TextUtils.h"

#include <array>
#include <utility>

namespace {

MeridioObjectType ObjectTypeOfWord(const CStdStr<wchar_t>& word) {
    static const std::array<std::pair<const wchar_t*, MeridioObjectType>, 5> kinds{{
        {L"folder", MeridioObjectFolder},
        {L"class", MeridioObjectClass},
        {L"container", MeridioObjectContainer},
        {L"document", MeridioObjectDocument},
        {L"record", MeridioObjectRecord},
    }};
    for (const auto& [kindWord, code] : kinds) {
        if (word.Equals(kindWord, false)) {
            return code;
        }
    }
    return MeridioObjectOther;
}

} // namespace

void ExtractUrlDetails(const CStdStr<wchar_t>& location, CStdStr<wchar_t>& serverName, LONG& objectType,
                       LONG& objectId) {
    const std::vector<CStdStr<wchar_t>> pieces = Tokenize(location, L"/");
    if (pieces.size() < 4) {
        LSDIAG_ERROR
            << "Unexpected url expected url of for Meridio://meridoserver/{folder|class|container}/id : "
            << (pieces.empty() ? CStdStr<wchar_t>() : pieces[0]);
        ThrowHResult(E_INVALIDARG);
    }
    if (!pieces[0].Equals(L"Meridio:", false)) {
        LSDIAG_ERROR << "Invalid url, expected to start with Meridio, url: " << location;
        ThrowHResult(E_INVALIDARG);
    }
    serverName = pieces[1];
    objectType = ObjectTypeOfWord(pieces[2]);
    objectId = ParseDecimal(pieces[3]);
    if (objectId < 1) {
        LSDIAG_ERROR << "Unexpected objectid in ExtractUrlDetails: " << objectId;
        ThrowHResult(E_INVALIDARG);
    }
}

CStdStr<wchar_t> MakeDocumentUrl(const CStdStr<wchar_t>& serverName, bool isRecord,
                                 const CStdStr<wchar_t>& documentId) {
    return FormatString(L"Meridio://%s/%s/%s", XmlEscape(serverName).c_str(),
                        isRecord ? L"record" : L"document", documentId.c_str());
}

CStdStr<wchar_t> MakeContainerUrl(const CStdStr<wchar_t>& serverName, const CStdStr<wchar_t>& objectTypeText,
                                  LONG objectId) {
    const LONG objectType = ParseDecimal(objectTypeText);
    const wchar_t* word = objectType == MeridioObjectFolder  ? L"folder"
                          : objectType == MeridioObjectClass ? L"class"
                                                             : L"container";
    return FormatString(L"Meridio://%s/%s/%d", serverName.c_str(), word, static_cast<int>(objectId));
}
