#include "Platform/RegistryText.h"

#include "Platform/Utf.h"

#include <cstring>
#include <optional>

namespace Platform::Registry {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kWhitespace = " \t\r";
constexpr DWORD kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4, kMultiSz = 7;
constexpr std::size_t kHexLineWidth = 77; // regedit wraps hex data at about this column

bool IsUtf16Type(DWORD type) {
    return type == kSz || type == kExpandSz || type == kMultiSz;
}

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(kWhitespace);
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(kWhitespace) - first + 1);
}

std::vector<BYTE> UnitsToBytes(std::wstring_view units) {
    std::vector<BYTE> bytes(units.size() * sizeof(wchar_t));
    if (!bytes.empty()) { // an empty view or vector may hold no pointer, which memcpy must not get
        std::memcpy(bytes.data(), units.data(), bytes.size());
    }
    return bytes;
}

std::wstring BytesToUnits(const std::vector<BYTE>& bytes) {
    std::wstring units(bytes.size() / sizeof(wchar_t), L'\0');
    if (!units.empty()) {
        std::memcpy(units.data(), bytes.data(), units.size() * sizeof(wchar_t));
    }
    return units;
}

std::vector<BYTE> UnitsToUtf16Le(std::wstring_view units) {
    std::vector<BYTE> out;
    const auto put = [&](char32_t unit) {
        out.push_back(static_cast<BYTE>(unit & 0xFF));
        out.push_back(static_cast<BYTE>(unit >> 8));
    };
    for (const wchar_t c : units) {
        const auto cp = static_cast<char32_t>(c);
        if (cp > 0xFFFF) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

// Joins surrogate pairs; a lone surrogate becomes U+FFFD.
std::wstring Utf16LeToUnits(const std::vector<BYTE>& bytes) {
    std::wstring out;
    const std::size_t count = bytes.size() / 2;
    const auto unit = [&](std::size_t i) {
        return static_cast<char32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    };
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00)));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out.push_back(L'\xFFFD');
        } else {
            out.push_back(static_cast<wchar_t>(u));
        }
    }
    return out;
}

std::string Escape(std::wstring_view text) {
    std::string out;
    for (const char c : WideToUtf8(text)) {
        if (c == '\\' || c == '"') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    return out;
}

// Reads a quoted string starting at s[0] == '"'; `rest` gets what follows the closing quote. A
// backslash escapes '\' and '"'; before any other character it stands for itself.
std::optional<std::wstring> ReadQuoted(std::string_view s, std::string_view& rest) {
    std::string text;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '"') {
            rest = s.substr(i + 1);
            return Utf8ToWide(text);
        }
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            ++i;
        }
        text.push_back(s[i]);
    }
    return std::nullopt;
}

std::optional<unsigned> HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return std::nullopt;
}

// One to `maxDigits` hexadecimal digits and nothing else.
std::optional<DWORD> ReadHexNumber(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) {
        return std::nullopt;
    }
    DWORD value = 0;
    for (const char c : s) {
        const auto digit = HexDigit(c);
        if (!digit) {
            return std::nullopt;
        }
        value = value * 16 + *digit;
    }
    return value;
}

// Comma-separated bytes of two hex digits; an empty list is no bytes.
std::optional<std::vector<BYTE>> ReadHexBytes(std::string_view s) {
    std::vector<BYTE> bytes;
    s = Trim(s);
    while (!s.empty()) {
        const auto comma = s.find(',');
        const auto byte = ReadHexNumber(Trim(s.substr(0, comma)), 2);
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<BYTE>(*byte));
        s = comma == std::string_view::npos ? std::string_view{} : Trim(s.substr(comma + 1));
    }
    return bytes;
}

struct LogicalLine {
    int number;
    std::string text;
};

// Splits into lines, joining a line that ends with a backslash with the next (without its indent).
std::vector<LogicalLine> SplitLines(std::string_view text) {
    std::vector<LogicalLine> lines;
    bool continuing = false;
    int number = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++number;
        if (!continuing) {
            lines.push_back({number, {}});
        }
        const bool comment = !continuing && (line.starts_with(';') || line.starts_with('['));
        continuing = !comment && line.ends_with('\\');
        if (continuing) {
            line.remove_suffix(1);
        }
        lines.back().text.append(line);
    }
    return lines;
}

class Parser {
public:
    Parser(const std::wstring& hiveName) : hiveName_(hiveName), root_(std::make_unique<Key>(hiveName)) {}

    ParsedHive Run(std::string_view text) {
        if (text.starts_with("\xEF\xBB\xBF")) {
            text.remove_prefix(3);
        }
        bool sawHeader = false;
        for (const auto& line : SplitLines(text)) {
            line_ = line.number;
            const std::string_view s = line.text;
            if (s.empty() || s.starts_with(';')) {
                continue;
            }
            if (!sawHeader) {
                if (s != kHeader) {
                    Problem("the file must begin with the line \"" + std::string(kHeader) + "\"");
                    break;
                }
                sawHeader = true;
            } else if (s.starts_with('[')) {
                Section(s);
            } else if (s.starts_with('"') || s.starts_with('@')) {
                ValueLine(s);
            } else {
                Problem("not a key, a value or a comment");
            }
        }
        if (!sawHeader && problems_.empty()) {
            line_ = 1;
            Problem("the file is empty; it must begin with the line \"" + std::string(kHeader) + "\"");
        }
        return {std::move(root_), std::move(problems_)};
    }

private:
    void Problem(std::string message) { problems_.push_back({line_, std::move(message)}); }

    void Section(std::string_view s) {
        current_ = nullptr;
        sectionFailed_ = true;
        if (!s.ends_with(']')) {
            Problem("a key line must end with ']'");
            return;
        }
        s = s.substr(1, s.size() - 2);
        const bool deletion = s.starts_with('-');
        if (deletion) {
            s.remove_prefix(1);
        }
        std::vector<std::wstring> path;
        const std::wstring wide = Utf8ToWide(s);
        std::size_t start = 0;
        while (start <= wide.size()) {
            const auto end = std::min(wide.find(L'\\', start), wide.size());
            if (end > start) {
                path.push_back(wide.substr(start, end - start));
            }
            start = end + 1;
        }
        if (path.empty() || FoldCase(path.front()) != FoldCase(hiveName_)) {
            Problem("the key does not belong to " + WideToUtf8(hiveName_));
            return;
        }
        path.erase(path.begin());
        sectionFailed_ = false;
        if (deletion) {
            DeleteKey(path);
            return;
        }
        current_ = root_.get();
        for (const auto& name : path) {
            bool created;
            current_ = &current_->GetOrAddChild(name, created);
        }
    }

    void DeleteKey(std::vector<std::wstring> path) {
        if (path.empty()) {
            root_->Clear();
            return;
        }
        const std::wstring name = path.back();
        path.pop_back();
        if (Key* parent = FindPath(*root_, path)) {
            parent->RemoveChild(name);
        }
    }

    void ValueLine(std::string_view s) {
        std::wstring name;
        std::string_view rest;
        if (s.starts_with('@')) {
            rest = s.substr(1);
        } else if (auto quoted = ReadQuoted(s, rest)) {
            name = std::move(*quoted);
        } else {
            Problem("the value name has no closing quote");
            return;
        }
        rest = Trim(rest);
        if (!rest.starts_with('=')) {
            Problem("'=' expected after the value name");
            return;
        }
        rest = Trim(rest.substr(1));
        if (current_ == nullptr) {
            // A value of a key that was reported already is skipped without a second report.
            if (!sectionFailed_) {
                Problem("a value must follow a key line");
            }
            return;
        }
        if (rest == "-") {
            current_->RemoveValue(name);
            return;
        }
        if (auto value = ReadData(rest)) {
            value->name = std::move(name);
            current_->SetValue(std::move(*value));
        }
    }

    std::optional<Value> ReadData(std::string_view s) {
        if (s.starts_with('"')) {
            std::string_view rest;
            auto text = ReadQuoted(s, rest);
            if (!text || !Trim(rest).empty()) {
                Problem(text ? "unexpected text after the closing quote" : "the string has no closing quote");
                return std::nullopt;
            }
            text->push_back(L'\0');
            return Value{{}, kSz, UnitsToBytes(*text)};
        }
        if (s.starts_with("dword:")) {
            const auto number = ReadHexNumber(s.substr(6), 8);
            if (!number) {
                Problem("dword: needs up to eight hexadecimal digits");
                return std::nullopt;
            }
            std::vector<BYTE> bytes(4);
            std::memcpy(bytes.data(), &*number, 4);
            return Value{{}, kDword, std::move(bytes)};
        }
        DWORD type = kBinary;
        std::string_view list;
        if (s.starts_with("hex:")) {
            list = s.substr(4);
        } else if (s.starts_with("hex(")) {
            const auto close = s.find("):");
            const auto number =
                close == std::string_view::npos ? std::nullopt : ReadHexNumber(s.substr(4, close - 4), 8);
            if (!number) {
                Problem("hex(type): needs the type as hexadecimal digits");
                return std::nullopt;
            }
            type = *number;
            list = s.substr(close + 2);
        } else {
            Problem("the data must be \"text\", dword:, hex: or hex(type):");
            return std::nullopt;
        }
        auto bytes = ReadHexBytes(list);
        if (!bytes) {
            Problem("hex data must be bytes of two hexadecimal digits separated by commas");
            return std::nullopt;
        }
        if (!IsUtf16Type(type)) {
            return Value{{}, type, std::move(*bytes)};
        }
        if (bytes->size() % 2 != 0) {
            Problem("text data must be UTF-16LE, an even number of bytes");
            return std::nullopt;
        }
        return Value{{}, type, UnitsToBytes(Utf16LeToUnits(*bytes))};
    }

    const std::wstring& hiveName_;
    std::unique_ptr<Key> root_;
    std::vector<TextProblem> problems_;
    Key* current_ = nullptr;
    bool sectionFailed_ = false;
    int line_ = 0;
};

void WriteHex(std::string& out, std::string line, const std::vector<BYTE>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        line.push_back(kDigits[bytes[i] >> 4]);
        line.push_back(kDigits[bytes[i] & 0xF]);
        if (i + 1 < bytes.size()) {
            line.push_back(',');
            if (line.size() >= kHexLineWidth) {
                out.append(line).append("\\\n");
                line = "  ";
            }
        }
    }
    out.append(line).push_back('\n');
}

// REG_SZ is written as quoted text when that reads back the same: one terminating NUL, no other NUL
// and no line break.
bool FitsQuotedForm(const std::wstring& units) {
    return !units.empty() && units.back() == L'\0' &&
           units.find_first_of(std::wstring_view(L"\0\r\n", 3)) == units.size() - 1;
}

void WriteValue(std::string& out, const Value& value) {
    std::string line = value.name.empty() ? "@=" : "\"" + Escape(value.name) + "\"=";
    if (value.type == kSz && value.data.size() % sizeof(wchar_t) == 0 &&
        FitsQuotedForm(BytesToUnits(value.data))) {
        const std::wstring units = BytesToUnits(value.data);
        out.append(line).append("\"").append(Escape(std::wstring_view(units).substr(0, units.size() - 1)));
        out.append("\"\n");
        return;
    }
    if (value.type == kDword && value.data.size() == 4) {
        DWORD number;
        std::memcpy(&number, value.data.data(), 4);
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", number);
        out.append(line).append("dword:").append(digits).push_back('\n');
        return;
    }
    if (value.type == kBinary) {
        line.append("hex:");
    } else {
        char prefix[20];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
        line.append(prefix);
    }
    WriteHex(out, std::move(line),
             IsUtf16Type(value.type) ? UnitsToUtf16Le(BytesToUnits(value.data)) : value.data);
}

void WriteKey(std::string& out, const Key& key, const std::string& path, bool always) {
    if (always || !key.Values().empty()) {
        out.append("[").append(path).append("]\n");
        for (const auto& value : key.Values()) {
            WriteValue(out, value);
        }
        out.push_back('\n');
    }
    for (const auto& [folded, child] : key.Children()) {
        WriteKey(out, *child, path + "\\" + WideToUtf8(child->Name()), true);
    }
}

} // namespace

ParsedHive ParseHiveText(std::string_view text, const std::wstring& hiveName) {
    return Parser(hiveName).Run(text);
}

std::string WriteHiveText(const Key& root) {
    std::string out(kHeader);
    out.append("\n\n");
    WriteKey(out, root, WideToUtf8(root.Name()), false);
    return out;
}

} // namespace Platform::Registry
