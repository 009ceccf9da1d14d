// Loading a string resource into the string: the language library, the library itself, the
// common library and the brand library are asked in turn.
#include "Platform/LibLoaderApi.h"
#include "Platform/WinUser.h"
#include "VantrelCommon/ResourceLibraries.h"
#include "VantrelCommon/StdString.h"

bool CStdStr<wchar_t>::LoadString(UINT id) {
    const HMODULE modules[] = {GetLanguageResources(), GetModuleInstance(), GetCommonResources(),
                               GetBrandResources()};
    for (HMODULE module : modules) {
        if (module == nullptr) {
            continue;
        }
        clear();
        int length = 0;
        HRSRC block = FindResourceW(module, MAKEINTRESOURCEW(static_cast<WORD>(id / 16 + 1)), RT_STRING);
        const DWORD blockBytes = block != nullptr ? SizeofResource(module, block) : 0;
        if (blockBytes > 1) {
            resize(blockBytes / sizeof(wchar_t));
            length = LoadStringW(module, id, data(), static_cast<int>(size()));
        }
        if (const BrandPlaceholderReplacer& replacer = GetBrandPlaceholderReplacer()) {
            replacer(*this);
        }
        resize(std::wcslen(c_str()));
        if (length != 0) {
            return true;
        }
    }
    clear();
    return false;
}
