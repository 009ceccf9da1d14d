// Small routines of the generic filter that touch local files.
#pragma once

#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "Platform/FileIoApi.h"
#include "VantrelCommon/LSHash.h"
#include "VantrelCommon/StdString.h"

#include <cstddef>
#include <optional>

// The hash of content of no bytes.
extern const wchar_t EmptyContentHash[];

// The content hash of bytes handed over piece by piece: the one a file holding them gets
// (EmptyContentHash for no bytes at all).
class LSContentHasher {
public:
    void Add(const BYTE* data, std::size_t size) {
        digest_.Add(data, size);
        empty_ = empty_ && size == 0;
    }
    CStdStr<wchar_t> Hash() { return empty_ ? CStdStr<wchar_t>(EmptyContentHash) : digest_.Text(); }

private:
    CLSContentHash digest_;
    bool empty_ = true;
};

// A file's size and last-write time: while both stay, the file is taken to hold what it held.
struct LocalFileStamp {
    ULONGLONG size = 0;
    ULONGLONG lastWrite = 0;
    bool operator==(const LocalFileStamp&) const = default;
};
LocalFileStamp StampOf(const WIN32_FILE_ATTRIBUTE_DATA& attributes);
// Empty when the file's attributes cannot be read.
std::optional<LocalFileStamp> LocalFileStampOf(const CStdStr<wchar_t>& path);

// The text from the last "." of the name to its end, the "." included; empty without a ".".
CStdStr<wchar_t> GetFileExtension(const CStdStr<wchar_t>& name);

// True for the extensions .msg, .eml, .mim and .mme, in any letter case.
bool IsMailFile(const CStdStr<wchar_t>& fileName);

// A new, reserved (created empty) file path in the temporary directory; the caller deletes it.
CStdStr<wchar_t> MakeTempFilePath();

// Copies a local file; the copy stops when the informer reports shutdown. S_OK or E_FAIL; an
// access-denied failure also leaves its message on the item.
HRESULT CopyLocalFile(const CStdStr<wchar_t>& sourcePath, const CStdStr<wchar_t>& destinationPath,
                      ILSPropertyMap* item, ILSShutdownInformer* informer);

// The setting KOVA.ExternalAttachments, read once per process.
bool IsExternalAttachmentsEnabled();
