#include "hoststub/host_standin.h"

#include <algorithm>
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

void RegisterWindowClass(const wchar_t* name, WNDPROC proc, int background = COLOR_WINDOW) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    RegisterClassW(&wc);
}

// A panel draws an entry up to this length; a longer one (a test's hostile entry may be megabytes) shows
// blank.
constexpr LRESULT kShownEntryLength = 1024;

// "1,234,567", as the host shows sizes.
std::wstring GroupedNumber(ULONGLONG n) {
    std::wstring digits = std::to_wstring(n), grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += L',';
        grouped += digits[i];
    }
    return grouped;
}

std::wstring LocalTimeText(const FILETIME& utc) {
    FILETIME local{};
    SYSTEMTIME t{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) return L"";
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
    return text;
}

// The entry of a found file or folder: "name<TAB>size<TAB>date", a folder's size "<DIR>".
std::wstring PanelEntryOf(const WIN32_FIND_DATAW& found) {
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const ULONGLONG size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return std::wstring(found.cFileName) + L"\t" + (folder ? L"<DIR>" : GroupedNumber(size)) + L"\t" +
           LocalTimeText(found.ftLastWriteTime);
}

// The start of a file as text: UTF-8 when it is that, else the system's code page.
std::wstring TextStartOf(const std::wstring& file) {
    const win::UniqueFile handle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char bytes[4096];
    DWORD got = 0;
    if (!handle || !ReadFile(handle.Get(), bytes, sizeof(bytes), &got, nullptr) || got == 0) return L"";
    UINT codePage = CP_UTF8;
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(got), nullptr, 0);
    if (n <= 0) {
        codePage = CP_ACP;
        n = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(got), nullptr, 0);
    }
    std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(got), text.data(), n);
    std::replace(text.begin(), text.end(), L'\0', L' ');
    return text;
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
    RegisterWindowClass(L"TTOTAL_CMD", MainProc, COLOR_BTNFACE);
    RegisterWindowClass(L"TLister", ListerProc);
    for (const wchar_t* name : {L"TFindFile", L"TCmpForm", L"TOverWriteForm", L"TStandInPlain"})
        RegisterWindowClass(name, PlainProc);
    RegisterSuperclass(L"LISTBOX", L"LCLListBox");
    RegisterSuperclass(L"COMBOBOX", L"LCLComboBox");
    RegisterSuperclass(L"COMBOBOX", L"TComboBox");
}

HWND HostStandIn::CreateMainWindow(bool visible) {
    MakeFonts();
    main_ = CreateWindowExW(0, L"TTOTAL_CMD", L"Host stand-in",
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0), 0, 0, 800,
                            600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    names_[main_] = L"main";
    // Owner-drawn as the host's are, with their texts kept: LB_GETTEXT answers the entry.
    for (int side = 0; side < kPanelCount; ++side) {
        panels_[side].list =
            CreateWindowExW(WS_EX_CLIENTEDGE, L"LCLListBox", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_EXTENDEDSEL | LBS_NOTIFY |
                                LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                            0, 0, 390, 500, main_, nullptr, GetModuleHandleW(nullptr), nullptr);
        names_[panels_[side].list] = side == 0 ? L"panel" : L"panel2";
    }
    LayoutPanels();
    return main_;
}

void HostStandIn::MakeFonts() {
    if (font_) return;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(metrics.lfMessageFont), &metrics.lfMessageFont);
    font_.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
    LOGFONTW fixed{};
    fixed.lfHeight = metrics.lfMessageFont.lfHeight;
    fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    fixedFont_.Reset(CreateFontIndirectW(&fixed));
    const win::UniqueScreenDc dc(GetDC(nullptr));
    if (!dc) return;
    const HGDIOBJ old = SelectObject(dc.Get(), font_.Get());
    TEXTMETRICW tm{};
    if (GetTextMetricsW(dc.Get(), &tm)) lineHeight_ = tm.tmHeight;
    SIZE extent{};
    if (GetTextExtentPoint32W(dc.Get(), L"8888-88-88 88:88", 16, &extent)) dateWidth_ = extent.cx;
    if (GetTextExtentPoint32W(dc.Get(), L"888,888,888", 11, &extent)) sizeWidth_ = extent.cx;
    SelectObject(dc.Get(), old);
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
    ListerInfo info;
    info.name = name;
    info.quickView = quickView;
    listers_[lister] = std::move(info);
    return lister;
}

void HostStandIn::SetPanelEntries(const std::vector<std::wstring>& entries, int side) {
    const HWND list = panels_[side].list;
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const auto& e : entries)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
    InvalidateRect(main_, nullptr, FALSE); // the count under the panel
}

void HostStandIn::SelectPanelEntries(const std::vector<int>& indices, int side) {
    const HWND list = panels_[side].list;
    SendMessageW(list, LB_SETSEL, FALSE, -1);
    for (int i : indices)
        SendMessageW(list, LB_SETSEL, TRUE, i);
    InvalidateRect(main_, nullptr, FALSE);
}

void HostStandIn::FocusPanel(int side) {
    activePanel_ = side;
    SetFocus(panels_[side].list);
}

std::vector<std::wstring> HostStandIn::ShowFolder(int side, const std::wstring& folder,
                                                  const std::wstring& shownAs) {
    std::vector<std::wstring> folders, files;
    WIN32_FIND_DATAW found{};
    const win::UniqueFind find(FindFirstFileW((folder + L"*").c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.Get(), &found)) {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? folders : files).push_back(PanelEntryOf(found));
    }
    // Folders first, each group by name without regard to letter case, as the host lists them.
    const auto byName = [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    folders.insert(folders.end(), files.begin(), files.end());
    panels_[side].path = shownAs.empty() ? folder : shownAs;
    SetPanelEntries(folders, side);
    return folders;
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
    // As the host titles its viewer.
    SetWindowTextW(lister, (L"Lister - [" + file + L"]").c_str());
    std::wstring name = file;
    HWND result = plugin_.ListLoadW(lister, name.data(), 0);
    AddLog(L"ListLoadW " + it->second.name + L" " + file + (result ? L" -> plugin window" : L" -> null"));
    it = listers_.find(lister);
    if (it == listers_.end()) return result;
    it->second.pluginWindow = result;
    // No plugin took the file: the Lister shows it itself.
    it->second.text = result ? L"" : TextStartOf(file);
    if (showListerAfter && IsWindow(lister)) ShowWindow(lister, SW_SHOW);
    InvalidateRect(lister, nullptr, TRUE);
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
        const std::wstring& directory = directory_.empty() ? panels_[activePanel_].path : directory_;
        const auto* bytes = reinterpret_cast<const BYTE*>(directory.c_str());
        payload.assign(bytes, bytes + (directory.size() + 1) * sizeof(wchar_t));
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
    case WM_SIZE: LayoutPanels(); return 0;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = lineHeight_ + 4;
        return TRUE;
    case WM_DRAWITEM: DrawPanelEntry(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == LBN_SETFOCUS && SideOf(reinterpret_cast<HWND>(lParam)) >= 0) {
            activePanel_ = SideOf(reinterpret_cast<HWND>(lParam));
            for (const FilePanel& p : panels_)
                InvalidateRect(p.list, nullptr, FALSE);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintMain(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
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
    case WM_PAINT:
        if (it->second.text.empty()) break;
        PaintListerText(hwnd, it->second);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int HostStandIn::SideOf(HWND list) const {
    for (int side = 0; side < kPanelCount; ++side)
        if (list && panels_[side].list == list) return side;
    return -1;
}

void HostStandIn::LayoutPanels() {
    RECT client{};
    if (!main_ || !GetClientRect(main_, &client)) return;
    const int gap = 4, bar = lineHeight_ + 8;
    const int width = (client.right - gap * (kPanelCount + 1)) / kPanelCount;
    for (int side = 0; side < kPanelCount; ++side) {
        FilePanel& p = panels_[side];
        p.area = {gap + side * (width + gap), gap, gap + side * (width + gap) + width, client.bottom - gap};
        // Under the path and the column heads, above the line that counts the selection.
        if (p.list)
            MoveWindow(p.list, p.area.left, p.area.top + 2 * bar, width, p.area.bottom - p.area.top - 3 * bar,
                       TRUE);
    }
    InvalidateRect(main_, nullptr, TRUE);
}

HostStandIn::Columns HostStandIn::ColumnsAcross(int width) const {
    const int pad = lineHeight_ / 2;
    Columns c{};
    c.dateLeft = width - dateWidth_ - pad;
    c.sizeRight = c.dateLeft - 2 * pad;
    c.nameRight = c.sizeRight - sizeWidth_ - pad;
    return c;
}

void HostStandIn::PaintMain(HDC dc) {
    const HGDIOBJ oldFont = SelectObject(dc, font_.Get());
    SetBkMode(dc, TRANSPARENT);
    const int bar = lineHeight_ + 8, pad = lineHeight_ / 4;
    const UINT line = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    for (int side = 0; side < kPanelCount; ++side) {
        const FilePanel& p = panels_[side];
        if (!p.list) continue;
        // The path, in the caption's colours for the panel that has the focus.
        const bool active = side == activePanel_;
        RECT path{p.area.left, p.area.top, p.area.right, p.area.top + bar};
        FillRect(dc, &path, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        InflateRect(&path, -pad * 2, 0);
        DrawTextW(dc, p.path.c_str(), -1, &path, line | DT_PATH_ELLIPSIS);
        // The column heads over the list's own columns.
        RECT inner{};
        GetClientRect(p.list, &inner);
        MapWindowPoints(p.list, main_, reinterpret_cast<POINT*>(&inner), 2);
        const Columns c = ColumnsAcross(inner.right - inner.left);
        RECT heads{p.area.left, p.area.top + bar, p.area.right, p.area.top + 2 * bar};
        DrawEdge(dc, &heads, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        RECT name{inner.left + pad, heads.top, inner.left + c.nameRight, heads.bottom};
        DrawTextW(dc, L"Name", -1, &name, line);
        RECT size{inner.left + c.nameRight, heads.top, inner.left + c.sizeRight, heads.bottom};
        DrawTextW(dc, L"Size", -1, &size, line | DT_RIGHT);
        RECT date{inner.left + c.dateLeft, heads.top, inner.right, heads.bottom};
        DrawTextW(dc, L"Date", -1, &date, line);
        // How many entries are selected.
        const LRESULT count = SendMessageW(p.list, LB_GETCOUNT, 0, 0);
        const LRESULT selected = SendMessageW(p.list, LB_GETSELCOUNT, 0, 0);
        const std::wstring status = std::to_wstring(selected > 0 ? selected : 0) + L" of " +
                                    std::to_wstring(count > 0 ? count : 0) + L" selected";
        RECT under{p.area.left, p.area.bottom - bar, p.area.right, p.area.bottom};
        FillRect(dc, &under, GetSysColorBrush(COLOR_BTNFACE)); // the count it replaces
        under.left += pad * 2;
        DrawTextW(dc, status.c_str(), -1, &under, line);
    }
    SelectObject(dc, oldFont);
}

void HostStandIn::DrawPanelEntry(const DRAWITEMSTRUCT& item) {
    const int side = SideOf(item.hwndItem);
    if (side < 0 || item.itemID == static_cast<UINT>(-1)) return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool active = side == activePanel_;
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    FillRect(dc, &r, GetSysColorBrush(selected ? (active ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(selected && active ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ oldFont = SelectObject(dc, font_.Get());
    std::wstring text;
    const LRESULT length = SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
    if (length > 0 && length <= kShownEntryLength) {
        text.resize(static_cast<size_t>(length) + 1);
        const LRESULT got =
            SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
        text.resize(got > 0 && got <= length ? static_cast<size_t>(got) : 0);
    }
    // name, size, date: the rest of the entry after the second tab stays in the date's column.
    const size_t tab1 = text.find(L'\t');
    const size_t tab2 = tab1 == std::wstring::npos ? tab1 : text.find(L'\t', tab1 + 1);
    const std::wstring name = text.substr(0, tab1);
    const std::wstring size = tab1 == std::wstring::npos ? L"" : text.substr(tab1 + 1, tab2 - tab1 - 1);
    const std::wstring date = tab2 == std::wstring::npos ? L"" : text.substr(tab2 + 1);
    const Columns c = ColumnsAcross(r.right - r.left);
    const int pad = lineHeight_ / 4;
    const UINT line = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    RECT field{r.left + pad, r.top, r.left + c.nameRight, r.bottom};
    DrawTextW(dc, name.c_str(), -1, &field, line);
    field = {r.left + c.nameRight, r.top, r.left + c.sizeRight, r.bottom};
    DrawTextW(dc, size.c_str(), -1, &field, line | DT_RIGHT);
    field = {r.left + c.dateLeft, r.top, r.right, r.bottom};
    DrawTextW(dc, date.c_str(), -1, &field, line);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
    SelectObject(dc, oldFont);
}

void HostStandIn::PaintListerText(HWND lister, const ListerInfo& info) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(lister, &ps);
    RECT r{};
    GetClientRect(lister, &r);
    InflateRect(&r, -lineHeight_ / 2, -lineHeight_ / 4);
    const HGDIOBJ oldFont = SelectObject(dc, fixedFont_.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, info.text.c_str(), -1, &r, DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK);
    SelectObject(dc, oldFont);
    EndPaint(lister, &ps);
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
