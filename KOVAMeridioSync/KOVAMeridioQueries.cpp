// Repository queries: the host searches a Meridio server (the query's scope) for containers by title,
// so that a user can pick one to sync. Each hit becomes one line of five TAB-separated fields: title,
// location, parent path, kind and repository type.
#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioLocations.h"
#include "KOVAMeridioSync/MeridioNumbers.h"

namespace {

constexpr UINT IDS_CLASS = 101;
constexpr UINT IDS_FOLDER = 102;
constexpr UINT IDS_CONTAINER = 103;
constexpr UINT IDS_SCOPE_PROMPT = 4262;

// TABs and line feeds would break a result line apart; inside a field they become blanks.
constexpr wchar_t kLineBreakers[] = L"\t\n";

// The search: containers whose title holds the text and whose owner is not the keyword user; per hit
// the title (sorted by), folder type, parent title path and owner name. Arguments: the DMWS
// namespace, the diffgram namespaces (msdata, diffgr), the DMDataSet namespace, the escaped search
// text and the maximum hits.
constexpr wchar_t kSearchContainersBody[] =
    L"<SearchContainers xmlns=\"%s\"><searchInfo>"
    L"<diffgr:diffgram xmlns:msdata=\"%s\" xmlns:diffgr=\"%s\"><DMDataSet xmlns=\"%s\">"
    L"<PROPERTY_OPS diffgr:id=\"PROPERTY_OPS1\" msdata:rowOrder=\"0\"><id>1</id><operator>0</operator>"
    L"</PROPERTY_OPS>"
    L"<PROPERTY_TERMS diffgr:id=\"PROPERTY_TERMS1\" msdata:rowOrder=\"0\"><id>1</id><parentId>1</parentId>"
    L"<termType>0</termType><propertyName>PROP_W_title</propertyName><str_value>%s</str_value>"
    L"<str_relation>2</str_relation><categoryId>0</categoryId><isVersionProperty>false</isVersionProperty>"
    L"</PROPERTY_TERMS>"
    L"<PROPERTY_TERMS diffgr:id=\"PROPERTY_TERMS2\" msdata:rowOrder=\"1\"><id>2</id><parentId>1</parentId>"
    L"<termType>0</termType><propertyName>PROP_ownerName</propertyName><str_value>Keywords User</str_value>"
    L"<str_relation>1</str_relation><categoryId>0</categoryId><isVersionProperty>false</isVersionProperty>"
    L"</PROPERTY_TERMS>"
    L"<RESULTDEFS diffgr:id=\"RESULTDEFS1\" msdata:rowOrder=\"0\"><propertyName>PROP_W_title</propertyName>"
    L"<sortAscending>true</sortAscending><categoryId>0</categoryId><isVersionProperty>false</"
    L"isVersionProperty>"
    L"</RESULTDEFS>"
    L"<RESULTDEFS diffgr:id=\"RESULTDEFS2\" "
    L"msdata:rowOrder=\"1\"><propertyName>PROP_folderType</propertyName>"
    L"<categoryId>0</categoryId><isVersionProperty>false</isVersionProperty></RESULTDEFS>"
    L"<RESULTDEFS diffgr:id=\"RESULTDEFS3\" msdata:rowOrder=\"2\">"
    L"<propertyName>PROP_rmFolderParentTitlePath</propertyName>"
    L"<categoryId>0</categoryId><isVersionProperty>false</isVersionProperty></RESULTDEFS>"
    L"<RESULTDEFS diffgr:id=\"RESULTDEFS4\" msdata:rowOrder=\"3\"><propertyName>PROP_ownerName</propertyName>"
    L"<categoryId>0</categoryId><isVersionProperty>false</isVersionProperty></RESULTDEFS>"
    L"<STOREDSEARCHES diffgr:id=\"STOREDSEARCHES1\" msdata:rowOrder=\"0\">"
    L"<PROP_W_isSearchAgent>false</PROP_W_isSearchAgent>"
    L"<PROP_W_searchAgentPriority>0</PROP_W_searchAgentPriority></STOREDSEARCHES>"
    L"<STOREDSEARCHES_EXTRA diffgr:id=\"STOREDSEARCHES_EXTRA1\" msdata:rowOrder=\"0\">"
    L"<keywordOperatorIsAND>true</keywordOperatorIsAND><searchSubKeywords>false</searchSubKeywords>"
    L"<type>0</type><permission>1</permission><searchAll>false</searchAll><scope>0</scope>"
    L"<searchChildren>true</searchChildren><useThesaurus>false</useThesaurus></STOREDSEARCHES_EXTRA>"
    L"</DMDataSet></diffgr:diffgram></searchInfo>"
    L"<maxHitsToReturn>%d</maxHitsToReturn><startPositionOfHits>0</startPositionOfHits>"
    L"<permissionFilter>READ</permissionFilter><searchChildren>true</searchChildren>"
    L"<searchKeywordHierarchy>false</searchKeywordHierarchy><keywordOperator>AND</keywordOperator>"
    L"</SearchContainers>";

// The trimmed scope: the name of the server to search.
CStdStr<wchar_t> ScopeServerName(BSTR scope) {
    CStdStr<wchar_t> serverName(scope);
    serverName.Trim();
    return serverName;
}

// The text of the node's child that the query names; a missing child is logged and throws E_FAIL. A
// missing node raises E_POINTER.
CStdStr<wchar_t> RequiredValue(const IXMLDOMNodePtr& node, const wchar_t* query, const char* missingText) {
    const IXMLDOMNodePtr value = node->selectSingleNode(query);
    if (!value) {
        LSDIAG_ERROR << missingText;
        ThrowHResult(E_FAIL);
    }
    return CStdStr<wchar_t>(value->Gettext());
}

CStdStr<wchar_t> KindText(const CStdStr<wchar_t>& folderType) {
    if (folderType.empty()) {
        return CStdStr<wchar_t>(IDS_CONTAINER);
    }
    switch (ToInt(folderType)) {
    case MeridioObjectFolder:
        return CStdStr<wchar_t>(IDS_FOLDER);
    case MeridioObjectClass:
        return CStdStr<wchar_t>(IDS_CLASS);
    default:
        LSDIAG_ERROR << "Unknown result type:" << folderType;
        return CStdStr<wchar_t>(IDS_CONTAINER);
    }
}

// The line of the hit whose four result rows (title, folder type, parent path, owner name) begin at
// `first`.
CStdStr<wchar_t> ResultLine(KOVAMeridioSyncFilterImpl& filter, const IXMLDOMNodeListPtr& rows, LONG first) {
    const IXMLDOMNodePtr titleRow = rows->Getitem(first);
    const CStdStr<wchar_t> containerId =
        RequiredValue(titleRow, L"./containerId", "Failed to locate containerId for search result");
    const CStdStr<wchar_t> title =
        RequiredValue(titleRow, L"./str_value", "Failed to locate value for container title search result");
    const CStdStr<wchar_t> folderType =
        RequiredValue(rows->Getitem(first + 1), L"./str_value",
                      "Failed to locate value for container folder type search result");
    CStdStr<wchar_t> path = RequiredValue(rows->Getitem(first + 2), L"./str_value",
                                          "Failed to locate value for parentTitlePath search result");
    if (path.empty() && folderType.Equals(L"20", false)) {
        path = L"/";
    }
    const CStdStr<wchar_t> location = filter.BuildContainerUrl(folderType, ParseDecimal(containerId));
    if (path.empty()) {
        const CStdStr<wchar_t> ownerName = RequiredValue(
            rows->Getitem(first + 3), L"./str_value", "Failed to locate value for ownername search result");
        path = FormatString(L"%s (%s)", location.c_str(), ownerName.c_str());
    }
    return JoinStrings({ReplaceCharsWithSpace(title, kLineBreakers), location,
                        ReplaceCharsWithSpace(path, kLineBreakers), KindText(folderType),
                        filter.GetRepositoryType()},
                       L"\t");
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::raw_QueryRepositoryMethod1(VARIANT_BOOL* available) {
    if (const HRESULT bad =
            LSHostArguments("KOVAMeridioSyncFilterImpl::raw_QueryRepositoryMethod1").Out(available).Result();
        FAILED(bad)) {
        return bad;
    }
    *available = VARIANT_TRUE;
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::raw_GetScopeParameterPrompt(BSTR* prompt) {
    try {
        if (const HRESULT bad = LSHostArguments("KOVAMeridioSyncFilterImpl::raw_GetScopeParameterPrompt")
                                    .Out(prompt)
                                    .Result();
            FAILED(bad)) {
            return bad;
        }
        *prompt = CStdStr<wchar_t>(IDS_SCOPE_PROMPT).AllocSysString();
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("KOVAMeridioSyncFilterImpl::raw_GetScopeParameterPrompt", __FILE__,
                                           __LINE__, nullptr);
    }
}

HRESULT KOVAMeridioSyncFilterImpl::raw_ValidateScopeParameter(BSTR scope, BSTR* validatedScope) {
    try {
        if (const HRESULT bad = LSHostArguments("KOVAMeridioSyncFilterImpl::raw_ValidateScopeParameter")
                                    .Out(validatedScope)
                                    .Result();
            FAILED(bad)) {
            return bad;
        }
        LSDIAG_DIAG << "raw_ValidateScopeParameter scopeParam: " << CStdStr<wchar_t>(scope);
        const CStdStr<wchar_t> serverName = ScopeServerName(scope);
        if (serverName.empty()) {
            LSDIAG_ERROR << "Scope parameter cannot be empty";
            return E_INVALIDARG;
        }
        m_serverName = serverName;
        Login(true);
        *validatedScope = serverName.AllocSysString();
        LSDIAG_DIAG << "raw_ValidateScopeParameter end ";
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("KOVAMeridioSyncFilterImpl::raw_ValidateScopeParameter", __FILE__,
                                           __LINE__, nullptr);
    }
}

HRESULT KOVAMeridioSyncFilterImpl::raw_RunQuery(LONG maximumHits, BSTR scope, BSTR searchText, BSTR, LONG,
                                                BSTR* results) {
    try {
        if (const HRESULT bad =
                LSHostArguments("KOVAMeridioSyncFilterImpl::raw_RunQuery").Out(results).Result();
            FAILED(bad)) {
            return bad;
        }
        LSDIAG_DIAG << "raw_RunQuery searchQuery:  " << CStdStr<wchar_t>(searchText);
        m_serverName = ScopeServerName(scope);
        Login(true);

        const CStdStr<wchar_t> body = FormatString(
            kSearchContainersBody, kMeridioDmwsNamespace, kMsDataNamespace, kDiffgramNamespace,
            kMeridioDmDataSetNamespace, XmlEscape(CStdStr<wchar_t>(searchText), "the search text").c_str(),
            static_cast<int>(maximumHits));
        IXMLDOMDocument2Ptr reply;
        CStdStr<wchar_t> errorText;
        const HRESULT hr = SendDMWSRequest(body, L"SearchContainers", reply, errorText);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::raw_RunQuery"
                         << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
            ThrowHResult(hr);
        }
        if (!reply->selectSingleNode(L"//SearchContainersResponse")) {
            LSDIAG_ERROR << "Container search failed";
            ThrowHResult(E_INVALIDARG);
        }
        const IXMLDOMNodeListPtr rows = reply->selectNodes(L"//SEARCHRESULTS_CONTAINERS");
        if (!rows) {
            LSDIAG_ERROR << "Failed to get list of SEARCHRESULTS_CONTAINERS results";
            ThrowHResult(E_INVALIDARG);
        }
        std::vector<CStdStr<wchar_t>> lines;
        const LONG count = rows->Getlength();
        for (LONG first = 0; first < count; first += 4) {
            lines.push_back(ResultLine(*this, rows, first));
        }
        *results = JoinStrings(lines, L"\n").AllocSysString();
        LSDIAG_DIAG << "raw_RunQuery end";
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("KOVAMeridioSyncFilterImpl::raw_RunQuery", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT KOVAMeridioSyncFilterImpl::raw_FormatScopeParameter(BSTR scope, BSTR* formattedScope) {
    if (const HRESULT bad = LSHostArguments("KOVAMeridioSyncFilterImpl::raw_FormatScopeParameter")
                                .Out(formattedScope)
                                .Result();
        FAILED(bad)) {
        return bad;
    }
    *formattedScope = SysAllocStringLen(scope, SysStringLen(scope));
    return S_OK;
}
