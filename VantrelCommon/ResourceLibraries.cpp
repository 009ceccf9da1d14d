#include "VantrelCommon/ResourceLibraries.h"

#include "Platform/ComError.h"
#include "Platform/FileApi.h"
#include "Platform/LibLoaderApi.h"
#include "Platform/WinError.h"
#include "Platform/WinNls.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/InterfaceBoundary.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSSetting.h"

namespace {

constexpr DWORD kDataFileFlags = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE;

const CStdStr<wchar_t>& InstallDirectory() {
    static const CStdStr<wchar_t> directory = LSSetting::GetInstance()->GetUserString(L"InstallDir", L"");
    return directory;
}

bool FileExists(const CStdStr<wchar_t>& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct LibraryTexts {
    const wchar_t* name;
    const char* noPath;
    const char* loadFailed;
    const char* function;
};

// The common and brand libraries: found with the generic fallback, every failure logged.
HMODULE LoadSharedResourceLibrary(const LibraryTexts& texts, const CStdStr<wchar_t>& directorySetting) {
    try {
        const CStdStr<wchar_t> path = FindLocalizedFile(texts.name, L"dll", true, directorySetting);
        if (path.empty()) {
            LSDIAG_ERROR << texts.noPath;
            return nullptr;
        }
        HMODULE module = LoadLibraryExW(path.c_str(), nullptr, kDataFileFlags);
        if (module == nullptr) {
            LSDIAG_ERROR << texts.loadFailed << path;
        }
        return module;
    } catch (...) {
        HResultFromCurrentException(texts.function, __FILE__, __LINE__, nullptr);
        return nullptr;
    }
}

} // namespace

CStdStr<wchar_t> GetLanguageCode() {
    CStdStr<wchar_t> code = LSSetting::GetInstance()->GetUserString(L"OverrideLangId", L"");
    const LANGID language = GetUserDefaultUILanguage();
    if (code.empty()) {
        const int length = VantrelCommon::narrowcasts::narrow_cast(
            static_cast<std::size_t>(GetLocaleInfoW(language, LOCALE_SISO639LANGNAME, nullptr, 0)));
        if (length > 0) {
            code.resize(static_cast<std::size_t>(length));
            GetLocaleInfoW(language, LOCALE_SISO639LANGNAME, code.data(), length);
        }
    }
    const bool isDefault = code.empty() || CStdStr<wchar_t>(code.c_str()) == L"en";
    LSDIAG_DIAG << (isDefault ? "Using default language for langId " : "Using language for langId ")
                << language << ", Lang " << code.c_str();
    return code;
}

CStdStr<wchar_t> FindLocalizedFile(const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& extension,
                                   bool allowGeneric, const CStdStr<wchar_t>& directorySetting) {
    const CStdStr<wchar_t> directory = directorySetting.empty()
                                           ? InstallDirectory()
                                           : LSSetting::GetInstance()->GetUserString(directorySetting, L"");
    LSDIAG_DIAG << "Looking in:" << InstallDirectory();
    const CStdStr<wchar_t> code = GetLanguageCode();

    CStdStr<wchar_t> localised = directory;
    localised += FormatString(L"%s\\", code.c_str());
    localised += name;
    localised += FormatString(L"-%s.%s", code.c_str(), extension.c_str());
    LSDIAG_DIAG << "Localised location:" << localised;
    if (FileExists(localised)) {
        LSDIAG_DIAG << "Found lang specific path to file " << localised;
        return localised;
    }
    if (!allowGeneric) {
        return CStdStr<wchar_t>();
    }
    CStdStr<wchar_t> generic = directory;
    generic += name;
    generic += FormatString(L".%s", extension.c_str());
    LSDIAG_DIAG << "Generic location:" << generic;
    if (FileExists(generic)) {
        LSDIAG_DIAG << "Found generic path to file " << generic;
        return generic;
    }
    LSDIAG_ERROR << "Failed to locate generic path to file " << generic;
    throw _com_error(E_INVALIDARG);
}

HMODULE LoadLanguageResources(const CStdStr<wchar_t>& moduleBaseName) {
    const CStdStr<wchar_t> path = FindLocalizedFile(moduleBaseName, L"dll", false, CStdStr<wchar_t>());
    if (path.empty()) {
        return nullptr;
    }
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, kDataFileFlags);
    if (module == nullptr) {
        LSDIAG_DIAG << "Failed loading language dll " << path;
    }
    return module;
}

HMODULE LoadUsersCommonResources(CStdStr<wchar_t> directorySetting) {
    return LoadSharedResourceLibrary({L"KOVACommonResources32",
                                      "Failed loading common resources dll - no path found",
                                      "Failed loading common resources dll:", "LoadUsersCommonResources"},
                                     directorySetting);
}

HMODULE LoadBrandResources(CStdStr<wchar_t> directorySetting) {
    return LoadSharedResourceLibrary({L"KOVABrandResources32",
                                      "Failed loading brand resources dll - no path found",
                                      "Failed loading brand resources dll ", "LoadBrandResources"},
                                     directorySetting);
}
