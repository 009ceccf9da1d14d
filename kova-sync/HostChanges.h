// The host calls that send one local change to the server, in the form and order the filter expects
// of the engine: a new document (a mail file as a mail item), a new version, a rename through the
// update call, a deletion, a new folder, a direct move. Each answers what became of the change; a
// stop of the pass is thrown (HostCallError with E_ABORT).
#pragma once

#include "Host/ShutdownInformer.h"
#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "kova-sync/MapRef.h"

#include <filesystem>
#include <string>

namespace KovaSync {

struct SendResult {
    enum class Kind {
        Done,
        Refused,  // the filter or the server refused it; reason says why
        Conflict, // the server's copy changed since the last pass
    };
    Kind kind = Kind::Done;
    std::string reason;
    // A remark on a change that was made, e.g. a mail file that went up as a plain document.
    std::string note;

    bool done() const { return kind == Kind::Done; }
};

class HostChanges {
public:
    HostChanges(ILSSyncFilter2* filter, Host::LSShutdownInformer* informer);

    // The file at path goes up as a new document named name in the bound folder; item receives the
    // document's properties.
    SendResult AddNew(const MapRef& folder, const std::filesystem::path& path, const std::string& name,
                      MapRef& item);
    // A new version of the document from the file at path; renamed: the document takes the name too.
    SendResult Update(const MapRef& folder, const std::filesystem::path& path, const std::string& name,
                      MapRef& item, bool renamed = false);
    // The document takes the new name; its content stays.
    SendResult Rename(const MapRef& folder, const std::filesystem::path& path, const std::string& newName,
                      MapRef& item);
    // Deletes the document or folder of the map on the server.
    SendResult Delete(const MapRef& item);
    // A new folder of that name below the parent; folder receives its properties.
    SendResult CreateFolder(const MapRef& mainFolder, const MapRef& parent, const std::string& name,
                            MapRef& folder);
    // Moves the document from the bound source folder into the destination folder on the server. Not
    // offered (the filter answers no source-action text): offered is false and nothing is done.
    SendResult Move(const MapRef& source, const MapRef& destination, MapRef& item, bool& offered);

private:
    SendResult Upload(bool isNew, const MapRef& folder, const std::filesystem::path& path,
                      const std::string& name, MapRef& item);
    // Throws for a stopped pass; otherwise the refusal in words.
    SendResult Refusal(const char* call, HRESULT hr, const std::string& text) const;

    ILSSyncFilter2* filter_;
    Host::LSShutdownInformer* informer_;
};

} // namespace KovaSync
