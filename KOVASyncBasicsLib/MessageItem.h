// The host's mail item beyond its property map: what a mail upload reads of the message itself. The
// host's item property map of a mail answers QueryInterface for ILSMessageItem; a map that does not
// (a plain document) has no message data.
#pragma once

#include "KOVASyncBasicsLib/ComErrorCheck.h"
#include "Platform/OleAuto.h"

// Every method returns an HRESULT; a failure means the value is not available. Strings handed out are
// new BSTRs that the caller frees.
struct ILSMessageItem : IUnknown {
    // The text of a property by MAPI tag as the message store gives it: for the display lists
    // 0x0E04001F (To), 0x0E03001F (Cc) and 0x0E02001F (Bcc), the recipients of that kind joined by "; ".
    virtual HRESULT STDMETHODCALLTYPE raw_GetPropertyText(ULONG tag, BSTR* text) = 0;
    // The item's categories, separated by TAB characters.
    virtual HRESULT STDMETHODCALLTYPE raw_get_Keywords(BSTR* keywords) = 0;
    // The tag of a named property of the common property set (PSETID_Common), given its numeric id;
    // the type part of the tag is the one the store holds. MAPI_E_NOT_FOUND: the item has no such
    // property.
    virtual HRESULT STDMETHODCALLTYPE raw_GetCommonNamedPropertyTag(LONG id, ULONG* tag) = 0;
    // The same for the task property set (PSETID_Task).
    virtual HRESULT STDMETHODCALLTYPE raw_GetTaskNamedPropertyTag(LONG id, ULONG* tag) = 0;
    // The item's message class, as "IPM.Note" or "IPM.Note.SMIME".
    virtual HRESULT STDMETHODCALLTYPE raw_get_MessageClass(BSTR* messageClass) = 0;

protected:
    ~ILSMessageItem() = default;
};
KOVA_DECLARE_UUID(ILSMessageItem, "A1ADCDC9-92AE-459B-AD6B-6CF99A4CBFAC");
_COM_SMARTPTR_TYPEDEF(ILSMessageItem, __uuidof(ILSMessageItem));
