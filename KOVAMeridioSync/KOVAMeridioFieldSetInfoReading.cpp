// Reading the field set from the server's system configuration ("CTInfo" on the repository's map):
// only attributes matter, on elements of any name.
#include "KOVAMeridioSync/KOVAMeridioFieldSetInfo.h"

#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSHostArguments.h"
#include "KOVACommon/LSItemVocabulary.h"
#include "KOVACommon/LSPropertyHelpers.h"
#include "KOVAMeridioSync/MeridioNumbers.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSSetting.h"

#include <algorithm>
#include <optional>

namespace {

constexpr UINT IDS_FIELD_VIEW_NAME = 4263;

// Categories with an id below this one are the server's own (system, template, shortcut).
constexpr int kFirstUserCategoryId = 4;

using KeyList = std::vector<CStdStr<wchar_t>>;

// A comma-separated setting as a list of field keys (object_type_id); read once per process.
KeyList ReadKeyList(const wchar_t* setting, const wchar_t* defaultValue) {
    KeyList keys;
    for (CStdStr<wchar_t> key :
         Tokenize(LSSetting::GetInstance()->GetUserString(setting, defaultValue), L",")) {
        key.Trim();
        if (!key.empty()) {
            keys.push_back(key);
        }
    }
    return keys;
}

// The fields of the one view.
const KeyList& ViewKeys() {
    static const KeyList keys = ReadKeyList(L"MeridioSync.PropsForView", L"9_1_1,9_2_3,9_2_20");
    return keys;
}

// The fields the property pages show; empty: all of them.
const KeyList& DisplayKeys() {
    static const KeyList keys = ReadKeyList(L"MeridioSync.PropsToDisplay", L"");
    return keys;
}

bool Contains(const KeyList& keys, const CStdStr<wchar_t>& key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

std::optional<CStdStr<wchar_t>> AttributeText(IXMLDOMNode* element, const wchar_t* name) {
    const IXMLDOMNamedNodeMapPtr attributes = element->Getattributes();
    const IXMLDOMNodePtr attribute = attributes == nullptr ? nullptr : attributes->getNamedItem(name);
    if (attribute == nullptr) {
        return std::nullopt;
    }
    return CStdStr<wchar_t>(attribute->Gettext());
}

// A missing attribute is logged with `missing` and thrown as E_INVALIDARG.
CStdStr<wchar_t> RequiredAttribute(IXMLDOMNode* element, const wchar_t* name, const char* missing) {
    std::optional<CStdStr<wchar_t>> text = AttributeText(element, name);
    if (!text) {
        LSDIAG_ERROR << missing;
        ThrowHResult(E_INVALIDARG);
    }
    return *text;
}

// Calls `visit` for each element the XPath selects, in document order.
template <class Visit> void ForEachSelected(IXMLDOMDocument2* document, const wchar_t* xpath, Visit&& visit) {
    const IXMLDOMNodeListPtr selected = document->selectNodes(xpath);
    for (IXMLDOMNodePtr element = selected->nextNode(); element != nullptr; element = selected->nextNode()) {
        visit(element.GetInterfacePtr());
    }
}

} // namespace

HRESULT CKOVAMeridioFieldSetInfo::innerInitializeRepos(ILSPropertyMap* repository) {
    static constexpr char method[] = "CKOVAMeridioFieldSetInfo::innerInitializeRepos";
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(repository).Result(); FAILED(bad)) {
            return bad;
        }
        m_viewName = CStdStr<wchar_t>(IDS_FIELD_VIEW_NAME);
        m_categories.clear();
        m_fieldNames.clear();
        m_viewFieldNames.clear();
        m_fields.clear();
        m_hasPropertyPages = false;

        const CStdStr<wchar_t> type =
            LSPropertyHelpers::getStrProp(repository, ItemProperty::MavistoRepositoryType, L"");
        if (type != CStdStr<wchar_t>(RepositoryType::Meridio)) {
            LSDIAG_ERROR << method << "Repository is not a Meridio repository: " << type;
            return E_INVALIDARG;
        }
        const CStdStr<wchar_t> contentTypes = LSPropertyHelpers::getStrProp(repository, L"CTInfo", L"");
        if (contentTypes.empty()) {
            LSDIAG_ERROR << "No content type information found";
            return E_INVALIDARG;
        }
        IXMLDOMDocument2Ptr document;
        CreateDOMDocument(document, contentTypes);
        // Text that is not XML would otherwise read as a configuration without fields.
        if (document->GetdocumentElement() == nullptr) {
            LSDIAG_ERROR << "Content type information is not valid XML";
            return E_INVALIDARG;
        }
        ReadCategories(document);
        innerAddFieldInfos(document,
                           {L"//*[@FixedPropertyObject=9 or @FixedPropertyObject=40]", L"FixedPropertyName",
                            L"FixedPropertyObject", L"FixedPropertyType", L"FixedPropertyId"});
        innerAddFieldInfos(document, {L"//*[@CustomPropertyObject=9 or @CustomPropertyObject=40]",
                                      L"CustomPropertyName", L"CustomPropertyObject", L"CustomPropertyType",
                                      L"CustomPropertyId"});
        m_hasPropertyPages = !LSPropertyHelpers::hasProp(repository, ItemProperty::MavistoNoPropertyPages);
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

void CKOVAMeridioFieldSetInfo::ReadCategories(IXMLDOMDocument2* document) {
    ForEachSelected(document, L"//*[@CategoryName]", [&](IXMLDOMNode* element) {
        CStdStr<wchar_t> name = RequiredAttribute(element, L"CategoryName", "expected Name not found");
        const LONG id = ParseDecimal(RequiredAttribute(element, L"CategoryId", "expected id not found"));
        if (id >= kFirstUserCategoryId) {
            m_categories.push_back({std::move(name), static_cast<int>(id)});
        }
    });
}

void CKOVAMeridioFieldSetInfo::innerAddFieldInfos(IXMLDOMDocument2* document,
                                                  const PropertyElements& elements) {
    ForEachSelected(document, elements.xpath, [&](IXMLDOMNode* element) {
        const CStdStr<wchar_t> displayName = AttributeText(element, elements.nameAttribute).value_or(L"");
        const CStdStr<wchar_t> object = AttributeText(element, elements.objectAttribute).value_or(L"");
        const CStdStr<wchar_t> type = RequiredAttribute(element, elements.typeAttribute, "No type found");
        const CStdStr<wchar_t> id = RequiredAttribute(element, elements.idAttribute, "No propertyid found");
        AddField(object + L"_" + type + L"_" + id, displayName, type);
    });
}

// A key met again replaces the field's description and keeps its place in the lists.
void CKOVAMeridioFieldSetInfo::AddField(const CStdStr<wchar_t>& key, const CStdStr<wchar_t>& displayName,
                                        const CStdStr<wchar_t>& type) {
    const CStdStr<wchar_t> internalName = CKOVAMeridioFieldInfo::PropertyNameOf(key);
    const MeridioFieldAttributes attributes{
        {L"name", key}, {L"displayName", displayName}, {L"type", type}, {L"required", L"false"}};
    if (!m_fields.insert_or_assign(internalName, attributes).second) {
        return;
    }
    if (Contains(ViewKeys(), key)) {
        m_viewFieldNames.push_back(internalName);
    }
    if (DisplayKeys().empty() || Contains(DisplayKeys(), key)) {
        m_fieldNames.push_back(internalName);
    }
}
