// Meridio locations: "Meridio://" server "/" kind "/" id names every Meridio object that the filter
// lists or touches; the kind codes are the server's own object type numbers.
#pragma once

#include "Platform/WinTypes.h"
#include "VantrelCommon/StdString.h"

enum MeridioObjectType : LONG {
    MeridioObjectRecord = 4,
    MeridioObjectFolder = 6,
    MeridioObjectClass = 20,
    MeridioObjectContainer = 100,
    MeridioObjectDocument = 101,
    MeridioObjectOther = 102,
};

// Parses a location into its server, kind code and id (at least 1). Empty pieces between slashes do not
// count and pieces after the id are ignored. A malformed location throws E_INVALIDARG; the outs written
// before the failure stay written.
void ExtractUrlDetails(const CStdStr<wchar_t>& location, CStdStr<wchar_t>& serverName, LONG& objectType,
                       LONG& objectId);

// "Meridio://server/record/id" or ".../document/id"; the server name is XML-escaped.
CStdStr<wchar_t> MakeDocumentUrl(const CStdStr<wchar_t>& serverName, bool isRecord,
                                 const CStdStr<wchar_t>& documentId);

// Makes document locations as MakeDocumentUrl does, escaping the server name only when it differs
// from the last one given: a listing names every document on one server.
class DocumentUrlMaker {
public:
    CStdStr<wchar_t> Make(const CStdStr<wchar_t>& serverName, bool isRecord,
                          const CStdStr<wchar_t>& documentId);

private:
    CStdStr<wchar_t> serverName_;
    CStdStr<wchar_t> escapedServerName_; // XmlEscape of serverName_ (empty for empty)
};

// "Meridio://server/folder|class|container/id" for the kind code given as decimal text (6 folder,
// 20 class, anything else container).
CStdStr<wchar_t> MakeContainerUrl(const CStdStr<wchar_t>& serverName, const CStdStr<wchar_t>& objectTypeText,
                                  LONG objectId);
