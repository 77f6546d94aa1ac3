// DLLs of the system folder that the plugin loads only while it uses them, never searched for: a DLL
// of that name in the host's folder or the current one must not run in the host's process.
#pragma once

#include <windows.h>

#include "win/handles.h"
#include "win/paths.h"

namespace win {

inline UniqueLibrary LoadSystemLibrary(const wchar_t* name) {
    const std::wstring folder = SystemFolder();
    if (folder.empty()) return {};
    return UniqueLibrary(LoadLibraryW((folder + L"\\" + name).c_str()));
}

// The function name of module as the type Proc; null when the module or the function is missing (a
// system older than the function).
template <typename Proc> Proc ProcedureOf(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
template <typename Proc> Proc ProcedureOf(const UniqueLibrary& library, const char* name) {
    return ProcedureOf<Proc>(library.Get(), name);
}

} // namespace win
