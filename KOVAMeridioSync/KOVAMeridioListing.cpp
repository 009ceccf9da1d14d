// Listing a Meridio container (its sub-containers and documents) or the one document of a
// single-document start point, and the existence tests that work on the loaded listing.
#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSFilterSupport.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioLocations.h"
#include "KOVAMeridioSync/MeridioNumbers.h"
#include "KOVAMeridioSync/MeridioRowAttributes.h"
#include "VantrelCommon/OwnedBstr.h"

#include <algorithm>
#include <utility>

namespace {

// The text shown as the lock holder of a checked-out document.
constexpr UINT IDS_CHECKED_OUT = 4264;

CStdStr<wchar_t> FormatItemDate(DATE date) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_DATE;
    value.date = date;
    return VariantTimeToSharePointDateString(value);
}

// The attributes of a document row: in a container's contents, and in one document's preview.
constexpr KOVAMeridioSyncFilterImpl::DocumentColumns kContainerColumns{
    L"DOCID", L"VERSIONID", L"Prop_9_0_5", L"Prop_9_0_10", L"Prop_9_1_19", L"Prop_9_2_20", L"Prop_9_1_15"};
constexpr KOVAMeridioSyncFilterImpl::DocumentColumns kPreviewColumns{
    L"DocID",    L"LatestVersionID",      L"Title",     L"DefaultLockFileName",
    L"IsRecord", L"LastModificationDate", L"CategoryID"};

// The rows that the query selects with their dates, latest first by the date attribute.
std::vector<std::pair<DATE, IXMLDOMNodePtr>>
RowsLatestFirst(const IXMLDOMDocument2Ptr& contents, const wchar_t* query, const wchar_t* dateAttribute) {
    const IXMLDOMNodeListPtr rows = contents->selectNodes(query);
    std::vector<std::pair<DATE, IXMLDOMNodePtr>> dated;
    const LONG count = rows->Getlength();
    for (LONG i = 0; i < count; ++i) {
        IXMLDOMNodePtr row = rows->Getitem(i);
        dated.emplace_back(GetAttributeAsNumber(row, dateAttribute), row);
    }
    std::stable_sort(dated.begin(), dated.end(),
                     [](const auto& left, const auto& right) { return left.first > right.first; });
    return dated;
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::GetContents(ILSPropertyMap* folderMap, LONG listingMode) {
    try {
        LSDIAG_DIAG << "GetContents start";
        if (m_subFolderNames.empty()) {
            m_subFolderUrls.clear();
        }
        if (m_itemNames.empty()) {
            m_fileNames.clear();
            m_itemVersions.clear();
            m_itemExtraProperties.clear();
            m_itemRows.clear();
            m_rowPropertyNames.clear();
            m_subFolderExtraProperties.clear();
            _nameValuePairsForRootFolder.clear();
            m_itemUrls.clear();
        }
        m_contentsDocument.Clear();

        CStdStr<wchar_t> location = m_folderLocation;
        location.Trim(L"/");
        LSDIAG_DIAG << "DirPath" << location;
        LONG objectType = MeridioObjectOther;
        ExtractUrlDetails(location, m_serverName, objectType, m_folderObjectId);
        Login(false);

        if (!m_filterPropertyValue.empty()) {
            return GetSingleDocContents(folderMap);
        }

        HRESULT hr = LoadContentsDocument(
            FormatString(L"<OutlookGetContainerFullEx xmlns=\"%s\"><containerId>%d</containerId>"
                         L"</OutlookGetContainerFullEx>",
                         kMeridioScwsNamespace, static_cast<int>(m_folderObjectId)),
            L"OutlookGetContainerFullEx", L"//OutlookGetContainerFullExResult",
            "KOVAMeridioSyncFilterImpl::GetContents",
            "Unable to get OutlookGetContainerFullExResult node for container");
        if (FAILED(hr)) {
            return hr;
        }

        switch (listingMode) {
        case LSListingMode::Nothing:
            LSDIAG_DIAG << "Nothing to sync";
            return S_OK;
        case LSListingMode::DocumentsOnly:
            hr = GetFolderDocuments();
            break;
        case LSListingMode::SubFoldersOnly:
            hr = GetFolderSubFolders();
            break;
        case LSListingMode::Both:
            hr = GetFolderSubFolders();
            if (SUCCEEDED(hr)) {
                hr = GetFolderDocuments();
            }
            break;
        default:
            break;
        }
        if (FAILED(hr)) {
            return hr;
        }

        LONG mainFolder = 0;
        if (folderMap != nullptr &&
            SUCCEEDED(folderMap->get_ItemNum(ItemProperty::MavistoMainFolder, &mainFolder))) {
            SetFolderCreationFlag(folderMap, CanAddFolders() ? 0 : 1);
        }
        LSDIAG_DIAG << "GetContents start";
        return S_OK;
    } catch (const _com_error& error) {
        LSDIAG_ERROR << ": Caught _com_error in GetContents() - " << std::hex
                     << static_cast<DWORD>(error.Error()) << ", desc=" << error.Description()
                     << " msg=" << error.ErrorMessage();
        return error.Error();
    }
}

HRESULT KOVAMeridioSyncFilterImpl::GetSingleDocContents(ILSPropertyMap* folderMap) {
    const LONG documentId = ParseDecimal(m_filterPropertyValue);
    HRESULT hr = LoadContentsDocument(
        FormatString(L"<OutlookGetDocumentPreviewPropertiesFull xmlns=\"%s\"><docId>%d</docId>"
                     L"</OutlookGetDocumentPreviewPropertiesFull>",
                     kMeridioScwsNamespace, static_cast<int>(documentId)),
        L"OutlookGetDocumentPreviewPropertiesFull", L"//propertiesAsXml",
        "KOVAMeridioSyncFilterImpl::GetSingleDocContents",
        "Unable to get OutlookGetDocumentPreviewPropertiesFull propertiesAsXml node for singe doc sync");
    if (FAILED(hr)) {
        return hr;
    }
    hr = GetSingleDocument();
    if (SUCCEEDED(hr) && folderMap != nullptr) {
        // No folders are created under a single-document sync.
        SetFolderCreationFlag(folderMap, 0xFF);
    }
    return hr;
}

HRESULT KOVAMeridioSyncFilterImpl::LoadContentsDocument(const CStdStr<wchar_t>& body, const wchar_t* action,
                                                        const wchar_t* resultQuery, const char* method,
                                                        const char* missingResultText) {
    IXMLDOMDocument2Ptr reply;
    CStdStr<wchar_t> errorText;
    const HRESULT hr =
        ExecuteSCWSRequest(_variant_t(body.c_str()), reply, action, errorText, m_shutdownInformer);
    if (FAILED(hr)) {
        LSDIAG_ERROR << method << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
        return hr;
    }
    _bstr_t text;
    {
        const IXMLDOMNodePtr result = reply->selectSingleNode(resultQuery);
        if (!result) {
            LSDIAG_ERROR << missingResultText;
            ThrowHResult(E_INVALIDARG);
        }
        text = result->Gettext();
    }
    reply = nullptr; // the reply's tree goes before its text is parsed: a large listing is not held twice
    LoadContentsText(text, action);
    return S_OK;
}

void KOVAMeridioSyncFilterImpl::LoadContentsText(const _bstr_t& xml, const wchar_t* action) {
    m_contentsDocument.Load(xml, action);
}

void KOVAMeridioSyncFilterImpl::SetFolderCreationFlag(ILSPropertyMap* folderMap, BYTE disabled) {
    ThrowIfWriteFailed(folderMap->put_ItemBool(ItemProperty::KOVADisableFolderCreation, disabled), "",
                       "Failed to set foldercreation property on repository");
}

HRESULT KOVAMeridioSyncFilterImpl::GetFolderSubFolders() {
    LSDIAG_DIAG << "GetFolderSubFolders start";
    if (!m_contentsDocument) {
        _com_issue_error(E_POINTER);
    }
    const IXMLDOMNodeListPtr rows = m_contentsDocument->selectNodes(L"//T0");
    const LONG count = rows->Getlength();
    for (LONG i = 0; i < count; ++i) {
        const IXMLDOMNodePtr row = rows->Getitem(i);
        const LONG id = ParseDecimal(GetAttributeAsString(row, L"CONTAINERID"));
        if (id == m_folderObjectId) {
            continue; // the listed container itself
        }
        const CStdStr<wchar_t> title = GetAttributeAsString(row, L"Prop_7_0_1");
        const CStdStr<wchar_t> kindText = GetAttributeAsString(row, L"Prop_7_1_10");
        NextListingIndex(m_subFolderNames.size());
        m_subFolderUrls.push_back(BuildContainerUrl(kindText, id));
        m_subFolderNames.push_back(title);
    }
    LSDIAG_DIAG << "GetFolderSubFolders end";
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::GetFolderDocuments() {
    LSDIAG_DIAG << "GetFolderDocuments start";
    for (const auto& [lastModified, row] :
         RowsLatestFirst(m_contentsDocument.Document(), L"//T1", kContainerColumns.lastModified)) {
        const USHORT index = AppendListedDocument(row, kContainerColumns, lastModified).index;
        // Checked here (the class values were just read), written from the row when the item's
        // properties are (each would otherwise be kept for every listed item).
        (void)ReadContainerRow(row);
        m_itemRows.resize(static_cast<std::size_t>(index) + 1);
        m_itemRows[index] = row;
    }
    LSDIAG_DIAG << "GetFolderDocuments end";
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::GetSingleDocument() {
    LSDIAG_DIAG << "GetSingleDocument start";
    for (const auto& [lastModified, row] :
         RowsLatestFirst(m_contentsDocument.Document(), L"//T1", kPreviewColumns.lastModified)) {
        const ListedDocument document = AppendListedDocument(row, kPreviewColumns, lastModified);
        const USHORT index = document.index;

        CStdStr<wchar_t> sender = AddPreviewProperties(index);
        if (sender.empty()) {
            sender = GetAttributeAsString(row, L"CreatedByUser");
        }
        SetItemExtraProperty(index, L"fromUser", sender);
        if (document.lastModified > 1.0) {
            SetItemExtraProperty(index, MakePropertyName(L"Prop_9_2_20"),
                                 FormatItemDate(document.lastModified));
        }
        const CStdStr<wchar_t> lockFlag = GetAttributeAsString(row, L"IsLocked");
        if (lockFlag == L"1") {
            SetItemExtraProperty(index, L"ows-CheckoutUser", CStdStr<wchar_t>(IDS_CHECKED_OUT));
        }
        SetItemExtraProperty(index, MakePropertyName(L"Prop_9_1_12"), lockFlag);
        const DATE created = GetAttributeAsNumber(row, L"CreateDate");
        if (created > 1.0) {
            SetItemExtraProperty(index, MakePropertyName(L"Prop_9_2_3"), FormatItemDate(created));
        }
        LSExtraProperties rowProperties;
        AddRowAttributeProperties(rowProperties, row, "KOVAMeridioSyncFilterImpl::GetSingleDocument");
        for (const auto& [name, value] : rowProperties) {
            SetItemExtraProperty(index, name, value);
        }
        LSExtraProperties classProperties;
        AddDocumentClassProperties(document, classProperties);
        for (const auto& [name, value] : classProperties) {
            SetItemExtraProperty(index, name, value);
        }
        SetItemExtraProperty(index, MakePropertyName(L"Prop_9_1_1"), document.idText);
    }
    LSDIAG_DIAG << "GetSingleDocument end";
    return S_OK;
}

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::AddPreviewProperties(USHORT index) {
    CStdStr<wchar_t> sender;
    const IXMLDOMNodeListPtr previewProperties = m_contentsDocument->selectNodes(L"//T4");
    const LONG count = previewProperties->Getlength();
    for (LONG i = 0; i < count; ++i) {
        const IXMLDOMNodePtr property = previewProperties->Getitem(i);
        const CStdStr<wchar_t> name = GetAttributeAsString(property, L"displayName");
        const CStdStr<wchar_t> value = GetAttributeAsString(property, L"value");
        if (name.Equals(L"From", false)) {
            sender = value;
        } else if (name.Equals(L"Receipt Date", false)) {
            const DATE received = GetAttributeAsNumber(property, L"value");
            if (received > 1.0) {
                SetItemExtraProperty(index, L"receivedDate", FormatItemDate(received));
                SetItemExtraProperty(index, L"Addition Date", FormatItemDate(received));
            }
        } else if (name.Equals(L"Attachments", false)) {
            if (!value.empty()) {
                SetItemExtraProperty(index, L"PR_HAS_ATTACH", value);
            }
        } else {
            SetItemExtraProperty(index, MakePropertyName(name), value);
        }
    }
    return sender;
}

KOVAMeridioSyncFilterImpl::ListedDocument
KOVAMeridioSyncFilterImpl::AppendListedDocument(IXMLDOMNode* row, const DocumentColumns& columns,
                                                DATE lastModified) {
    ListedDocument document;
    static_cast<DocumentClass&>(document) = ReadDocumentClass(row, columns);
    const auto version = static_cast<ULONG>(GetAttributeAsInt(row, columns.version));
    CStdStr<wchar_t> displayName = GetAttributeAsString(row, columns.title);
    const bool isRecord = !GetAttributeAsString(row, columns.record).empty();
    document.lastModified = lastModified;

    const CStdStr<wchar_t>& extension = document.extension;
    CStdStr<wchar_t> underscoredName = displayName;
    std::replace(underscoredName.begin(), underscoredName.end(), L' ', L'_');
    if (!extension.empty() &&
        (displayName.size() < extension.size() ||
         displayName.compare(displayName.size() - extension.size(), extension.size(), extension) != 0)) {
        displayName += L"." + extension;
    }

    const CStdStr<wchar_t> location = BuildDocumentUrl(isRecord, document.idText);
    document.index = NextListingIndex(m_itemNames.size());
    m_itemNames.push_back(displayName);
    m_fileNames.push_back(location);
    m_itemVersions.push_back(version);
    m_itemUrls.push_back(location + L"/title/" + underscoredName);
    m_lastModifiedCache[document.index] = document.lastModified;
    return document;
}

KOVAMeridioSyncFilterImpl::DocumentClass
KOVAMeridioSyncFilterImpl::ReadDocumentClass(IXMLDOMNode* row, const DocumentColumns& columns) {
    DocumentClass document;
    document.idText = GetAttributeAsString(row, columns.id);
    const CStdStr<wchar_t> fileName = GetAttributeAsString(row, columns.fileName);
    document.typeWord = GetAttributeAsString(row, columns.typeWord);
    const int dot = fileName.ReverseFind(L'.');
    document.extension = dot < 0 ? fileName : CStdStr<wchar_t>(fileName.substr(static_cast<size_t>(dot) + 1));
    return document;
}

bool KOVAMeridioSyncFilterImpl::AddListedItemProperties(USHORT index, LSExtraProperties& extra) {
    if (index >= m_itemRows.size() || !m_itemRows[index]) {
        return false;
    }
    AddContainerRowProperties(m_itemRows[index], extra);
    AddRowAttributeProperties(extra, m_itemRows[index], "KOVAMeridioSyncFilterImpl::GetFolderDocuments");
    return true;
}

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::ListedCheckoutUser(IXMLDOMNode* row) {
    return GetAttributeAsString(row, L"Prop_9_1_12") == L"1" ? CStdStr<wchar_t>(IDS_CHECKED_OUT)
                                                             : CStdStr<wchar_t>();
}

KOVAMeridioSyncFilterImpl::ContainerRowValues KOVAMeridioSyncFilterImpl::ReadContainerRow(IXMLDOMNode* row) {
    ContainerRowValues values;
    values.sender = GetAttributeAsString(row, L"Prop_9_3_104");
    if (values.sender.empty()) {
        values.sender = GetAttributeAsString(row, L"Prop_9_0_2");
    }
    const DATE received = GetAttributeAsNumber(row, L"Prop_9_5_108");
    if (received > 1.0) {
        values.receivedDate = FormatItemDate(received);
    }
    values.checkoutUser = ListedCheckoutUser(row);
    values.hasAttachments = GetAttributeAsString(row, L"Prop_9_4_120");
    return values;
}

void KOVAMeridioSyncFilterImpl::AddContainerRowProperties(IXMLDOMNode* row, LSExtraProperties& extra) {
    ContainerRowValues values = ReadContainerRow(row);
    extra[L"fromUser"] = std::move(values.sender);
    if (values.receivedDate) {
        extra[L"receivedDate"] = std::move(*values.receivedDate);
    }
    if (!values.checkoutUser.empty()) {
        extra[L"ows-CheckoutUser"] = std::move(values.checkoutUser);
    }
    if (!values.hasAttachments.empty()) {
        extra[L"PR_HAS_ATTACH"] = std::move(values.hasAttachments);
    }
    AddDocumentClassProperties(ReadDocumentClass(row, kContainerColumns), extra);
}

void KOVAMeridioSyncFilterImpl::AddRowAttributeProperties(LSExtraProperties& extra, IXMLDOMNode* row,
                                                          const char* method) {
    const IXMLDOMNamedNodeMapPtr attributes = row->Getattributes();
    const LONG count = attributes->Getlength();
    for (LONG i = 0; i < count; ++i) {
        const IXMLDOMNodePtr attribute = attributes->Getitem(i);
        BSTR read = nullptr;
        const HRESULT hr = attribute->get_nodeName(&read);
        const OwnedBstr name(read);
        Platform::MsXmlWrap::Check(hr, attribute.GetInterfacePtr());
        const std::wstring_view attributeName(name.get(), SysStringLen(name.get()));
        if (attributeName.empty()) {
            LSDIAG_ERROR << method << ":Unable to get value for Name of attribute: ";
            continue;
        }
        _variant_t value = attribute->GetnodeValue();
        if (value.vt == VT_EMPTY || value.vt == VT_NULL) {
            LSDIAG_ERROR << method << ":Unable to get value for attribute: " << name.get();
            continue;
        }
        if (value.vt != VT_BSTR) {
            value.ChangeType(VT_BSTR);
        }
        auto propertyName = m_rowPropertyNames.find(attributeName);
        if (propertyName == m_rowPropertyNames.end()) {
            propertyName =
                m_rowPropertyNames
                    .emplace(std::wstring(attributeName), MakePropertyName(CStdStr<wchar_t>(name.get())))
                    .first;
        }
        extra.insert_or_assign(propertyName->second, CStdStr<wchar_t>(value.bstrVal));
    }
}

void KOVAMeridioSyncFilterImpl::AddDocumentClassProperties(const DocumentClass& document,
                                                           LSExtraProperties& extra) {
    const CStdStr<wchar_t>& typeWord = document.typeWord;
    const CStdStr<wchar_t>& extension = document.extension;
    CStdStr<wchar_t> formRegionClass =
        CStdStr<wchar_t>(MessageClass::Document) + L".SharePoint." + (typeWord.empty() ? L"doc" : typeWord);
    ReplaceAll(formRegionClass, L".SharePoint.", L".SharePoint." + extension + L".");
    extra[L"extension"] = extension;
    LSDIAG_DIAG << "KOVAMeridioSyncFilterImpl::GetFolderDocuments"
                << "Synced item has form region class" << formRegionClass;
    extra[CStdStr<wchar_t>(ItemProperty::MavistoFormRegionClass)] = formRegionClass;
    extra[L"DocIdProperty"] = document.idText;
}

void KOVAMeridioSyncFilterImpl::GetAttribValueForObjectFromContentsXml(LONG objectType, LONG objectId,
                                                                       CStdStr<wchar_t>& value,
                                                                       const wchar_t* attribute) {
    bool isContainer = false;
    switch (objectType) {
    case MeridioObjectContainer:
    case MeridioObjectFolder:
    case MeridioObjectClass:
        isContainer = true;
        break;
    case MeridioObjectRecord:
    case MeridioObjectDocument:
        break;
    default:
        LSDIAG_ERROR << "Unexpected object type in urlpassed to GetAttribValueForObjectFromContentsXml: "
                     << objectType;
        ThrowHResult(E_INVALIDARG);
    }
    if (!m_contentsDocument) {
        LSDIAG_ERROR << "Contents xml not set when it should be.";
        ThrowHResult(E_INVALIDARG);
    }
    // The row that "//T0[@CONTAINERID=id]" or "//T1[@DOCID=id]" selects, from the listing's index.
    const IXMLDOMNodePtr row =
        isContainer ? m_contentsDocument.ContainerRow(objectId) : m_contentsDocument.DocumentRow(objectId);
    if (!row) {
        LSDIAG_ERROR << "Unable to get node for object: " << objectType << " " << objectId;
        ThrowHResult(E_INVALIDARG);
    }
    value = GetAttributeAsString(row, attribute);
}

HRESULT KOVAMeridioSyncFilterImpl::IsItemOnServer(const CStdStr<wchar_t>& key, bool isFolder) {
    if (!m_listingLoaded) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::IsItemOnServer"
                     << ": Unable to check if item was deleted from Meridio.";
        return E_FAIL;
    }
    const std::vector<CStdStr<wchar_t>>& listed = isFolder ? m_subFolderUrls : m_fileNames;
    if (std::find(listed.begin(), listed.end(), key) != listed.end()) {
        return S_FALSE;
    }
    LSDIAG_DIAG << "Meridio item : " << key << " is deleted from server";
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::DoesFileExistRemote(const CStdStr<wchar_t>& name, bool& exists, bool) {
    LSDIAG_DIAG << "DoesFileExistRemote start";
    if (!m_listingLoaded) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::DoesFileExistRemote"
                     << ": Unable to check if item exists.";
        exists = true;
        return E_FAIL;
    }
    exists = std::find(m_fileNames.begin(), m_fileNames.end(), name) != m_fileNames.end();
    LSDIAG_DIAG << "DoesFileExistRemote end";
    return S_OK;
}
