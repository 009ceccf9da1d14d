#include "Platform/Registrar.h"

#include "Platform/WinError.h"
#include "Platform/WinReg.h"

#include <algorithm>
#include <cwctype>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace Platform {

bool NoCaseLess::operator()(const std::wstring& a, const std::wstring& b) const {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = std::towlower(a[i]);
        const auto cb = std::towlower(b[i]);
        if (ca != cb) {
            return ca < cb;
        }
    }
    return a.size() < b.size();
}

namespace {

bool EqualNoCase(const std::wstring& a, const wchar_t* b) {
    return !NoCaseLess{}(a, b) && !NoCaseLess{}(b, a);
}

struct ScriptValue {
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
};

struct ScriptKey {
    std::wstring name;
    bool noRemove = false;
    bool forceRemove = false;
    bool deleteKey = false;
    std::optional<ScriptValue> defaultValue;
    std::vector<std::pair<std::wstring, ScriptValue>> values;
    std::vector<ScriptKey> subkeys;
};

struct ScriptRoot {
    HKEY root;
    std::wstring prefix; // the classes key of the user when HKCR is registered per user
    std::vector<ScriptKey> keys;
};

class SyntaxError {};

// Splits the script into words, quoted texts (with '' for a quote), and the characters = { }.
class Tokenizer {
public:
    Tokenizer(const std::wstring& text, const RegistrarReplacements& replacements)
        : text_(text), replacements_(replacements) {}

    bool AtEnd() {
        SkipSpace();
        return pos_ >= text_.size();
    }

    std::wstring Peek() {
        const std::size_t saved = pos_;
        std::wstring token = Next();
        pos_ = saved;
        return token;
    }

    std::wstring Next() {
        SkipSpace();
        if (pos_ >= text_.size()) {
            throw SyntaxError{};
        }
        const wchar_t c = text_[pos_];
        if (c == L'{' && StartsGuid()) {
            const std::wstring guid = text_.substr(pos_, kGuidTextLength);
            pos_ += kGuidTextLength;
            return guid;
        }
        if (c == L'{' || c == L'}' || c == L'=') {
            ++pos_;
            return std::wstring(1, c);
        }
        if (c == L'\'') {
            return Quoted();
        }
        std::wstring word;
        while (pos_ < text_.size() && !std::iswspace(text_[pos_]) &&
               std::wstring_view(L"={}'").find(text_[pos_]) == std::wstring_view::npos) {
            word += text_[pos_++];
        }
        return Expand(word);
    }

    // A quoted text that the caller knows is a value: returned without its quotes.
    std::wstring Quoted() {
        SkipSpace();
        if (pos_ >= text_.size() || text_[pos_] != L'\'') {
            throw SyntaxError{};
        }
        ++pos_;
        std::wstring raw;
        while (true) {
            if (pos_ >= text_.size()) {
                throw SyntaxError{};
            }
            const wchar_t c = text_[pos_++];
            if (c == L'\'') {
                if (pos_ < text_.size() && text_[pos_] == L'\'') {
                    raw += L'\'';
                    ++pos_;
                    continue;
                }
                break;
            }
            raw += c;
        }
        return Expand(raw);
    }

private:
    void SkipSpace() {
        while (pos_ < text_.size() && std::iswspace(text_[pos_])) {
            ++pos_;
        }
    }

    // A brace followed by a GUID text is a key name, not the start of a block.
    static constexpr std::size_t kGuidTextLength = 38;

    bool StartsGuid() const {
        if (pos_ + kGuidTextLength > text_.size() || text_[pos_ + kGuidTextLength - 1] != L'}') {
            return false;
        }
        for (std::size_t i = pos_ + 1; i < pos_ + kGuidTextLength - 1; ++i) {
            if (!std::iswxdigit(text_[i]) && text_[i] != L'-') {
                return false;
            }
        }
        return true;
    }

    std::wstring Expand(const std::wstring& raw) const {
        std::wstring out;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != L'%') {
                out += raw[i];
                continue;
            }
            const std::size_t end = raw.find(L'%', i + 1);
            if (end == std::wstring::npos) {
                throw SyntaxError{};
            }
            const std::wstring name = raw.substr(i + 1, end - i - 1);
            if (name.empty()) {
                out += L'%';
            } else {
                const auto found = replacements_.find(name);
                if (found == replacements_.end()) {
                    throw SyntaxError{};
                }
                out += found->second;
            }
            i = end;
        }
        return out;
    }

    const std::wstring& text_;
    const RegistrarReplacements& replacements_;
    std::size_t pos_ = 0;
};

std::vector<BYTE> StringBytes(const std::wstring& text) {
    std::vector<BYTE> bytes((text.size() + 1) * sizeof(wchar_t));
    std::copy(text.begin(), text.end(), reinterpret_cast<wchar_t*>(bytes.data()));
    return bytes;
}

ScriptValue ParseValue(Tokenizer& tokens) {
    const std::wstring type = tokens.Next();
    const std::wstring data = tokens.Quoted();
    ScriptValue value;
    if (EqualNoCase(type, L"s")) {
        value.type = REG_SZ;
        value.data = StringBytes(data);
    } else if (EqualNoCase(type, L"e")) {
        value.type = REG_EXPAND_SZ;
        value.data = StringBytes(data);
    } else if (EqualNoCase(type, L"d")) {
        wchar_t* end = nullptr;
        const unsigned long number = std::wcstoul(data.c_str(), &end, 0);
        if (end == data.c_str() || *end != L'\0') {
            throw SyntaxError{};
        }
        const auto dword = static_cast<DWORD>(number);
        value.type = REG_DWORD;
        value.data.resize(sizeof dword);
        std::copy_n(reinterpret_cast<const BYTE*>(&dword), sizeof dword, value.data.begin());
    } else if (EqualNoCase(type, L"b")) {
        if (data.size() % 2 != 0) {
            throw SyntaxError{};
        }
        value.type = REG_BINARY;
        for (std::size_t i = 0; i < data.size(); i += 2) {
            const std::wstring pair = data.substr(i, 2);
            if (!std::iswxdigit(pair[0]) || !std::iswxdigit(pair[1])) {
                throw SyntaxError{};
            }
            value.data.push_back(static_cast<BYTE>(std::wcstoul(pair.c_str(), nullptr, 16)));
        }
    } else {
        throw SyntaxError{};
    }
    return value;
}

ScriptKey ParseKey(Tokenizer& tokens) {
    ScriptKey key;
    std::wstring word = tokens.Next();
    for (;; word = tokens.Next()) {
        if (EqualNoCase(word, L"NoRemove")) {
            key.noRemove = true;
        } else if (EqualNoCase(word, L"ForceRemove")) {
            key.forceRemove = true;
        } else if (EqualNoCase(word, L"Delete")) {
            key.deleteKey = true;
        } else {
            break;
        }
    }
    if (word == L"{" || word == L"}" || word == L"=") {
        throw SyntaxError{};
    }
    key.name = word;
    if (!tokens.AtEnd() && tokens.Peek() == L"=") {
        tokens.Next();
        key.defaultValue = ParseValue(tokens);
    }
    if (!tokens.AtEnd() && tokens.Peek() == L"{") {
        tokens.Next();
        while (tokens.Peek() != L"}") {
            if (EqualNoCase(tokens.Peek(), L"val")) {
                tokens.Next();
                std::wstring name = tokens.Next();
                if (tokens.Next() != L"=") {
                    throw SyntaxError{};
                }
                key.values.emplace_back(std::move(name), ParseValue(tokens));
            } else {
                key.subkeys.push_back(ParseKey(tokens));
            }
        }
        tokens.Next();
    }
    return key;
}

HKEY RootKey(const std::wstring& name) {
    if (EqualNoCase(name, L"HKCR") || EqualNoCase(name, L"HKEY_CLASSES_ROOT")) {
        return HKEY_CLASSES_ROOT;
    }
    if (EqualNoCase(name, L"HKCU") || EqualNoCase(name, L"HKEY_CURRENT_USER")) {
        return HKEY_CURRENT_USER;
    }
    if (EqualNoCase(name, L"HKLM") || EqualNoCase(name, L"HKEY_LOCAL_MACHINE")) {
        return HKEY_LOCAL_MACHINE;
    }
    throw SyntaxError{};
}

std::vector<ScriptRoot> ParseScript(const std::wstring& script, const RegistrarReplacements& replacements,
                                    bool perUser) {
    Tokenizer tokens(script, replacements);
    std::vector<ScriptRoot> roots;
    while (!tokens.AtEnd()) {
        ScriptRoot root{RootKey(tokens.Next()), L"", {}};
        if (root.root == HKEY_CLASSES_ROOT && perUser) {
            root.root = HKEY_CURRENT_USER;
            root.prefix = L"Software\\Classes\\";
        }
        if (tokens.Next() != L"{") {
            throw SyntaxError{};
        }
        while (tokens.Peek() != L"}") {
            root.keys.push_back(ParseKey(tokens));
        }
        tokens.Next();
        roots.push_back(std::move(root));
    }
    return roots;
}

HRESULT FromStatus(LSTATUS status) {
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<HKEY__, KeyCloser>;

HRESULT SetValue(HKEY key, const wchar_t* name, const ScriptValue& value) {
    return FromStatus(
        RegSetValueExW(key, name, 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size())));
}

HRESULT RegisterKey(HKEY parent, const std::wstring& path, const ScriptKey& key) {
    if (key.forceRemove || key.deleteKey) {
        const LSTATUS status = RegDeleteTreeW(parent, path.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            return FromStatus(status);
        }
        if (key.deleteKey) {
            return S_OK;
        }
    }
    HKEY raw = nullptr;
    HRESULT hr = FromStatus(RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            KEY_ALL_ACCESS, nullptr, &raw, nullptr));
    if (FAILED(hr)) {
        return hr;
    }
    const UniqueKey opened(raw);
    if (key.defaultValue) {
        hr = SetValue(raw, nullptr, *key.defaultValue);
        if (FAILED(hr)) {
            return hr;
        }
    }
    for (const auto& [name, value] : key.values) {
        hr = SetValue(raw, name.c_str(), value);
        if (FAILED(hr)) {
            return hr;
        }
    }
    for (const ScriptKey& subkey : key.subkeys) {
        hr = RegisterKey(raw, subkey.name, subkey);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

// A key or value that is already gone is not an error when unregistering.
HRESULT IgnoreMissing(LSTATUS status) {
    return status == ERROR_FILE_NOT_FOUND ? S_OK : FromStatus(status);
}

HRESULT UnregisterKey(HKEY parent, const std::wstring& path, const ScriptKey& key) {
    if (!key.noRemove) {
        return IgnoreMissing(RegDeleteTreeW(parent, path.c_str()));
    }
    HKEY raw = nullptr;
    const LSTATUS status = RegOpenKeyExW(parent, path.c_str(), 0, KEY_ALL_ACCESS, &raw);
    if (status != ERROR_SUCCESS) {
        return IgnoreMissing(status);
    }
    const UniqueKey opened(raw);
    for (const auto& value : key.values) {
        const HRESULT hr = IgnoreMissing(RegDeleteValueW(raw, value.first.c_str()));
        if (FAILED(hr)) {
            return hr;
        }
    }
    for (const ScriptKey& subkey : key.subkeys) {
        const HRESULT hr = UnregisterKey(raw, subkey.name, subkey);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

} // namespace

HRESULT ApplyRegistryScript(const std::wstring& script, const RegistrarReplacements& replacements,
                            bool registering, bool perUser) {
    std::vector<ScriptRoot> roots;
    try {
        roots = ParseScript(script, replacements, perUser);
    } catch (const SyntaxError&) {
        return E_INVALIDARG;
    }
    for (const ScriptRoot& root : roots) {
        for (const ScriptKey& key : root.keys) {
            const std::wstring path = root.prefix + key.name;
            const HRESULT hr =
                registering ? RegisterKey(root.root, path, key) : UnregisterKey(root.root, path, key);
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    return S_OK;
}

} // namespace Platform
