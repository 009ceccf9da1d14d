// The COM class of the set of Meridio custom properties as the host sees it (ILSKOVAFieldSetInfo).
// Its contents are not offered yet: every method answers E_NOTIMPL.
#pragma once

#include "Host/KOVASyncBasicsLib/FieldInfo.h"
#include "Platform/AtlCom.h"

// The library's own dual interface of the field-set object; it adds no methods.
struct IKOVAMeridioFieldSetInfo : IDispatch {
protected:
    ~IKOVAMeridioFieldSetInfo() = default;
};
KOVA_DECLARE_UUID(IKOVAMeridioFieldSetInfo, "BAC06EE2-31C0-4F12-AA5D-56BA59EC86E0");

struct KOVAMeridioFieldSetInfoClass;
KOVA_DECLARE_UUID(KOVAMeridioFieldSetInfoClass, "258D6F32-63C9-4ADE-A803-A851708824FE");
inline const CLSID CLSID_KOVAMeridioFieldSetInfo = __uuidof(KOVAMeridioFieldSetInfoClass);

class CKOVAMeridioFieldSetInfo : public CComObjectRootEx<CComSingleThreadModel>,
                                 public CComCoClass<CKOVAMeridioFieldSetInfo, &CLSID_KOVAMeridioFieldSetInfo>,
                                 public IDispatchImpl<IKOVAMeridioFieldSetInfo>,
                                 public ILSKOVAFieldSetInfo {
public:
    DECLARE_REGISTRY_RESOURCEID(108)

    BEGIN_COM_MAP(CKOVAMeridioFieldSetInfo)
    COM_INTERFACE_ENTRY(IKOVAMeridioFieldSetInfo)
    COM_INTERFACE_ENTRY(IDispatch)
    COM_INTERFACE_ENTRY(ILSKOVAFieldSetInfo)
    END_COM_MAP()

    // ILSKOVAFieldSetInfo
    HRESULT STDMETHODCALLTYPE raw_initializeFromReposWithDefaultContentType(ILSPropertyMap*,
                                                                            ILSPropertyMap*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE raw_initializeFromReposWithAllFields(ILSPropertyMap*,
                                                                   ILSPropertyMap*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE raw_initializeFromContentTypeId(ILSPropertyMap*, BSTR, BSTR, BSTR) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE raw_get_HasPropertyPages(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getFieldInfo(BSTR, ILSKOVAFieldInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getMessageContentType(ILSPropertyMap*, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getVisibleFieldCount(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getVisibleFieldName(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getAllFieldCount(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getAllFieldName(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getDefaultViewName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getViewCount(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getViewName(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getViewFieldCount(BSTR, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_getViewFieldName(BSTR, LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod21(BSTR, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod22() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod23(BSTR, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod24() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod25(BSTR, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod26() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldSetInfoMethod27() override { return E_NOTIMPL; }
};
