#include "host/copydata.h"

#include <cstring>
#include <cwchar>

#include "shared/host_names.h"
#include "shared/state.h"
#include "win/handles.h"

namespace {

void AcceptReply(CopyDataExchange& exchange, const COPYDATASTRUCT& incoming) {
    COPYDATASTRUCT& reply = exchange.reply;
    reply.dwData = incoming.dwData;
    reply.cbData = incoming.cbData;
    auto* buffer = static_cast<unsigned char*>(reply.lpData);
    const DWORD capacity = exchange.replyCapacity;
    if (!buffer || capacity == 0) return;
    const DWORD n = incoming.lpData ? (incoming.cbData < capacity ? incoming.cbData : capacity) : 0;
    if (n) std::memcpy(buffer, incoming.lpData, n);
    // The payload is a UTF-16 text: whatever came, the last whole unit of the buffer is a terminator,
    // and so is the unit right after a short payload.
    const DWORD units = capacity / sizeof(wchar_t);
    if (units == 0) return;
    auto* text = reinterpret_cast<wchar_t*>(buffer);
    const DWORD end = n / sizeof(wchar_t);
    text[end < units ? end : units - 1] = L'\0';
}

} // namespace

WNDCLASSW wcSendCopyData = {
    CS_HREDRAW | CS_VREDRAW, SendCopyDataProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
    kSendCopyDataClassName};

LRESULT CALLBACK SendCopyDataProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        auto* exchange =
            static_cast<CopyDataExchange*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(exchange));
        if (exchange) {
            exchange->reply.dwData = 0;
            if (hwTCMain)
                SendMessageW(hwTCMain, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd),
                             reinterpret_cast<LPARAM>(&exchange->request));
        }
        break;
    }
    case WM_COPYDATA: {
        auto* exchange = reinterpret_cast<CopyDataExchange*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        const auto* incoming = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (exchange && incoming && hwTCMain && reinterpret_cast<HWND>(wParam) == hwTCMain &&
            incoming->dwData == kCopyDataReply)
            AcceptReply(*exchange, *incoming);
        break;
    }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool SendCopyData(const COPYDATASTRUCT& request, COPYDATASTRUCT& reply) {
    CopyDataExchange exchange{request, reply, reply.cbData};
    reply.dwData = 0;
    win::UniqueWindow helper(CreateWindowExW(0, kSendCopyDataClassName, kSendCopyDataClassName, 0, 0, 0, 0, 0,
                                             nullptr, nullptr, hInstance, &exchange));
    if (!helper) return false;
    helper.Reset(); // the exchange is over once creation returns
    return reply.dwData != 0;
}

namespace {

// The clipboard is open for the life of this object and always closed again.
class ClipboardSession {
    bool open_;

  public:
    explicit ClipboardSession(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession() { Close(); }
    bool Close() {
        if (!open_) return false;
        open_ = false;
        return CloseClipboard() != FALSE;
    }
};

} // namespace

bool SetToClipboardW(UINT format, HWND owner, const wchar_t* text, bool emptyFirst) {
    if (!text) return false;
    ClipboardSession clipboard(owner);
    if (emptyFirst) EmptyClipboard();
    const size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    win::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block) {
        clipboard.Close();
        return false;
    }
    void* data = GlobalLock(block.Get());
    if (!data) {
        // Nothing may be written through a failed lock; nothing is placed, so this is no success.
        clipboard.Close();
        return false;
    }
    std::memcpy(data, text, bytes);
    GlobalUnlock(block.Get());
    if (SetClipboardData(format, block.Get())) block.Release(); // the clipboard owns it now
    return clipboard.Close();
}
