// Which redirects a request follows. A request that carries content (a body, or a method other than
// GET and HEAD) goes on only with a 307 or 308 to its own scheme, host and port, the redirects that
// keep the method and the body; every other redirect of it is handed to the caller as the reply, so
// the content never reaches another server and is never dropped on the way. A request without content
// follows any redirect. From https to http none is followed, whatever the request: it fails with
// ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR.
#pragma once

#include <string_view>

namespace Platform::Http {

enum class RedirectStep {
    Follow,
    Report,           // the redirect reply is the request's reply
    RefuseHttpsToHttp // the request fails with 12040
};

// `from` is the URL that answered `status` with `location` (which may be relative to it). A location
// that does not resolve to a URL is reported.
RedirectStep DecideRedirect(std::string_view from, std::string_view location, long status,
                            bool carriesContent);

} // namespace Platform::Http
