#include "kova-sync/SearchCommand.h"

#include "Platform/ComUtil.h"
#include "Platform/Utf.h"
#include "kova-sync/ExitCodes.h"
#include "kova-sync/RegisteredFilter.h"

#include <iostream>
#include <sstream>
#include <stdexcept>

namespace KovaSync {
namespace {

// The text of a BSTR-out call, freed; throws when the call failed.
std::string Answer(HRESULT hr, BSTR text, const char* call, const std::string& item) {
    std::string narrow = text == nullptr ? std::string() : Platform::WideToUtf8(text);
    SysFreeString(text);
    if (FAILED(hr)) {
        throw HostCallError{call, hr, item};
    }
    return narrow;
}

} // namespace

int Search(const SearchArguments& arguments) {
    const RegisteredFilter filter;
    const ILSQueryRepositoryPtr query(filter.get());
    if (!query) {
        throw std::runtime_error("the sync filter does not offer searches.");
    }
    const _bstr_t server(Platform::Utf8ToWide(arguments.server).c_str());
    std::cout << "Connecting to " << arguments.server << std::endl;
    // Validating the scope logs in to that server.
    BSTR validated = nullptr;
    const HRESULT loggedIn = query->raw_ValidateScopeParameter(server, &validated);
    Answer(loggedIn, validated, "raw_ValidateScopeParameter", arguments.server);

    BSTR results = nullptr;
    const HRESULT hr =
        query->raw_RunQuery(arguments.maximumHits, server,
                            _bstr_t(Platform::Utf8ToWide(arguments.text).c_str()), _bstr_t(L""), 0, &results);
    const std::string lines = Answer(hr, results, "raw_RunQuery", arguments.text);
    if (lines.empty()) {
        std::cout << "Nothing on " << arguments.server << " has \"" << arguments.text << "\" in its title.\n";
        return kExitSynced;
    }
    // Each line: title, location, path, kind and the repository type, separated by TABs; the type is
    // always the same and left out.
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
        std::cout << line.substr(0, line.rfind('\t')) << "\n";
    }
    return kExitSynced;
}

} // namespace KovaSync
