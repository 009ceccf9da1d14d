// Which redirect a request follows, decided from its URL, the Location, the status and whether it
// carries content (a body, or a method other than GET and HEAD).
#include "Platform/HttpRedirect.h"

#include <gtest/gtest.h>

namespace {

using Platform::Http::DecideRedirect;
using Platform::Http::RedirectStep;

struct RedirectCase {
    const char* from;
    const char* location;
    long status;
    bool carriesContent;
    RedirectStep expected;
};

class DecideRedirectTest : public testing::TestWithParam<RedirectCase> {};

TEST_P(DecideRedirectTest, FollowsReportsOrRefuses) {
    const RedirectCase& redirect = GetParam();
    EXPECT_EQ(redirect.expected,
              DecideRedirect(redirect.from, redirect.location, redirect.status, redirect.carriesContent))
        << redirect.from << " -> " << redirect.location << " " << redirect.status
        << (redirect.carriesContent ? " with content" : "");
}

constexpr auto kFollow = RedirectStep::Follow;
constexpr auto kReport = RedirectStep::Report;
constexpr auto kRefuse = RedirectStep::RefuseHttpsToHttp;

INSTANTIATE_TEST_SUITE_P(
    Redirects, DecideRedirectTest,
    testing::Values(
        // From https to http: never, whatever the request.
        RedirectCase{"https://a.example/x", "http://a.example/y", 302, false, kRefuse},
        RedirectCase{"https://a.example/x", "http://a.example/y", 307, true, kRefuse},
        RedirectCase{"https://a.example/x", "HTTP://b.example/y", 301, false, kRefuse},
        RedirectCase{"https://a.example:8443/x", "http://a.example:8443/y", 308, true, kRefuse},
        // Without content: anywhere over http or https (libcurl refuses other schemes).
        RedirectCase{"https://a.example/x", "https://b.example/y", 302, false, kFollow},
        RedirectCase{"http://a.example/x", "https://b.example/y", 301, false, kFollow},
        RedirectCase{"http://a.example/x", "http://b.example:8080/y", 307, false, kFollow},
        RedirectCase{"http://a.example/x", "//b.example/y", 303, false, kFollow},
        RedirectCase{"http://a.example/x", "file:///etc/hostname", 302, false, kFollow},
        // With content: a 307 or 308 to the same scheme, host and port only.
        RedirectCase{"http://a.example/x", "http://a.example/y", 307, true, kFollow},
        RedirectCase{"http://a.example/x", "/y?z=1", 308, true, kFollow},
        RedirectCase{"http://a.example/dir/x", "y", 307, true, kFollow},
        RedirectCase{"https://a.example/x", "//a.example/y", 307, true, kFollow},
        RedirectCase{"http://a.example:80/x", "http://A.EXAMPLE/y", 307, true, kFollow},
        RedirectCase{"https://a.example/x", "https://a.example:443/y", 308, true, kFollow},
        RedirectCase{"http://a.example/x", "http://b.example/y", 307, true, kReport},
        RedirectCase{"http://a.example/x", "//b.example/y", 308, true, kReport},
        RedirectCase{"http://a.example:8080/x", "http://a.example:8081/y", 307, true, kReport},
        RedirectCase{"http://a.example/x", "https://a.example/y", 307, true, kReport},
        RedirectCase{"http://127.0.0.1/x", "http://localhost/y", 307, true, kReport},
        RedirectCase{"http://a.example/x", "file:///etc/hostname", 307, true, kReport},
        // The redirects that would drop the content: reported, even to the same origin.
        RedirectCase{"http://a.example/x", "http://a.example/y", 301, true, kReport},
        RedirectCase{"http://a.example/x", "http://a.example/y", 302, true, kReport},
        RedirectCase{"http://a.example/x", "/y", 303, true, kReport},
        RedirectCase{"http://a.example/x", "/y", 300, true, kReport},
        // A Location that names no URL.
        RedirectCase{"http://a.example/x", "http://[::1/y", 302, false, kReport},
        RedirectCase{"http://a.example/x", "http://[::1/y", 307, true, kReport}));

} // namespace
