// The upload message the DIME writer builds reads back through the DIME reader as the same content.
#include "KOVAMeridioSync/MeridioDime.h"
#include "KOVAMeridioSync/MeridioDimeWriter.h"
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first two bytes split the rest into the envelope and the file content.
    const std::size_t envelopeSize = ((data[0] << 8) | data[1]) % (size - 1);
    const std::string_view envelope = Fuzz::Bytes(data + 2, envelopeSize);
    const std::vector<BYTE> content(data + 2 + envelopeSize, data + size);

    const UploadDimeMessage upload(envelope, content.size());
    std::copy(content.begin(), content.end(), upload.Content());
    const std::vector<BYTE> message(upload.Bytes().get(), upload.Bytes().get() + upload.Size());
    if (message.size() % 4 != 0) {
        std::abort();
    }
    std::vector<BYTE> readBack;
    for (const DimeSpan& span : FindDimeContent(message.data(), message.size())) {
        readBack.insert(readBack.end(), message.begin() + static_cast<std::ptrdiff_t>(span.offset),
                        message.begin() + static_cast<std::ptrdiff_t>(span.offset + span.length));
    }
    if (readBack != content) {
        std::abort();
    }
    return 0;
}
