// The request-and-reply exchange with the host's main window, and the clipboard.
#pragma once

#include <windows.h>

// What one exchange's helper window reaches through its user-data slot.
struct CopyDataExchange {
    const COPYDATASTRUCT& request;
    COPYDATASTRUCT& reply;
    DWORD replyCapacity; // bytes at reply.lpData
};

// Sends request to hwTCMain and waits for its reply of kind 22354. On entry reply.lpData points to
// the caller's buffer and reply.cbData gives its size in bytes. Returns true when the reply came from
// hwTCMain; reply.dwData is then 22354 and reply.cbData the size the host sent. A reply larger than
// the buffer is cut to it, and a reply read as UTF-16 text always ends in a terminator inside the buffer.
bool SendCopyData(const COPYDATASTRUCT& request, COPYDATASTRUCT& reply);
LRESULT CALLBACK SendCopyDataProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The helper window class "SendCopyDataWnd", registered at attach with the module's instance.
extern WNDCLASSW wcSendCopyData;

// Puts text (with its terminator) on the clipboard under format; returns the result of closing it.
bool SetToClipboardW(UINT format, HWND owner, const wchar_t* text, bool emptyFirst);
