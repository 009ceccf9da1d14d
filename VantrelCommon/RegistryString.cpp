#include "VantrelCommon/RegistryString.h"

#include "Platform/ProcessEnv.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "VantrelCommon/LSDiag.h"

#include <vector>

namespace {

constexpr DWORD kFirstBufferChars = 260;

bool IsTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

} // namespace

LONG ReadRegistryString(HKEY key, const CStdStr<wchar_t>& name, CStdStr<wchar_t>& value) {
    std::vector<wchar_t> buffer(kFirstBufferChars);
    DWORD type = 0;
    DWORD size = kFirstBufferChars * sizeof(wchar_t);
    LONG result =
        RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    bool secondQuery = false;
    if (result == ERROR_MORE_DATA) {
        buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
        secondQuery = true;
        result = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                  &size);
    }
    if (result != ERROR_SUCCESS) {
        return result;
    }
    if (!IsTextType(type)) {
        if (secondQuery) {
            LSDIAG_ERROR << "Failed to read string registry key invalid type " << type;
        } else {
            LSDIAG_ERROR << "Failed to read string registry key with name '" << name << "' invalid type "
                         << type;
        }
        return ERROR_FILE_NOT_FOUND;
    }
    const std::size_t units = size / sizeof(wchar_t);
    const CStdStr<wchar_t> text(std::wstring(buffer.data(), wcsnlen(buffer.data(), units)).c_str());
    value = type == REG_EXPAND_SZ ? ExpandEnvironment(text) : text;
    return ERROR_SUCCESS;
}

CStdStr<wchar_t> ExpandEnvironment(const CStdStr<wchar_t>& text) {
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    std::vector<wchar_t> expanded(needed);
    if (needed == 0 || ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed) != needed) {
        LSDIAG_ERROR << "Failed expanding string " << GetLastError();
        return text;
    }
    return CStdStr<wchar_t>(expanded.data());
}
