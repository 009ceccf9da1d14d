#include "KOVAMeridioSync/KOVAMeridioFieldInfo.h"

#include "KOVACommon/LSItemVocabulary.h"
#include "KOVACommon/LSPropertyHelpers.h"
#include "VantrelCommon/LSDiag.h"

#include <optional>

namespace {

// The host's field types (ILSKOVAFieldInfo::raw_get_FieldType).
constexpr LONG kTextField = 2;
constexpr LONG kNumberField = 5;
constexpr LONG kDateField = 6;

// The locale the host writes the field's numbers in: English (United Kingdom).
constexpr LONG kFieldLocale = 2057;

// The host's field type for a Meridio type code; none for a code this filter does not know.
std::optional<LONG> KnownFieldType(const CStdStr<wchar_t>& type) {
    if (type == L"0" || type == L"3" || type == L"6") {
        return kTextField;
    }
    if (type == L"1" || type == L"4") {
        return kNumberField;
    }
    if (type == L"2" || type == L"5") {
        return kDateField;
    }
    return std::nullopt;
}

// Fields have no default value.
CStdStr<wchar_t> DefaultValue() {
    return CStdStr<wchar_t>();
}

} // namespace

CStdStr<wchar_t> CKOVAMeridioFieldInfo::PropertyNameOf(const CStdStr<wchar_t>& key) {
    CStdStr<wchar_t> name = L"Meridio_Prop_" + key;
    ConvertNameDashes(name);
    return name;
}

CStdStr<wchar_t> CKOVAMeridioFieldInfo::GetMapPropertyName() const {
    return PropertyNameOf(Attribute(L"name"));
}

CStdStr<wchar_t> CKOVAMeridioFieldInfo::Attribute(const wchar_t* name) const {
    const auto found = m_attributes.find(name);
    return found == m_attributes.end() ? CStdStr<wchar_t>() : found->second;
}

HRESULT CKOVAMeridioFieldInfo::AnswerName(const wchar_t* attribute, BSTR* out) const {
    const CStdStr<wchar_t> name = Attribute(attribute);
    return name.empty() ? E_INVALIDARG : AnswerText(name, out);
}

HRESULT CKOVAMeridioFieldInfo::raw_get_DisplayName(BSTR* displayName) {
    return AtBoundary("CKOVAMeridioFieldInfo::raw_get_DisplayName", __FILE__, __LINE__,
                      [&] { return AnswerName(L"displayName", displayName); });
}

HRESULT CKOVAMeridioFieldInfo::raw_get_InternalName(BSTR* internalName) {
    return AtBoundary("CKOVAMeridioFieldInfo::raw_get_InternalName", __FILE__, __LINE__,
                      [&] { return AnswerName(L"name", internalName); });
}

HRESULT CKOVAMeridioFieldInfo::raw_FieldInfoMethod3(VARIANT_BOOL* flag) {
    return AnswerFlag(true, flag);
}

HRESULT CKOVAMeridioFieldInfo::raw_FieldInfoMethod4(VARIANT_BOOL* flag) {
    return AnswerFlag(true, flag);
}

HRESULT CKOVAMeridioFieldInfo::raw_FieldInfoMethod5(VARIANT_BOOL* flag) {
    return AnswerFlag(false, flag);
}

HRESULT CKOVAMeridioFieldInfo::raw_get_isRequired(VARIANT_BOOL* required) {
    return AtBoundary("CKOVAMeridioFieldInfo::raw_get_isRequired", __FILE__, __LINE__,
                      [&] { return AnswerFlag(Attribute(L"required") == L"true", required); });
}

HRESULT CKOVAMeridioFieldInfo::raw_get_isCurrency(VARIANT_BOOL* currency) {
    return AnswerFlag(false, currency);
}

HRESULT CKOVAMeridioFieldInfo::raw_get_isPercentage(VARIANT_BOOL* percentage) {
    return AnswerFlag(false, percentage);
}

HRESULT CKOVAMeridioFieldInfo::raw_FieldInfoMethod10(VARIANT_BOOL* flag) {
    return AnswerFlag(false, flag);
}

HRESULT CKOVAMeridioFieldInfo::raw_FieldInfoMethod11(VARIANT_BOOL* flag) {
    return AnswerFlag(false, flag);
}

HRESULT CKOVAMeridioFieldInfo::raw_FieldInfoMethod12(VARIANT_BOOL* flag) {
    return AnswerFlag(true, flag);
}

HRESULT CKOVAMeridioFieldInfo::raw_get_LocaleId(LONG* lcid) {
    return AnswerNumber(kFieldLocale, lcid);
}

HRESULT CKOVAMeridioFieldInfo::raw_FieldInfoMethod16(LONG* value) {
    return AnswerNumber(-1, value);
}

HRESULT CKOVAMeridioFieldInfo::raw_FieldInfoMethod21(VARIANT_BOOL* flag) {
    return AnswerFlag(false, flag);
}

HRESULT CKOVAMeridioFieldInfo::raw_get_Default(BSTR* defaultValue) {
    return AtBoundary("CKOVAMeridioFieldInfo::raw_get_Default", __FILE__, __LINE__,
                      [&] { return AnswerText(DefaultValue(), defaultValue); });
}

HRESULT CKOVAMeridioFieldInfo::raw_get_FieldType(LONG* fieldType) {
    return AtBoundary("CKOVAMeridioFieldInfo::raw_get_FieldType", __FILE__, __LINE__, [&] {
        const CStdStr<wchar_t> type = Attribute(L"type");
        const std::optional<LONG> known = KnownFieldType(type);
        if (!known) {
            LSDIAG_DIAG << "CKOVAMeridioFieldInfo::raw_get_FieldType"
                        << " Unexpected type: " << type;
        }
        return AnswerNumber(known.value_or(kTextField), fieldType);
    });
}

HRESULT CKOVAMeridioFieldInfo::raw_get_FieldControlProgId(BSTR* progId) {
    return AtBoundary("CKOVAMeridioFieldInfo::raw_get_FieldControlProgId", __FILE__, __LINE__, [&] {
        const bool isDate = KnownFieldType(Attribute(L"type")) == kDateField;
        return AnswerText(CStdStr<wchar_t>(isDate ? FieldControl::DateTime : FieldControl::Simple), progId);
    });
}

HRESULT CKOVAMeridioFieldInfo::raw_get_RawFieldValue(BSTR value, BSTR* rawValue) {
    return AtBoundary("CKOVAMeridioFieldInfo::raw_get_RawFieldValue", __FILE__, __LINE__,
                      [&] { return AnswerCopy(value, rawValue); });
}

HRESULT CKOVAMeridioFieldInfo::raw_get_DisplayFieldValue(BSTR value, BSTR* displayValue) {
    return AtBoundary("CKOVAMeridioFieldInfo::raw_get_DisplayFieldValue", __FILE__, __LINE__,
                      [&] { return AnswerCopy(value, displayValue); });
}

HRESULT CKOVAMeridioFieldInfo::raw_FieldInfoMethod31(VARIANT_BOOL* flag) {
    return AnswerFlag(true, flag);
}

HRESULT CKOVAMeridioFieldInfo::raw_FieldInfoMethod32(VARIANT_BOOL* flag) {
    return AnswerFlag(false, flag);
}

// A missing, unreadable or empty item property gives the default, which is empty: so useDefault
// changes nothing.
HRESULT CKOVAMeridioFieldInfo::raw_get_FieldValueFromMap(ILSPropertyMap* item, VARIANT_BOOL /*useDefault*/,
                                                         BSTR* value) {
    return AtBoundary("CKOVAMeridioFieldInfo::raw_get_FieldValueFromMap", __FILE__, __LINE__, [&] {
        return AnswerText(
            LSPropertyHelpers::getStrProp(item, _bstr_t(GetMapPropertyName().c_str()), DefaultValue()),
            value);
    });
}
