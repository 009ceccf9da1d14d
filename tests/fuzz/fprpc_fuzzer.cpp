// The FrontPage RPC decoder on the message text of a failure reply.
#include "KOVACommon/LSBaseWS.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CStdStr<wchar_t> text(Fuzz::WideText(Fuzz::Bytes(data, size)));
    Fuzz::ExpectingSystemErrors([&] { (void)CLSBaseWS::decodeFPRpcString(text); });
    return 0;
}
