// A field set of one repository for the item-property tests: knows fields by internal name, each
// with a display name and a field type, and records which names it was asked for.
#pragma once

#include "Host/HostObject.h"
#include "KOVASyncBasicsLib/FieldInfo.h"
#include "tests/KOVACommon/FakeFieldInfo.h"

#include <map>
#include <string>
#include <vector>

namespace TestSupport {

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
        FakeFieldInfo* info = FakeFieldInfo::Create();
        info->displayName = found->second.displayName;
        info->type = found->second.fieldType;
        *fieldInfo = info;
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
