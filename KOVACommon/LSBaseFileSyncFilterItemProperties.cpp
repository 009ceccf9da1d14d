// Item property writing: what the listing and the repository know about a listed document is
// written onto its Outlook item, a few values one by one, the rest in one batch of name/value
// strings, and custom fields typed through the repository's field set.
#include "KOVACommon/LSBaseFileSyncFilter.h"

#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSLocalFiles.h"
#include "VantrelCommon/OwnedBstr.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string_view>

namespace {

constexpr DWORD PR_MESSAGE_DELIVERY_TIME = 0x0E060040;
constexpr DWORD PR_SENDER_NAME_W = 0x0C1A001F;
constexpr DWORD PR_SENT_REPRESENTING_NAME_W = 0x0042001F;
constexpr DWORD PR_DISPLAY_TO_W = 0x0E04001F;
constexpr DWORD PR_HASATTACH = 0x0E1B000B;
constexpr DWORD PR_MESSAGE_CLASS_W = 0x001A001F;

// The property name of a MAPI tag ("0x0e060040"), made once for the process.
template <DWORD Tag> const CStdStr<wchar_t>& TagName() {
    static const CStdStr<wchar_t> name = ToHexString(Tag);
    return name;
}

std::wstring_view TextOf(const _bstr_t& name) {
    return static_cast<const wchar_t*>(name);
}

// "name<TAB>value" as a new BSTR, cut at its first NUL as a text handed over by its C string is.
BSTR NameValueElement(std::wstring_view name, std::wstring_view value) {
    const std::wstring_view head = name.substr(0, name.find(L'\0'));
    const bool whole = head.size() == name.size();
    const std::wstring_view tail = whole ? value.substr(0, value.find(L'\0')) : std::wstring_view();
    const std::size_t length = head.size() + (whole ? 1 + tail.size() : 0);
    BSTR element = length <= std::numeric_limits<UINT>::max()
                       ? SysAllocStringLen(nullptr, static_cast<UINT>(length))
                       : nullptr;
    if (element == nullptr) {
        throw std::bad_alloc();
    }
    wchar_t* end = std::copy(head.begin(), head.end(), element);
    if (whole) {
        *end++ = L'\t';
        std::copy(tail.begin(), tail.end(), end);
    }
    return element;
}

// The batch of string properties, one "name<TAB>value" element per property, each made once as
// the BSTR that the host receives.
class PropertyBatch {
public:
    PropertyBatch() = default;
    PropertyBatch(const PropertyBatch&) = delete;
    PropertyBatch& operator=(const PropertyBatch&) = delete;
    ~PropertyBatch() {
        for (BSTR element : m_elements) {
            SysFreeString(element);
        }
    }

    void Add(std::wstring_view name, std::wstring_view value) {
        m_elements.reserve(m_elements.size() + 1);
        m_elements.push_back(NameValueElement(name, value));
    }

    void WriteTo(ILSPropertyMap* item) {
        if (m_elements.empty()) {
            return;
        }
        LSSafeArrayVector array(std::move(m_elements));
        VARIANT batch;
        VariantInit(&batch);
        batch.vt = VT_ARRAY | VT_BSTR;
        batch.parray = array.GetSafeArray();
        const HRESULT hr = item->put_ItemVariant(&batch);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "Failed to set string properties " << std::hex << static_cast<DWORD>(hr);
            _com_issue_errorex(hr, item, __uuidof(ILSPropertyMap));
        }
    }

private:
    std::vector<BSTR> m_elements; // owned until the array takes them over
};

template <class Name> const CStdStr<wchar_t>* Find(const LSExtraProperties& extra, const Name& name) {
    auto found = extra.find(name);
    return found == extra.end() ? nullptr : &found->second;
}

} // namespace

void GetMessageClassForFile(const CStdStr<wchar_t>& extension, ILSPropertyMap* item,
                            CStdStr<wchar_t>& formClass) {
    if (!extension.Equals(L"msg", false)) {
        return;
    }
    BSTR value = nullptr;
    const HRESULT hr = item->get_ItemStr(_bstr_t(TagName<PR_MESSAGE_CLASS_W>().c_str()), &value);
    const CStdStr<wchar_t> messageClass(static_cast<const wchar_t*>(value));
    SysFreeString(value);
    if (FAILED(hr) || (messageClass.size() >= 8 && messageClass.compare(0, 8, L"IPM.Note") == 0)) {
        ReplaceAll(formClass, L".Post.", L".Note.");
    }
}

HRESULT LSBaseFileSyncFilter::raw_SetItemProperties(USHORT index, ILSPropertyMap* item) {
    static const char method[] = "LSBaseFileSyncFilter::raw_SetItemProperties";
    try {
        if (const HRESULT bad = CheckListedItemArguments(method, index, item); FAILED(bad)) {
            return bad;
        }
        if (m_startPointByString) {
            return raw_SetMainFolderProperties(item);
        }
        const auto storedHash = m_localHashes.find(index);
        const CStdStr<wchar_t> hash =
            storedHash == m_localHashes.end() ? CStdStr<wchar_t>() : storedHash->second;
        const CStdStr<wchar_t> name = GetItemName(index);
        const CStdStr<wchar_t> fileName = m_itemNames[index];
        LSExtraProperties extraProperties;
        const bool hasExtra = ListedItemProperties(index, extraProperties);
        const LSExtraProperties* extra = hasExtra ? &extraProperties : nullptr;
        const auto extraValue = [&](const wchar_t* name, const wchar_t* defaultValue) {
            const CStdStr<wchar_t>* found = extra == nullptr ? nullptr : Find(*extra, name);
            return found == nullptr ? CStdStr<wchar_t>(defaultValue) : *found;
        };

        CStdStr<wchar_t> url;
        HRESULT hr = GetFileUrl(name, url, index);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "LSBaseFileSyncFilter::raw_SetItemProperties"
                         << ": GetFileUrl failed " << std::hex << static_cast<DWORD>(hr);
            ThrowHResult(hr);
        }

        bool skipUsers = false;
        CStdStr<wchar_t> fromUser;
        CStdStr<wchar_t> toUser;
        if (m_headerOnly || !IsMailFile(fileName)) {
            skipUsers = SkipFromToUsers(name, item);
            if (!skipUsers) {
                fromUser = extraValue(L"fromUser", L"");
                toUser = extraValue(L"toUser", L"");
            }
        }

        bool readOnly = extraValue(L"forceReadOnly", L"0") == L"1";
        CStdStr<wchar_t> permission;
        if (!readOnly) {
            hr = isItemReadOnly(name, &readOnly, permission);
            if (FAILED(hr)) {
                LSDIAG_ERROR << "LSBaseFileSyncFilter::raw_SetItemProperties"
                             << "Failed to determine if item is readonly";
                return hr;
            }
        }
        if (permission.empty() && readOnly) {
            LSDIAG_DIAG << "LSBaseFileSyncFilter::raw_SetItemProperties"
                        << " : folder is readonly";
        }
        permission = LSPermissionText(readOnly, permission);

        // An unknown date is asked for, never taken as 0.0: a cached 0.0 would read as unchanged.
        const DATE lastModified = CacheLastModified(index);
        SetMapiProperties(item, lastModified, hash, name, fileName, url, fromUser, toUser, permission, extra,
                          skipUsers);
        return S_OK;
    } catch (long hr) {
        LSDIAG_ERROR << "LSBaseFileSyncFilter::raw_SetItemProperties"
                     << ": Caught exception " << std::hex << static_cast<DWORD>(hr)
                     << " for index :" << std::dec << index;
        return static_cast<HRESULT>(hr);
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::raw_SetItemProperties", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::SetMapiProperties(ILSPropertyMap* item, DATE lastModified,
                                                const CStdStr<wchar_t>& hash, const CStdStr<wchar_t>& name,
                                                const CStdStr<wchar_t>& fileName, const CStdStr<wchar_t>& url,
                                                const CStdStr<wchar_t>& fromUser,
                                                const CStdStr<wchar_t>& toUser,
                                                const CStdStr<wchar_t>& permission,
                                                const LSExtraProperties* extra, bool skipUsers) {
    PropertyBatch batch;
    // Without a known server date the item keeps the one it has, so that the change test asks again.
    const bool dateKnown = lastModified != LSNoRemoteDate;
    if (dateKnown && FAILED(item->put_ItemDate(ItemProperty::RemoteFileLastModified, lastModified))) {
        LSDIAG_ERROR << "Failed to set property on property map";
    }
    if (!hash.empty()) {
        batch.Add(TextOf(ItemProperty::MavistoFromServerETag), hash);
    }
    batch.Add(TextOf(ItemProperty::MavistoFromServerFileName), fileName);
    SetServerFileIdProperty(name, item, false);
    if (!url.empty()) {
        batch.Add(TextOf(ItemProperty::MavistoFromServerFileUrl), url);
    }

    // A mail file in a full sync keeps its own delivery time, sender and recipients.
    if ((m_headerOnly && !skipUsers) || !IsMailFile(fileName)) {
        DATE delivery = lastModified;
        bool deliveryKnown = dateKnown;
        if (extra != nullptr) {
            if (const CStdStr<wchar_t>* received = Find(*extra, L"receivedDate")) {
                _variant_t date;
                if (DateStringToVariantDate(*received, date)) {
                    delivery = date.date;
                    deliveryKnown = true;
                }
            }
        }
        if (deliveryKnown &&
            FAILED(item->put_ItemDate(_bstr_t(TagName<PR_MESSAGE_DELIVERY_TIME>().c_str()), delivery))) {
            LSDIAG_ERROR << "LSBaseFileSyncFilter::SetMapiProperties"
                         << "Failed to set property on property map";
        }
        if (!fromUser.empty()) {
            batch.Add(TagName<PR_SENDER_NAME_W>(), fromUser);
            batch.Add(TagName<PR_SENT_REPRESENTING_NAME_W>(), fromUser);
        }
        if (!toUser.empty()) {
            batch.Add(TagName<PR_DISPLAY_TO_W>(), toUser);
        }
    }
    if (!permission.empty()) {
        batch.Add(TextOf(ItemProperty::owsPermMask), permission);
    }

    if (extra != nullptr) {
        const CStdStr<wchar_t> prefix = GetRepositoryType() + L"-";
        const ILSKOVAFieldSetInfoPtr fieldSet = FieldSetForItemProperties();
        for (const auto& [key, value] : *extra) {
            if (key.compare(0, prefix.size(), prefix) != 0) {
                continue;
            }
            batch.Add(key, value);
            if (fieldSet == nullptr) {
                continue;
            }
            ILSKOVAFieldInfoPtr fieldInfo;
            HRESULT hr = fieldSet->raw_getFieldInfo(CopyToBstr(key.c_str()).get(), &fieldInfo);
            if (FAILED(hr)) {
                LSDIAG_DIAG << "LSSyncHelper::raw_getFieldInfo failed hr: " << std::hex
                            << static_cast<DWORD>(hr) << " for field: " << key;
                continue;
            }
            hr = LSSyncHelper::setFieldValue(fieldInfo, item, value);
            if (FAILED(hr)) {
                LSDIAG_ERROR << "LSSyncHelper::setFieldValue failed hr:" << std::hex
                             << static_cast<DWORD>(hr);
            }
        }
        if (const CStdStr<wchar_t>* version = Find(*extra, L"MavistoFromServerVersion")) {
            batch.Add(TextOf(ItemProperty::MavistoFromServerVersion), *version);
        }
        const CStdStr<wchar_t>* extension = Find(*extra, L"extension");
        CStdStr<wchar_t> formClass;
        if (const CStdStr<wchar_t>* found = Find(*extra, TextOf(ItemProperty::MavistoFormRegionClass))) {
            formClass = *found;
        }
        if (!formClass.empty()) {
            GetMessageClassForFile(extension == nullptr ? CStdStr<wchar_t>() : *extension, item, formClass);
            batch.Add(TextOf(ItemProperty::MavistoFormRegionClass), formClass);
        }
        for (const std::wstring_view copied :
             {std::wstring_view(L"ows-CheckoutUser"), TextOf(ItemProperty::KOVADuplicateHash),
              std::wstring_view(GetEmailFileIdProperty())}) {
            if (const CStdStr<wchar_t>* found = Find(*extra, copied)) {
                batch.Add(copied, *found);
            }
        }
        if (const CStdStr<wchar_t>* attach = Find(*extra, L"PR_HAS_ATTACH");
            attach != nullptr && !attach->empty()) {
            const BYTE hasAttach = (*attach)[0] == L'1' ? 1 : 0;
            if (FAILED(item->put_ItemBool(_bstr_t(TagName<PR_HASATTACH>().c_str()), hasAttach))) {
                LSDIAG_ERROR << "Failed to set hasAttach on downloaded item: " << fileName;
            }
        }
        if (const CStdStr<wchar_t>* docId = Find(*extra, L"DocIdProperty");
            docId != nullptr && !docId->empty()) {
            batch.Add(GetDocIdProperty(), *docId);
        }
        if (const CStdStr<wchar_t>* docIdLib = Find(*extra, L"DocIdLibProperty");
            docIdLib != nullptr && !docIdLib->empty()) {
            batch.Add(TextOf(ItemProperty::KOVADocIdLib), *docIdLib);
        }
    }
    batch.WriteTo(item);
    return S_OK;
}

ILSKOVAFieldSetInfoPtr LSBaseFileSyncFilter::FieldSetForItemProperties() {
    if (m_mainFolderMap == nullptr) {
        return ILSKOVAFieldSetInfoPtr();
    }
    try {
        return GetFieldSetInfoInternal(
            m_fieldSetCache, m_mainFolderMap, m_currentFolderMap,
            [this](ILSKOVAFieldSetInfo** created) { return CreateFieldSetInfo(created); });
    } catch (...) {
        // Logged; the field values are then stored as text only and the item's properties still written.
        (void)HResultFromCurrentException("LSBaseFileSyncFilter::FieldSetForItemProperties", __FILE__,
                                          __LINE__, nullptr);
        return ILSKOVAFieldSetInfoPtr();
    }
}

ILSKOVAFieldSetInfoPtr
LSBaseFileSyncFilter::GetFieldSetInfoInternal(LSFieldSetInfoCache& cache, ILSPropertyMap* mainFolderMap,
                                              ILSPropertyMap* currentFolderMap,
                                              const std::function<HRESULT(ILSKOVAFieldSetInfo**)>& creator) {
    if (cache.fieldSet != nullptr && cache.mainFolderMap == mainFolderMap &&
        cache.currentFolderMap == currentFolderMap) {
        return cache.fieldSet;
    }
    cache.mainFolderMap = nullptr;
    cache.currentFolderMap = nullptr;
    ILSKOVAFieldSetInfo* created = nullptr;
    const HRESULT hr = creator(&created);
    if (FAILED(hr) && hr != E_INVALIDARG) {
        if (created != nullptr) {
            created->Release();
        }
        LSDIAG_ERROR << "GetFieldSetInfoInternal failed with error :" << std::hex << static_cast<DWORD>(hr);
        ThrowHResult(hr);
    }
    cache.fieldSet.Attach(created);
    if (SUCCEEDED(hr)) {
        if (cache.fieldSet == nullptr) {
            _com_issue_error(E_POINTER);
        }
        const HRESULT initHr =
            cache.fieldSet->raw_initializeFromReposWithAllFields(mainFolderMap, currentFolderMap);
        if (FAILED(initHr)) {
            _com_issue_errorex(initHr, cache.fieldSet, __uuidof(ILSKOVAFieldSetInfo));
        }
        cache.mainFolderMap = mainFolderMap;
        cache.currentFolderMap = currentFolderMap;
    }
    return cache.fieldSet;
}
