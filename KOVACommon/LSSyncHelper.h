// Conversions between the server's date texts, automation dates and display texts; the writer of
// one custom field's value; the switch into light-sync mode.
#pragma once

#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "Platform/OleAuto.h"
#include "VantrelCommon/StdString.h"

// "2024-03-05T07:08:09Z" (milliseconds dropped).
CStdStr<wchar_t> SystemTimesToSharePointDateString(const SYSTEMTIME& time);
// "2024-03-05<separator>07:08:09", no zone designator.
CStdStr<wchar_t> VariantTimeToDateString(DATE date, const wchar_t* separator);
// As SystemTimesToSharePointDateString; a failure is logged and gives the empty text.
CStdStr<wchar_t> VariantTimeToSharePointDateString(const VARIANT& date);

// When the text, trimmed and without a trailing "UTC", is a server date text ("...T...Z",
// fractional seconds allowed), the display text of that UTC time in local time goes to localText.
bool ParseDateString(const CStdStr<wchar_t>& text, CStdStr<wchar_t>& localText);
// A date text (with "T", "Z" or "UTC" in it, or in the user's short form) as a VT_DATE variant.
bool DateStringToVariantDate(const CStdStr<wchar_t>& text, VARIANT& date);

// The current UTC time plus the light-sync duration, as a server date text.
CStdStr<wchar_t> GetLightSyncEndTime();
// Saves the light-sync end time as a user setting; false when light sync is off or the end time
// could not be saved.
bool EnableLightSyncMode();

namespace LSSyncHelper {

// Stores one custom field's value on the item, typed by the field's type: text (1-4), number (5,
// a currency amount in the field's own locale or a double), date (6). Never throws.
HRESULT setFieldValue(ILSKOVAFieldInfo* field, ILSPropertyMap* map, const CStdStr<wchar_t>& value);

} // namespace LSSyncHelper
