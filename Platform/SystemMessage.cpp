#include "Platform/SystemMessage.h"

#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

struct SystemMessage {
    DWORD code;
    const wchar_t* text;
};

// Windows' texts for the codes the system meets; HRESULTs of FACILITY_WIN32 are found by their Win32 code.
constexpr SystemMessage kMessages[] = {
    {0, L"The operation completed successfully.\r\n"},
    {1, L"Incorrect function.\r\n"},
    {2, L"The system cannot find the file specified.\r\n"},
    {3, L"The system cannot find the path specified.\r\n"},
    {4, L"The system cannot open the file.\r\n"},
    {5, L"Access is denied.\r\n"},
    {6, L"The handle is invalid.\r\n"},
    {8, L"Not enough memory resources are available to process this command.\r\n"},
    {13, L"The data is invalid.\r\n"},
    {14, L"Not enough memory resources are available to complete this operation.\r\n"},
    {17, L"The system cannot move the file to a different disk drive.\r\n"},
    {18, L"There are no more files.\r\n"},
    {29, L"The system cannot write to the specified device.\r\n"},
    {30, L"The system cannot read from the specified device.\r\n"},
    {31, L"A device attached to the system is not functioning.\r\n"},
    {32, L"The process cannot access the file because it is being used by another process.\r\n"},
    {33, L"The process cannot access the file because another process has locked a portion of the file.\r\n"},
    {38, L"Reached the end of the file.\r\n"},
    {50, L"The request is not supported.\r\n"},
    {80, L"The file exists.\r\n"},
    {87, L"The parameter is incorrect.\r\n"},
    {111, L"The file name is too long.\r\n"},
    {112, L"There is not enough space on the disk.\r\n"},
    {122, L"The data area passed to a system call is too small.\r\n"},
    {123, L"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, L"The specified module could not be found.\r\n"},
    {145, L"The directory is not empty.\r\n"},
    {161, L"The specified path is invalid.\r\n"},
    {183, L"Cannot create a file when that file already exists.\r\n"},
    {193, L"%1 is not a valid Win32 application.\r\n"},
    {206, L"The filename or extension is too long.\r\n"},
    {234, L"More data is available.\r\n"},
    {259, L"No more data is available.\r\n"},
    {267, L"The directory name is invalid.\r\n"},
    {317, L"The system cannot find message text for message number 0x%1 in the message file for %2.\r\n"},
    {1009, L"The configuration registry database is corrupt.\r\n"},
    {1010, L"The configuration registry key is invalid.\r\n"},
    {1011, L"The configuration registry key could not be opened.\r\n"},
    {1012, L"The configuration registry key could not be read.\r\n"},
    {1013, L"The configuration registry key could not be written.\r\n"},
    {1018, L"Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1235, L"The request was aborted.\r\n"},
    {1460, L"This operation returned because the timeout period expired.\r\n"},
    {1812, L"The specified image file did not contain a resource section.\r\n"},
    {1813, L"The specified resource type cannot be found in the image file.\r\n"},
    {1814, L"The specified resource name cannot be found in the image file.\r\n"},
    {1921, L"The name of the file cannot be resolved by the system.\r\n"},
    {12002, L"The operation timed out\r\n"},
    {12007, L"The server name or address could not be resolved\r\n"},
    {12029, L"A connection with the server could not be established\r\n"},
    {12030, L"The connection with the server was terminated abnormally\r\n"},
    {12031, L"The connection with the server was reset\r\n"},
    {12152, L"The server returned an invalid or unrecognized response\r\n"},
    {12175, L"A security error occurred\r\n"},
    {0x8000000A, L"The data necessary to complete this operation is not yet available.\r\n"},
    {0x80004001, L"Not implemented\r\n"},
    {0x80004002, L"No such interface supported\r\n"},
    {0x80004003, L"Invalid pointer\r\n"},
    {0x80004004, L"Operation aborted\r\n"},
    {0x80004005, L"Unspecified error\r\n"},
    {0x8000FFFF, L"Catastrophic failure\r\n"},
    {0x80020001, L"Unknown interface.\r\n"},
    {0x80020003, L"Member not found.\r\n"},
    {0x80020004, L"Parameter not found.\r\n"},
    {0x80020005, L"Type mismatch.\r\n"},
    {0x80020008, L"Bad variable type.\r\n"},
    {0x8002000A, L"Out of present range.\r\n"},
    {0x8002000B, L"Invalid index.\r\n"},
    {0x8002000D, L"Memory is locked.\r\n"},
    {0x8002802B, L"Element not found.\r\n"},
    {0x80030001, L"Unable to perform requested operation.\r\n"},
    {0x80030050, L"%1 already exists.\r\n"},
    {0x80040110, L"Class does not support aggregation (or class object is remote)\r\n"},
    {0x80040111, L"ClassFactory cannot supply requested class\r\n"},
    {0x80040154, L"Class not registered\r\n"},
    {0x800401F3, L"Invalid class string\r\n"},
    {0x800401F4, L"Invalid interface string\r\n"},
};

const wchar_t* FindExact(DWORD code) {
    for (const auto& message : kMessages) {
        if (message.code == code) {
            return message.text;
        }
    }
    return nullptr;
}

const wchar_t* FindSystemMessage(DWORD code) {
    if (const wchar_t* text = FindExact(code)) {
        return text;
    }
    const auto hr = static_cast<HRESULT>(code);
    if (FAILED(hr) && HRESULT_FACILITY(hr) == FACILITY_WIN32) {
        return FindExact(HRESULT_CODE(hr));
    }
    return nullptr;
}

} // namespace

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes) {
    void* block = (uFlags & LMEM_ZEROINIT) != 0 ? std::calloc(1, uBytes == 0 ? 1 : uBytes)
                                                : std::malloc(uBytes == 0 ? 1 : uBytes);
    if (block == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return block;
}

HLOCAL LocalFree(HLOCAL hMem) {
    std::free(hMem);
    return nullptr;
}

DWORD FormatMessageW(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD, LPWSTR lpBuffer, DWORD nSize,
                     va_list*) {
    if ((dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || lpBuffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const wchar_t* text = FindSystemMessage(dwMessageId);
    if (text == nullptr) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    const std::size_t length = std::wcslen(text);
    wchar_t* destination = lpBuffer;
    if ((dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
        destination = static_cast<wchar_t*>(LocalAlloc(LMEM_FIXED, (length + 1) * sizeof(wchar_t)));
        if (destination == nullptr) {
            return 0;
        }
        *reinterpret_cast<LPWSTR*>(lpBuffer) = destination;
    } else if (nSize < length + 1) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::wmemcpy(destination, text, length + 1);
    return static_cast<DWORD>(length);
}
