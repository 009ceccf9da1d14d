#include "KOVACommon/LSHostArguments.h"

#include "VantrelCommon/LSDiag.h"

LSHostArguments& LSHostArguments::Map(const ILSPropertyMap* map) {
    if (map == nullptr) {
        Fail(E_INVALIDARG, ": a property map is null");
    }
    return *this;
}

LSHostArguments& LSHostArguments::Out(const void* out) {
    if (out == nullptr) {
        Fail(E_POINTER, ": an out pointer is null");
    }
    return *this;
}

LSHostArguments& LSHostArguments::ListedIn(USHORT index, std::size_t count, const char* kind) {
    if (index >= count && SUCCEEDED(m_result)) {
        LSDIAG_ERROR << m_method << ": no listed " << kind << " at index " << index << " (" << count
                     << " listed)";
        m_result = E_INVALIDARG;
    }
    return *this;
}

void LSHostArguments::Fail(HRESULT hr, const char* text) {
    if (SUCCEEDED(m_result)) {
        LSDIAG_ERROR << m_method << text;
        m_result = hr;
    }
}

void ThrowListedIndexError(std::size_t index, std::size_t count, const char* name) {
    LSDIAG_ERROR << "No entry " << index << " in the listing's " << name << " (" << count << " entries)";
    ThrowHResult(E_INVALIDARG);
}
