#include "kova-sync/Messages.h"

#include "Platform/Combase.h"
#include "Platform/SystemMessage.h"
#include "Platform/Utf.h"

#include <cstdio>
#include <string_view>

namespace KovaSync {

std::string SystemMessage(HRESULT hr) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string message = length == 0 ? std::string() : Platform::WideToUtf8(std::wstring_view(text, length));
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

std::string Describe(const HostCallError& error) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(error.hr));
    const std::string system = SystemMessage(error.hr);
    std::string text = error.call + " failed";
    if (!error.item.empty()) {
        text += " for \"" + error.item + "\"";
    }
    text += ": ";
    if (!error.filterText.empty()) {
        text += error.filterText + " ";
    }
    return text + "(" + code + (system.empty() ? "" : " " + system) + ")";
}

std::string SummaryLine(const PassSummary& summary) {
    return "Summary: " + std::to_string(summary.folders) +
           " folders; documents: " + std::to_string(summary.downloaded) + " downloaded, " +
           std::to_string(summary.unchanged) + " unchanged, " + std::to_string(summary.removed) +
           " removed, " + std::to_string(summary.failed) + " failed; " + std::to_string(summary.bytes) +
           " bytes downloaded; local changes: " + std::to_string(summary.uploaded) + " sent (" +
           std::to_string(summary.bytesUp) + " bytes), " + std::to_string(summary.relocated) +
           " renamed or moved, " + std::to_string(summary.deletedOnServer) + " deleted on the server, " +
           std::to_string(summary.foldersCreated) + " folders created, " +
           std::to_string(summary.foldersDeleted) + " folders deleted, " +
           std::to_string(summary.conflicts + summary.conflictCopies) + " conflicts, " +
           std::to_string(summary.excluded) + " excluded, " + std::to_string(summary.keptLocal) +
           " kept local";
}

} // namespace KovaSync
