// The journal's stored property maps: any text either reads into a map or is refused with a
// runtime_error, and a map once read writes out as text that reads back to the same text.
#include "kova-sync/PropertyCodec.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdlib>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(Fuzz::Bytes(data, size));
    KovaSync::MapRef map;
    try {
        KovaSync::DecodeProperties(text, map);
    } catch (const std::runtime_error&) {
        return 0;
    }
    const std::string written = KovaSync::EncodeProperties(map);
    KovaSync::MapRef again;
    KovaSync::DecodeProperties(written, again);
    if (KovaSync::EncodeProperties(again) != written) {
        std::abort();
    }
    return 0;
}
