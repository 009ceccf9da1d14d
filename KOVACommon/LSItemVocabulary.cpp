#include "KOVACommon/LSItemVocabulary.h"

namespace ItemProperty {
#define KOVA_DEFINE_ITEM_PROPERTY(identifier, text) const _bstr_t identifier(text);
KOVA_ITEM_PROPERTY_NAMES(KOVA_DEFINE_ITEM_PROPERTY)
#undef KOVA_DEFINE_ITEM_PROPERTY
} // namespace ItemProperty

// Defined after the names in the same file, so the names are built first.
#define KOVA_LIST_ENTRY(identifier) ItemProperty::identifier,
const std::array<_bstr_t, kPropertyListSize> PropertyList = {KOVA_PROPERTY_LIST(KOVA_LIST_ENTRY)};
#undef KOVA_LIST_ENTRY

namespace MessageClass {
const _bstr_t Document(L"IPM.Post.KOVA.Doc");
const _bstr_t PostCL(L"IPM.Post.KOVA.CL");
const _bstr_t TaskCL(L"IPM.Task.KOVA.CL");
const _bstr_t ContactCL(L"IPM.Contact.KOVA.CL");
const _bstr_t PlainDocument(L"IPM.Document");
const _bstr_t Note(L"IPM.Note.KOVA");
const _bstr_t Post(L"IPM.Post.KOVA");
const _bstr_t MultiItemMessage(L"IPM.Post.KOVA.MultiItemMessage");
const _bstr_t InfoPathForm(L"IPM.InfoPathForm");
const CStdStr<wchar_t> SyncIssuePrefix(L"IPM.Note.KOVA.SyncIssue.");
} // namespace MessageClass

namespace RepositoryType {
const _bstr_t KOVA(L"KOVA");
const _bstr_t KOVAAlias(L"KOVA");
const _bstr_t SharePoint(L"SharePoint");
const _bstr_t SharePointAlias(L"SharePoint");
const _bstr_t WorkSite(L"WorkSite");
const _bstr_t Trim(L"Trim");
const _bstr_t FileShare(L"FileShare");
const _bstr_t HighQ(L"HighQ");
const _bstr_t Meridio(L"Meridio");
const _bstr_t HPRM(L"HPRM");
const _bstr_t OpenText(L"OpenText");
const _bstr_t MFiles(L"MFiles");
const _bstr_t KOVACRL(L"KOVACRL");
const _bstr_t KOVAUnifiedGroups(L"KOVAUnifiedGroups");
const _bstr_t NetDocuments(L"NetDocuments");
const _bstr_t eDOCS(L"eDOCS");
const _bstr_t Box(L"Box");
} // namespace RepositoryType

namespace FieldControl {
const _bstr_t Simple(L"KOVA.SimpleField.1");
const _bstr_t DateTime(L"KOVA.DateTimeField.1");
} // namespace FieldControl
