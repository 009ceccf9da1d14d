#include "VantrelCommon/InterfaceBoundary.h"

#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/TextUtils.h"

#include <cstdint>
#include <exception>
#include <sstream>

namespace {

struct Failure {
    HRESULT hr = E_FAIL;
    std::ostringstream log; // the text after the function name
    CStdStr<wchar_t> text;
};

std::uint32_t Bits(HRESULT hr) {
    return static_cast<std::uint32_t>(hr);
}

// The description when there is one, else the system message text.
CStdStr<wchar_t> DescriptionOrMessage(const _com_error& error) {
    const _bstr_t description = error.Description();
    return description.length() != 0 ? CStdStr<wchar_t>(description) : CStdStr<wchar_t>(error.ErrorMessage());
}

void Describe(Failure& failure) {
    try {
        throw;
    } catch (const hresult_exception& e) {
        failure.hr = e.hresult();
        failure.log << ": Caught hresult_exception at interface - " << std::hex << Bits(failure.hr) << " - "
                    << e.what();
        failure.text = e.what();
    } catch (const std::exception& e) {
        failure.hr = E_FAIL;
        failure.log << ": Caught std::exception at interface - " << e.what();
        failure.text = e.what();
    } catch (long value) {
        failure.hr = static_cast<HRESULT>(value);
        failure.log << ": Caught HRESULT at interface - " << std::hex << Bits(failure.hr);
        failure.text = DescriptionOrMessage(_com_error(failure.hr));
    } catch (const _com_error& e) {
        failure.hr = e.Error();
        failure.log << ": Caught _com_error at interface - " << std::hex << Bits(failure.hr)
                    << ", desc=" << e.Description() << " msg=" << e.ErrorMessage();
        failure.text = DescriptionOrMessage(e);
    } catch (...) {
        failure.hr = E_FAIL;
        failure.log << ": Caught unknown exception at interface - ";
        failure.text = L"Unknown error";
    }
}

// One error record attributed to the caller's file and line, written when the error switch is on.
void WriteErrorRecord(const char* file, int line, const std::string& text) {
    LSDIAG_ERROR_AT(file, line) << text;
}

} // namespace

HRESULT HResultFromCurrentException(const char* function, const char* file, int line,
                                    CStdStr<wchar_t>* errorText) noexcept {
    Failure failure;
    try {
        Describe(failure);
        WriteErrorRecord(file, line, std::string(function == nullptr ? "" : function) + failure.log.str());
        if (errorText != nullptr) {
            *errorText = failure.text;
        }
    } catch (...) {
        // Building the texts ran out of memory: the HRESULT found so far is still the answer.
    }
    return failure.hr;
}
