// The recording files: names, the header and error texts, and writing and reading whole files.
#include "KOVACommon/LSHttpRequestMocks.h"

#include "Platform/FileApi.h"
#include "Platform/LibLoaderApi.h"
#include "Platform/WideStdio.h"
#include "Platform/WinBase.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSSetting.h"
#include "VantrelCommon/TextUtils.h"

#include <cerrno>
#include <cwctype>

namespace LSHttpRequestMocks {

const CStdStr<wchar_t> HttpErrorMarker(L"!!!HttpError!!!");

std::uint32_t exchangeCounter = 0;
CStdStr<wchar_t> recordingPathPrefix;

namespace {

CStdStr<wchar_t> LettersAndDigitsOnly(const CStdStr<wchar_t>& text) {
    CStdStr<wchar_t> replaced(text);
    for (wchar_t& character : replaced) {
        if (!std::iswalnum(static_cast<wint_t>(character))) {
            character = L'_';
        }
    }
    return replaced;
}

CStdStr<wchar_t> RecordingPathPrefix(const CStdStr<wchar_t>& config) {
    if (!recordingPathPrefix.empty()) {
        return recordingPathPrefix;
    }
    CStdStr<wchar_t> directory = LSSetting::GetInstance()->GetUserString(
        L"Mock.ILSHttpRequest.BaseRecordingDirectory", CStdStr<wchar_t>(L"recordings"));
    (void)CreateDirectoryW(directory.c_str(), nullptr);
    if (!config.empty()) {
        directory += L"\\";
        directory += LettersAndDigitsOnly(config);
        (void)CreateDirectoryW(directory.c_str(), nullptr);
    }
    recordingPathPrefix = directory + L"\\" + GetModuleBaseName();
    return recordingPathPrefix;
}

// The name part of an exchange's files: the SOAP action, else for GET and PUT the URL's last segment.
CStdStr<wchar_t> ExchangeName(const RecordedRequest& request) {
    if (!request.soapAction.empty()) {
        return LettersAndDigitsOnly(request.soapAction);
    }
    if (request.method.Equals(L"GET", false) || request.method.Equals(L"PUT", false)) {
        const std::size_t slash = request.url.rfind(L'/');
        if (slash == std::wstring::npos) {
            return CStdStr<wchar_t>();
        }
        return LettersAndDigitsOnly(StripQueryString(CStdStr<wchar_t>(request.url.substr(slash + 1))));
    }
    return CStdStr<wchar_t>();
}

} // namespace

CStdStr<wchar_t> HttpErrorToString(const LSHttpError& error) {
    return FormatString(L"%d\t%s", static_cast<int>(error.status), error.message.c_str());
}

LSHttpError HttpErrorFromString(const CStdStr<wchar_t>& text) {
    const std::size_t tab = text.find(L'\t');
    if (tab == std::wstring::npos) {
        LSDIAG_ERROR << "Failed to create HttpError from string - " << text;
        ThrowHResult(E_INVALIDARG);
    }
    const int status = ToInt(CStdStr<wchar_t>(text.substr(0, tab)));
    return LSHttpError(status, CStdStr<wchar_t>(text.substr(tab + 1)));
}

CStdStr<wchar_t> FormatHeaderLines(const HeaderPairs& headers) {
    CStdStr<wchar_t> lines;
    for (const auto& [name, value] : headers) {
        lines += name;
        lines += L": ";
        lines += value;
        lines += L"\n";
    }
    lines += L"\n";
    return lines;
}

HeaderPairs ParseHeaderLines(const CStdStr<wchar_t>& text) {
    HeaderPairs headers;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        const std::size_t next = end == std::wstring::npos ? text.size() : end + 1;
        if (end == std::wstring::npos) {
            end = text.size();
        }
        std::wstring line = text.substr(start, end - start);
        while (!line.empty() && line.back() == L'\r') {
            line.pop_back();
        }
        if (line.empty()) {
            break;
        }
        const std::size_t colon = line.find(L':');
        std::wstring name = colon == std::wstring::npos ? line : line.substr(0, colon);
        std::wstring value = colon == std::wstring::npos ? line : line.substr(colon + 1);
        if (!value.empty() && value.front() == L' ') {
            value.erase(0, 1);
        }
        headers.emplace_back(CStdStr<wchar_t>(name), CStdStr<wchar_t>(value));
        start = next;
    }
    return headers;
}

FileHolder WriteBytesToFile(const CStdStr<wchar_t>& path, const std::string& bytes) {
    FileHolder file(_wfopen(path.c_str(), L"wb"));
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        LSDIAG_ERROR << "Failed writing to file " << path;
        ThrowHResult(E_FAIL);
    }
    return file;
}

FileHolder WriteTextFile(const CStdStr<wchar_t>& path, const CStdStr<wchar_t>& text) {
    return WriteBytesToFile(path, GetUtf8Converter().to_bytes(text));
}

std::string ReadFileBytes(const CStdStr<wchar_t>& path) {
    FileHolder file(_wfsopen(path.c_str(), L"rb", _SH_DENYNO));
    if (!file) {
        throw static_cast<int>(errno);
    }
    const long end = std::fseek(file.get(), 0, SEEK_END) == 0 ? std::ftell(file.get()) : -1;
    if (end < 0) {
        throw static_cast<int>(errno);
    }
    const auto size = static_cast<std::uint32_t>(end);
    std::fseek(file.get(), 0, SEEK_SET);
    std::string bytes(size, '\0');
    bytes.resize(std::fread(bytes.data(), 1, size, file.get()));
    return bytes;
}

CStdStr<wchar_t> GetModuleBaseName() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&exchangeCounter), &module)) {
        LSDIAG_ERROR << "Failed to get address of static " << GetLastError();
        ThrowHResult(E_FAIL);
    }
    return RemoveExtension(GetFileNamePart(LSSetting::GetModuleFileNameSafe(module)));
}

// Both separators count, as module paths here are native ones.
CStdStr<wchar_t> GetFileNamePart(const CStdStr<wchar_t>& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : CStdStr<wchar_t>(path.substr(separator + 1));
}

CStdStr<wchar_t> RemoveExtension(const CStdStr<wchar_t>& name) {
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : CStdStr<wchar_t>(name.substr(0, dot));
}

CStdStr<wchar_t> StripQueryString(const CStdStr<wchar_t>& url) {
    const std::size_t query = url.find(L'?');
    return query == std::wstring::npos ? url : CStdStr<wchar_t>(url.substr(0, query));
}

void MakeRecordingFileNames(const CStdStr<wchar_t>& config, const RecordedRequest& request,
                            std::uint32_t number, CStdStr<wchar_t>& requestFile,
                            CStdStr<wchar_t>& responseFile) {
    const CStdStr<wchar_t> prefix = RecordingPathPrefix(config);
    const CStdStr<wchar_t> name = ExchangeName(request);
    requestFile =
        FormatString(L"%s_%06u_req_%s_%s.txt", prefix.c_str(), number, request.method.c_str(), name.c_str());
    responseFile =
        FormatString(L"%s_%06u_res_%s_%s.txt", prefix.c_str(), number, request.method.c_str(), name.c_str());
}

bool MatchesRecordedRequest(const RecordedRequest& recorded, const RecordedRequest& current) {
    if (recorded.method != current.method || recorded.soapAction != current.soapAction) {
        return false;
    }
    if (current.method == L"GET") {
        return StripQueryString(recorded.url) == StripQueryString(current.url);
    }
    return recorded.url == current.url;
}

} // namespace LSHttpRequestMocks
