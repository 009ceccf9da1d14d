#include "VantrelCommon/LSSafeArrayVector.h"

#include <algorithm>
#include <limits>

LSSafeArrayVector::LSSafeArrayVector(const std::vector<CStdStr<wchar_t>>& strings) {
    if (strings.size() > std::numeric_limits<ULONG>::max()) {
        throw VantrelCommon::narrowcasts::narrowing_error();
    }
    array_ = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(strings.size()));
    LSSafeArrayAccessor<BSTR> elements(array_);
    elements.AccessData();
    BSTR* element = elements.begin();
    for (const CStdStr<wchar_t>& text : strings) {
        *element++ = SysAllocString(text.c_str());
    }
    elements.UnaccessData();
}

LSSafeArrayVector::LSSafeArrayVector(std::vector<BSTR>&& strings) {
    if (strings.size() > std::numeric_limits<ULONG>::max()) {
        throw VantrelCommon::narrowcasts::narrowing_error();
    }
    array_ = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(strings.size()));
    LSSafeArrayAccessor<BSTR> elements(array_);
    elements.AccessData();
    std::copy(strings.begin(), strings.end(), elements.begin());
    strings.clear();
    elements.UnaccessData();
}

LSSafeArrayVector::~LSSafeArrayVector() {
    const HRESULT hr = SafeArrayDestroy(array_);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Failed destroying SA " << std::hex << hr;
    }
}
