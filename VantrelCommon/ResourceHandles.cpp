// The process-wide handles of the resource modules and the brand placeholder replacer.
#include "Platform/LibLoaderApi.h"
#include "VantrelCommon/ResourceLibraries.h"

HINSTANCE& GetModuleInstance() {
    static HINSTANCE instance = GetModuleHandleW(nullptr);
    return instance;
}

HMODULE& GetLanguageResources() {
    static HMODULE module = nullptr;
    return module;
}

HMODULE& GetCommonResources() {
    static HMODULE module = nullptr;
    return module;
}

HMODULE& GetBrandResources() {
    static HMODULE module = nullptr;
    return module;
}

BrandPlaceholderReplacer& GetBrandPlaceholderReplacer() {
    static BrandPlaceholderReplacer replacer;
    return replacer;
}
