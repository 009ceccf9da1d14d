// String resources.
#pragma once

#include "Platform/WinTypes.h"

// Copies string `uID` into the buffer (truncated to cchBufferMax - 1 characters and terminated)
// and returns its length; 0 when the module has no such string. With cchBufferMax 0, lpBuffer
// receives a read-only pointer to the text in the module (not terminated) and the length is
// returned. A null hInstance is the executable.
int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);

// The window-message calls. There is no message queue here: PeekMessageW finds nothing, so a loop
// that pumps messages while it waits sleeps between its passes.
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

BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
BOOL TranslateMessage(const MSG* lpMsg);
LRESULT DispatchMessageW(const MSG* lpMsg);
