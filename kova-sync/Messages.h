// The texts the driver prints: failures in words and the summary line of a pass.
#pragma once

#include "kova-sync/PluginHost.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace KovaSync {

// The platform's message text for the HRESULT, without the line end; empty when it has none.
std::string SystemMessage(HRESULT hr);
// "CALL failed for "ITEM": FILTER TEXT (0x80004005 Unspecified error): CAUSE; CAUSE", the causes
// those the filter's error records told.
std::string Describe(const HostCallError& error);

struct PassSummary {
    unsigned folders = 0;
    unsigned downloaded = 0;
    unsigned unchanged = 0;
    unsigned removed = 0;
    unsigned failed = 0;
    unsigned listedDocuments = 0; // listed by the server in this pass
    std::uintmax_t bytes = 0;
    std::int64_t heldRemovals = 0; // documents the mass-deletion guard did not remove
    // The local side.
    unsigned uploaded = 0; // new documents and new versions
    std::uintmax_t bytesUp = 0;
    unsigned relocated = 0; // renamed or moved on the server
    unsigned deletedOnServer = 0;
    unsigned foldersCreated = 0;
    unsigned foldersDeleted = 0;
    unsigned conflicts = 0;      // made in this pass
    unsigned conflictCopies = 0; // left from earlier passes
    unsigned excluded = 0;
    unsigned keptLocal = 0; // local edits not sent (--download-only)
};

// A size as people read it: "255 bytes", "12.3 KB", "4.0 MB", "1.2 GB" (units of 1024).
std::string SizeText(std::uintmax_t bytes);
// A downloaded document's own size, and the rate when the download took a while: "4.0 MB, 1.3 MB/s".
std::string DownloadText(std::uintmax_t bytes, std::chrono::steady_clock::duration took);

// "Summary: 5 folders; documents: 8 downloaded, 0 unchanged, 0 removed, 0 failed; 1.2 KB downloaded",
// then "; local changes: 2 sent (300 bytes), 1 renamed or moved" with the local counts that are not 0.
std::string SummaryLine(const PassSummary& summary);

} // namespace KovaSync
