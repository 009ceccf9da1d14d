#include "kova-sync/Messages.h"

#include "Platform/Combase.h"
#include "Platform/SystemMessage.h"
#include "Platform/Utf.h"
#include "kova-sync/FilterRecords.h"

#include <cstdio>
#include <iterator>
#include <string_view>
#include <vector>

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
    // A filter text that is only the code's system message says nothing the code does not.
    if (!error.filterText.empty() && error.filterText != system) {
        text += error.filterText + " ";
    }
    text += "(" + std::string(code) + (system.empty() ? "" : " " + system) + ")";
    for (std::size_t i = 0; i < error.causes.size(); ++i) {
        text += (i == 0 ? ": " : "; ") + error.causes[i];
    }
    return WithoutSecrets(text);
}

std::string SizeText(std::uintmax_t bytes) {
    if (bytes < 1024) {
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    }
    const char* const units[] = {"KB", "MB", "GB", "TB"};
    double size = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (size >= 1024 && unit + 1 < std::size(units)) {
        size /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", size, units[unit]);
    return text;
}

std::string DownloadText(std::uintmax_t bytes, std::chrono::steady_clock::duration took) {
    // Short downloads say nothing useful about the line's speed.
    constexpr std::chrono::seconds kLongDownload{2};
    if (took < kLongDownload) {
        return SizeText(bytes);
    }
    const double seconds = std::chrono::duration<double>(took).count();
    return SizeText(bytes) + ", " +
           SizeText(static_cast<std::uintmax_t>(static_cast<double>(bytes) / seconds)) + "/s";
}

std::string SummaryLine(const PassSummary& summary) {
    std::string line = "Summary: " + std::to_string(summary.folders) +
                       " folders; documents: " + std::to_string(summary.downloaded) + " downloaded, " +
                       std::to_string(summary.unchanged) + " unchanged, " + std::to_string(summary.removed) +
                       " removed, " + std::to_string(summary.failed) + " failed; " + SizeText(summary.bytes) +
                       " downloaded";
    // The local side is told only when the pass met local changes.
    std::vector<std::string> local;
    const auto add = [&local](unsigned count, const std::string& what) {
        if (count != 0) {
            local.push_back(std::to_string(count) + " " + what);
        }
    };
    add(summary.uploaded, "sent (" + SizeText(summary.bytesUp) + ")");
    add(summary.relocated, "renamed or moved");
    add(summary.deletedOnServer, "deleted on the server");
    add(summary.foldersCreated, "folders created");
    add(summary.foldersDeleted, "folders deleted");
    add(summary.conflicts + summary.conflictCopies, "conflicts");
    add(summary.excluded, "excluded");
    add(summary.keptLocal, "kept local");
    for (std::size_t i = 0; i < local.size(); ++i) {
        line += (i == 0 ? "; local changes: " : ", ") + local[i];
    }
    return line;
}

} // namespace KovaSync
