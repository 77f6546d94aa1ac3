// The host stand-in: plays the file manager's side of the plugin contract inside the calling process.
// It owns top-level windows of the host's classes, loads the real plugin module, calls its exports as
// the host would, answers the directory request, reacts to the messages the plugin posts, and logs
// every call it makes and every message it reacts to.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "win/handles.h"

namespace hoststub {

// The real module, loaded by path, with its four exports.
class PluginModule {
  public:
    using ListLoadWFn = HWND(WINAPI*)(HWND, wchar_t*, int);
    using ListLoadFn = HWND(WINAPI*)(HWND, char*, int);
    using ListCloseWindowFn = void(WINAPI*)(HWND);
    using ListGetDetectStringFn = void(WINAPI*)(char*, int);

    PluginModule() = default;
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;
    ~PluginModule() { Unload(); }

    bool Load(const std::wstring& path);
    // Uses functions linked into this program instead of a loaded module (tests that drive the
    // plugin's code directly).
    void BindLinked(ListLoadWFn load, ListLoadFn loadNarrow, ListCloseWindowFn close,
                    ListGetDetectStringFn detect);
    void Unload();
    bool IsLoaded() const { return module_ != nullptr || linked_; }
    HMODULE Handle() const { return module_; }

    ListLoadWFn ListLoadW = nullptr;
    ListLoadFn ListLoad = nullptr;
    ListCloseWindowFn ListCloseWindow = nullptr;
    ListGetDetectStringFn ListGetDetectString = nullptr;

  private:
    HMODULE module_ = nullptr;
    bool linked_ = false;
};

// How the main window answers the directory request.
enum class DirectoryReply {
    Normal,          // kind 22354 from the main window, payload = directory with terminator
    None,            // no answer
    WrongKind,       // kind 22355
    FromOtherWindow, // kind 22354, but sent with another window as the sender
    Raw,             // kind 22354 with the raw payload bytes given
};

struct ListerInfo {
    std::wstring name;
    std::wstring file;
    HWND pluginWindow = nullptr;
    bool quickView = false;
    bool extractedCopy = false; // the file is a copy the host extracted: deleted when the Lister closes
    // The start of the file as the Lister shows it itself when no plugin took it.
    std::wstring text;
};

// The main window's two file panels, left and right.
constexpr int kPanelCount = 2;

class HostStandIn {
  public:
    HostStandIn();
    ~HostStandIn();
    HostStandIn(const HostStandIn&) = delete;
    HostStandIn& operator=(const HostStandIn&) = delete;

    static HostStandIn* Instance() { return instance_; }

    // Windows of the host. Each is created hidden unless said otherwise; Destroy* takes them down.
    HWND CreateMainWindow(bool visible = true);
    HWND MainWindow() const { return main_; }
    HWND Panel(int side = 0) const { return panels_[side].list; }
    HWND CreateFindFiles(POINT checkBoxAt, POINT comboAt, int checkState, const std::wstring& searchText,
                         const wchar_t* comboClass = L"LCLComboBox");
    HWND CreateTopLevel(const wchar_t* className, const std::wstring& name, bool visible = true,
                        HWND owner = nullptr);
    // A separate Lister (top-level "TLister") or the Lister of the quick-view panel (a child of the
    // main window).
    HWND CreateLister(bool quickView = false);

    // A panel: entries and selection of its "LCLListBox". An entry is "name<TAB>size<TAB>date", as the
    // host gives it with GetTextMode 1; the panel shows the three in columns.
    void SetPanelEntries(const std::vector<std::wstring>& entries, int side = 0);
    void SelectPanelEntries(const std::vector<int>& indices, int side = 0);
    void FocusPanel(int side = 0);
    // Lists folder's subfolders and files in the panel and shows shownAs (default: the folder) above
    // it, as the host shows an archive's contents under the archive's name. Returns the entries.
    std::vector<std::wstring> ShowFolder(int side, const std::wstring& folder,
                                         const std::wstring& shownAs = {});
    // Normal with an empty directory answers the path of the panel that last had the focus.
    void SetDirectoryReply(DirectoryReply mode, const std::wstring& directory, std::vector<BYTE> raw = {});

    // The plugin.
    bool LoadPlugin(const std::wstring& modulePath);
    PluginModule& Plugin() { return plugin_; }
    // Asks the plugin to show file in lister, as the Lister does; then shows the Lister as the host
    // would after the call returned. Returns the plugin's window or null.
    HWND ViewFile(HWND lister, const std::wstring& file, bool showListerAfter = true);
    // The same for a copy the host extracted from an archive: as the host does, it deletes the copy
    // right after ListCloseWindow when the Lister closes (not when it moves on to another plugin).
    HWND ViewExtractedCopy(HWND lister, const std::wstring& copy, bool showListerAfter = true);
    // The host closing a Lister: ListCloseWindow for its plugin window, then the window goes.
    void CloseLister(HWND lister);
    const ListerInfo* Lister(HWND lister) const;
    bool ListerAlive(HWND lister) const { return listers_.count(lister) != 0; }

    // Runs the message loop for about ms milliseconds (posted messages, timers, hooks).
    void Pump(DWORD ms);

    const std::vector<std::wstring>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }
    void AddLog(const std::wstring& line) { log_.push_back(line); }
    std::wstring NameOf(HWND hwnd) const;

  private:
    struct FilePanel {
        HWND list = nullptr;
        std::wstring path;
        RECT area{}; // the path above it, its column heads, the list and the line under it
    };
    // Where a panel's columns lie across a width: the name ends at nameRight, the size ends at
    // sizeRight (right-aligned), the date begins at dateLeft.
    struct Columns {
        int nameRight, sizeRight, dateLeft;
    };

    static LRESULT CALLBACK MainProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ListerProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK PlainProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnMainMessage(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnListerMessage(HWND, UINT, WPARAM, LPARAM);
    void AnswerDirectoryRequest(HWND requester, const COPYDATASTRUCT& request);
    void RegisterClasses();
    void ReleaseLister(HWND lister);
    void MakeFonts();
    void LayoutPanels();
    Columns ColumnsAcross(int width) const;
    int SideOf(HWND list) const;
    void PaintMain(HDC dc);
    void DrawPanelEntry(const DRAWITEMSTRUCT& item);
    void PaintListerText(HWND lister, const ListerInfo& info);

    static HostStandIn* instance_;
    PluginModule plugin_;
    HWND main_ = nullptr;
    FilePanel panels_[kPanelCount];
    int activePanel_ = 0;
    win::UniqueFont font_;
    win::UniqueFont fixedFont_;
    int lineHeight_ = 16;
    int dateWidth_ = 100;
    int sizeWidth_ = 70;
    HWND replyImpostor_ = nullptr;
    std::map<HWND, ListerInfo> listers_;
    std::map<HWND, std::wstring> names_;
    std::vector<HWND> ownedWindows_;
    int listerCount_ = 0;
    DirectoryReply replyMode_ = DirectoryReply::Normal;
    std::wstring directory_;
    std::vector<BYTE> rawReply_;
    std::vector<std::wstring> log_;
};

// Runs this thread's message loop for about ms milliseconds (posted messages, timers, hooks).
void PumpMessages(DWORD ms);

// The directory of a Linux path as Wine shows it (Z:\...).
std::wstring WinePathOf(const std::string& unixPath);

} // namespace hoststub
