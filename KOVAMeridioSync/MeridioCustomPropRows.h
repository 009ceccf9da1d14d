// The DOCUMENT_CUSTOMPROPS rows of an AddObject2 diffgram: one row per custom property of a new
// document, named by its display name, numbered from 1 within one upload. Values read from the
// item's property map are addressed by MAPI tag ("0x" and eight lower-case hexadecimal digits).
#pragma once

#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "Platform/ComUtil.h"
#include "VantrelCommon/StdString.h"

// The name under which the property map holds the value of a MAPI tag.
_bstr_t TagPropertyName(DWORD tag);

// Appends rows to a rows text; rows that are skipped do not advance the row counter.
class MeridioCustomPropRows {
public:
    MeridioCustomPropRows(CStdStr<wchar_t>& rows, LONG categoryId) : rows_(rows), categoryId_(categoryId) {}

    // A text row, also for an empty text.
    void AddCustomPropTextRow(const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& text);
    // A number row of the value.
    void AddCustomPropNumberValueRow(const CStdStr<wchar_t>& name, LONG number);
    // The text of the tag as a text row (empty when it cannot be read); a null map throws
    // E_INVALIDARG.
    void AddCustomPropRowForPropTag(const CStdStr<wchar_t>& name, ILSPropertyMap* item, DWORD tag);
    // The same for a property of the map named `property`.
    void AddCustomPropRowFromPropertyMap(const CStdStr<wchar_t>& name, ILSPropertyMap* item,
                                         const _bstr_t& property);
    // A date row when the tag holds a date other than 0.0.
    void AddCustomPropDateRow(const CStdStr<wchar_t>& name, ILSPropertyMap* item, DWORD tag);
    // A number row when the tag's 32-bit number can be read.
    void AddCustomPropNumberRow(const CStdStr<wchar_t>& name, ILSPropertyMap* item, DWORD tag);
    // A number row only when the map has the tag.
    void AddCustomPropNumberRowIfPresent(const CStdStr<wchar_t>& name, ILSPropertyMap* item, DWORD tag);

private:
    void AddRow(const CStdStr<wchar_t>& name, const wchar_t* column, const CStdStr<wchar_t>& value);

    CStdStr<wchar_t>& rows_;
    LONG categoryId_;
    long count_ = 0;
};
