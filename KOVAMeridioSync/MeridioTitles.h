// Names a new Meridio document takes from the file it is made of.
#pragma once

#include "VantrelCommon/StdString.h"

// A document's title: its file name up to the last ".", or the whole name when it has none.
CStdStr<wchar_t> TitleOfFileName(const CStdStr<wchar_t>& name);

// The name without the characters \ / : * ? " < > | (the default lock file name of a new document).
CStdStr<wchar_t> RemoveInvalidTitleChars(const CStdStr<wchar_t>& name);
