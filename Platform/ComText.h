// BSTR results and arguments of the layer's COM methods.
#pragma once

#include "Platform/OleAuto.h"

#include <string>
#include <string_view>

namespace Platform {

// The BSTR's characters; a null BSTR is the empty text.
std::wstring_view BstrView(BSTR text);
std::string BstrToUtf8(BSTR text);

// Equal when letters are compared without regard to case (ProgIDs, property and header names).
bool EqualNoCase(std::wstring_view a, std::wstring_view b);

// Store a new BSTR in *out: E_POINTER for a null out, E_OUTOFMEMORY when allocation fails.
HRESULT ReturnBstr(std::wstring_view text, BSTR* out);
HRESULT ReturnBstrFromUtf8(std::string_view utf8, BSTR* out);
// The same as a VT_BSTR VARIANT (*out is overwritten, not cleared).
HRESULT ReturnVariantFromUtf8(std::string_view utf8, VARIANT* out);

// The text of a VARIANT argument: a BSTR (by value or by reference); DISP_E_TYPEMISMATCH otherwise.
HRESULT VariantToUtf8(const VARIANT& value, std::string& text);

} // namespace Platform
