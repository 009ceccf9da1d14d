// The typed wrappers of the host's interfaces raise the platform's COM error for a failed call,
// as the wrappers of an imported type library do.
#pragma once

#include "Platform/ComUtil.h"

namespace KOVASyncBasicsLib {

// Returns hr when it succeeded; otherwise raises _com_error with the interface's id.
template <class Interface> HRESULT CheckCall(Interface* self, HRESULT hr) {
    if (FAILED(hr)) {
        _com_issue_errorex(hr, self, __uuidof(Interface));
    }
    return hr;
}

} // namespace KOVASyncBasicsLib
