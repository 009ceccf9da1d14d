// Checks of what the host hands to a host method, made before the method does anything else, and
// checked access to the listing's tables.
#pragma once

#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "VantrelCommon/Exceptions.h"

#include <cstddef>
#include <vector>

// Collects the first failure of a host method's argument checks, each logged with the method's
// name: a missing map is E_INVALIDARG, a missing out pointer E_POINTER, an index past the listing
// of its kind E_INVALIDARG.
//     const HRESULT bad = LSHostArguments(method).Map(item).Listed(index, m_itemNames, "item").Result();
class LSHostArguments {
public:
    explicit LSHostArguments(const char* method) : m_method(method) {}

    LSHostArguments& Map(const ILSPropertyMap* map);
    LSHostArguments& Out(const void* out);
    template <class T>
    LSHostArguments& Listed(USHORT index, const std::vector<T>& listing, const char* kind) {
        return ListedIn(index, listing.size(), kind);
    }

    HRESULT Result() const { return m_result; }

private:
    LSHostArguments& ListedIn(USHORT index, std::size_t count, const char* kind);
    void Fail(HRESULT hr, const char* text);

    const char* m_method;
    HRESULT m_result = S_OK;
};

// ListedEntry's failure: logged, and E_INVALIDARG thrown.
[[noreturn]] void ThrowListedIndexError(std::size_t index, std::size_t count, const char* name);

// The table's entry at the index; an index past its end throws E_INVALIDARG (logged with the table's
// name) instead of reading past it.
template <class T> const T& ListedEntry(const std::vector<T>& table, std::size_t index, const char* name) {
    if (index >= table.size()) {
        ThrowListedIndexError(index, table.size(), name);
    }
    return table[index];
}
