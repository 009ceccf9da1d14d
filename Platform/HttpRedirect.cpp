#include "Platform/HttpRedirect.h"

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>
#include <strings.h>

namespace Platform::Http {

namespace {

constexpr long kTemporaryRedirect = 307;
constexpr long kPermanentRedirect = 308;

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using Url = std::unique_ptr<CURLU, UrlDeleter>;

struct Origin {
    std::string scheme;
    std::string host;
    std::string port;
};

std::optional<std::string> Part(const Url& url, CURLUPart part, unsigned int flags = 0) {
    char* text = nullptr;
    if (curl_url_get(url.get(), part, &text, flags) != CURLUE_OK) {
        return std::nullopt;
    }
    std::string copy(text);
    curl_free(text);
    return copy;
}

std::optional<Origin> OriginOf(const Url& url) {
    auto scheme = Part(url, CURLUPART_SCHEME);
    if (!scheme) {
        return std::nullopt;
    }
    // A file URL has no host, a scheme libcurl does not know no default port.
    return Origin{std::move(*scheme), Part(url, CURLUPART_HOST).value_or(""),
                  Part(url, CURLUPART_PORT, CURLU_DEFAULT_PORT).value_or("")};
}

bool SameText(const std::string& left, const std::string& right) {
    return strcasecmp(left.c_str(), right.c_str()) == 0;
}

bool SameOrigin(const Origin& left, const Origin& right) {
    return SameText(left.scheme, right.scheme) && SameText(left.host, right.host) && left.port == right.port;
}

// The URL `text` names, relative to `base` when one is given.
Url Parsed(const std::string& text, const Url* base) {
    Url url(base != nullptr ? curl_url_dup(base->get()) : curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        return nullptr;
    }
    return url;
}

} // namespace

RedirectStep DecideRedirect(std::string_view from, std::string_view location, long status,
                            bool carriesContent) {
    const Url source = Parsed(std::string(from), nullptr);
    const Url target = source ? Parsed(std::string(location), &source) : nullptr;
    const std::optional<Origin> sourceOrigin = source ? OriginOf(source) : std::nullopt;
    const std::optional<Origin> targetOrigin = target ? OriginOf(target) : std::nullopt;
    if (!sourceOrigin || !targetOrigin) {
        return RedirectStep::Report;
    }
    if (SameText(sourceOrigin->scheme, "https") && SameText(targetOrigin->scheme, "http")) {
        return RedirectStep::RefuseHttpsToHttp;
    }
    if (!carriesContent) {
        return RedirectStep::Follow;
    }
    const bool keepsContent = status == kTemporaryRedirect || status == kPermanentRedirect;
    return keepsContent && SameOrigin(*sourceOrigin, *targetOrigin) ? RedirectStep::Follow
                                                                    : RedirectStep::Report;
}

} // namespace Platform::Http
