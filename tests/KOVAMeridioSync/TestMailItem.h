// A mail item as a host hands it to the filter: a property map (the test host's, held inside) that
// also answers ILSMessageItem with the recipient lists, categories, named-property tags and message
// class the test gives it. A value the test did not give answers MAPI_E_NOT_FOUND.
#pragma once

#include "Host/PropertyMap.h"
#include "KOVASyncBasicsLib/MessageItem.h"
#include "tests/KOVACommon/FilterTestFixture.h"

#include <map>
#include <optional>
#include <string>

namespace MeridioTest {

class TestMailItem final : public Host::HostObject<ILSPropertyMap>, public ILSMessageItem {
public:
    static TestMailItem* Create() { return new TestMailItem(); }

    // The property map's content.
    Host::LSMemoryPropertyMap& Map() { return *map_; }

    std::map<ULONG, std::wstring> texts; // raw_GetPropertyText by tag
    std::optional<std::wstring> keywords;
    std::map<LONG, ULONG> commonTags; // named-property id -> tag
    std::map<LONG, ULONG> taskTags;
    std::optional<std::wstring> messageClass;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object != nullptr && riid == __uuidof(ILSMessageItem)) {
            *object = static_cast<ILSMessageItem*>(this);
            AddRef();
            return S_OK;
        }
        return HostObject::QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return HostObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return HostObject::Release(); }

    HRESULT STDMETHODCALLTYPE get_ItemStr(BSTR name, BSTR* value) override {
        return map_->get_ItemStr(name, value);
    }
    HRESULT STDMETHODCALLTYPE put_ItemStr(BSTR name, BSTR value) override {
        return map_->put_ItemStr(name, value);
    }
    HRESULT STDMETHODCALLTYPE get_ItemNum(BSTR name, LONG* value) override {
        return map_->get_ItemNum(name, value);
    }
    HRESULT STDMETHODCALLTYPE put_ItemNum(BSTR name, LONG value) override {
        return map_->put_ItemNum(name, value);
    }
    HRESULT STDMETHODCALLTYPE get_ItemDate(BSTR name, DATE* value) override {
        return map_->get_ItemDate(name, value);
    }
    HRESULT STDMETHODCALLTYPE put_ItemDate(BSTR name, DATE value) override {
        return map_->put_ItemDate(name, value);
    }
    HRESULT STDMETHODCALLTYPE get_ItemHasValue(BSTR name, VARIANT_BOOL* hasValue) override {
        return map_->get_ItemHasValue(name, hasValue);
    }
    HRESULT STDMETHODCALLTYPE get_ItemExists(BSTR name, BYTE* exists) override {
        return map_->get_ItemExists(name, exists);
    }
    HRESULT STDMETHODCALLTYPE put_ItemBool(BSTR name, BYTE value) override {
        return map_->put_ItemBool(name, value);
    }
    HRESULT STDMETHODCALLTYPE put_ItemDouble(BSTR name, DOUBLE value) override {
        return map_->put_ItemDouble(name, value);
    }
    HRESULT STDMETHODCALLTYPE put_ItemVar(BSTR name, VARIANT* value) override {
        return map_->put_ItemVar(name, value);
    }
    HRESULT STDMETHODCALLTYPE put_ItemVariant(VARIANT* nameValuePairs) override {
        return map_->put_ItemVariant(nameValuePairs);
    }

    HRESULT STDMETHODCALLTYPE raw_GetPropertyText(ULONG tag, BSTR* text) override {
        const auto found = texts.find(tag);
        return Hand(found == texts.end() ? std::nullopt : std::optional(found->second), text);
    }
    HRESULT STDMETHODCALLTYPE raw_get_Keywords(BSTR* text) override { return Hand(keywords, text); }
    HRESULT STDMETHODCALLTYPE raw_GetCommonNamedPropertyTag(LONG id, ULONG* tag) override {
        return TagOf(commonTags, id, tag);
    }
    HRESULT STDMETHODCALLTYPE raw_GetTaskNamedPropertyTag(LONG id, ULONG* tag) override {
        return TagOf(taskTags, id, tag);
    }
    HRESULT STDMETHODCALLTYPE raw_get_MessageClass(BSTR* text) override { return Hand(messageClass, text); }

private:
    TestMailItem() = default;

    static HRESULT Hand(const std::optional<std::wstring>& value, BSTR* text) {
        if (text == nullptr) {
            return E_POINTER;
        }
        *text = value ? SysAllocStringLen(value->data(), static_cast<UINT>(value->size())) : nullptr;
        return value ? S_OK : MAPI_E_NOT_FOUND;
    }
    static HRESULT TagOf(const std::map<LONG, ULONG>& tags, LONG id, ULONG* tag) {
        if (tag == nullptr) {
            return E_POINTER;
        }
        const auto found = tags.find(id);
        *tag = found == tags.end() ? 0 : found->second;
        return found == tags.end() ? MAPI_E_NOT_FOUND : S_OK;
    }

    TestSupport::Owned<Host::LSMemoryPropertyMap> map_ = TestSupport::NewMap();
};

inline TestSupport::Owned<TestMailItem> NewMailItem() {
    return TestSupport::Owned<TestMailItem>(TestMailItem::Create());
}

} // namespace MeridioTest
