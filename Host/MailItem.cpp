#include "Host/MailItem.h"

#include "Host/MailReaders.h"
#include "Platform/ComText.h"
#include "Platform/FileIoApi.h"
#include "Platform/PathMapping.h"
#include "Platform/Utf.h"
#include "Platform/WinBase.h"

#include <cwchar>
#include <new>

namespace Host {

namespace {

enum class MailFormat { Mime, Msg, None };

MailFormat FormatOf(const std::wstring& path) {
    const auto dot = path.find_last_of(L".\\/");
    if (dot == std::wstring::npos || path[dot] != L'.') {
        return MailFormat::None;
    }
    const std::wstring_view extension = std::wstring_view(path).substr(dot + 1);
    for (const wchar_t* mime : {L"eml", L"mim", L"mme"}) {
        if (Platform::EqualNoCase(extension, mime)) {
            return MailFormat::Mime;
        }
    }
    return Platform::EqualNoCase(extension, L"msg") ? MailFormat::Msg : MailFormat::None;
}

HRESULT ReturnTag(const std::map<LONG, ULONG>& tags, LONG id, ULONG* tag) {
    if (tag == nullptr) {
        return E_POINTER;
    }
    const auto found = tags.find(id);
    if (found == tags.end()) {
        return MAPI_E_NOT_FOUND;
    }
    *tag = found->second;
    return S_OK;
}

// Reads the file into a new item, or throws MailFileError.
LSMailItem* ReadMailFile(const std::wstring& path) {
    const MailFormat format = FormatOf(path);
    if (format == MailFormat::None) {
        throw MailFileError(E_INVALIDARG, "not a mail file name (.eml, .mim, .mme or .msg)");
    }
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
        throw MailFileError(HRESULT_FROM_WIN32(GetLastError()), "the file cannot be read");
    }
    if ((attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw MailFileError(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), "the path is a directory");
    }
    const std::uint64_t size = (std::uint64_t{attributes.nFileSizeHigh} << 32) | attributes.nFileSizeLow;
    LSMailItem* item = LSMailItem::Create();
    try {
        if (format == MailFormat::Mime) {
            ReadMimeMail(Platform::NativePath(path), *item);
        } else {
            ReadMsgMail(Platform::NativePath(path), size, *item);
        }
    } catch (...) {
        item->Release();
        throw;
    }
    return item;
}

} // namespace

std::wstring TagPropertyName(ULONG tag) {
    wchar_t name[11];
    std::swprintf(name, 11, L"0x%08x", static_cast<unsigned>(tag));
    return name;
}

LSMailItem* LSMailItem::Create() {
    return new LSMailItem();
}

HRESULT STDMETHODCALLTYPE LSMailItem::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (riid == __uuidof(ILSMessageItem)) {
        *object = static_cast<ILSMessageItem*>(this);
        AddRef();
        return S_OK;
    }
    return LSMemoryPropertyMap::QueryInterface(riid, object);
}

ULONG STDMETHODCALLTYPE LSMailItem::AddRef() {
    return LSMemoryPropertyMap::AddRef();
}

ULONG STDMETHODCALLTYPE LSMailItem::Release() {
    return LSMemoryPropertyMap::Release();
}

HRESULT STDMETHODCALLTYPE LSMailItem::raw_GetPropertyText(ULONG tag, BSTR* text) {
    if (text == nullptr) {
        return E_POINTER;
    }
    switch (tag) {
    case MailTag::DisplayTo:
        return Platform::ReturnBstr(message_.to, text);
    case MailTag::DisplayCc:
        return Platform::ReturnBstr(message_.cc, text);
    case MailTag::DisplayBcc:
        return Platform::ReturnBstr(message_.bcc, text);
    default:
        break;
    }
    const PropertyValue* value = Find(TagPropertyName(tag));
    if (value == nullptr) {
        return MAPI_E_NOT_FOUND;
    }
    const auto* stored = std::get_if<std::wstring>(value);
    return stored == nullptr ? DISP_E_TYPEMISMATCH : Platform::ReturnBstr(*stored, text);
}

HRESULT STDMETHODCALLTYPE LSMailItem::raw_get_Keywords(BSTR* keywords) {
    return Platform::ReturnBstr(message_.keywords, keywords);
}

HRESULT STDMETHODCALLTYPE LSMailItem::raw_GetCommonNamedPropertyTag(LONG id, ULONG* tag) {
    return ReturnTag(message_.commonNamedTags, id, tag);
}

HRESULT STDMETHODCALLTYPE LSMailItem::raw_GetTaskNamedPropertyTag(LONG id, ULONG* tag) {
    return ReturnTag(message_.taskNamedTags, id, tag);
}

HRESULT STDMETHODCALLTYPE LSMailItem::raw_get_MessageClass(BSTR* messageClass) {
    return Platform::ReturnBstr(message_.messageClass, messageClass);
}

HRESULT LoadMailItem(const std::wstring& path, LSMailItem** item, std::wstring* errorText) {
    if (item == nullptr || errorText == nullptr) {
        return E_POINTER;
    }
    *item = nullptr;
    errorText->clear();
    try {
        *item = ReadMailFile(path);
        return S_OK;
    } catch (const MailFileError& error) {
        *errorText = path + L": " + Platform::Utf8ToWide(error.what());
        return error.Result();
    } catch (const std::bad_alloc&) {
        *errorText = path + L": out of memory reading the mail";
        return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        *errorText = path + L": " + Platform::Utf8ToWide(error.what());
        return E_FAIL;
    }
}

} // namespace Host
