// The COM class of one Meridio custom property as the host sees it (ILSKOVAFieldInfo). Its
// properties are not offered yet: every method answers E_NOTIMPL.
#pragma once

#include "Host/KOVASyncBasicsLib/FieldInfo.h"
#include "Platform/AtlCom.h"

// The library's own dual interface of the field object; it adds no methods.
struct IKOVAMeridioFieldInfo : IDispatch {
protected:
    ~IKOVAMeridioFieldInfo() = default;
};
KOVA_DECLARE_UUID(IKOVAMeridioFieldInfo, "ACDEAA58-65CF-41E9-9BA2-FCCC73CE8C1E");

struct KOVAMeridioFieldInfoClass;
KOVA_DECLARE_UUID(KOVAMeridioFieldInfoClass, "B0A0ED7B-0D57-4ED6-A87C-9123D7A0C637");
inline const CLSID CLSID_KOVAMeridioFieldInfo = __uuidof(KOVAMeridioFieldInfoClass);

class CKOVAMeridioFieldInfo : public CComObjectRootEx<CComSingleThreadModel>,
                              public CComCoClass<CKOVAMeridioFieldInfo, &CLSID_KOVAMeridioFieldInfo>,
                              public IDispatchImpl<IKOVAMeridioFieldInfo>,
                              public ILSKOVAFieldInfo {
public:
    DECLARE_REGISTRY_RESOURCEID(107)

    BEGIN_COM_MAP(CKOVAMeridioFieldInfo)
    COM_INTERFACE_ENTRY(IKOVAMeridioFieldInfo)
    COM_INTERFACE_ENTRY(IDispatch)
    COM_INTERFACE_ENTRY(ILSKOVAFieldInfo)
    END_COM_MAP()

    // ILSKOVAFieldInfo
    HRESULT STDMETHODCALLTYPE raw_get_DisplayName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_InternalName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod3(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod4(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod5(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_isRequired(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_isCurrency(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_isPercentage(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod10(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod11(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod12(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod14() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_LocaleId(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod16(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod17() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod20() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod21(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_Default(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod23() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod24() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod25() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_FieldType(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod27() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_FieldControlProgId(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_RawFieldValue(BSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_DisplayFieldValue(BSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod31(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod32(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod33() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod34() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_FieldValueFromMap(ILSPropertyMap*, VARIANT_BOOL, BSTR*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod36() override { return E_NOTIMPL; }
};
