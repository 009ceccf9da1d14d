// What every harness shares: the process set-up (done once, before the first input, by the
// LLVMFuzzerInitialize of FuzzSupport.cpp) and the error forms a parser may end with.
#pragma once

#include "KOVACommon/LSHttpError.h"
#include "Platform/ComError.h"
#include "VantrelCommon/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Fuzz {

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input as text that came from the server: UTF-8, invalid sequences replaced.
std::wstring WideText(std::string_view bytes);

// Runs the call; the ways the system reports a refused input (bare HRESULTs, hresult_exception,
// _com_error, LSHttpError) end it quietly, anything else escapes and counts as a crash.
template <class Call> void ExpectingSystemErrors(Call&& call) {
    try {
        call();
    } catch (long) {
    } catch (const hresult_exception&) {
    } catch (const _com_error&) {
    } catch (const LSHttpError&) {
    }
}

} // namespace Fuzz
