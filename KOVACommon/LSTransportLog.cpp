#include "KOVACommon/LSTransportLog.h"

#include <mutex>
#include <set>
#include <string_view>

namespace {

// Values longer than this keep their first kShownPrefix characters in the log.
constexpr std::size_t kLongestHiddenWhole = 8;
constexpr std::size_t kShownPrefix = 4;
constexpr std::wstring_view kMask = L"********";

struct SecretElements {
    std::mutex mutex;
    std::set<std::wstring, std::less<>> names;
};

SecretElements& Secrets() {
    static SecretElements secrets;
    return secrets;
}

bool EndsName(wchar_t c) {
    return c == L'>' || c == L'/' || c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

std::wstring_view LocalName(std::wstring_view qualified) {
    const std::size_t colon = qualified.find(L':');
    return colon == std::wstring_view::npos ? qualified : qualified.substr(colon + 1);
}

void AppendMasked(std::wstring& out, std::wstring_view value) {
    if (value.size() > kLongestHiddenWhole) {
        out.append(value.substr(0, kShownPrefix));
    }
    out.append(kMask);
}

} // namespace

namespace LSTransportLog {

void MaskElementText(const std::wstring& localName) {
    SecretElements& secrets = Secrets();
    const std::lock_guard<std::mutex> lock(secrets.mutex);
    secrets.names.insert(localName);
}

std::wstring Masked(const wchar_t* text) {
    const std::wstring_view whole(text);
    SecretElements& secrets = Secrets();
    const std::lock_guard<std::mutex> lock(secrets.mutex);
    if (secrets.names.empty()) {
        return std::wstring(whole);
    }
    std::wstring out;
    out.reserve(whole.size());
    std::size_t copied = 0;
    for (std::size_t open = whole.find(L'<'); open != std::wstring_view::npos;
         open = whole.find(L'<', open + 1)) {
        std::size_t end = open + 1;
        while (end < whole.size() && !EndsName(whole[end])) {
            ++end;
        }
        const std::size_t close = whole.find(L'>', end);
        if (close == std::wstring_view::npos) {
            break;
        }
        // A start tag of a secret element, not an empty one: its text runs to the next tag.
        if (whole[close - 1] == L'/' ||
            secrets.names.find(LocalName(whole.substr(open + 1, end - open - 1))) == secrets.names.end()) {
            continue;
        }
        const std::size_t valueEnd = std::min(whole.find(L'<', close + 1), whole.size());
        if (valueEnd == close + 1) {
            continue;
        }
        out.append(whole.substr(copied, close + 1 - copied));
        AppendMasked(out, whole.substr(close + 1, valueEnd - close - 1));
        copied = valueEnd;
        open = valueEnd - 1;
    }
    out.append(whole.substr(copied));
    return out;
}

} // namespace LSTransportLog
