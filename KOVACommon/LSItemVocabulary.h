// The item vocabulary: property names, message classes, repository types and field controls, as
// process-wide automation strings that can be handed to the host's property maps unconverted.
#pragma once

#include "KOVACommon/ItemPropertyNames.h"
#include "Platform/ComUtil.h"
#include "VantrelCommon/StdString.h"

#include <array>
#include <cstddef>

namespace ItemProperty {
#define KOVA_DECLARE_ITEM_PROPERTY(identifier, text) extern const _bstr_t identifier;
KOVA_ITEM_PROPERTY_NAMES(KOVA_DECLARE_ITEM_PROPERTY)
#undef KOVA_DECLARE_ITEM_PROPERTY
} // namespace ItemProperty

#define KOVA_COUNT_ONE(identifier) +1
inline constexpr std::size_t kPropertyListSize = 0 KOVA_PROPERTY_LIST(KOVA_COUNT_ONE);
#undef KOVA_COUNT_ONE

// The defined list of property names, in order. No operation walks it.
extern const std::array<_bstr_t, kPropertyListSize> PropertyList;

// Outlook message classes given to synced items.
namespace MessageClass {
extern const _bstr_t Document;                 // "IPM.Post.KOVA.Doc": documents
extern const _bstr_t PostCL;                   // "IPM.Post.KOVA.CL"
extern const _bstr_t TaskCL;                   // "IPM.Task.KOVA.CL"
extern const _bstr_t ContactCL;                // "IPM.Contact.KOVA.CL"
extern const _bstr_t PlainDocument;            // "IPM.Document"
extern const _bstr_t Note;                     // "IPM.Note.KOVA"
extern const _bstr_t Post;                     // "IPM.Post.KOVA"
extern const _bstr_t MultiItemMessage;         // "IPM.Post.KOVA.MultiItemMessage"
extern const _bstr_t InfoPathForm;             // "IPM.InfoPathForm"
extern const CStdStr<wchar_t> SyncIssuePrefix; // "IPM.Note.KOVA.SyncIssue."
} // namespace MessageClass

// Values of Mavisto.RepositoryType.
namespace RepositoryType {
extern const _bstr_t KOVA;
extern const _bstr_t KOVAAlias; // the same text as KOVA
extern const _bstr_t SharePoint;
extern const _bstr_t SharePointAlias; // the same text as SharePoint
extern const _bstr_t WorkSite;
extern const _bstr_t Trim;
extern const _bstr_t FileShare;
extern const _bstr_t HighQ;
extern const _bstr_t Meridio;
extern const _bstr_t HPRM;
extern const _bstr_t OpenText;
extern const _bstr_t MFiles;
extern const _bstr_t KOVACRL;
extern const _bstr_t KOVAUnifiedGroups;
extern const _bstr_t NetDocuments;
extern const _bstr_t eDOCS;
extern const _bstr_t Box;
} // namespace RepositoryType

// The controls that edit custom fields.
namespace FieldControl {
extern const _bstr_t Simple;   // "KOVA.SimpleField.1"
extern const _bstr_t DateTime; // "KOVA.DateTimeField.1"
} // namespace FieldControl
