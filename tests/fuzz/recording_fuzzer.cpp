// The recording reader on any response file: a loaded response or one of the system's errors.
#include "KOVACommon/LSHttpRequestMocks.h"
#include "Platform/Utf.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// One response file for the whole run, rewritten for each input.
const std::string& ResponseFile() {
    static const std::string path = [] {
        char name[] = "/tmp/kova-fuzz-recording-XXXXXX";
        const int descriptor = mkstemp(name);
        if (descriptor < 0) {
            std::abort();
        }
        close(descriptor);
        return std::string(name);
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = ResponseFile();
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
            std::abort();
        }
    }
    LSHttpRequestMocks::LSResponseFake response;
    Fuzz::ExpectingSystemErrors([&] {
        LSHttpRequestMocks::LSResponseFake::ReadFromFile(CStdStr<wchar_t>(Platform::Utf8ToWide(path)),
                                                         response);
    });
    (void)LSHttpRequestMocks::FormatHeaderLines(response.headers);
    return 0;
}
