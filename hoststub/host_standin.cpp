#include "hoststub/host_standin.h"

#include <cstdio>

namespace hoststub {
namespace {

constexpr UINT kHostCommandMessage = WM_USER + 51;
constexpr WPARAM kQuickViewOff = 304;
constexpr ULONG_PTR kRequestKind = 0x5747;
constexpr ULONG_PTR kReplyKind = 0x5752;

std::wstring Hex(const void* p) {
    wchar_t text[32];
    swprintf(text, 32, L"%p", p);
    return text;
}

// A host control class that is a copy of a system control class under the host's name, so that the
// control answers the real list-box or combo-box messages.
void RegisterSuperclass(const wchar_t* systemClass, const wchar_t* hostClass) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(nullptr, systemClass, &wc)) return;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = hostClass;
    RegisterClassExW(&wc);
}

void RegisterWindowClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
}

} // namespace

void PumpMessages(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (ms) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

std::wstring WinePathOf(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

bool PluginModule::Load(const std::wstring& path) {
    Unload();
    module_ = LoadLibraryW(path.c_str());
    if (!module_) return false;
    ListLoadW = reinterpret_cast<ListLoadWFn>(reinterpret_cast<void*>(GetProcAddress(module_, "ListLoadW")));
    ListLoad = reinterpret_cast<ListLoadFn>(reinterpret_cast<void*>(GetProcAddress(module_, "ListLoad")));
    ListCloseWindow = reinterpret_cast<ListCloseWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "ListCloseWindow")));
    ListGetDetectString = reinterpret_cast<ListGetDetectStringFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "ListGetDetectString")));
    return ListLoadW && ListLoad && ListCloseWindow && ListGetDetectString;
}

void PluginModule::BindLinked(ListLoadWFn load, ListLoadFn loadNarrow, ListCloseWindowFn close,
                              ListGetDetectStringFn detect) {
    Unload();
    ListLoadW = load;
    ListLoad = loadNarrow;
    ListCloseWindow = close;
    ListGetDetectString = detect;
    linked_ = true;
}

void PluginModule::Unload() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
    linked_ = false;
    ListLoadW = nullptr;
    ListLoad = nullptr;
    ListCloseWindow = nullptr;
    ListGetDetectString = nullptr;
}

HostStandIn* HostStandIn::instance_ = nullptr;

HostStandIn::HostStandIn() {
    instance_ = this;
    RegisterClasses();
}

HostStandIn::~HostStandIn() {
    for (auto it = listers_.begin(); it != listers_.end(); it = listers_.begin())
        CloseLister(it->first);
    for (HWND w : ownedWindows_)
        if (IsWindow(w)) DestroyWindow(w);
    if (main_ && IsWindow(main_)) DestroyWindow(main_);
    if (replyImpostor_ && IsWindow(replyImpostor_)) DestroyWindow(replyImpostor_);
    Pump(0);
    plugin_.Unload();
    if (instance_ == this) instance_ = nullptr;
}

void HostStandIn::RegisterClasses() {
    RegisterWindowClass(L"TTOTAL_CMD", MainProc);
    RegisterWindowClass(L"TLister", ListerProc);
    for (const wchar_t* name : {L"TFindFile", L"TCmpForm", L"TOverWriteForm", L"TStandInPlain"})
        RegisterWindowClass(name, PlainProc);
    RegisterSuperclass(L"LISTBOX", L"LCLListBox");
    RegisterSuperclass(L"COMBOBOX", L"LCLComboBox");
    RegisterSuperclass(L"COMBOBOX", L"TComboBox");
}

HWND HostStandIn::CreateMainWindow(bool visible) {
    main_ =
        CreateWindowExW(0, L"TTOTAL_CMD", L"Host stand-in", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                        0, 0, 800, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    names_[main_] = L"main";
    panel_ =
        CreateWindowExW(0, L"LCLListBox", L"",
                        WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_USETABSTOPS, 0,
                        0, 390, 500, main_, nullptr, GetModuleHandleW(nullptr), nullptr);
    names_[panel_] = L"panel";
    return main_;
}

HWND HostStandIn::CreateTopLevel(const wchar_t* className, const std::wstring& name, bool visible,
                                 HWND owner) {
    HWND w = CreateWindowExW(0, className, name.c_str(), WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 50,
                             50, 500, 400, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    names_[w] = name;
    ownedWindows_.push_back(w);
    return w;
}

HWND HostStandIn::CreateFindFiles(POINT checkBoxAt, POINT comboAt, int checkState,
                                  const std::wstring& searchText, const wchar_t* comboClass) {
    HWND dialog = CreateTopLevel(L"TFindFile", L"findfiles");
    HWND box =
        CreateWindowExW(0, L"Button", L"Find text", WS_CHILD | WS_VISIBLE | BS_AUTO3STATE, checkBoxAt.x,
                        checkBoxAt.y, 120, 20, dialog, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(box, BM_SETCHECK, static_cast<WPARAM>(checkState), 0);
    HWND combo = CreateWindowExW(0, comboClass, L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, comboAt.x,
                                 comboAt.y, 200, 200, dialog, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowTextW(combo, searchText.c_str());
    return dialog;
}

HWND HostStandIn::CreateLister(bool quickView) {
    const std::wstring name = quickView ? L"quickview" : L"lister" + std::to_wstring(++listerCount_);
    HWND lister = quickView ? CreateWindowExW(0, L"TLister", name.c_str(), WS_CHILD, 400, 0, 390, 500, main_,
                                              nullptr, GetModuleHandleW(nullptr), nullptr)
                            : CreateWindowExW(0, L"TLister", name.c_str(), WS_OVERLAPPEDWINDOW, 100, 100, 600,
                                              400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    names_[lister] = name;
    listers_[lister] = ListerInfo{name, L"", nullptr, quickView};
    return lister;
}

void HostStandIn::SetPanelEntries(const std::vector<std::wstring>& entries) {
    SendMessageW(panel_, LB_RESETCONTENT, 0, 0);
    for (const auto& e : entries)
        SendMessageW(panel_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
}

void HostStandIn::SelectPanelEntries(const std::vector<int>& indices) {
    SendMessageW(panel_, LB_SETSEL, FALSE, -1);
    for (int i : indices)
        SendMessageW(panel_, LB_SETSEL, TRUE, i);
}

void HostStandIn::FocusPanel() {
    SetFocus(panel_);
}

void HostStandIn::SetDirectoryReply(DirectoryReply mode, const std::wstring& directory,
                                    std::vector<BYTE> raw) {
    replyMode_ = mode;
    directory_ = directory;
    rawReply_ = std::move(raw);
}

bool HostStandIn::LoadPlugin(const std::wstring& modulePath) {
    const bool ok = plugin_.Load(modulePath);
    AddLog(L"LoadLibrary " + modulePath + (ok ? L" -> ok" : L" -> failed"));
    return ok;
}

HWND HostStandIn::ViewFile(HWND lister, const std::wstring& file, bool showListerAfter) {
    auto it = listers_.find(lister);
    if (it == listers_.end() || !plugin_.IsLoaded()) return nullptr;
    it->second.file = file;
    std::wstring name = file;
    HWND result = plugin_.ListLoadW(lister, name.data(), 0);
    AddLog(L"ListLoadW " + it->second.name + L" " + file + (result ? L" -> plugin window" : L" -> null"));
    it = listers_.find(lister);
    if (it == listers_.end()) return result;
    it->second.pluginWindow = result;
    if (showListerAfter && IsWindow(lister)) ShowWindow(lister, SW_SHOW);
    return result;
}

HWND HostStandIn::ViewExtractedCopy(HWND lister, const std::wstring& copy, bool showListerAfter) {
    const auto it = listers_.find(lister);
    if (it != listers_.end()) it->second.extractedCopy = true;
    return ViewFile(lister, copy, showListerAfter);
}

void HostStandIn::ReleaseLister(HWND lister) {
    auto it = listers_.find(lister);
    if (it == listers_.end()) return;
    if (it->second.pluginWindow && plugin_.IsLoaded()) {
        AddLog(L"ListCloseWindow " + it->second.name);
        plugin_.ListCloseWindow(it->second.pluginWindow);
        if (IsWindow(it->second.pluginWindow)) DestroyWindow(it->second.pluginWindow);
    }
    it->second.pluginWindow = nullptr;
}

void HostStandIn::CloseLister(HWND lister) {
    ReleaseLister(lister);
    if (const ListerInfo* info = Lister(lister); info && info->extractedCopy) {
        const DWORD error = DeleteFileW(info->file.c_str()) ? ERROR_SUCCESS : GetLastError();
        AddLog(L"delete " + info->file + (error ? L" -> failed " + std::to_wstring(error) : L" -> ok"));
    }
    listers_.erase(lister);
    names_.erase(lister); // a long session must not grow with every Lister it ever had
    if (IsWindow(lister)) DestroyWindow(lister);
}

const ListerInfo* HostStandIn::Lister(HWND lister) const {
    auto it = listers_.find(lister);
    return it == listers_.end() ? nullptr : &it->second;
}

std::wstring HostStandIn::NameOf(HWND hwnd) const {
    auto it = names_.find(hwnd);
    return it == names_.end() ? Hex(hwnd) : it->second;
}

void HostStandIn::Pump(DWORD ms) {
    PumpMessages(ms);
}

void HostStandIn::AnswerDirectoryRequest(HWND requester, const COPYDATASTRUCT& request) {
    const bool isSP = request.dwData == kRequestKind && request.cbData == 2 && request.lpData &&
                      static_cast<const char*>(request.lpData)[0] == 'S' &&
                      static_cast<const char*>(request.lpData)[1] == 'P';
    AddLog(std::wstring(L"main WM_COPYDATA ") + (isSP ? L"SP" : L"unknown request"));
    if (!isSP || replyMode_ == DirectoryReply::None) return;
    std::vector<BYTE> payload;
    if (replyMode_ == DirectoryReply::Raw) {
        payload = rawReply_;
    } else {
        const auto* bytes = reinterpret_cast<const BYTE*>(directory_.c_str());
        payload.assign(bytes, bytes + (directory_.size() + 1) * sizeof(wchar_t));
    }
    COPYDATASTRUCT reply{replyMode_ == DirectoryReply::WrongKind ? kReplyKind + 1 : kReplyKind,
                         static_cast<DWORD>(payload.size()), payload.empty() ? nullptr : payload.data()};
    HWND sender = main_;
    if (replyMode_ == DirectoryReply::FromOtherWindow) {
        if (!replyImpostor_)
            replyImpostor_ = CreateWindowExW(0, L"TStandInPlain", L"impostor", 0, 0, 0, 0, 0, nullptr,
                                             nullptr, GetModuleHandleW(nullptr), nullptr);
        sender = replyImpostor_;
    }
    SendMessageW(requester, WM_COPYDATA, reinterpret_cast<WPARAM>(sender), reinterpret_cast<LPARAM>(&reply));
}

LRESULT HostStandIn::OnMainMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPYDATA:
        AnswerDirectoryRequest(reinterpret_cast<HWND>(wParam),
                               *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    case kHostCommandMessage:
        AddLog(L"main command " + std::to_wstring(wParam));
        if (wParam == kQuickViewOff) {
            for (auto& [lister, info] : listers_)
                if (info.quickView) {
                    CloseLister(lister);
                    break;
                }
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT HostStandIn::OnListerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto it = listers_.find(hwnd);
    if (it == listers_.end()) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_CHAR:
        if (wParam == L'4') {
            // The Lister moves on to its next plugin; the only other plugin here is this one again.
            AddLog(it->second.name + L" WM_CHAR 4");
            ReleaseLister(hwnd);
            ViewFile(hwnd, it->second.file, false);
            return 0;
        }
        break;
    case WM_CLOSE:
        AddLog(it->second.name + L" WM_CLOSE");
        CloseLister(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK HostStandIn::MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return instance_ ? instance_->OnMainMessage(hwnd, message, wParam, lParam)
                     : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK HostStandIn::ListerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return instance_ ? instance_->OnListerMessage(hwnd, message, wParam, lParam)
                     : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK HostStandIn::PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace hoststub
