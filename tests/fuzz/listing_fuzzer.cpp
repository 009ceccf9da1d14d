// The contents listing: the rows of a container's contents text (or of one document's preview, when
// the first byte is odd) become the filter's folders and items, which are then read back.
#include "KOVAMeridioSync/KOVAMeridioSyncFilter.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdlib>

namespace {

// The filter object as the module makes it, with the listing tables in reach.
class ListingReader : public CKOVAMeridioSyncFilter {
public:
    void ReadBack() {
        for (USHORT i = 0; i < m_subFolderNames.size(); ++i) {
            (void)GetSubFolderUrl(i);
        }
        for (USHORT i = 0; i < m_itemNames.size(); ++i) {
            (void)GetItemName(i);
            (void)GetItemVersion(i);
            (void)GetItemExtraProperty(i, L"fromUser", L"");
            (void)GetItemExtraProperty(i, L"receivedDate", L"");
            Fuzz::ExpectingSystemErrors([&] { (void)IsCheckoutInternal(m_fileNames[i]); });
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool singleDocument = (data[0] & 1) != 0;
    const CStdStr<wchar_t> contents(Fuzz::WideText(Fuzz::Bytes(data + 1, size - 1)));
    CComObjectNoLock<ListingReader>* filter = nullptr;
    if (FAILED(CComObjectNoLock<ListingReader>::CreateInstance(&filter))) {
        std::abort();
    }
    filter->AddRef();
    Fuzz::ExpectingSystemErrors([&] {
        filter->LoadContentsText(_bstr_t(contents.c_str()), L"OutlookGetContainerFullEx");
        if (singleDocument) {
            filter->GetSingleDocument();
        } else {
            filter->GetFolderSubFolders();
            filter->GetFolderDocuments();
        }
        filter->ReadBack();
    });
    filter->Release();
    return 0;
}
