// Text utilities shared by the system: XML escaping, wide text into the narrow (UTF-8) log stream,
// percent-decoding, trimming leading blanks and number conversions.
#pragma once

#include "VantrelCommon/StdString.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

// UTF-16 (surrogate pairs joined) to UTF-8 and back. The log's conversion (ToBytes) gives the
// one-byte text "?" for text it cannot convert; the strict pair (to_bytes, from_bytes) raises
// std::range_error("bad conversion") instead.
class Utf8Converter {
public:
    std::string ToBytes(const wchar_t* text, std::size_t length) const;
    std::string to_bytes(std::wstring_view text) const;
    std::wstring from_bytes(std::string_view bytes) const;
};

// The calling thread's converter, made on its first use and kept for the thread's life.
Utf8Converter& GetThreadUtf8Converter();

// Replaces every occurrence of `from` by `to`, the search going on after each inserted text; an
// empty `from` changes nothing.
void ReplaceAll(CStdStr<wchar_t>& text, std::wstring_view from, std::wstring_view to);

// "&" first, then "<", ">", "'" and the double quote, each replaced by its entity; the input's
// terminated view. A character that XML 1.0 cannot carry in any form (a control character other than
// tab, line feed and carriage return, half of a surrogate pair alone, U+FFFE, U+FFFF, anything past
// U+10FFFF) throws hresult_exception E_INVALIDARG "Cannot send <field>: it holds the character U+0001,
// which XML cannot carry", so that no ill-formed request is ever built.
CStdStr<wchar_t> XmlEscape(const CStdStr<wchar_t>& text, std::string_view field);

// Writes `length` characters as UTF-8; a failed conversion writes "utf8_log_failed: " and the text
// in the ANSI code page. Null or a length of 0 writes nothing.
std::ostream& WriteWideAsUtf8(std::ostream& stream, const wchar_t* text, std::size_t length);
// The full length (embedded NULs included) / up to the NUL / SysStringLen characters.
std::ostream& operator<<(std::ostream& stream, const std::wstring& text);
std::ostream& operator<<(std::ostream& stream, const wchar_t* text);
std::ostream& operator<<(std::ostream& stream, const _bstr_t& text);

// "%xx" becomes the one character 0xxx (bytes are not combined); "+" stays. A truncated escape throws
// hresult_exception(E_INVALIDARG, "Invalid encoding"), a non-hex digit E_INVALIDARG as a bare HRESULT.
CStdStr<wchar_t> UrlDecode(const CStdStr<wchar_t>& text);

// Erases the leading run of U+0020 only.
CStdStr<wchar_t>& TrimLeadingSpaces(CStdStr<wchar_t>& text);

// The number at the start of the text ("%d"; 0 when there is none); an empty or blank text throws
// E_INVALIDARG as a bare HRESULT.
int ToInt(const CStdStr<wchar_t>& text);

// Decimal digits only (at least one, no sign or blanks), as a number held at `ceiling` when larger;
// none for any other text.
std::optional<std::uint32_t> ParseDigits(std::wstring_view text, std::uint32_t ceiling);

// Decimal, no sign or padding.
CStdStr<wchar_t> ToString(std::uint32_t value);
// "0x" and eight lower-case hexadecimal digits.
CStdStr<wchar_t> ToHexString(std::uint32_t value);
