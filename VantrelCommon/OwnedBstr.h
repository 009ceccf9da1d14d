// A BSTR with one owner, freed with it: for a call's own argument or result, where a _bstr_t would
// allocate its shared holder besides the string.
#pragma once

#include "Platform/ComIssueError.h"
#include "Platform/OleAuto.h"

#include <memory>

struct BstrFree {
    void operator()(BSTR text) const { SysFreeString(text); }
};
using OwnedBstr = std::unique_ptr<OLECHAR, BstrFree>;

// A copy of the text up to its first NUL, as _bstr_t(text) makes; null stays null. No memory raises
// _com_error(E_OUTOFMEMORY).
inline OwnedBstr CopyToBstr(const wchar_t* text) {
    if (text == nullptr) {
        return OwnedBstr();
    }
    OwnedBstr copy(SysAllocString(text));
    if (copy == nullptr) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    return copy;
}
