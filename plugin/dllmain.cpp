// Module entry point: only the process attach does anything.
#include <windows.h>

#include "plugin/startup.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hinst, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) AttachPlugin(hinst);
    // reserved is null for FreeLibrary and non-null at process exit, where nothing must be touched.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) DetachPlugin();
    return TRUE;
}
