// The DIME reader on a download reply: either a refusal, or content pieces that lie inside the reply.
#include "KOVAMeridioSync/MeridioDime.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the input's size, so that a read past the reply is caught.
    const std::vector<BYTE> reply(data, data + size);
    Fuzz::ExpectingSystemErrors([&] {
        unsigned sum = 0;
        for (const DimeSpan& span : FindDimeContent(reply.data(), reply.size())) {
            if (span.length == 0 || span.offset > reply.size() || span.length > reply.size() - span.offset) {
                std::abort();
            }
            for (std::size_t i = 0; i < span.length; ++i) {
                sum += reply[span.offset + i];
            }
        }
        (void)sum;
    });
    return 0;
}
