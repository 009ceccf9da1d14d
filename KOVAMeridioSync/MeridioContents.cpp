#include "KOVAMeridioSync/MeridioContents.h"

#include "KOVACommon/LSBaseWS.h"
#include "KOVAMeridioSync/MeridioNumbers.h"
#include "Platform/OleAuto.h"

#include <string_view>
#include <utility>

MeridioRowIndex::MeridioRowIndex(IXMLDOMDocument2* document, const wchar_t* element,
                                 const wchar_t* attribute) {
    const IXMLDOMNodeListPtr rows = document->selectNodes(_bstr_t(L"//") + element);
    const LONG count = rows->Getlength();
    rows_.reserve(static_cast<std::size_t>(count));
    for (LONG i = 0; i < count; ++i) {
        IXMLDOMNodePtr row = rows->Getitem(i);
        const _variant_t value = IXMLDOMElementPtr(row)->getAttribute(attribute);
        LONG id = 0;
        if (value.vt == VT_BSTR &&
            ParseXPathWholeNumber(std::wstring_view(value.bstrVal, SysStringLen(value.bstrVal)), id)) {
            rows_.try_emplace(id, std::move(row)); // the first in document order stays
        }
    }
}

IXMLDOMNodePtr MeridioRowIndex::Find(LONG id) const {
    const auto found = rows_.find(id);
    return found != rows_.end() ? found->second : IXMLDOMNodePtr();
}

void MeridioContents::Load(const _bstr_t& xml, const wchar_t* action) {
    Clear();
    IXMLDOMDocument2Ptr document;
    LoadReplyXmlText(document, xml, action);
    MeridioRowIndex containers(document, L"T0", L"CONTAINERID");
    MeridioRowIndex documents(document, L"T1", L"DOCID");
    document_ = std::move(document);
    containers_ = std::move(containers);
    documents_ = std::move(documents);
}

void MeridioContents::Clear() {
    document_ = nullptr;
    containers_ = MeridioRowIndex();
    documents_ = MeridioRowIndex();
}
