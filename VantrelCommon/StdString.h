// CStdStr<wchar_t>: the system's text type, a standard wide string with formatting, trimming,
// null-safe construction and assignment, automation-string conversion, comparison and a writable
// buffer; beside it free functions that split, join and format. Several added operations work on the
// terminated view (c_str()), stopping at an embedded NUL, and say so.
#pragma once

#include "Platform/ComUtil.h"

#include <cstdarg>
#include <string>
#include <vector>

template <class CharT> class CStdStr;

template <> class CStdStr<wchar_t> : public std::wstring {
public:
    using std::wstring::wstring;
    using std::wstring::operator=;
    using std::wstring::operator+=;

    CStdStr() = default;
    // Null gives the empty string.
    CStdStr(const wchar_t* text);
    // Terminated view of the source.
    CStdStr(const std::wstring& text);
    CStdStr(const CStdStr& other);
    CStdStr(CStdStr&& other) noexcept = default;
    // Exactly SysStringLen characters (embedded NULs kept); no string gives the empty string.
    CStdStr(const _bstr_t& text);
    // The string resource `id` (empty when it cannot be loaded).
    explicit CStdStr(UINT id) { LoadString(id); }

    CStdStr& operator=(const CStdStr& other);
    CStdStr& operator=(CStdStr&& other) noexcept;
    // Null empties; a pointer into this string's own text keeps the tail from there.
    CStdStr& operator=(const wchar_t* text);
    CStdStr& operator=(const _bstr_t& text);
    // ANSI code page text up to its NUL; null gives the empty string.
    CStdStr& operator=(const char* text);

    // Appends the terminated view / the text up to its NUL (null appends nothing).
    CStdStr& operator+=(const CStdStr& other);
    CStdStr& operator+=(const wchar_t* text);

    // A new BSTR of the terminated view, owned by the caller.
    BSTR AllocSysString() const;
    // Null equals only the empty string. Case-sensitive: every code unit and the length equal;
    // otherwise the terminated view compared without regard to case (_wcsicmp).
    bool Equals(const wchar_t* text, bool caseSensitive) const;
    // Index of the last occurrence, or -1.
    int ReverseFind(wchar_t character) const;
    // Lengthens the string with NULs to minLength when shorter; returns its first character.
    wchar_t* GetBuffer(int minLength);

    // printf-style with the Windows wide conventions (%s is a wide string). An empty or failed
    // result leaves the string unchanged.
    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);
    void AppendFormat(const wchar_t* format, ...);
    void AppendFormatV(const wchar_t* format, va_list args);

    // White space is what iswspace calls a space.
    void Trim();
    void Trim(const wchar_t* characters);
    void TrimRight();
    void TrimRight(const wchar_t* characters);

    // Loads string resource `id` from the resource modules; false when none holds it.
    bool LoadString(UINT id);
};

// Writes the ANSI-code-page conversion of the whole of `text` into `buffer` (made empty first);
// reports no failure, so the buffer must hold the whole text.
wchar_t* AnsiToWideBuffer(wchar_t* buffer, const char* text, int bufferSize);

CStdStr<wchar_t> FormatString(const wchar_t* format, ...);
// The non-empty pieces between delimiter characters.
std::vector<CStdStr<wchar_t>> Tokenize(const CStdStr<wchar_t>& text, const CStdStr<wchar_t>& delimiters);
// Every piece between delimiter characters, empty ones included.
std::vector<CStdStr<wchar_t>> SplitString(const CStdStr<wchar_t>& text, const CStdStr<wchar_t>& delimiters);
// Pieces between occurrences of `delimiter` appended to `pieces` while it holds fewer than `limit`.
void Split(const CStdStr<wchar_t>& text, wchar_t delimiter, std::vector<CStdStr<wchar_t>>& pieces,
           unsigned limit);
std::vector<CStdStr<wchar_t>> Split(const CStdStr<wchar_t>& text, wchar_t delimiter, unsigned limit);
CStdStr<wchar_t> JoinStrings(const std::vector<CStdStr<wchar_t>>& pieces, const CStdStr<wchar_t>& separator);
// Case-sensitive; a null or empty suffix always matches.
bool EndsWith(const CStdStr<wchar_t>& text, const wchar_t* suffix);
