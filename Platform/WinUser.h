// String resources.
#pragma once

#include "Platform/WinTypes.h"

// Copies string `uID` into the buffer (truncated to cchBufferMax - 1 characters and terminated)
// and returns its length; 0 when the module has no such string. With cchBufferMax 0, lpBuffer
// receives a read-only pointer to the text in the module (not terminated) and the length is
// returned. A null hInstance is the executable.
int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);

// The window-message calls. Each thread has a queue of posted messages (there are no windows): the
// platform's HTTP object posts to the thread that sent a request when the request's state changes.
// PeekMessageW finds them (hWnd null or -1), TranslateMessage and DispatchMessageW have nothing to
// do for them, and MsgWaitForMultipleObjects waits for one, moving the thread's HTTP exchanges on
// meanwhile.
struct POINT {
    LONG x;
    LONG y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr DWORD QS_POSTMESSAGE = 0x0008;
constexpr DWORD QS_ALLINPUT = 0x04FF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// wMsgFilterMin and wMsgFilterMax both 0 take any message.
BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
BOOL TranslateMessage(const MSG* lpMsg);
LRESULT DispatchMessageW(const MSG* lpMsg);
// Waits up to dwMilliseconds (INFINITE: no limit) for a posted message in the calling thread's queue
// (dwWakeMask must take QS_POSTMESSAGE): WAIT_OBJECT_0 + nCount when one waits (also one that was
// there before the call), else WAIT_TIMEOUT. There are no waitable handles here: nCount must be 0,
// else WAIT_FAILED with ERROR_INVALID_PARAMETER.
DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                DWORD dwWakeMask);
