// Reads a 256 MiB reply as responseBody through XMLHTTP and fetches the same reply with the curl
// program, from the same in-process server; prints both times, their ratio and the peak memory.
#include "Platform/Combase.h"
#include "Platform/MsXml.h"
#include "tests/Platform/TestHttpServer.h"
#include "tests/Support/ProcessMeasures.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using TestSupport::PeakResidentKiB;
using TestSupport::ResetPeakResident;
using TestSupport::SecondsSince;

constexpr std::size_t kBodyBytes = 256u << 20;
constexpr std::size_t kChunkBytes = 1u << 20;

// One XMLHTTP exchange; async polls readyState without pause, as a busy caller would.
double ReadWithXmlHttp(const std::wstring& url, bool async, std::size_t& received) {
    const auto started = std::chrono::steady_clock::now();
    IXMLHTTPRequest* request = nullptr;
    CoCreateInstance(CLSID_XMLHTTP, nullptr, CLSCTX_ALL, __uuidof(IXMLHTTPRequest),
                     reinterpret_cast<void**>(&request));
    VARIANT flag{};
    flag.vt = VT_BOOL;
    flag.boolVal = async ? VARIANT_TRUE : VARIANT_FALSE;
    VARIANT none{};
    BSTR method = SysAllocString(L"GET");
    BSTR target = SysAllocString(url.c_str());
    request->open(method, target, flag, none, none);
    request->send(none);
    for (LONG state = 0; state != 4;) {
        request->get_readyState(&state);
    }
    VARIANT body{};
    request->get_responseBody(&body);
    received = body.parray != nullptr ? body.parray->rgsabound[0].cElements : 0;
    SafeArrayDestroy(body.parray);
    request->Release();
    SysFreeString(method);
    SysFreeString(target);
    return SecondsSince(started);
}

double FetchWithCurl(const std::string& url, long& peakKiB) {
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        // The same request headers as XMLHTTP: compressed replies accepted.
        execlp("curl", "curl", "-s", "--compressed", "-o", "/dev/null", url.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    peakKiB = usage.ru_maxrss;
    return SecondsSince(started);
}

} // namespace

int main() {
    const std::string chunk(kChunkBytes, 'x');
    PlatformTest::TestHttpServer server;
    server.Routes().Get("/big", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(kBodyBytes, "application/octet-stream",
                                      [&](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                          const std::size_t size = std::min(length, chunk.size());
                                          (void)offset;
                                          return sink.write(chunk.data(), size);
                                      });
    });
    server.Start();

    long curlPeak = 0;
    FetchWithCurl(server.NarrowUrl("/big"), curlPeak); // warm-up
    const double curlSeconds = FetchWithCurl(server.NarrowUrl("/big"), curlPeak);

    for (const bool async : {true, false}) {
        std::size_t received = 0;
        ReadWithXmlHttp(server.Url("/big"), async, received); // warm-up
        ResetPeakResident();
        const long baseline = PeakResidentKiB();
        const double seconds = ReadWithXmlHttp(server.Url("/big"), async, received);
        const long peak = PeakResidentKiB();
        std::printf(
            "XMLHTTP %-5s responseBody: %zu bytes in %.3f s, peak memory +%ld MiB (process %ld MiB)\n",
            async ? "async" : "sync", received, seconds, (peak - baseline) / 1024, peak / 1024);
        std::printf("  ratio to curl: %.2f\n", seconds / curlSeconds);
    }
    std::printf("curl program: %.3f s, peak memory %ld MiB\n", curlSeconds, curlPeak / 1024);
    return 0;
}
