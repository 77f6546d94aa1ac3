// The load decision: what ListLoadW does up to the start of the applications.
#include "config/options.h"
#include "plugin/exports.h"
#include "plugin/state.h"
#include "win/text.h"

extern "C" HWND WINAPI ListLoadW(HWND parentWin, wchar_t* fileToLoad, int /*showFlags*/) {
    try {
        hwLister = parentWin;
        const std::wstring fileName = fileToLoad ? fileToLoad : L"";
        FileNameByListerWindow[hwLister] = fileName;
        // A name that does not fit the 260-unit buffer is never cut into another name: declined.
        if (!win::CopyTo(_FileToLoad, fileName)) {
            _FileToLoad[0] = L'\0';
            return nullptr;
        }
        config::RefreshOptionCache();
        return nullptr;
    } catch (...) {
        return nullptr;
    }
}
