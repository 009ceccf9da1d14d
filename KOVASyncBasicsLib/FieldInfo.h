// The host's field metadata: one custom property of a repository (ILSKOVAFieldInfo) and the set of
// them that property pages and views show (ILSKOVAFieldSetInfo). Both derive from IUnknown only;
// the objects that implement them carry their own dual interface for late binding.
#pragma once

#include "KOVASyncBasicsLib/PropertyMap.h"

// Slots named raw_FieldInfoMethodN have no caller in the filter; flags answer through a
// VARIANT_BOOL, numbers through a LONG, and the unsupported ones take no arguments.
struct ILSKOVAFieldInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE raw_get_DisplayName(BSTR* displayName) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_get_InternalName(BSTR* internalName) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod3(VARIANT_BOOL* flag) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod4(VARIANT_BOOL* flag) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod5(VARIANT_BOOL* flag) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_get_isRequired(VARIANT_BOOL* required) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod7() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_get_isCurrency(VARIANT_BOOL* currency) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_get_isPercentage(VARIANT_BOOL* percentage) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod10(VARIANT_BOOL* flag) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod11(VARIANT_BOOL* flag) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod12(VARIANT_BOOL* flag) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod13() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod14() = 0;
    // The locale the field's numbers and currency amounts are written in.
    virtual HRESULT STDMETHODCALLTYPE raw_get_LocaleId(LONG* lcid) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod16(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod17() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod18() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod19() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod20() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod21(VARIANT_BOOL* flag) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_get_Default(BSTR* defaultValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod23() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod24() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod25() = 0;
    // 1 to 4 text, 5 number, 6 date (0: no type).
    virtual HRESULT STDMETHODCALLTYPE raw_get_FieldType(LONG* fieldType) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod27() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_get_FieldControlProgId(BSTR* progId) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_get_RawFieldValue(BSTR value, BSTR* rawValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_get_DisplayFieldValue(BSTR value, BSTR* displayValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod31(VARIANT_BOOL* flag) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod32(VARIANT_BOOL* flag) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod33() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod34() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_get_FieldValueFromMap(ILSPropertyMap* item, VARIANT_BOOL useDefault,
                                                                BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod36() = 0;

    // Wrappers: a failed call raises _com_error.
    _bstr_t GetDisplayName();
    LONG GetFieldType();
    _bstr_t GetDisplayFieldValue(_bstr_t value);
    VARIANT_BOOL GetisCurrency();
    VARIANT_BOOL GetisPercentage();
    LONG GetLocaleId();

protected:
    ~ILSKOVAFieldInfo() = default;
};
KOVA_DECLARE_UUID(ILSKOVAFieldInfo, "055209CB-4B01-4CEE-A749-0497D8AB58FA");
_COM_SMARTPTR_TYPEDEF(ILSKOVAFieldInfo, __uuidof(ILSKOVAFieldInfo));

// Initialisation takes the repository's map and the map of the folder being synced; an
// implementation may read only the repository's. Views are named by the texts getViewName gives.
struct ILSKOVAFieldSetInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE
    raw_initializeFromReposWithDefaultContentType(ILSPropertyMap* repository, ILSPropertyMap* folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_initializeFromReposWithAllFields(ILSPropertyMap* repository,
                                                                           ILSPropertyMap* folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_initializeFromContentTypeId(ILSPropertyMap* repository,
                                                                      BSTR contentTypeId,
                                                                      BSTR contentTypeName, BSTR listId) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_get_HasPropertyPages(VARIANT_BOOL* hasPages) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_getFieldInfo(BSTR internalName, ILSKOVAFieldInfo** fieldInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod6() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod7() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod8() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_getMessageContentType(ILSPropertyMap* item, BSTR* contentType) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod10() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod11() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_getVisibleFieldCount(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_getVisibleFieldName(LONG index, BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_getAllFieldCount(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_getAllFieldName(LONG index, BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_getDefaultViewName(BSTR* viewName) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_getViewCount(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_getViewName(LONG index, BSTR* viewName) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_getViewFieldCount(BSTR viewName, LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_getViewFieldName(BSTR viewName, LONG index, BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod21(BSTR name, LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod22() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod23(BSTR name, LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod24() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod25(BSTR name, LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod26() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod27() = 0;

    // Wrappers: a failed call raises _com_error.
    HRESULT initializeFromReposWithDefaultContentType(ILSPropertyMap* repository, ILSPropertyMap* folder);
    HRESULT initializeFromReposWithAllFields(ILSPropertyMap* repository, ILSPropertyMap* folder);

protected:
    ~ILSKOVAFieldSetInfo() = default;
};
KOVA_DECLARE_UUID(ILSKOVAFieldSetInfo, "1CA22CB8-CB9F-42D7-B311-EE45DA17CA92");
_COM_SMARTPTR_TYPEDEF(ILSKOVAFieldSetInfo, __uuidof(ILSKOVAFieldSetInfo));

inline _bstr_t ILSKOVAFieldInfo::GetDisplayName() {
    BSTR name = nullptr;
    KOVASyncBasicsLib::CheckCall(this, raw_get_DisplayName(&name));
    return _bstr_t(name, false);
}
inline LONG ILSKOVAFieldInfo::GetFieldType() {
    LONG type = 0;
    KOVASyncBasicsLib::CheckCall(this, raw_get_FieldType(&type));
    return type;
}
inline _bstr_t ILSKOVAFieldInfo::GetDisplayFieldValue(_bstr_t value) {
    BSTR display = nullptr;
    KOVASyncBasicsLib::CheckCall(this, raw_get_DisplayFieldValue(value, &display));
    return _bstr_t(display, false);
}
inline VARIANT_BOOL ILSKOVAFieldInfo::GetisCurrency() {
    VARIANT_BOOL currency = VARIANT_FALSE;
    KOVASyncBasicsLib::CheckCall(this, raw_get_isCurrency(&currency));
    return currency;
}
inline VARIANT_BOOL ILSKOVAFieldInfo::GetisPercentage() {
    VARIANT_BOOL percentage = VARIANT_FALSE;
    KOVASyncBasicsLib::CheckCall(this, raw_get_isPercentage(&percentage));
    return percentage;
}
inline LONG ILSKOVAFieldInfo::GetLocaleId() {
    LONG lcid = 0;
    KOVASyncBasicsLib::CheckCall(this, raw_get_LocaleId(&lcid));
    return lcid;
}
inline HRESULT ILSKOVAFieldSetInfo::initializeFromReposWithDefaultContentType(ILSPropertyMap* repository,
                                                                              ILSPropertyMap* folder) {
    return KOVASyncBasicsLib::CheckCall(this,
                                        raw_initializeFromReposWithDefaultContentType(repository, folder));
}
inline HRESULT ILSKOVAFieldSetInfo::initializeFromReposWithAllFields(ILSPropertyMap* repository,
                                                                     ILSPropertyMap* folder) {
    return KOVASyncBasicsLib::CheckCall(this, raw_initializeFromReposWithAllFields(repository, folder));
}
