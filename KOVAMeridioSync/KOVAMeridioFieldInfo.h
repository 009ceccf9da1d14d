// The COM class of one Meridio custom property (a field) as the host sees it (ILSKOVAFieldInfo): its
// names, its type and the control that edits it, and its value on an item. The field-set object
// makes these objects and fills them once; afterwards they are only read.
#pragma once

#include "KOVAMeridioSync/FieldObjectSupport.h"
#include "KOVASyncBasicsLib/FieldInfo.h"
#include "Platform/AtlCom.h"
#include "VantrelCommon/StdString.h"

#include <map>

// The library's own dual interface of the field object; it adds no methods.
struct IKOVAMeridioFieldInfo : IDispatch {
protected:
    ~IKOVAMeridioFieldInfo() = default;
};
KOVA_DECLARE_UUID(IKOVAMeridioFieldInfo, "ACDEAA58-65CF-41E9-9BA2-FCCC73CE8C1E");

struct KOVAMeridioFieldInfoClass;
KOVA_DECLARE_UUID(KOVAMeridioFieldInfoClass, "B0A0ED7B-0D57-4ED6-A87C-9123D7A0C637");
inline const CLSID CLSID_KOVAMeridioFieldInfo = __uuidof(KOVAMeridioFieldInfoClass);

// A field's description: "name" (the field key object_type_id, e.g. 9_2_20), "displayName", "type"
// (the Meridio type code "0" to "6") and "required".
using MeridioFieldAttributes = std::map<CStdStr<wchar_t>, CStdStr<wchar_t>>;

class CKOVAMeridioFieldInfo : public CComObjectRootEx<CComSingleThreadModel>,
                              public CComCoClass<CKOVAMeridioFieldInfo, &CLSID_KOVAMeridioFieldInfo>,
                              public IDispatchImpl<IKOVAMeridioFieldInfo>,
                              public FieldObjectErrorInfo<IKOVAMeridioFieldInfo>,
                              public ILSKOVAFieldInfo {
public:
    DECLARE_REGISTRY_RESOURCEID(107)

    BEGIN_COM_MAP(CKOVAMeridioFieldInfo)
    COM_INTERFACE_ENTRY(IKOVAMeridioFieldInfo)
    COM_INTERFACE_ENTRY(IDispatch)
    COM_INTERFACE_ENTRY(ISupportErrorInfo)
    COM_INTERFACE_ENTRY(ILSKOVAFieldInfo)
    END_COM_MAP()

    // The item property that holds the value of the field with this key: the name conversion of
    // ConvertNameDashes applied to "Meridio_Prop_" and the key. The field set lists the field under
    // the same name.
    static CStdStr<wchar_t> PropertyNameOf(const CStdStr<wchar_t>& key);

    void SetAttributes(const MeridioFieldAttributes& attributes) { m_attributes = attributes; }
    // The item property that holds this field's value.
    CStdStr<wchar_t> GetMapPropertyName() const;

    // ILSKOVAFieldInfo
    HRESULT STDMETHODCALLTYPE raw_get_DisplayName(BSTR* displayName) override;
    HRESULT STDMETHODCALLTYPE raw_get_InternalName(BSTR* internalName) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod3(VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod4(VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod5(VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE raw_get_isRequired(VARIANT_BOOL* required) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_isCurrency(VARIANT_BOOL* currency) override;
    HRESULT STDMETHODCALLTYPE raw_get_isPercentage(VARIANT_BOOL* percentage) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod10(VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod11(VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod12(VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod14() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_LocaleId(LONG* lcid) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod16(LONG* value) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod17() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod20() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod21(VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE raw_get_Default(BSTR* defaultValue) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod23() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod24() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod25() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_FieldType(LONG* fieldType) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod27() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_FieldControlProgId(BSTR* progId) override;
    HRESULT STDMETHODCALLTYPE raw_get_RawFieldValue(BSTR value, BSTR* rawValue) override;
    HRESULT STDMETHODCALLTYPE raw_get_DisplayFieldValue(BSTR value, BSTR* displayValue) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod31(VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod32(VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod33() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod34() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_FieldValueFromMap(ILSPropertyMap* item, VARIANT_BOOL useDefault,
                                                        BSTR* value) override;
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod36() override { return E_NOTIMPL; }

private:
    // The attribute's text; empty when the field has no such attribute.
    CStdStr<wchar_t> Attribute(const wchar_t* name) const;
    // The attribute as the answer of a name getter: an empty text is refused with E_INVALIDARG.
    HRESULT AnswerName(const wchar_t* attribute, BSTR* out) const;

    MeridioFieldAttributes m_attributes;
};
