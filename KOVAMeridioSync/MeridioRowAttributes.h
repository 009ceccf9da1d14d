// Reading the attributes of a row of the server's data-set XML (T0, T1, T4 elements).
#pragma once

#include "Platform/MsXml.h"
#include "Platform/OleAuto.h"
#include "VantrelCommon/StdString.h"

// The attribute's text; a missing attribute, or one that is not a string, is logged and thrown as
// E_INVALIDARG.
CStdStr<wchar_t> GetAttributeAsString(IXMLDOMNode* row, const wchar_t* name);
// The attribute's text read as a decimal number.
LONG GetAttributeAsInt(IXMLDOMNode* row, const wchar_t* name);
// The attribute's date text as an automation date in the user's locale; 0.0 when the attribute is
// missing or empty. A text that does not convert raises _com_error with the conversion's HRESULT.
DATE GetAttributeAsNumber(IXMLDOMNode* row, const wchar_t* name);

// The item property that carries a server attribute: "Meridio-" and the attribute's name with its
// underscores as dashes.
CStdStr<wchar_t> MakePropertyName(const CStdStr<wchar_t>& attributeName);
