// A property map that keeps every batch of string properties it receives, element by element,
// and stores everything in an in-memory map of the test host.
#pragma once

#include "Host/PropertyMap.h"

#include <string>
#include <vector>

namespace TestSupport {

class RecordingPropertyMap final : public Host::HostObject<ILSPropertyMap> {
public:
    static RecordingPropertyMap* Create() { return new RecordingPropertyMap(); }

    Host::LSMemoryPropertyMap& Store() { return *store_; }
    // The elements of each put_ItemVariant batch, in order.
    std::vector<std::vector<std::wstring>> batches;

    HRESULT STDMETHODCALLTYPE put_ItemVariant(VARIANT* pairs) override {
        std::vector<std::wstring> elements;
        if (pairs != nullptr && pairs->vt == (VT_ARRAY | VT_BSTR) && pairs->parray != nullptr) {
            BSTR* data = static_cast<BSTR*>(pairs->parray->pvData);
            for (ULONG i = 0; i < pairs->parray->rgsabound[0].cElements; ++i) {
                elements.emplace_back(data[i], SysStringLen(data[i]));
            }
        }
        batches.push_back(elements);
        return store_->put_ItemVariant(pairs);
    }
    HRESULT STDMETHODCALLTYPE get_ItemStr(BSTR name, BSTR* value) override {
        return store_->get_ItemStr(name, value);
    }
    HRESULT STDMETHODCALLTYPE put_ItemStr(BSTR name, BSTR value) override {
        return store_->put_ItemStr(name, value);
    }
    HRESULT STDMETHODCALLTYPE get_ItemNum(BSTR name, LONG* value) override {
        return store_->get_ItemNum(name, value);
    }
    HRESULT STDMETHODCALLTYPE put_ItemNum(BSTR name, LONG value) override {
        return store_->put_ItemNum(name, value);
    }
    HRESULT STDMETHODCALLTYPE get_ItemDate(BSTR name, DATE* value) override {
        return store_->get_ItemDate(name, value);
    }
    HRESULT STDMETHODCALLTYPE put_ItemDate(BSTR name, DATE value) override {
        return store_->put_ItemDate(name, value);
    }
    HRESULT STDMETHODCALLTYPE get_ItemHasValue(BSTR name, VARIANT_BOOL* hasValue) override {
        return store_->get_ItemHasValue(name, hasValue);
    }
    HRESULT STDMETHODCALLTYPE get_ItemExists(BSTR name, BYTE* exists) override {
        return store_->get_ItemExists(name, exists);
    }
    HRESULT STDMETHODCALLTYPE put_ItemBool(BSTR name, BYTE value) override {
        return store_->put_ItemBool(name, value);
    }
    HRESULT STDMETHODCALLTYPE put_ItemDouble(BSTR name, DOUBLE value) override {
        return store_->put_ItemDouble(name, value);
    }
    HRESULT STDMETHODCALLTYPE put_ItemVar(BSTR name, VARIANT* value) override {
        return store_->put_ItemVar(name, value);
    }

private:
    RecordingPropertyMap() : store_(Host::LSMemoryPropertyMap::Create()) {}
    ~RecordingPropertyMap() override { store_->Release(); }

    Host::LSMemoryPropertyMap* store_;
};

} // namespace TestSupport
