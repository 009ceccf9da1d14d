// A field set of one repository for the item-property tests: knows fields by internal name, each
// with a display name and a field type, and records which names it was asked for.
#pragma once

#include "Host/HostObject.h"
#include "Host/KOVASyncBasicsLib/FieldInfo.h"

#include <map>
#include <string>
#include <vector>

namespace TestSupport {

class TestFieldInfo final : public Host::HostUnknownObject<ILSKOVAFieldInfo> {
public:
    static TestFieldInfo* Create(const std::wstring& displayName, LONG fieldType) {
        auto* info = new TestFieldInfo();
        info->displayName_ = displayName;
        info->fieldType_ = fieldType;
        return info;
    }

    HRESULT STDMETHODCALLTYPE raw_get_DisplayName(BSTR* displayName) override {
        *displayName = SysAllocString(displayName_.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_InternalName(BSTR* internalName) override {
        *internalName = SysAllocString(displayName_.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_isCurrency(VARIANT_BOOL* currency) override {
        *currency = VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_isPercentage(VARIANT_BOOL* percentage) override {
        *percentage = VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_LocaleId(LONG* lcid) override {
        *lcid = 1033;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_FieldType(LONG* fieldType) override {
        *fieldType = fieldType_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_DisplayFieldValue(BSTR value, BSTR* displayValue) override {
        *displayValue = SysAllocString(value);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_RawFieldValue(BSTR value, BSTR* rawValue) override {
        *rawValue = SysAllocString(value);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE raw_get_isRequired(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_Default(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_FieldControlProgId(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_get_FieldValueFromMap(ILSPropertyMap*, VARIANT_BOOL, BSTR*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod3(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod4(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod5(VARIANT_BOOL*) override { return E_NOTIMPL; }
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
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod23() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod24() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod25() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod27() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod31(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod32(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod33() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod34() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_FieldInfoMethod36() override { return E_NOTIMPL; }

private:
    TestFieldInfo() = default;
    std::wstring displayName_;
    LONG fieldType_ = 0;
};

class TestFieldSet final : public Host::HostUnknownObject<ILSKOVAFieldSetInfo> {
public:
    static TestFieldSet* Create() { return new TestFieldSet(); }

    struct Field {
        std::wstring displayName;
        LONG fieldType;
    };
    std::map<std::wstring, Field> fields;
    std::vector<std::wstring> asked;
    unsigned initialisations = 0;
    ILSPropertyMap* initialisedWith = nullptr;
    HRESULT initialiseResult = S_OK;

    HRESULT STDMETHODCALLTYPE raw_initializeFromReposWithAllFields(ILSPropertyMap* repository,
                                                                   ILSPropertyMap*) override {
        ++initialisations;
        initialisedWith = repository;
        return initialiseResult;
    }
    HRESULT STDMETHODCALLTYPE raw_getFieldInfo(BSTR internalName, ILSKOVAFieldInfo** fieldInfo) override {
        asked.emplace_back(internalName);
        auto found = fields.find(internalName);
        if (found == fields.end()) {
            *fieldInfo = nullptr;
            return E_INVALIDARG;
        }
        *fieldInfo = TestFieldInfo::Create(found->second.displayName, found->second.fieldType);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE raw_initializeFromReposWithDefaultContentType(ILSPropertyMap*,
                                                                            ILSPropertyMap*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE raw_initializeFromContentTypeId(ILSPropertyMap*, BSTR, BSTR, BSTR) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE raw_get_HasPropertyPages(VARIANT_BOOL*) override { return E_NOTIMPL; }
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

private:
    TestFieldSet() = default;
};

} // namespace TestSupport
