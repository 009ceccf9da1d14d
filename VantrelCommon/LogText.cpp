#include "VantrelCommon/LSDiag.h"

#include "Platform/WinNls.h"
#include "VantrelCommon/TextUtils.h"

#include <algorithm>
#include <sstream>

bool LSDiag::errorEnabled = false;
bool LSDiag::diagEnabled = false;
bool LSDiag::perfEnabled = false;
bool LSDiag::runningUnderTests = false;

namespace {
constexpr std::size_t kLogPieceBytes = 25000;
}

bool LogTextInChunks(const char* text, const char* file, int line, const LogPieceCallback& callback) {
    const std::string_view whole = text != nullptr ? text : "";
    if (whole.empty()) {
        callback("(empty string)", file, line);
        return true;
    }
    for (std::size_t start = 0; start < whole.size(); start += kLogPieceBytes) {
        const std::string piece(whole.substr(start, kLogPieceBytes));
        callback(piece.c_str(), file, line);
    }
    return true;
}

bool LogLargeText(const wchar_t* text, const char* file, int line, const LogPieceCallback& callback) {
    std::ostringstream utf8;
    if (text != nullptr) {
        WriteWideAsUtf8(utf8, text, std::wcslen(text));
    }
    return LogTextInChunks(utf8.str().c_str(), file, line, callback);
}

std::string ToNarrow(const CStdStr<wchar_t>& text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(size - 1));
    return narrow;
}
