// Move-only owners for the Win32 handle kinds the plugin touches. One traits struct per kind says
// what "no handle" is and how the handle is given back.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

template <typename Traits> class Unique {
    using T = typename Traits::Type;
    T h_ = Traits::Invalid();

  public:
    Unique() = default;
    explicit Unique(T h) : h_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& o) noexcept : h_(o.Release()) {}
    Unique& operator=(Unique&& o) noexcept {
        Reset(o.Release());
        return *this;
    }
    ~Unique() { Reset(); }

    T Get() const { return h_; }
    T Release() { return std::exchange(h_, Traits::Invalid()); }
    void Reset(T h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }
    T* Put() {
        Reset();
        return &h_;
    }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
};

struct HandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { CloseHandle(h); }
};
struct FindTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { FindClose(h); }
};
// CreateFileW says "no file" with INVALID_HANDLE_VALUE, not null.
struct FileTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};
struct GlobalTraits {
    using Type = HGLOBAL;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { GlobalFree(h); }
};
struct WindowTraits {
    using Type = HWND;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DestroyWindow(h); }
};
struct MenuTraits {
    using Type = HMENU;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DestroyMenu(h); }
};
struct LibraryTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { FreeLibrary(h); }
};
// A device context of the whole screen, from GetDC(nullptr).
struct ScreenDcTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ReleaseDC(nullptr, h); }
};
// A GDI object of the program's own (a font, a brush), deleted when done with.
template <typename H> struct GdiObjectTraits {
    using Type = H;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};

using UniqueHandle = Unique<HandleTraits>;
using UniqueFind = Unique<FindTraits>;
using UniqueFile = Unique<FileTraits>;
using UniqueRegKey = Unique<RegKeyTraits>;
using UniqueGlobal = Unique<GlobalTraits>;
using UniqueWindow = Unique<WindowTraits>;
using UniqueLibrary = Unique<LibraryTraits>;
using UniqueScreenDc = Unique<ScreenDcTraits>;
using UniqueMenu = Unique<MenuTraits>;
using UniqueFont = Unique<GdiObjectTraits<HFONT>>;

// Both handles that process creation hands back, closed together.
struct UniqueProcessInfo {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD processId = 0;
    DWORD threadId = 0;

    UniqueProcessInfo() = default;
    explicit UniqueProcessInfo(const PROCESS_INFORMATION& pi)
        : process(pi.hProcess), thread(pi.hThread), processId(pi.dwProcessId), threadId(pi.dwThreadId) {}
};

} // namespace win
