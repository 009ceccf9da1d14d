#include "tests/fuzz/FuzzSupport.h"

#include "Platform/Utf.h"
#include "VantrelCommon/LSDiag.h"

#include <cstdlib>
#include <filesystem>
#include <glog/logging.h>

namespace Fuzz {

std::wstring WideText(std::string_view bytes) {
    return Platform::Utf8ToWide(bytes);
}

} // namespace Fuzz

// A registry folder of the run's own, so that settings the code saves stay out of the user's; every
// log statement is formed (the texts reach the log code) but none is written.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static char registry[] = "/tmp/kova-fuzz-registry-XXXXXX";
    if (mkdtemp(registry) == nullptr || setenv("KOVA_REGISTRY_DIR", registry, 1) != 0) {
        std::abort();
    }
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(registry, ignored);
    });
    FLAGS_minloglevel = google::GLOG_FATAL;
    FLAGS_v = 1;
    LSDiag::errorEnabled = true;
    LSDiag::diagEnabled = true;
    return 0;
}
