// A field description for tests: the type, name, flags and locale a test sets; the display value
// of a text is the text itself. Calls the value writer does not make answer E_NOTIMPL.
#pragma once

#include "Host/HostObject.h"
#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"

#include <string>

namespace TestSupport {

class FakeFieldInfo final : public Host::HostUnknownObject<ILSKOVAFieldInfo> {
public:
    static FakeFieldInfo* Create() { return new FakeFieldInfo(); }

    LONG type = 2;
    std::wstring displayName = L"Title";
    bool currency = false;
    bool percentage = false;
    LONG locale = 2057;
    HRESULT typeResult = S_OK;

    HRESULT STDMETHODCALLTYPE raw_get_DisplayName(BSTR* name) override {
        *name = SysAllocString(displayName.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_isCurrency(VARIANT_BOOL* flag) override {
        *flag = currency ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_isPercentage(VARIANT_BOOL* flag) override {
        *flag = percentage ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_LocaleId(LONG* lcid) override {
        *lcid = locale;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_FieldType(LONG* fieldType) override {
        *fieldType = type;
        return typeResult;
    }
    HRESULT STDMETHODCALLTYPE raw_get_DisplayFieldValue(BSTR value, BSTR* display) override {
        *display = SysAllocStringLen(value, SysStringLen(value));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_InternalName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod3(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod4(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod5(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_isRequired(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod10(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod11(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod12(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod14() override { return E_NOTIMPL; }
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
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod27() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_FieldControlProgId(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_RawFieldValue(BSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod31(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod32(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod33() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod34() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_FieldValueFromMap(ILSPropertyMap*, VARIANT_BOOL, BSTR*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod36() override { return E_NOTIMPL; }

private:
    FakeFieldInfo() = default;
};

} // namespace TestSupport
