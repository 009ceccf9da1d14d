// The registry text reader on any file: what it reads, written out again, reads back without a
// problem and writes the same text.
#include "Platform/RegistryText.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring hive = L"HKEY_CURRENT_USER";
    const Platform::Registry::ParsedHive parsed =
        Platform::Registry::ParseHiveText(Fuzz::Bytes(data, size), hive);
    const std::string written = Platform::Registry::WriteHiveText(*parsed.root);
    const Platform::Registry::ParsedHive reread = Platform::Registry::ParseHiveText(written, hive);
    if (!reread.problems.empty() || Platform::Registry::WriteHiveText(*reread.root) != written) {
        std::abort();
    }
    return 0;
}
