// The test host's property map: named properties of one item, folder or repository, kept in memory.
#pragma once

#include "Host/HostObject.h"
#include "Host/InjectedFailures.h"
#include "Host/PropertyName.h"
#include "KOVASyncBasicsLib/PropertyMap.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Host {

enum class PropertyType { String, Number, Date, Flag, Double, Currency };

struct DateValue {
    DATE value;
    friend bool operator==(const DateValue&, const DateValue&) = default;
};
struct CurrencyValue {
    LONGLONG scaled; // amount times 10000, as in CY
    friend bool operator==(const CurrencyValue&, const CurrencyValue&) = default;
};

// Index order follows PropertyType.
using PropertyValue = std::variant<std::wstring, LONG, DateValue, BYTE, double, CurrencyValue>;

struct Property {
    std::wstring name;
    PropertyValue value;
    PropertyType type() const { return static_cast<PropertyType>(value.index()); }
};

enum class PropertyMapMethod {
    GetItemStr,
    PutItemStr,
    GetItemNum,
    PutItemNum,
    GetItemDate,
    PutItemDate,
    GetItemHasValue,
    GetItemExists,
    PutItemBool,
    PutItemDouble,
    PutItemVar,
    PutItemVariant,
};

// Names compare exactly (letter case included). A property keeps the type it was last written
// with; a read of another type fails with DISP_E_TYPEMISMATCH, a read of a missing property with
// MAPI_E_NOT_FOUND. put_ItemStr with a null string stores the empty string. A property "has a
// value" when it exists and is not an empty string. put_ItemVar takes VT_CY, VT_BSTR, VT_I4, VT_R8
// and VT_DATE. put_ItemVariant takes a one-dimensional VT_ARRAY | VT_BSTR whose elements are the
// name, a TAB and the value; an element without a TAB refuses the whole batch with E_INVALIDARG.
// A mail item (Host/MailItem.h) is a map that serves one more interface. The map holds its
// properties in a vector sorted by name, each name shared by the process's maps (Host/PropertyName.h).
class LSMemoryPropertyMap : public HostObject<ILSPropertyMap> {
public:
    // A new map holding one reference, which the caller releases.
    static LSMemoryPropertyMap* Create();
    // A new map holding the same properties (not the test controls), one reference as Create's.
    LSMemoryPropertyMap* Copy() const;

    // Test controls.
    InjectedFailures<PropertyMapMethod>& Failures() { return failures_; }
    // When set, get_ItemStr hands out a null BSTR for an empty string, as some hosts do.
    void SetEmptyStringsAsNull(bool asNull) { emptyStringsAsNull_ = asNull; }
    void Set(std::wstring_view name, PropertyValue value);
    void Remove(std::wstring_view name);
    const PropertyValue* Find(std::wstring_view name) const;
    // Every property, ordered by name.
    std::vector<Property> Properties() const;
    // Whether both maps hold the same properties with the same types and values.
    bool HasSameProperties(const LSMemoryPropertyMap& other) const {
        return properties_ == other.properties_;
    }

    HRESULT STDMETHODCALLTYPE get_ItemStr(BSTR name, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_ItemStr(BSTR name, BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_ItemNum(BSTR name, LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_ItemNum(BSTR name, LONG value) override;
    HRESULT STDMETHODCALLTYPE get_ItemDate(BSTR name, DATE* value) override;
    HRESULT STDMETHODCALLTYPE put_ItemDate(BSTR name, DATE value) override;
    HRESULT STDMETHODCALLTYPE get_ItemHasValue(BSTR name, VARIANT_BOOL* hasValue) override;
    HRESULT STDMETHODCALLTYPE get_ItemExists(BSTR name, BYTE* exists) override;
    HRESULT STDMETHODCALLTYPE put_ItemBool(BSTR name, BYTE value) override;
    HRESULT STDMETHODCALLTYPE put_ItemDouble(BSTR name, DOUBLE value) override;
    HRESULT STDMETHODCALLTYPE put_ItemVar(BSTR name, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE put_ItemVariant(VARIANT* nameValuePairs) override;

protected:
    LSMemoryPropertyMap() = default;

private:
    // The injected failure of the call, else E_INVALIDARG for a null name, else S_OK.
    HRESULT Admit(PropertyMapMethod method, BSTR name) const;
    HRESULT Store(PropertyMapMethod method, BSTR name, PropertyValue value);
    // Reads a property of type T into out.
    template <class T> HRESULT Read(PropertyMapMethod method, BSTR name, T* out) const;

    struct Entry {
        PropertyName name;
        PropertyValue value;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    std::vector<Entry> properties_; // sorted by name
    InjectedFailures<PropertyMapMethod> failures_;
    bool emptyStringsAsNull_ = false;
};

} // namespace Host
