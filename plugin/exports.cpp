#include "plugin/exports.h"

#include <string>

#include "host/hotkeys.h"
#include "plugin/changed_copies.h"
#include "shared/state.h"

namespace {

constexpr char kDetectString[] = "MULTIMEDIA";

} // namespace

extern "C" void WINAPI ListGetDetectString(char* detectString, int maxlen) {
    if (!detectString || maxlen <= 0) return;
    // Like a bounded string copy: the text, then zeros up to maxlen; no terminator when it does not fit.
    const int textLength = static_cast<int>(sizeof(kDetectString) - 1);
    for (int i = 0; i < maxlen; ++i)
        detectString[i] = i < textLength ? kDetectString[i] : '\0';
}

extern "C" HWND WINAPI ListLoad(HWND parentWin, char* fileToLoad, int /*showFlags*/) {
    if (!fileToLoad) return nullptr;
    // The whole name, however long; a name that does not convert (not valid in the ANSI code page) is
    // declined instead of being passed on half-converted.
    const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, fileToLoad, -1, nullptr, 0);
    if (units <= 0) return nullptr;
    std::wstring wide;
    try {
        wide.assign(static_cast<size_t>(units), L'\0'); // the terminator included
    } catch (...) {
        return nullptr;
    }
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, fileToLoad, -1, wide.data(), units) != units)
        return nullptr;
    return ListLoadW(parentWin, wide.data(), 0);
}

extern "C" void WINAPI ListCloseWindow(HWND listWin) {
    const HostCallScope insideHostCall;
    // The host deletes a copy from an archive right after this returns: changes in it are kept now.
    try {
        KeepCopyIfChanged(listWin);
    } catch (...) {
    }
    HWND lister = GetParent(listWin);
    FileNameByListerWindow.erase(lister);
    if (FileNameByListerWindow.empty()) RemoveKeyboardHook();
}
