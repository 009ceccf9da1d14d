// The compiler's COM support: _bstr_t, _variant_t, _com_error and the smart interface pointers.
#pragma once

#include "Platform/BstrT.h"
#include "Platform/ComError.h"
#include "Platform/ComPtr.h"
#include "Platform/ErrorInfo.h"
#include "Platform/VariantT.h"

_COM_SMARTPTR_TYPEDEF(IUnknown, __uuidof(IUnknown));
_COM_SMARTPTR_TYPEDEF(IDispatch, __uuidof(IDispatch));
_COM_SMARTPTR_TYPEDEF(IErrorInfo, __uuidof(IErrorInfo));
_COM_SMARTPTR_TYPEDEF(ISupportErrorInfo, __uuidof(ISupportErrorInfo));
_COM_SMARTPTR_TYPEDEF(ICreateErrorInfo, __uuidof(ICreateErrorInfo));
