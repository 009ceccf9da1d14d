#include "KOVAMeridioSync/MeridioLocations.h"

#include "KOVAMeridioSync/MeridioNumbers.h"
#include "Platform/WinError.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/TextUtils.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <string_view>
#include <utility>

namespace {

bool EqualNoCase(std::wstring_view text, std::wstring_view word) {
    return text.size() == word.size() &&
           std::equal(text.begin(), text.end(), word.begin(), [](wchar_t left, wchar_t right) {
               return std::towlower(static_cast<wint_t>(left)) == std::towlower(static_cast<wint_t>(right));
           });
}

MeridioObjectType ObjectTypeOfWord(std::wstring_view word) {
    static const std::array<std::pair<std::wstring_view, MeridioObjectType>, 5> kinds{{
        {L"folder", MeridioObjectFolder},
        {L"class", MeridioObjectClass},
        {L"container", MeridioObjectContainer},
        {L"document", MeridioObjectDocument},
        {L"record", MeridioObjectRecord},
    }};
    for (const auto& [kindWord, code] : kinds) {
        if (EqualNoCase(word, kindWord)) {
            return code;
        }
    }
    return MeridioObjectOther;
}

// The first pieces of a location between slashes, empty ones skipped, each up to its first NUL;
// gives how many were found. Read in place: a location is parsed for every item of a listing.
struct LocationPieces {
    std::array<std::wstring_view, 4> pieces;
    std::size_t count = 0;
};

LocationPieces FirstPieces(std::wstring_view text) {
    LocationPieces found;
    std::size_t start = text.find_first_not_of(L'/');
    while (start != std::wstring_view::npos && found.count < found.pieces.size()) {
        const std::size_t end = text.find(L'/', start);
        const std::wstring_view piece =
            text.substr(start, end == std::wstring_view::npos ? end : end - start);
        found.pieces[found.count++] = piece.substr(0, piece.find(L'\0'));
        start = text.find_first_not_of(L'/', end);
    }
    return found;
}

} // namespace

void ExtractUrlDetails(const CStdStr<wchar_t>& location, CStdStr<wchar_t>& serverName, LONG& objectType,
                       LONG& objectId) {
    const LocationPieces found = FirstPieces(location);
    const auto& pieces = found.pieces;
    if (found.count < pieces.size()) {
        LSDIAG_ERROR
            << "Unexpected url expected url of for Meridio://meridoserver/{folder|class|container}/id : "
            << CStdStr<wchar_t>(std::wstring(pieces[0]));
        ThrowHResult(E_INVALIDARG);
    }
    if (!EqualNoCase(pieces[0], L"Meridio:")) {
        LSDIAG_ERROR << "Invalid url, expected to start with Meridio, url: " << location;
        ThrowHResult(E_INVALIDARG);
    }
    serverName.assign(pieces[1].data(), pieces[1].size());
    objectType = ObjectTypeOfWord(pieces[2]);
    // The id's digits end before the slash or NUL that ends its piece.
    objectId = ParseDecimalText(pieces[3].data());
    if (objectId < 1) {
        LSDIAG_ERROR << "Unexpected objectid in ExtractUrlDetails: " << objectId;
        ThrowHResult(E_INVALIDARG);
    }
}

CStdStr<wchar_t> MakeDocumentUrl(const CStdStr<wchar_t>& serverName, bool isRecord,
                                 const CStdStr<wchar_t>& documentId) {
    return DocumentUrlMaker().Make(serverName, isRecord, documentId);
}

CStdStr<wchar_t> DocumentUrlMaker::Make(const CStdStr<wchar_t>& serverName, bool isRecord,
                                        const CStdStr<wchar_t>& documentId) {
    if (serverName != serverName_) {
        escapedServerName_ = XmlEscape(serverName, "the server name");
        serverName_ = serverName;
    }
    // Each text up to its first NUL, as a "%s" would take it.
    const std::wstring_view server(escapedServerName_.c_str());
    const std::wstring_view kind = isRecord ? L"/record/" : L"/document/";
    const std::wstring_view id(documentId.c_str());
    constexpr std::wstring_view kScheme = L"Meridio://";
    CStdStr<wchar_t> url;
    url.reserve(kScheme.size() + server.size() + kind.size() + id.size());
    url.append(kScheme).append(server).append(kind).append(id);
    return url;
}

CStdStr<wchar_t> MakeContainerUrl(const CStdStr<wchar_t>& serverName, const CStdStr<wchar_t>& objectTypeText,
                                  LONG objectId) {
    const LONG objectType = ParseDecimal(objectTypeText);
    const wchar_t* word = objectType == MeridioObjectFolder  ? L"folder"
                          : objectType == MeridioObjectClass ? L"class"
                                                             : L"container";
    return FormatString(L"Meridio://%s/%s/%d", serverName.c_str(), word, static_cast<int>(objectId));
}
