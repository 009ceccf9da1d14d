#include "VantrelCommon/LSSetting.h"

#include "Platform/LibLoaderApi.h"

#include <vector>

CStdStr<wchar_t> LSSetting::GetModuleFileNameSafe(HINSTANCE module) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            return CStdStr<wchar_t>(std::wstring(buffer.data(), length).c_str());
        }
        buffer.resize(buffer.size() * 2);
    }
}
