// The SOAP send path, the reply check that turns failed replies into LSHttpError, the server-busy
// retry and health throttle, and small helpers of the web-service transport.
#pragma once

#include "KOVACommon/LSHttpError.h"
#include "KOVACommon/LSHttpRequest.h"
#include "KOVASyncBasicsLib/ShutdownInformer.h"
#include "Platform/MsXml.h"
#include "VantrelCommon/StdString.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace CLSBaseWS {

// Sends a text body (an empty one goes out as no body) on an opened request. With request logging on
// (KOVA.Log.WebServiceReq), the body is logged, or `loggedBody` in its place when given: a caller whose
// body holds a secret passes a copy with the secret masked; the request itself is unchanged.
void PerformAsyncSend(std::unique_ptr<ILSHttpRequest>& request, const CStdStr<wchar_t>& action,
                      const CStdStr<wchar_t>& body, ILSShutdownInformer* informer, bool unused,
                      const CStdStr<wchar_t>* loggedBody = nullptr);

// Tells the informer, sets the User-Agent header, sends, waits and checks the reply, and writes the
// timing line when performance logging is on.
// The body goes to the request as it is, not copied (an upload's body can be large).
void PerformAsyncVariantSend(std::unique_ptr<ILSHttpRequest>& request, const CStdStr<wchar_t>& action,
                             const _variant_t& body, bool checkFpRpcStatus, ILSShutdownInformer* informer);

// Returns for an accepted reply (2xx, or 404 with allow404); throws LSHttpError otherwise.
void ThrowErrorMessage(ILSHttpRequest* request, bool checkFpRpcStatus, ILSShutdownInformer* informer,
                       bool allow404, bool logResponseBody);

// Replaces each "&#n;" by the character n (decimal). A reference that names no character (no digits,
// other characters, NUL, a surrogate, beyond U+10FFFF) is kept as written.
CStdStr<wchar_t> decodeFPRpcString(const CStdStr<wchar_t>& text);

} // namespace CLSBaseWS

// The longest the filter waits for a loaded server at a time: the busy retry's longest delay, and the
// most a Retry-After or the health pause can ask for.
constexpr std::uint32_t kLongestServerWaitSeconds = 120;

// Runs the attempt until it ends without an LSHttpError 503 or 429, at most five times, waiting
// 30, 60, 120, 120 seconds (or the server's Retry-After, at most 120) between runs.
void RunWithServerUnavailableRetry(ILSShutdownInformer* informer, std::function<void()> attempt);

// A health score at or above the threshold switches Light Sync mode on and pauses the caller (at most
// 120 s). A header that is not a plain decimal score from 0 to 10 is ignored.
void CheckHealthScore(ILSHttpRequest* request, ILSShutdownInformer* informer);

// Waits, asking the informer every 100 ms whether to give up; long E_ABORT when interrupted or when
// the informer runs on a timer.
void DelayWithShutdownCheck(ILSShutdownInformer* informer, std::uint32_t milliseconds);

// A new DOM document, loaded with `xml` when it is not empty; a failed creation raises _com_error.
void CreateDOMDocument(IXMLDOMDocument2Ptr& document, const CStdStr<wchar_t>& xml);

// A new DOM document loaded with XML text that a reply carries (a result element's text). Text that
// does not load is a failed reply, never an empty one: LSHttpError naming the action.
void LoadReplyXmlText(IXMLDOMDocument2Ptr& document, const _bstr_t& xml, const wchar_t* action);

// The Content-Length response header as a number; 0 when absent.
std::uint64_t GetResponseContentLength(ILSHttpRequest* request);
