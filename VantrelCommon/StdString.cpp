#include "VantrelCommon/StdString.h"

#include "Platform/WideFormat.h"
#include "Platform/WinNls.h"

#include <algorithm>
#include <cwctype>
#include <sstream>

namespace {

using Str = CStdStr<wchar_t>;

// Results up to this many characters (with their NUL) are formatted on the stack.
constexpr std::size_t kStackBufferLength = 2048;

std::wstring AnsiToWide(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0); // with the NUL
    if (length <= 0) {
        return {};
    }
    std::wstring converted(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, converted.data(), length);
    return converted.c_str();
}

int CompareNoCase(const wchar_t* a, const wchar_t* b) {
    for (;; ++a, ++b) {
        const auto la = std::towlower(static_cast<wint_t>(*a));
        const auto lb = std::towlower(static_cast<wint_t>(*b));
        if (la != lb || *a == L'\0') {
            return la < lb ? -1 : (la > lb ? 1 : 0);
        }
    }
}

// Membership in a set of characters: a table when every member is below 256, else a search.
class CharacterSet {
public:
    explicit CharacterSet(const wchar_t* characters) : characters_(characters == nullptr ? L"" : characters) {
        small_ = std::all_of(characters_.begin(), characters_.end(), [](wchar_t c) { return c < 256; });
        if (small_) {
            for (wchar_t c : characters_) {
                table_[c] = true;
            }
        }
    }
    bool Contains(wchar_t c) const {
        if (small_) {
            return c >= 0 && c < 256 && table_[c];
        }
        return characters_.find(c) != std::wstring_view::npos;
    }

private:
    std::wstring_view characters_;
    bool small_ = true;
    bool table_[256] = {};
};

bool IsSpace(wchar_t c) {
    return std::iswspace(static_cast<wint_t>(c)) != 0;
}

// Formats into `target`, replacing its content or appending to it. The result is measured first;
// up to 2046 characters it is formatted on the stack, beyond that into one exact heap buffer. An
// empty or failed result on the stack path leaves the target as it was.
void FormatInto(Str& target, bool append, const wchar_t* format, va_list args) {
    va_list counting;
    va_copy(counting, args);
    const int count = _vscwprintf(format, counting);
    va_end(counting);

    va_list formatting;
    va_copy(formatting, args);
    if (static_cast<long long>(count) + 1 < static_cast<long long>(kStackBufferLength)) {
        wchar_t buffer[kStackBufferLength];
        const int written = _vsnwprintf(buffer, kStackBufferLength - 1, format, formatting);
        if (written > 0) {
            append ? target.append(buffer, static_cast<std::size_t>(written))
                   : target.assign(buffer, static_cast<std::size_t>(written));
        }
    } else {
        const auto counted = static_cast<std::size_t>(count);
        std::vector<wchar_t> buffer(append ? counted + 1 : counted + 2, L'\0');
        const int written = _vsnwprintf(buffer.data(), append ? counted : counted + 1, format, formatting);
        const std::size_t length =
            written < 0 ? counted : std::min(counted, static_cast<std::size_t>(written));
        append ? target.append(buffer.data(), length) : target.assign(buffer.data(), length);
    }
    va_end(formatting);
}

// The piece of the text from `start` (`length` characters at most) as a string of its own, up to
// its first NUL as a copy through c_str() is; made in one step.
Str PieceOf(const Str& text, Str::size_type start, Str::size_type length = Str::npos) {
    const std::wstring_view piece = std::wstring_view(text).substr(start, length);
    return Str(piece.data(), piece.substr(0, piece.find(L'\0')).size());
}

} // namespace

CStdStr<wchar_t>::CStdStr(const wchar_t* text) : std::wstring(text == nullptr ? L"" : text) {}

CStdStr<wchar_t>::CStdStr(const std::wstring& text) : std::wstring(text.c_str()) {}

CStdStr<wchar_t>::CStdStr(const CStdStr& other) : std::wstring(other.c_str()) {}

CStdStr<wchar_t>::CStdStr(const _bstr_t& text) {
    *this = text;
}

CStdStr<wchar_t>& CStdStr<wchar_t>::operator=(const CStdStr& other) {
    if (data() != other.data()) {
        clear();
        assign(other.c_str());
    }
    return *this;
}

CStdStr<wchar_t>& CStdStr<wchar_t>::operator=(CStdStr&& other) noexcept {
    if (this != &other) {
        std::wstring::operator=(std::move(other));
    }
    return *this;
}

CStdStr<wchar_t>& CStdStr<wchar_t>::operator=(const wchar_t* text) {
    if (text == nullptr) {
        clear();
    } else if (text >= data() && text <= data() + size()) {
        const std::wstring tail(text); // copied before the storage changes
        assign(tail);
    } else {
        assign(text);
    }
    return *this;
}

CStdStr<wchar_t>& CStdStr<wchar_t>::operator=(const _bstr_t& text) {
    if (text.length() == 0) {
        clear();
    } else {
        assign(static_cast<const wchar_t*>(text), text.length());
    }
    return *this;
}

CStdStr<wchar_t>& CStdStr<wchar_t>::operator=(const char* text) {
    if (text == nullptr) {
        clear();
    } else {
        assign(AnsiToWide(text));
    }
    return *this;
}

CStdStr<wchar_t>& CStdStr<wchar_t>::operator+=(const CStdStr& other) {
    append(other.c_str());
    return *this;
}

CStdStr<wchar_t>& CStdStr<wchar_t>::operator+=(const wchar_t* text) {
    if (text != nullptr) {
        append(text);
    }
    return *this;
}

BSTR CStdStr<wchar_t>::AllocSysString() const {
    return SysAllocString(c_str());
}

bool CStdStr<wchar_t>::Equals(const wchar_t* text, bool caseSensitive) const {
    if (text == nullptr) {
        return empty();
    }
    return caseSensitive ? compare(text) == 0 : CompareNoCase(c_str(), text) == 0;
}

int CStdStr<wchar_t>::ReverseFind(wchar_t character) const {
    const size_type at = rfind(character);
    return at == npos ? -1 : static_cast<int>(at);
}

wchar_t* CStdStr<wchar_t>::GetBuffer(int minLength) {
    if (minLength > 0 && static_cast<size_type>(minLength) > size()) {
        resize(static_cast<size_type>(minLength), L'\0');
    }
    return data();
}

void CStdStr<wchar_t>::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CStdStr<wchar_t>::FormatV(const wchar_t* format, va_list args) {
    FormatInto(*this, false, format, args);
}

void CStdStr<wchar_t>::AppendFormat(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void CStdStr<wchar_t>::AppendFormatV(const wchar_t* format, va_list args) {
    FormatInto(*this, true, format, args);
}

void CStdStr<wchar_t>::Trim() {
    const auto first = std::find_if_not(begin(), end(), IsSpace);
    erase(begin(), first);
    TrimRight();
}

void CStdStr<wchar_t>::Trim(const wchar_t* characters) {
    const CharacterSet set(characters);
    const auto first = std::find_if_not(begin(), end(), [&set](wchar_t c) { return set.Contains(c); });
    erase(begin(), first);
    TrimRight(characters);
}

void CStdStr<wchar_t>::TrimRight() {
    const auto last = std::find_if_not(rbegin(), rend(), IsSpace);
    erase(last.base(), end());
}

void CStdStr<wchar_t>::TrimRight(const wchar_t* characters) {
    const CharacterSet set(characters);
    const auto last = std::find_if_not(rbegin(), rend(), [&set](wchar_t c) { return set.Contains(c); });
    erase(last.base(), end());
}

wchar_t* AnsiToWideBuffer(wchar_t* buffer, const char* text, int bufferSize) {
    buffer[0] = L'\0';
    MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, bufferSize);
    return buffer;
}

CStdStr<wchar_t> FormatString(const wchar_t* format, ...) {
    Str result;
    va_list args;
    va_start(args, format);
    result.FormatV(format, args);
    va_end(args);
    return result;
}

std::vector<CStdStr<wchar_t>> Tokenize(const CStdStr<wchar_t>& text, const CStdStr<wchar_t>& delimiters) {
    std::vector<Str> pieces;
    auto start = text.find_first_not_of(delimiters);
    auto end = text.find_first_of(delimiters, start);
    while (start != Str::npos || end != Str::npos) {
        pieces.push_back(PieceOf(text, start, end == Str::npos ? Str::npos : end - start));
        start = text.find_first_not_of(delimiters, end);
        end = text.find_first_of(delimiters, start);
    }
    return pieces;
}

std::vector<CStdStr<wchar_t>> SplitString(const CStdStr<wchar_t>& text, const CStdStr<wchar_t>& delimiters) {
    std::vector<Str> pieces;
    Str::size_type start = 0;
    auto end = text.find_first_of(delimiters);
    while (end != Str::npos) {
        pieces.push_back(PieceOf(text, start, end - start));
        start = end + 1;
        end = delimiters.empty() || start >= text.size() ? Str::npos : text.find_first_of(delimiters, start);
    }
    pieces.push_back(PieceOf(text, start));
    return pieces;
}

void Split(const CStdStr<wchar_t>& text, wchar_t delimiter, std::vector<CStdStr<wchar_t>>& pieces,
           unsigned limit) {
    if (text.empty()) {
        return;
    }
    std::wistringstream stream(text);
    std::wstring line;
    while (pieces.size() < limit && std::getline(stream, line, delimiter)) {
        pieces.emplace_back(line);
    }
    if (pieces.size() < limit && text.back() == delimiter) {
        pieces.emplace_back();
    }
}

std::vector<CStdStr<wchar_t>> Split(const CStdStr<wchar_t>& text, wchar_t delimiter, unsigned limit) {
    std::vector<Str> pieces;
    Split(text, delimiter, pieces, limit);
    return pieces;
}

CStdStr<wchar_t> JoinStrings(const std::vector<CStdStr<wchar_t>>& pieces, const CStdStr<wchar_t>& separator) {
    Str joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i != 0) {
            joined += separator;
        }
        joined += pieces[i];
    }
    return joined;
}

bool EndsWith(const CStdStr<wchar_t>& text, const wchar_t* suffix) {
    if (suffix == nullptr) {
        return true;
    }
    const std::wstring_view tail(suffix);
    return tail.size() <= text.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}
