#include "Host/PropertyMap.h"

#include <algorithm>

namespace Host {

namespace {

std::wstring_view ViewOf(BSTR text) {
    return text == nullptr ? std::wstring_view{} : std::wstring_view(text, SysStringLen(text));
}

std::wstring TextOf(BSTR text) {
    return std::wstring(ViewOf(text));
}

template <class Entries> auto LowerBound(Entries& entries, std::wstring_view name) {
    return std::lower_bound(entries.begin(), entries.end(), name,
                            [](const auto& entry, std::wstring_view wanted) { return *entry.name < wanted; });
}

constexpr wchar_t kNameValueSeparator = L'\t';

} // namespace

LSMemoryPropertyMap* LSMemoryPropertyMap::Create() {
    return new LSMemoryPropertyMap();
}

LSMemoryPropertyMap* LSMemoryPropertyMap::Copy() const {
    LSMemoryPropertyMap* copy = Create();
    copy->properties_ = properties_;
    return copy;
}

void LSMemoryPropertyMap::Set(std::wstring_view name, PropertyValue value) {
    const auto found = LowerBound(properties_, name);
    if (found != properties_.end() && *found->name == name) {
        found->value = std::move(value);
        return;
    }
    properties_.insert(found, Entry{PropertyName(name), std::move(value)});
}

void LSMemoryPropertyMap::Remove(std::wstring_view name) {
    const auto found = LowerBound(properties_, name);
    if (found != properties_.end() && *found->name == name) {
        properties_.erase(found);
    }
}

const PropertyValue* LSMemoryPropertyMap::Find(std::wstring_view name) const {
    const auto found = LowerBound(properties_, name);
    return found != properties_.end() && *found->name == name ? &found->value : nullptr;
}

std::vector<Property> LSMemoryPropertyMap::Properties() const {
    std::vector<Property> all;
    all.reserve(properties_.size());
    for (const Entry& entry : properties_) {
        all.push_back({*entry.name, entry.value});
    }
    return all;
}

HRESULT LSMemoryPropertyMap::Admit(PropertyMapMethod method, BSTR name) const {
    if (!failures_.Empty()) {
        if (auto failure = failures_.For(method, TextOf(name))) {
            return *failure;
        }
    }
    return name == nullptr ? E_INVALIDARG : S_OK;
}

HRESULT LSMemoryPropertyMap::Store(PropertyMapMethod method, BSTR name, PropertyValue value) {
    const HRESULT admitted = Admit(method, name);
    if (FAILED(admitted)) {
        return admitted;
    }
    Set(ViewOf(name), std::move(value));
    return S_OK;
}

template <class T> HRESULT LSMemoryPropertyMap::Read(PropertyMapMethod method, BSTR name, T* out) const {
    if (out == nullptr) {
        return E_POINTER;
    }
    const HRESULT admitted = Admit(method, name);
    if (FAILED(admitted)) {
        return admitted;
    }
    const PropertyValue* value = Find(ViewOf(name));
    if (value == nullptr) {
        return MAPI_E_NOT_FOUND;
    }
    const T* typed = std::get_if<T>(value);
    if (typed == nullptr) {
        return DISP_E_TYPEMISMATCH;
    }
    *out = *typed;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::get_ItemStr(BSTR name, BSTR* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    std::wstring text;
    const HRESULT hr = Read(PropertyMapMethod::GetItemStr, name, &text);
    if (FAILED(hr)) {
        return hr;
    }
    if (text.empty() && emptyStringsAsNull_) {
        *value = nullptr;
        return S_OK;
    }
    *value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *value == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::put_ItemStr(BSTR name, BSTR value) {
    return Store(PropertyMapMethod::PutItemStr, name, TextOf(value));
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::get_ItemNum(BSTR name, LONG* value) {
    return Read(PropertyMapMethod::GetItemNum, name, value);
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::put_ItemNum(BSTR name, LONG value) {
    return Store(PropertyMapMethod::PutItemNum, name, value);
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::get_ItemDate(BSTR name, DATE* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    DateValue date{};
    const HRESULT hr = Read(PropertyMapMethod::GetItemDate, name, &date);
    if (SUCCEEDED(hr)) {
        *value = date.value;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::put_ItemDate(BSTR name, DATE value) {
    return Store(PropertyMapMethod::PutItemDate, name, DateValue{value});
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::get_ItemHasValue(BSTR name, VARIANT_BOOL* hasValue) {
    if (hasValue == nullptr) {
        return E_POINTER;
    }
    const HRESULT admitted = Admit(PropertyMapMethod::GetItemHasValue, name);
    if (FAILED(admitted)) {
        return admitted;
    }
    const PropertyValue* value = Find(ViewOf(name));
    const auto* text = value == nullptr ? nullptr : std::get_if<std::wstring>(value);
    const bool holdsValue = value != nullptr && (text == nullptr || !text->empty());
    *hasValue = holdsValue ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::get_ItemExists(BSTR name, BYTE* exists) {
    if (exists == nullptr) {
        return E_POINTER;
    }
    const HRESULT admitted = Admit(PropertyMapMethod::GetItemExists, name);
    if (FAILED(admitted)) {
        return admitted;
    }
    *exists = Find(ViewOf(name)) != nullptr ? 1 : 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::put_ItemBool(BSTR name, BYTE value) {
    return Store(PropertyMapMethod::PutItemBool, name, value);
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::put_ItemDouble(BSTR name, DOUBLE value) {
    return Store(PropertyMapMethod::PutItemDouble, name, value);
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::put_ItemVar(BSTR name, VARIANT* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    switch (value->vt) {
    case VT_CY:
        return Store(PropertyMapMethod::PutItemVar, name, CurrencyValue{value->cyVal.int64});
    case VT_BSTR:
        return Store(PropertyMapMethod::PutItemVar, name, TextOf(value->bstrVal));
    case VT_I4:
        return Store(PropertyMapMethod::PutItemVar, name, value->lVal);
    case VT_R8:
        return Store(PropertyMapMethod::PutItemVar, name, value->dblVal);
    case VT_DATE:
        return Store(PropertyMapMethod::PutItemVar, name, DateValue{value->date});
    default:
        return DISP_E_BADVARTYPE;
    }
}

HRESULT STDMETHODCALLTYPE LSMemoryPropertyMap::put_ItemVariant(VARIANT* nameValuePairs) {
    if (nameValuePairs == nullptr) {
        return E_POINTER;
    }
    if (auto failure = failures_.For(PropertyMapMethod::PutItemVariant)) {
        return *failure;
    }
    if (nameValuePairs->vt != (VT_ARRAY | VT_BSTR) || nameValuePairs->parray == nullptr) {
        return DISP_E_TYPEMISMATCH;
    }
    const SAFEARRAY* array = nameValuePairs->parray;
    if (array->cDims != 1) {
        return E_INVALIDARG;
    }
    const auto* elements = static_cast<const BSTR*>(array->pvData);
    std::vector<std::pair<std::wstring_view, std::wstring>> pairs;
    pairs.reserve(array->rgsabound[0].cElements);
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) {
        const std::wstring_view element = ViewOf(elements[i]);
        const auto tab = element.find(kNameValueSeparator);
        if (tab == std::wstring_view::npos) {
            return E_INVALIDARG;
        }
        pairs.emplace_back(element.substr(0, tab), std::wstring(element.substr(tab + 1)));
    }
    for (auto& [name, value] : pairs) {
        Set(name, std::move(value));
    }
    return S_OK;
}

} // namespace Host
