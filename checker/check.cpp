#include "checker/check.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "config/app_lookup.h"
#include "config/command_text.h"
#include "config/commands.h"
#include "config/file_types.h"
#include "config/ini.h"
#include "config/languages.h"
#include "config/open_with.h"
#include "config/option_table.h"
#include "config/options.h"
#include "config/params.h"
#include "config/program_search.h"
#include "host/host_text.h"
#include "host/hotkeys.h"
#include "plugin/load.h"
#include "plugin/startup.h"
#include "shared/command_line.h"
#include "shared/host_names.h"
#include "shared/process.h"
#include "shared/state.h"
#include "win/errors.h"
#include "win/handles.h"
#include "win/paths.h"
#include "win/text.h"

namespace checker {
namespace {

// An extension key no configuration names: its lookup goes to the default editor.
const std::wstring kUnconfiguredKey = L"tolvanier-check-unconfigured";

std::vector<std::wstring> caughtMessages;

void CatchMessage(const std::wstring& text) {
    caughtMessages.push_back(text);
}

// While a check runs, what the lookup would show in a box is collected instead.
class MessageCatch {
    config::LookupMessageSink previous_;

  public:
    MessageCatch() : previous_(config::SetLookupMessageSink(CatchMessage)) { caughtMessages.clear(); }
    ~MessageCatch() { config::SetLookupMessageSink(previous_); }
    MessageCatch(const MessageCatch&) = delete;
    MessageCatch& operator=(const MessageCatch&) = delete;
};

// The file manager's folder, where the plugin looks for programs first: this process is not the file
// manager, so the folder is the one it tells its programs, or none.
class HostFolderOfCheck {
    std::optional<std::wstring> previous_;

  public:
    explicit HostFolderOfCheck(const std::wstring& folder)
        : previous_(config::SetHostProgramFolder(folder)) {}
    ~HostFolderOfCheck() { config::SetHostProgramFolder(previous_); }
    HostFolderOfCheck(const HostFolderOfCheck&) = delete;
    HostFolderOfCheck& operator=(const HostFolderOfCheck&) = delete;
};

bool hostFolderKnown = false;

} // namespace

struct CheckScope::State {
    std::wstring hostFolder = win::EnvironmentValue(L"COMMANDER_PATH");
    HostFolderOfCheck searchedFirst{hostFolder};
    MessageCatch noBoxes;
    bool usable = false;
    std::optional<config::IniReadMemo> oneLookAtEachFile;
};

CheckScope::CheckScope(const std::wstring& iniPath) : state_(std::make_unique<State>()) {
    state_->usable = win::CopyTo(OptionsIniName, iniPath);
    if (!state_->usable) return;
    hwMain = nullptr;
    config::IniForgetReads();
    TolvanierOptions = config::ReadOptionBlock(OptionsIniName);
    // One look at each file's stamp for the whole scope, as a load takes: lookups read the same
    // sections once per key.
    state_->oneLookAtEachFile.emplace();
}

CheckScope::~CheckScope() = default;

bool CheckScope::Usable() const {
    return state_->usable;
}

const std::wstring& CheckScope::HostFolder() const {
    return state_->hostFolder;
}

bool TakeHostIniFromEnvironment() {
    wchar_t expanded[kPathCapacity] = {};
    const DWORD n = ExpandEnvironmentStringsW(L"%COMMANDER_INI%", expanded, kPathCapacity);
    if (!(n > 0 && n <= kPathCapacity && win::CopyTo(TCIniName, expanded))) TCIniName[0] = L'\0';
    return GetEnvironmentVariableW(L"COMMANDER_INI", nullptr, 0) != 0;
}

std::wstring WhySettingsThere(SettingsPlace place, bool hostIniSet) {
    switch (place) {
    case SettingsPlace::BesideModule: return L"beside the plugin";
    case SettingsPlace::BesideHostSettings:
        return L"the plugin's folder cannot be written: beside the file manager's settings";
    case SettingsPlace::UserAppData:
        return hostIniSet ? L"neither the plugin's folder nor that of the file manager's settings can be "
                            L"written: in the user's application data"
                          : L"the plugin's folder cannot be written and COMMANDER_INI is not set: in the "
                            L"user's application data";
    }
    return L"";
}

namespace {

std::wstring FullPath(const std::wstring& name) {
    return win::FullPathOf(name).value_or(name);
}

std::wstring SystemMessage(DWORD error) {
    const std::wstring message = win::SystemErrorText(error);
    return message.empty() ? L"error " + std::to_wstring(error) : message;
}

} // namespace

// The whole file; an INI larger than this is no settings file.
constexpr DWORD kMaxIniBytes = 16u << 20;

bool ReadIniBytes(const std::wstring& path, std::string& bytes, DWORD& error) {
    const win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxIniBytes) {
        error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))) {
        error = GetLastError();
        return false;
    }
    bytes.resize(got);
    return true;
}

DecodedIni DecodeIniFile(const std::string& bytes) {
    DecodedIni decoded = DecodeIniBytes(bytes);
    // Behind a UTF-8 mark, bytes that are no UTF-8 are what the platform reads: ANSI text.
    const size_t from = decoded.encoding == IniEncoding::Utf8WithBom && decoded.text.empty() ? 3 : 0;
    if ((decoded.encoding != IniEncoding::Ansi && from == 0) || bytes.size() <= from) return decoded;
    const char* ansi = bytes.data() + from;
    const int size = static_cast<int>(bytes.size() - from);
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi, size, nullptr, 0);
    decoded.text.assign(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi, size, decoded.text.data(), n);
    return decoded;
}

namespace {

const IniEntry* FindEntry(const ParsedIni& ini, const wchar_t* section, const std::wstring& key) {
    for (const IniEntry* e : EntriesOf(ini, section))
        if (SameName(e->key, key)) return e;
    return nullptr;
}

// The first composite [Editor] line that serves key, by the plugin's own grammar.
const IniEntry* FindCompositeEntry(const ParsedIni& ini, const std::wstring& key, bool forApplication) {
    for (const IniEntry* e : EntriesOf(ini, L"Editor")) {
        if (e->key.find(L',') == std::wstring::npos && forApplication) continue;
        std::wstring line = e->key + L"=" + e->value;
        line += L'\0';
        line += L'\0';
        if (config::FindCompositeValue(line, key, forApplication)) return e;
    }
    return nullptr;
}

struct Report {
    std::wstring& out;
    void Line(const std::wstring& text) { out += text + L"\n"; }
};

// Whether the file is read in the ANSI code page while written in another encoding.
bool misread = false;

std::wstring LookupAdvice(const config::AppLookup& lookup) {
    const bool nonAscii =
        std::any_of(lookup.appText.begin(), lookup.appText.end(), [](wchar_t c) { return c >= 0x80; });
    if (misread && nonAscii)
        return L"the path was read in the ANSI code page (see the encoding problem): save the file as "
               L"UTF-16 LE";
    if (lookup.source == config::AppSource::DefaultEditor)
        return L"correct DefaultEditor, or set IfIsExtOnly=1 to leave unconfigured files to the viewer";
    const std::wstring& path = lookup.notFound;
    if (path.find(L'%') != std::wstring::npos)
        return L"an environment variable in it is not defined (here, where the checker runs): define it, "
               L"or write the path out";
    if ((path.size() >= 2 && path[1] == L':') || config::IsAbsolutePath(path))
        return L"a path with a drive letter or a share must name the program exactly, from the root, "
               L"extension included: correct it";
    return std::wstring(
               L"a name without a drive is searched in the file manager's folder, the system folder, "
               L"the Windows folder and the absolute folders of PATH, in that order, never in the "
               L"current folder (a name without an extension with each extension of PATHEXT), and "
               L"was not found there: write the program's full path") +
           (hostFolderKnown ? L"" : L" (the file manager's folder is not known here: see above)");
}

// written: the key as the host INI writes it, for a key of its [Extensions].
void AddLookupProblem(const config::GroupKey& key, const ParsedIni& ini, std::vector<Problem>& problems,
                      std::set<std::pair<int, std::wstring>>& reported, const std::wstring& written = L"") {
    const std::wstring& ext = key.key;
    const config::AppLookup lookup = config::LookUpKey(key, false, false);
    if (lookup.message.empty() || lookup.source == config::AppSource::DefaultEditor) return;
    Problem p;
    p.text = L"the plugin would show \"" + OneLine(lookup.message) + L"\"; " + LookupAdvice(lookup);
    if (lookup.source == config::AppSource::HostExtensions) {
        p.section = L"Extensions";
        p.key = written.empty() ? ext : written;
        p.text += std::wstring(L" (in ") + TCIniName + L")";
    } else {
        const IniEntry* e = lookup.source == config::AppSource::EditorKey
                                ? FindEntry(ini, L"Editor", ext)
                                : FindCompositeEntry(ini, ext, true);
        p.section = L"Editor";
        p.key = e ? e->key : ext;
        p.line = e ? e->line : 0;
    }
    if (reported.insert({p.line, p.key}).second) problems.push_back(p);
}

// Every application the plugin would not find: for each extension key the settings name, the lookup
// the plugin makes for it.
void AddLookupProblems(const ParsedIni& ini, std::vector<Problem>& problems, std::vector<Problem>& notes) {
    std::set<std::pair<int, std::wstring>> reported;
    if (TolvanierOptions.UseTCExtensions) {
        const std::wstring lines = config::IniReadSection(TCIniName, L"Extensions");
        for (size_t at = 0; at < lines.size() && lines[at] != L'\0';) {
            const size_t end = lines.find(L'\0', at);
            const std::wstring line = lines.substr(at, end - at);
            at = end + 1;
            const size_t eq = line.find(L'=');
            if (eq != std::wstring::npos && !line.empty() && line[0] != L';')
                AddLookupProblem({Lower(line.substr(0, eq))}, ini, problems, reported, line.substr(0, eq));
        }
        // The type keys of [Types] still take their applications from [Editor].
        const std::set<std::wstring> types = config::TypeKeysOf(config::ReadTypeLines());
        bool noted = false;
        for (const IniEntry* e : EntriesOf(ini, L"Editor")) {
            if (IsTemplateKey(e->key)) continue;
            bool onlyTypes = true;
            for (const std::wstring& item : CompositeItems(e->key)) {
                if (types.count(Lower(item)))
                    AddLookupProblem({Lower(item), true}, ini, problems, reported);
                else
                    onlyTypes = false;
            }
            if (onlyTypes || noted) continue;
            notes.push_back(
                {e->line, L"Editor", e->key,
                 L"with UseTCExtensions=1 applications come from the file manager's [Extensions]: "
                 L"this line is not used" +
                     std::wstring(types.empty() ? L"" : L" (but for the type keys of [Types] it lists)")});
            noted = true;
        }
    } else {
        for (const IniEntry* e : EntriesOf(ini, L"Editor")) {
            if (IsTemplateKey(e->key)) continue;
            if (e->key.find(L',') == std::wstring::npos) {
                AddLookupProblem({Lower(e->key)}, ini, problems, reported);
                continue;
            }
            for (const std::wstring& item : CompositeItems(e->key))
                if (item.find_first_of(L" \tABCDEFGHIJKLMNOPQRSTUVWXYZ.") == std::wstring::npos)
                    AddLookupProblem({item}, ini, problems, reported);
        }
    }
    // The default editor serves the hotkeys even with IfIsExtOnly=1.
    const config::AppLookup editor = config::LookUpApplication(kUnconfiguredKey, true, false);
    if (!editor.message.empty()) {
        const IniEntry* e = FindEntry(ini, L"Options", L"DefaultEditor");
        problems.push_back(
            {e ? e->line : 0, L"Options", e ? e->key : L"DefaultEditor",
             L"the plugin would show \"" + OneLine(editor.message) + L"\"; " + LookupAdvice(editor)});
    }
}

void AddHostProblems(const ParsedIni& ini, bool hostIniSet, std::vector<Problem>& problems) {
    if (!TolvanierOptions.UseTCExtensions) return;
    const IniEntry* e = FindEntry(ini, L"Options", L"UseTCExtensions");
    const std::wstring key = e ? e->key : L"UseTCExtensions";
    const int line = e ? e->line : 0;
    const std::wstring then = L": every file then goes to the default editor; ";
    if (!hostIniSet)
        problems.push_back(
            {line, L"Options", key,
             L"UseTCExtensions=1, but COMMANDER_INI is not set, so there is no file manager INI" + then +
                 L"run the checker from the file manager (which sets COMMANDER_INI), or write "
                 L"UseTCExtensions=0"});
    else if (!TCIniName[0] || GetFileAttributesW(TCIniName) == INVALID_FILE_ATTRIBUTES)
        problems.push_back({line, L"Options", key,
                            std::wstring(L"UseTCExtensions=1, but COMMANDER_INI names no file (") +
                                TCIniName + L")" + then +
                                L"correct COMMANDER_INI, or write UseTCExtensions=0"});
}

struct Place {
    const wchar_t* what;
    LoadOrigin origin;
    const wchar_t* option;
    bool TTolvanierOptions::*field;
};

const std::vector<Place>& Places() {
    static const std::vector<Place> places = {
        {L"a separate viewer window opened from the main window",
         {true, TCMainWindowClasName, false},
         L"TCWindow",
         &TTolvanierOptions::TCWindow},
        {L"the quick-view panel",
         {true, TCMainWindowClasName, true},
         L"QuickView",
         &TTolvanierOptions::QuickView},
        {L"the Find Files dialog",
         {true, TCFindFileClasName, false},
         L"FindFiles",
         &TTolvanierOptions::FindFiles},
        {L"the Synchronize Directories dialog",
         {true, TCSyncDirsClasName, false},
         L"SyncDirs",
         &TTolvanierOptions::SyncDirs},
        {L"the overwrite dialog",
         {true, kOverWriteFormClassName, false},
         L"OverWrite",
         &TTolvanierOptions::OverWrite},
        {L"an open viewer window that is active",
         {true, TCListerClasName, false},
         L"Lister4",
         &TTolvanierOptions::Lister4},
        {L"no active window of the file manager",
         {false, L"", false},
         L"ListerDirectly",
         &TTolvanierOptions::ListerDirectly},
    };
    return places;
}

void DescribePlaces(Report& r) {
    const TTolvanierOptions& o = TolvanierOptions;
    r.Line(L"where the plugin acts:");
    for (const Place& p : Places()) {
        const bool takes = ApplyLoadGates(o, p.origin) != GateResult::Decline;
        const std::wstring why =
            o.ModalOnly ? L"ModalOnly=1" : std::wstring(p.option) + L"=" + (o.*p.field ? L"1" : L"0");
        r.Line(std::wstring(takes ? L"  takes:    " : L"  declines: ") + p.what + L" (" + why + L")");
    }
    r.Line(o.ScrollLockControl ? L"  and only while Scroll Lock is on (ScrollLockControl=1)"
                               : L"  whatever Scroll Lock says (ScrollLockControl=0)");
}

std::wstring DescribeHotkey(bool enabled, const wchar_t* name) {
    const std::wstring keyName = std::wstring(name) + L"_key";
    const std::wstring modName = std::wstring(name) + L"_mod";
    if (!enabled) return L"off (" + keyName + L" is empty)";
    // Read as the hotkey procedure reads them: the code, and the modifiers into 4 units.
    const int code = config::IniReadInt(OptionsIniName, L"HotKeys", keyName.c_str(), 0);
    const std::wstring mod = config::IniReadString(OptionsIniName, L"HotKeys", modName.c_str(), L"", 4);
    if (code == 0) return L"on, but its code reads as 0, which no key has: it never fires";
    const ModifierSpec held = ParseModifierSpec(mod.substr(0, 3));
    const std::wstring codeName = KeyNameOfCode(code);
    const std::wstring keyText = codeName.empty() ? L"key code " + std::to_wstring(code) : codeName;
    const bool anyHeld = held.shift || held.ctrl || held.alt;
    const std::wstring combination = (anyHeld ? DescribeModifiers(mod) + L"+" : L"") + keyText;
    return L"on: " + combination + L" (" + keyName + L"=" + std::to_wstring(code) + L", " + modName + L"=" +
           mod + L")";
}

// Where the plugin looks for the Find Files dialog's controls, read as it reads them.
std::wstring DescribeFindFiles() {
    if (!TolvanierOptions.CopySearchTextToClip)
        return L"Find Files search text: not copied to the clipboard (CopySearchTextToClip=0)";
    const auto place = [](const TCPosKeys& keys) {
        return std::to_wstring(config::ReadOptionNumber(OptionsIniName, L"TCPos", keys.leftKey)) + L"," +
               std::to_wstring(config::ReadOptionNumber(OptionsIniName, L"TCPos", keys.topKey));
    };
    return L"Find Files search text: to the clipboard (CopySearchTextToClip=1); its check box is looked for "
           L"at " +
           place(kSearchTextCheckBoxPos) + L" and its box at " + place(kSearchTextComboPos) +
           L" ([TCPos], positions at 100 %, within " + std::to_wstring(kPositionTolerance) +
           L"; on a scaled screen also at those positions scaled with the dialog)";
}

std::wstring Names(size_t n) {
    return std::to_wstring(n) + (n == 1 ? L" name" : L" names");
}

// The lines of the first [Types] section, with "=" or without, in order: the lines the plugin reads.
std::vector<const IniEntry*> TypesEntries(const ParsedIni& ini) {
    std::vector<const IniEntry*> entries;
    for (size_t i = 0; i < ini.sections.size(); ++i) {
        if (!SameName(ini.sections[i].name, L"Types")) continue;
        for (const IniEntry& e : ini.entries)
            if (e.sectionIndex == static_cast<int>(i)) entries.push_back(&e);
        break;
    }
    return entries;
}

// What [Types] made of the name at index: the line that took it, its place and its text, and the type
// key; empty when no line took it.
std::wstring TypeText(const config::TypedNames& typed, size_t index, const ParsedIni& ini) {
    if (index >= typed.lineOfName.size() || !typed.lineOfName[index]) return L"";
    const config::TypeLine& line = typed.lines[*typed.lineOfName[index]];
    const std::vector<const IniEntry*> entries = TypesEntries(ini);
    const size_t place = static_cast<size_t>(line.place);
    std::wstring text =
        L"; [Types] line " + std::to_wstring(place) + L" of " + std::to_wstring(typed.lines.size());
    if (place >= 1 && place <= entries.size())
        text += L" (file line " + std::to_wstring(entries[place - 1]->line) + L")";
    text +=
        L" " + Quote(line.masks + (line.hasEquals ? L"=" + line.value : L"")) + L": type key " + line.type;
    const auto known = typed.typeHasApplication.find(line.type);
    if (known == typed.typeHasApplication.end() || !known->second)
        text += L", which [Editor] names no application for, so the extension key decides";
    return text;
}

std::wstring KeyLabel(const std::wstring& key) {
    if (key.empty()) return L"no extension";
    if (key == config::kDirectoryKey) return L"folders (:dir)";
    return L"extension key " + key;
}

std::wstring DescribeSource(const config::AppLookup& l, const std::wstring& key, const ParsedIni& ini) {
    switch (l.source) {
    case config::AppSource::SystemAssociation:
        if (l.systemFallback) {
            const std::wstring head = L"the system's association of ." + key + L" (UseSystemAssociations=1)";
            if (!l.openWithShell) return head + L", program " + Quote(l.appText);
            return head + (l.appText.empty() ? L": a handler of the shell (DelegateExecute), no command"
                                             : L", open command " + l.appText);
        }
        if (l.openWithShell && l.appText.empty())
            return L"the system's association of ." + key +
                   L": its class opens files through a handler of the shell (DelegateExecute), not a command";
        if (l.openWithShell)
            return L"the system's association of ." + key + L", open command " + l.appText +
                   L": more than a program and the file's %1";
        return L"the system's association of ." + key + L" (its open command), program " + Quote(l.appText);
    case config::AppSource::HostExtensions:
        return L"[Extensions] " + key + L" of the file manager's INI (" + TCIniName + L"), program " +
               Quote(l.appText);
    case config::AppSource::EditorKey: {
        const IniEntry* e = FindEntry(ini, L"Editor", key);
        return L"[Editor] " + (e ? e->key : key) + L"=" + l.appText;
    }
    case config::AppSource::EditorComposite: {
        const IniEntry* e = FindCompositeEntry(ini, key, true);
        return L"[Editor] " + (e ? e->key : L"(a composite key)") + L"=" + l.appText;
    }
    case config::AppSource::DefaultEditor: {
        const IniEntry* e = FindEntry(ini, L"Options", L"DefaultEditor");
        return L"the default editor, [Options] DefaultEditor=" + l.appText +
               (e ? L"" : L" (not written: the default)");
    }
    case config::AppSource::None: break;
    }
    return L"none";
}

// Where the template of a command for key (mode 1) or for the application (mode 0) comes from, as
// the template lookup reads it.
std::wstring DescribeTemplate(const config::AppLookup& l, const std::wstring& key, const ParsedIni& ini) {
    std::vector<wchar_t> params(kParamsCapacity);
    const int mode = TolvanierOptions.ParamsMode == 0 ? 0 : 1;
    GetParams(mode, mode == 0 ? l.appPath : key, params.data(), l.usedDefaultEditor);
    const std::wstring expanded = params.data();
    std::wstring source, written;
    if (mode == 0) {
        source = l.usedDefaultEditor ? L"[Options] DefaultEditor_params" : L"[Editor] " + l.appPath;
        written =
            config::IniReadString(OptionsIniName, l.usedDefaultEditor ? L"Options" : L"Editor",
                                  l.usedDefaultEditor ? L"DefaultEditor_params" : l.appPath.c_str(), L"");
    } else if (!(written = config::IniReadString(OptionsIniName, L"Editor", (key + L"_params").c_str(), L""))
                    .empty()) {
        const IniEntry* e = FindEntry(ini, L"Editor", key + L"_params");
        source = L"[Editor] " + (e ? e->key : key + L"_params");
    } else if (const IniEntry* e = FindCompositeEntry(ini, key, false)) {
        source = L"[Editor] " + e->key;
        written = e->value;
    }
    if (expanded.empty())
        return source.empty() ? L": none, the names alone" : L" from " + source + L"= (empty)";
    return L" from " + source + L"=" + written + (written == expanded ? L"" : L", expanded: " + expanded);
}

std::wstring GroupingText() {
    const int pm = TolvanierOptions.ParamsMode, pbe = TolvanierOptions.ParamsByExtMode;
    const std::wstring set =
        L" (ParamsMode=" + std::to_wstring(pm) + L", ParamsByExtMode=" + std::to_wstring(pbe) + L")";
    if (pm == 0) return L"one command per application, template by application" + set;
    if (pm == 1 && pbe == 0) return L"one command per application, with the template of its first key" + set;
    if (pm == 1 && pbe == 1) return L"one command per extension key" + set;
    if (pm == 1 && pbe == 2) return L"one command per file, in the order of the names" + set;
    return L"none: these values open nothing" + set;
}

std::wstring ChoiceSourceText(config::OpenWithSource source, const std::wstring& key) {
    switch (source) {
    case config::OpenWithSource::FirstHotkey: return L"the first hotkey's application";
    case config::OpenWithSource::SystemAssociation: return L"the system's association of ." + key;
    case config::OpenWithSource::UserOpenWithList: return L"your recent choice for ." + key;
    case config::OpenWithSource::UserOpenWithProgids: return L"a file type of your Open with list of ." + key;
    case config::OpenWithSource::OpenWithProgids: return L"a file type registered for ." + key;
    case config::OpenWithSource::OpenWithList: return L"an application registered for ." + key;
    case config::OpenWithSource::DefaultEditor: return L"the default editor";
    }
    return L"";
}

// The third hotkey's menu for one file: its items in order, each with what choosing it starts.
// Returns whether the menu would list an application.
bool DescribeMenu(const std::wstring& file, const ParsedIni& ini, Report& r) {
    r.Line(L"the third hotkey (a menu of applications) in a viewer window showing:");
    if (!TolvanierOptions.ChooseAppFromLister_key)
        r.Line(L"note: this hotkey is off; pressing its key shows nothing until you set its code");
    const uint8_t kind = FileExists(file);
    if (kind == 0) {
        r.Line(L"  " + file + L": it does not exist, so no menu opens");
        return false;
    }
    const std::wstring key = config::ExtensionKeyOf(file, kind == 16);
    r.Line(L"  " + file + L" (" + KeyLabel(key) + TypeText(config::TypeNames({file}, {kind}), 0, ini) + L")");
    const std::vector<config::OpenWithChoice> choices = config::ListOpenWithChoices(file);
    for (size_t i = 0; i < choices.size(); ++i) {
        const config::OpenWithChoice& c = choices[i];
        r.Line(L"  " + std::to_wstring(i + 1) + L". " + c.label + L" (" + ChoiceSourceText(c.source, key) +
               L"): " + c.program);
        if (!c.commandLine.empty())
            r.Line(L"     start: " + c.commandLine);
        else
            r.Line(L"     start: (the system's shell opens" +
                   (c.shellClass.empty() ? std::wstring() : L", as " + c.shellClass + L" opens files") +
                   L") " + Quote(file));
    }
    const bool dialog = SystemHasOpenWithDialog() && kind == 1;
    if (dialog)
        r.Line(L"  then a separator and \"Choose another application...\": the system's Open with dialog");
    if (choices.empty())
        r.Line(dialog ? L"no application to list: the menu holds only the system's dialog"
                      : L"nothing to choose: no menu opens");
    return !choices.empty();
}

// Explains the selection, then prints the command lines the plugin's builder gives for it. Returns
// whether every name would be opened without a message.
bool DescribeSelection(const Arguments& a, const ParsedIni& ini, Report& r) {
    const bool hotkey = a.mode != Arguments::Mode::Load;
    const bool system = a.mode == Arguments::Mode::System;
    std::vector<std::wstring> files;
    for (const std::wstring& f : a.files)
        files.push_back(FullPath(f));
    if (a.mode == Arguments::Mode::Choose) return DescribeMenu(files.front(), ini, r);

    if (a.mode == Arguments::Mode::Load) {
        r.Line(L"selection of " + Names(files.size()) + L", as if selected in the focused panel:");
    } else {
        const bool on =
            system ? TolvanierOptions.DefSysAppFromLister_key : TolvanierOptions.AppFromLister_key;
        r.Line(system ? L"the second hotkey (the system's association) in a viewer window showing:"
               : TolvanierOptions.UseSystemAssociations
                   ? L"the first hotkey (configured application, else the system's association "
                     L"(UseSystemAssociations=1), else the default editor) in a viewer window showing:"
                   : L"the first hotkey (configured application, else the default editor) in a viewer window "
                     L"showing:");
        if (!on) r.Line(L"note: this hotkey is off; pressing its key starts nothing until you set its code");
    }
    // By key in code-unit order, as the builder walks them; how many names each has, and how many of
    // those by their type.
    std::map<std::pair<std::wstring, bool>, std::pair<size_t, size_t>> keys;
    size_t leftOut = 0;
    std::vector<std::wstring> existing;
    std::vector<uint8_t> kinds;
    for (const std::wstring& f : files)
        kinds.push_back(FileExists(f));
    // The system's side knows no type keys.
    const config::TypedNames typed = system ? config::TypedNames{} : config::TypeNames(files, kinds);
    for (size_t i = 0; i < files.size(); ++i) {
        const std::wstring& f = files[i];
        if (kinds[i] == 0) {
            r.Line(L"  " + f + L": left out, it does not exist");
            ++leftOut;
            continue;
        }
        existing.push_back(f);
        const std::wstring ext = config::ExtensionKeyOf(f, kinds[i] == 16);
        const config::GroupKey key = typed.keys.empty() ? config::GroupKey{ext} : typed.keys[i];
        auto& [count, byType] = keys[{key.key, key.typeInEditor}];
        ++count;
        if (i < typed.lineOfName.size() && typed.lineOfName[i] &&
            typed.typeHasApplication.at(typed.lines[*typed.lineOfName[i]].type))
            ++byType;
        const bool copy = !hotkey && IsHostTemporaryCopy(f);
        r.Line(L"  " + f + L" (" + KeyLabel(ext) + TypeText(typed, i, ini) +
               (copy ? L"; a copy from an archive: under the temporary folder, with \"_tc\"" : L"") + L")");
    }
    if (!hotkey && !keys.empty()) r.Line(L"grouping: " + GroupingText());
    for (const auto& [groupKey, counts] : keys) {
        const std::wstring& key = groupKey.first;
        const config::AppLookup l = config::LookUpKey({key, groupKey.second}, hotkey, system);
        const auto [count, byType] = counts;
        const std::wstring label = byType == 0       ? KeyLabel(key)
                                   : byType == count ? L"type key " + key
                                                     : L"type and extension key " + key;
        r.Line(label + L", " + Names(count) + L":");
        if (l.source != config::AppSource::None || !l.appText.empty())
            r.Line(L"  application from " + DescribeSource(l, key, ini));
        if (l.openWithShell) {
            r.Line(L"  the plugin has the system's shell open the file, as a double click in Explorer does");
        } else if (l.found) {
            r.Line(L"  found: " + l.appPath);
            r.Line(L"  template" + DescribeTemplate(l, key, ini));
        } else if (!l.message.empty()) {
            r.Line(L"  not found: the plugin shows the message below and leaves these names out");
        } else {
            r.Line(L"  no application: IfIsExtOnly=1 and nothing is configured for it, so the plugin leaves "
                   L"it to "
                   L"the viewer");
        }
    }

    std::vector<std::wstring> lines;
    caughtMessages.clear();
    // As the second hotkey does: no command line, the file goes to the shell.
    if (system && SystemOpensWithShell(files.front()))
        lines.push_back(config::ShellOpenLine(files.front()));
    else
        GetCommandsList(files, lines, hotkey, system);
    const std::vector<std::wstring> messages = caughtMessages;
    for (const std::wstring& m : messages)
        r.Line(L"message: " + OneLine(m));
    if (hotkey && lines.size() > 1) lines.resize(1); // a hotkey starts the first line only
    for (const std::wstring& line : lines)
        r.Line(L"start: " +
               std::wstring(SplitCommandLine(line).arguments.empty() ? L"(the system's shell opens) " : L"") +
               line);

    if (lines.empty()) {
        const int pm = TolvanierOptions.ParamsMode, pbe = TolvanierOptions.ParamsByExtMode;
        std::wstring why;
        if (existing.empty())
            why = L"none of the names exists";
        else if (!(pm == 0 || (pm == 1 && pbe >= 0 && pbe <= 2)))
            why = L"ParamsMode=" + std::to_wstring(pm) + L" with ParamsByExtMode=" + std::to_wstring(pbe) +
                  L" opens nothing";
        else if (!messages.empty())
            why = L"no application was found (see the message lines)";
        else if (TolvanierOptions.IfIsExtOnly && !hotkey)
            why = L"IfIsExtOnly=1 and no application is configured for these names";
        else
            why = L"the command lines would be longer than Windows allows";
        r.Line(L"nothing would start: " + why +
               (hotkey ? L"" : L"; the plugin declines and the viewer shows the file"));
        return false;
    }
    // A selection in the panel is taken only from the main window, in a viewer window or quick view.
    if (!hotkey && ApplyLoadGates(TolvanierOptions, Places()[0].origin) == GateResult::Decline &&
        ApplyLoadGates(TolvanierOptions, Places()[1].origin) == GateResult::Decline) {
        const std::wstring why = TolvanierOptions.ModalOnly ? L"ModalOnly=1" : L"TCWindow=0 and QuickView=0";
        r.Line(L"not opened: viewed from the main window the plugin declines (" + why +
               L"), so the viewer shows these names; the lines above start only for a file viewed where the "
               L"plugin takes it (see where it acts), one file at a time");
        return false;
    }
    bool allOpen = leftOut == 0 && messages.empty();
    if (hotkey) return allOpen;
    for (const std::wstring& f : existing) {
        const std::wstring quoted = config::QuoteName(f);
        const bool opened = std::any_of(lines.begin(), lines.end(), [&](const std::wstring& line) {
            return line.find(quoted) != std::wstring::npos;
        });
        if (!opened) r.Line(L"  " + f + L" would not be opened");
        allOpen = allOpen && opened;
    }
    return allOpen;
}

} // namespace

int RunCheck(const Arguments& args, const std::wstring& checkerFolder, std::wstring& out) {
    Report r{out};
    // The host INI as the plugin finds it at start.
    const bool hostIniSet = TakeHostIniFromEnvironment();

    std::wstring iniPath, why = L"given with --ini";
    if (args.ini.empty()) {
        // The file the plugin beside this program would read; found without making anything.
        const SettingsLocation settings = LocateSettingsFile(checkerFolder, TCIniName, false);
        iniPath = settings.path;
        why = WhySettingsThere(settings.place, hostIniSet);
        if (!settings.exists) {
            if (win::IsExistingFile(checkerFolder + L"IniSample\\Tolvanier.ini"))
                r.Line(L"settings: none yet; at its next start the plugin makes " + iniPath + L" (" + why +
                       L") from IniSample\\Tolvanier.ini");
            else
                r.Line(L"settings: none, and no IniSample\\Tolvanier.ini to make them from: the plugin runs "
                       L"with its defaults until a file is saved as " +
                       iniPath + L" (" + why + L")");
            r.Line(L"(--ini FILE checks another file)");
            return 2;
        }
    } else {
        iniPath = FullPath(args.ini);
    }
    std::string bytes;
    DWORD error = 0;
    if (!ReadIniBytes(iniPath, bytes, error)) {
        r.Line(L"cannot read " + iniPath + L" (" + why + L"): " + SystemMessage(error));
        return 2;
    }
    const CheckScope scope(iniPath);
    // Where the plugin keeps the path: a longer one it would not read at all.
    if (!scope.Usable()) {
        r.Line(L"cannot read " + iniPath + L": the path is longer than the plugin's 259 characters");
        return 2;
    }
    const std::wstring& hostFolder = scope.HostFolder();
    hostFolderKnown = !hostFolder.empty();

    const DecodedIni decoded = DecodeIniFile(bytes);
    misread = decoded.encoding == IniEncoding::Utf8 || decoded.encoding == IniEncoding::Utf8WithBom;
    const ParsedIni ini = ParseIni(decoded.text);

    r.Line(L"settings: " + iniPath + L" (" + why + L"; " + EncodingName(decoded.encoding) + L")");
    if (!hostIniSet)
        r.Line(L"file manager INI: none (COMMANDER_INI is not set)");
    else
        r.Line(std::wstring(L"file manager INI (COMMANDER_INI): ") + TCIniName +
               (GetFileAttributesW(TCIniName) == INVALID_FILE_ATTRIBUTES ? L" (no such file)" : L""));
    if (!hostFolderKnown)
        r.Line(
            L"file manager folder: unknown (COMMANDER_PATH is not set), so programs named without a folder "
            L"are searched in the system, Windows and PATH folders only");
    else if (!config::IsAbsolutePath(hostFolder))
        r.Line(L"file manager folder (COMMANDER_PATH): " + hostFolder + L" (not a full path: not searched)");
    else
        r.Line(L"file manager folder (COMMANDER_PATH): " + hostFolder +
               (win::IsExistingFolder(hostFolder) ? L"" : L" (no such folder)"));

    TextFindings found = FindTextProblems(ini, config::CodesOf(config::PresentLanguages()));
    std::vector<Problem> problems;
    if (const auto encoding = FindEncodingProblem(decoded, ini)) problems.push_back(*encoding);
    problems.insert(problems.end(), found.problems.begin(), found.problems.end());
    AddHostProblems(ini, hostIniSet, problems);
    AddLookupProblems(ini, problems, found.notes);
    if (decoded.encoding == IniEncoding::Ansi)
        found.notes.push_back(
            {0, L"", L"",
             L"the file is saved in the ANSI code page: its non-ASCII characters hold only while "
             L"the code page stays; UTF-16 LE (\"Unicode\" in Notepad) keeps them everywhere"});
    // In the order of the file; findings about the file as a whole come last.
    const auto byLine = [](const Problem& a, const Problem& b) {
        return (a.line ? a.line : INT_MAX) < (b.line ? b.line : INT_MAX);
    };
    std::stable_sort(problems.begin(), problems.end(), byLine);
    std::stable_sort(found.notes.begin(), found.notes.end(), byLine);
    for (const Problem& note : found.notes)
        r.Line(L"note: " + FormatProblem(note));
    for (const Problem& p : problems)
        r.Line(L"problem: " + FormatProblem(p));
    if (problems.empty()) r.Line(L"no problem found in the settings");

    DescribePlaces(r);
    r.Line(L"hotkey AppFromLister (configured application): " +
           DescribeHotkey(TolvanierOptions.AppFromLister_key, L"AppFromLister"));
    r.Line(L"hotkey DefSysAppFromLister (the system's association): " +
           DescribeHotkey(TolvanierOptions.DefSysAppFromLister_key, L"DefSysAppFromLister"));
    r.Line(DescribeFindFiles());
    r.Line(L"hotkey ChooseAppFromLister (a menu of applications): " +
           DescribeHotkey(TolvanierOptions.ChooseAppFromLister_key, L"ChooseAppFromLister"));

    const bool allOpen = args.files.empty() || DescribeSelection(args, ini, r);
    const int status = problems.empty() && allOpen ? 0 : 1;
    std::wstring result = problems.empty() ? L"no problem"
                                           : std::to_wstring(problems.size()) +
                                                 (problems.size() == 1 ? L" problem" : L" problems");
    if (!allOpen) result += L"; not every name would be opened, or a message would show";
    r.Line(L"result: " + result + L" (exit status " + std::to_wstring(status) + L")");
    return status;
}

} // namespace checker
