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
#include "config/messages.h"
#include "config/open_with.h"
#include "config/option_table.h"
#include "config/options.h"
#include "config/params.h"
#include "config/program_search.h"
#include "config/texts.h"
#include "host/host_text.h"
#include "host/hotkeys.h"
#include "lang/ids.h"
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

using config::Text;

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
    case SettingsPlace::BesideModule: return Text(IDS_CHECK_BESIDE_PLUGIN);
    case SettingsPlace::BesideHostSettings: return Text(IDS_CHECK_BESIDE_HOST_SETTINGS);
    case SettingsPlace::UserAppData:
        return Text(hostIniSet ? IDS_CHECK_IN_APPDATA : IDS_CHECK_IN_APPDATA_NO_HOST_INI);
    }
    return L"";
}

namespace {

std::wstring FullPath(const std::wstring& name) {
    return win::FullPathOf(name).value_or(name);
}

} // namespace

std::wstring LanguageOfSettings(const Arguments& args, const std::wstring& checkerFolder) {
    TakeHostIniFromEnvironment();
    const std::wstring path =
        args.ini.empty() ? LocateSettingsFile(checkerFolder, TCIniName, false).path : FullPath(args.ini);
    return config::ReadOptionText(path.c_str(), L"Options", L"Language", config::kIniValueCapacity);
}

namespace {} // namespace

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

// The report's lines. A line may begin with a mark that scripts read ("problem: ", "start: "): the
// marks are the same in every language, never texts of the resources; what follows them is.
struct Report {
    std::wstring& out;
    void Line(const std::wstring& text) { out += text + L"\n"; }
    void Line(const wchar_t* mark, const std::wstring& text) { out += mark + text + L"\n"; }
};

// Whether the file is read in the ANSI code page while written in another encoding.
bool misread = false;

std::wstring LookupAdvice(const config::AppLookup& lookup) {
    const bool nonAscii =
        std::any_of(lookup.appText.begin(), lookup.appText.end(), [](wchar_t c) { return c >= 0x80; });
    if (misread && nonAscii) return Text(IDS_CHECK_ADVICE_MISREAD);
    if (lookup.source == config::AppSource::DefaultEditor) return Text(IDS_CHECK_ADVICE_DEFAULT_EDITOR);
    const std::wstring& path = lookup.notFound;
    if (path.find(L'%') != std::wstring::npos) return Text(IDS_CHECK_ADVICE_VARIABLE);
    if ((path.size() >= 2 && path[1] == L':') || config::IsAbsolutePath(path))
        return Text(IDS_CHECK_ADVICE_FULL_PATH);
    return Text(hostFolderKnown ? IDS_CHECK_ADVICE_SEARCHED : IDS_CHECK_ADVICE_SEARCHED_NO_HOST_FOLDER);
}

// written: the key as the host INI writes it, for a key of its [Extensions].
void AddLookupProblem(const config::GroupKey& key, const ParsedIni& ini, std::vector<Problem>& problems,
                      std::set<std::pair<int, std::wstring>>& reported, const std::wstring& written = L"") {
    const std::wstring& ext = key.key;
    const config::AppLookup lookup = config::LookUpKey(key, false, false);
    if (lookup.message.empty() || lookup.source == config::AppSource::DefaultEditor) return;
    Problem p;
    p.text = Text(IDS_CHECK_WOULD_SHOW, {OneLine(lookup.message), LookupAdvice(lookup)});
    if (lookup.source == config::AppSource::HostExtensions) {
        p.section = L"Extensions";
        p.key = written.empty() ? ext : written;
        p.text = Text(IDS_CHECK_WOULD_SHOW_IN, {OneLine(lookup.message), LookupAdvice(lookup), TCIniName});
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
                 Text(types.empty() ? IDS_CHECK_EDITOR_UNUSED : IDS_CHECK_EDITOR_UNUSED_BUT_TYPES)});
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
        problems.push_back({e ? e->line : 0, L"Options", e ? e->key : L"DefaultEditor",
                            Text(IDS_CHECK_WOULD_SHOW, {OneLine(editor.message), LookupAdvice(editor)})});
    }
}

void AddHostProblems(const ParsedIni& ini, bool hostIniSet, std::vector<Problem>& problems) {
    if (!TolvanierOptions.UseTCExtensions) return;
    const IniEntry* e = FindEntry(ini, L"Options", L"UseTCExtensions");
    const std::wstring key = e ? e->key : L"UseTCExtensions";
    const int line = e ? e->line : 0;
    if (!hostIniSet)
        problems.push_back({line, L"Options", key, Text(IDS_CHECK_NO_HOST_INI)});
    else if (!TCIniName[0] || GetFileAttributesW(TCIniName) == INVALID_FILE_ATTRIBUTES)
        problems.push_back({line, L"Options", key, Text(IDS_CHECK_HOST_INI_MISSING, {TCIniName})});
}

struct Place {
    unsigned what;
    LoadOrigin origin;
    const wchar_t* option;
    bool TTolvanierOptions::*field;
};

const std::vector<Place>& Places() {
    static const std::vector<Place> places = {
        {IDS_CHECK_PLACE_VIEWER_WINDOW,
         {true, TCMainWindowClasName, false},
         L"TCWindow",
         &TTolvanierOptions::TCWindow},
        {IDS_CHECK_PLACE_QUICK_VIEW,
         {true, TCMainWindowClasName, true},
         L"QuickView",
         &TTolvanierOptions::QuickView},
        {IDS_CHECK_PLACE_FIND_FILES,
         {true, TCFindFileClasName, false},
         L"FindFiles",
         &TTolvanierOptions::FindFiles},
        {IDS_CHECK_PLACE_SYNC_DIRS,
         {true, TCSyncDirsClasName, false},
         L"SyncDirs",
         &TTolvanierOptions::SyncDirs},
        {IDS_CHECK_PLACE_OVERWRITE,
         {true, kOverWriteFormClassName, false},
         L"OverWrite",
         &TTolvanierOptions::OverWrite},
        {IDS_CHECK_PLACE_ACTIVE_VIEWER,
         {true, TCListerClasName, false},
         L"Lister4",
         &TTolvanierOptions::Lister4},
        {IDS_CHECK_PLACE_NO_ACTIVE_WINDOW,
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
        r.Line(takes ? L"  takes:    " : L"  declines: ", Text(p.what) + L" (" + why + L")");
    }
    r.Line(L"  " +
           Text(o.ScrollLockControl ? IDS_CHECK_ONLY_WITH_SCROLL_LOCK : IDS_CHECK_WHATEVER_SCROLL_LOCK));
}

std::wstring DescribeHotkey(bool enabled, const wchar_t* name) {
    const std::wstring keyName = std::wstring(name) + L"_key";
    const std::wstring modName = std::wstring(name) + L"_mod";
    if (!enabled) return Text(IDS_CHECK_HOTKEY_OFF, {keyName});
    // Read as the hotkey procedure reads them: the code, and the modifiers into 4 units.
    const int code = config::IniReadInt(OptionsIniName, L"HotKeys", keyName.c_str(), 0);
    const std::wstring mod = config::IniReadString(OptionsIniName, L"HotKeys", modName.c_str(), L"", 4);
    if (code == 0) return Text(IDS_CHECK_HOTKEY_CODE_0);
    const ModifierSpec held = ParseModifierSpec(mod.substr(0, 3));
    const std::wstring codeName = KeyNameOfCode(code);
    const std::wstring keyText =
        codeName.empty() ? Text(IDS_CHECK_KEY_CODE, {std::to_wstring(code)}) : codeName;
    const bool anyHeld = held.shift || held.ctrl || held.alt;
    const std::wstring combination = (anyHeld ? DescribeModifiers(mod) + L"+" : L"") + keyText;
    return Text(IDS_CHECK_HOTKEY_ON,
                {combination, keyName + L"=" + std::to_wstring(code) + L", " + modName + L"=" + mod});
}

// Where the plugin looks for the Find Files dialog's controls, read as it reads them.
std::wstring DescribeFindFiles() {
    if (!TolvanierOptions.CopySearchTextToClip) return Text(IDS_CHECK_SEARCH_TEXT_NOT_COPIED);
    const auto place = [](const TCPosKeys& keys) {
        return std::to_wstring(config::ReadOptionNumber(OptionsIniName, L"TCPos", keys.leftKey)) + L"," +
               std::to_wstring(config::ReadOptionNumber(OptionsIniName, L"TCPos", keys.topKey));
    };
    return Text(IDS_CHECK_SEARCH_TEXT_COPIED, {place(kSearchTextCheckBoxPos), place(kSearchTextComboPos),
                                               std::to_wstring(kPositionTolerance)});
}

std::wstring Names(size_t n) {
    return config::CountText(IDS_CHECK_NAMES_1, n);
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
    const std::wstring written = Quote(line.masks + (line.hasEquals ? L"=" + line.value : L""));
    std::wstring text =
        place >= 1 && place <= entries.size()
            ? Text(IDS_CHECK_TYPES_LINE_OF_FILE,
                   {std::to_wstring(place), std::to_wstring(typed.lines.size()),
                    std::to_wstring(entries[place - 1]->line), written, line.type})
            : Text(IDS_CHECK_TYPES_LINE,
                   {std::to_wstring(place), std::to_wstring(typed.lines.size()), written, line.type});
    const auto known = typed.typeHasApplication.find(line.type);
    if (known == typed.typeHasApplication.end() || !known->second)
        text += Text(IDS_CHECK_TYPE_WITHOUT_APPLICATION);
    return text;
}

std::wstring KeyLabel(const std::wstring& key) {
    if (key.empty()) return Text(IDS_CHECK_NO_EXTENSION);
    if (key == config::kDirectoryKey) return Text(IDS_CHECK_FOLDERS);
    return Text(IDS_CHECK_EXTENSION_KEY, {key});
}

std::wstring DescribeSource(const config::AppLookup& l, const std::wstring& key, const ParsedIni& ini) {
    switch (l.source) {
    case config::AppSource::SystemAssociation:
        if (l.systemFallback && !l.openWithShell)
            return Text(IDS_CHECK_FALLBACK_PROGRAM, {key, Quote(l.appText)});
        if (l.systemFallback && l.appText.empty()) return Text(IDS_CHECK_FALLBACK_HANDLER, {key});
        if (l.systemFallback) return Text(IDS_CHECK_FALLBACK_COMMAND, {key, l.appText});
        if (l.openWithShell && l.appText.empty()) return Text(IDS_CHECK_ASSOCIATION_HANDLER, {key});
        if (l.openWithShell) return Text(IDS_CHECK_ASSOCIATION_COMMAND, {key, l.appText});
        return Text(IDS_CHECK_ASSOCIATION_PROGRAM, {key, Quote(l.appText)});
    case config::AppSource::HostExtensions:
        return Text(IDS_CHECK_HOST_EXTENSIONS, {key, TCIniName, Quote(l.appText)});
    case config::AppSource::EditorKey: {
        const IniEntry* e = FindEntry(ini, L"Editor", key);
        return L"[Editor] " + (e ? e->key : key) + L"=" + l.appText;
    }
    case config::AppSource::EditorComposite: {
        const IniEntry* e = FindCompositeEntry(ini, key, true);
        return L"[Editor] " + (e ? e->key : Text(IDS_CHECK_A_COMPOSITE_KEY)) + L"=" + l.appText;
    }
    case config::AppSource::DefaultEditor: {
        const IniEntry* e = FindEntry(ini, L"Options", L"DefaultEditor");
        return Text(e ? IDS_CHECK_DEFAULT_EDITOR : IDS_CHECK_DEFAULT_EDITOR_NOT_WRITTEN, {l.appText});
    }
    case config::AppSource::None: break;
    }
    return Text(IDS_CHECK_NONE);
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
        return source.empty() ? Text(IDS_CHECK_TEMPLATE_NONE) : Text(IDS_CHECK_TEMPLATE_EMPTY, {source});
    if (written == expanded) return Text(IDS_CHECK_TEMPLATE_FROM, {source + L"=" + written});
    return Text(IDS_CHECK_TEMPLATE_EXPANDED, {source + L"=" + written, expanded});
}

std::wstring GroupingText() {
    const int pm = TolvanierOptions.ParamsMode, pbe = TolvanierOptions.ParamsByExtMode;
    const std::wstring set =
        L"ParamsMode=" + std::to_wstring(pm) + L", ParamsByExtMode=" + std::to_wstring(pbe);
    if (pm == 0) return Text(IDS_CHECK_GROUPING_MODE0, {set});
    if (pm == 1 && pbe == 0) return Text(IDS_CHECK_GROUPING_PER_APPLICATION, {set});
    if (pm == 1 && pbe == 1) return Text(IDS_CHECK_GROUPING_PER_EXTENSION, {set});
    if (pm == 1 && pbe == 2) return Text(IDS_CHECK_GROUPING_PER_FILE, {set});
    return Text(IDS_CHECK_GROUPING_NONE, {set});
}

std::wstring ChoiceSourceText(config::OpenWithSource source, const std::wstring& key) {
    switch (source) {
    case config::OpenWithSource::FirstHotkey: return Text(IDS_CHECK_CHOICE_FIRST_HOTKEY);
    case config::OpenWithSource::SystemAssociation: return Text(IDS_CHECK_CHOICE_ASSOCIATION, {key});
    case config::OpenWithSource::UserOpenWithList: return Text(IDS_CHECK_CHOICE_RECENT, {key});
    case config::OpenWithSource::UserOpenWithProgids: return Text(IDS_CHECK_CHOICE_USER_FILE_TYPE, {key});
    case config::OpenWithSource::OpenWithProgids: return Text(IDS_CHECK_CHOICE_FILE_TYPE, {key});
    case config::OpenWithSource::OpenWithList: return Text(IDS_CHECK_CHOICE_APPLICATION, {key});
    case config::OpenWithSource::DefaultEditor: return Text(IDS_CHECK_CHOICE_DEFAULT_EDITOR);
    }
    return L"";
}

// The third hotkey's menu for one file: its items in order, each with what choosing it starts.
// Returns whether the menu would list an application.
bool DescribeMenu(const std::wstring& file, const ParsedIni& ini, Report& r) {
    r.Line(Text(IDS_CHECK_THIRD_HOTKEY));
    if (!TolvanierOptions.ChooseAppFromLister_key) r.Line(L"note: ", Text(IDS_CHECK_MENU_OFF));
    const uint8_t kind = FileExists(file);
    if (kind == 0) {
        r.Line(L"  " + Text(IDS_CHECK_NO_MENU_FOR_MISSING_FILE, {file}));
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
            r.Line(L"     start: ", c.commandLine);
        else
            r.Line(L"     start: ", (c.shellClass.empty() ? Text(IDS_CHECK_SHELL_OPENS)
                                                          : Text(IDS_CHECK_SHELL_OPENS_AS, {c.shellClass})) +
                                        L" " + Quote(file));
    }
    const bool dialog = SystemHasOpenWithDialog() && kind == 1;
    if (dialog) r.Line(L"  " + Text(IDS_CHECK_MENU_DIALOG, {Text(IDS_CHOOSE_ANOTHER_APPLICATION)}));
    if (choices.empty()) r.Line(Text(dialog ? IDS_CHECK_MENU_ONLY_DIALOG : IDS_CHECK_NO_MENU));
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
        r.Line(Text(IDS_CHECK_SELECTION, {Names(files.size())}));
    } else {
        const bool on =
            system ? TolvanierOptions.DefSysAppFromLister_key : TolvanierOptions.AppFromLister_key;
        r.Line(Text(system                                   ? IDS_CHECK_SECOND_HOTKEY
                    : TolvanierOptions.UseSystemAssociations ? IDS_CHECK_FIRST_HOTKEY_ASSOCIATIONS
                                                             : IDS_CHECK_FIRST_HOTKEY));
        if (!on) r.Line(L"note: ", Text(IDS_CHECK_HOTKEY_IS_OFF));
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
            r.Line(L"  " + Text(IDS_CHECK_LEFT_OUT, {f}));
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
               (copy ? Text(IDS_CHECK_COPY_FROM_ARCHIVE) : L"") + L")");
    }
    if (!hotkey && !keys.empty()) r.Line(L"grouping: ", GroupingText());
    for (const auto& [groupKey, counts] : keys) {
        const std::wstring& key = groupKey.first;
        const config::AppLookup l = config::LookUpKey({key, groupKey.second}, hotkey, system);
        const auto [count, byType] = counts;
        const std::wstring label = byType == 0       ? KeyLabel(key)
                                   : byType == count ? Text(IDS_CHECK_TYPE_KEY, {key})
                                                     : Text(IDS_CHECK_TYPE_AND_EXTENSION_KEY, {key});
        r.Line(label + L", " + Names(count) + L":");
        if (l.source != config::AppSource::None || !l.appText.empty())
            r.Line(L"  " + Text(IDS_CHECK_APPLICATION_FROM, {DescribeSource(l, key, ini)}));
        if (l.openWithShell) {
            r.Line(L"  " + Text(IDS_CHECK_SHELL_OPENS_FILE));
        } else if (l.found) {
            r.Line(L"  found: ", l.appPath);
            r.Line(L"  " + DescribeTemplate(l, key, ini));
        } else if (!l.message.empty()) {
            r.Line(L"  not found: ", Text(IDS_CHECK_NOT_FOUND));
        } else {
            r.Line(L"  " + Text(IDS_CHECK_LEFT_TO_VIEWER));
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
        r.Line(L"message: ", OneLine(m));
    if (hotkey && lines.size() > 1) lines.resize(1); // a hotkey starts the first line only
    for (const std::wstring& line : lines)
        r.Line(L"start: ",
               (SplitCommandLine(line).arguments.empty() ? Text(IDS_CHECK_SHELL_OPENS) + L" " : L"") + line);

    if (lines.empty()) {
        const int pm = TolvanierOptions.ParamsMode, pbe = TolvanierOptions.ParamsByExtMode;
        std::wstring why;
        if (existing.empty())
            why = Text(IDS_CHECK_NO_NAME_EXISTS);
        else if (!(pm == 0 || (pm == 1 && pbe >= 0 && pbe <= 2)))
            why = Text(IDS_CHECK_MODES_OPEN_NOTHING,
                       {L"ParamsMode=" + std::to_wstring(pm), L"ParamsByExtMode=" + std::to_wstring(pbe)});
        else if (!messages.empty())
            why = Text(IDS_CHECK_NO_APPLICATION_FOUND);
        else if (TolvanierOptions.IfIsExtOnly && !hotkey)
            why = Text(IDS_CHECK_NOTHING_CONFIGURED);
        else
            why = Text(IDS_CHECK_TOO_LONG);
        r.Line(L"nothing would start: ", hotkey ? why : Text(IDS_CHECK_VIEWER_SHOWS_FILE, {why}));
        return false;
    }
    // A selection in the panel is taken only from the main window, in a viewer window or quick view.
    if (!hotkey && ApplyLoadGates(TolvanierOptions, Places()[0].origin) == GateResult::Decline &&
        ApplyLoadGates(TolvanierOptions, Places()[1].origin) == GateResult::Decline) {
        const std::wstring why = TolvanierOptions.ModalOnly
                                     ? L"ModalOnly=1"
                                     : Text(IDS_CHECK_AND, {L"TCWindow=0", L"QuickView=0"});
        r.Line(L"not opened: ", Text(IDS_CHECK_NOT_OPENED, {why}));
        return false;
    }
    bool allOpen = leftOut == 0 && messages.empty();
    if (hotkey) return allOpen;
    for (const std::wstring& f : existing) {
        const std::wstring quoted = config::QuoteName(f);
        const bool opened = std::any_of(lines.begin(), lines.end(), [&](const std::wstring& line) {
            return line.find(quoted) != std::wstring::npos;
        });
        if (!opened) r.Line(L"  " + Text(IDS_CHECK_WOULD_NOT_BE_OPENED, {f}));
        allOpen = allOpen && opened;
    }
    return allOpen;
}

} // namespace

int RunCheck(const Arguments& args, const std::wstring& checkerFolder, std::wstring& out) {
    Report r{out};
    // The host INI as the plugin finds it at start.
    const bool hostIniSet = TakeHostIniFromEnvironment();

    std::wstring iniPath, why = Text(IDS_CHECK_GIVEN_WITH_INI);
    if (args.ini.empty()) {
        // The file the plugin beside this program would read; found without making anything.
        const SettingsLocation settings = LocateSettingsFile(checkerFolder, TCIniName, false);
        iniPath = settings.path;
        why = WhySettingsThere(settings.place, hostIniSet);
        if (!settings.exists) {
            if (win::IsExistingFile(checkerFolder + L"IniSample\\Tolvanier.ini"))
                r.Line(L"settings: ", Text(IDS_CHECK_SETTINGS_NONE_YET, {iniPath, why}));
            else
                r.Line(L"settings: ", Text(IDS_CHECK_SETTINGS_NONE, {iniPath, why}));
            r.Line(Text(IDS_CHECK_INI_CHECKS_ANOTHER));
            return 2;
        }
    } else {
        iniPath = FullPath(args.ini);
    }
    std::string bytes;
    DWORD error = 0;
    if (!ReadIniBytes(iniPath, bytes, error)) {
        r.Line(Text(IDS_CHECK_CANNOT_READ, {iniPath, why, config::ErrorText(error)}));
        return 2;
    }
    const CheckScope scope(iniPath);
    // Where the plugin keeps the path: a longer one it would not read at all.
    if (!scope.Usable()) {
        r.Line(Text(IDS_CHECK_PATH_TOO_LONG, {iniPath}));
        return 2;
    }
    const std::wstring& hostFolder = scope.HostFolder();
    hostFolderKnown = !hostFolder.empty();

    const DecodedIni decoded = DecodeIniFile(bytes);
    misread = decoded.encoding == IniEncoding::Utf8 || decoded.encoding == IniEncoding::Utf8WithBom;
    const ParsedIni ini = ParseIni(decoded.text);

    r.Line(L"settings: ", iniPath + L" (" + why + L"; " + EncodingName(decoded.encoding) + L")");
    if (!hostIniSet)
        r.Line(L"file manager INI: ", Text(IDS_CHECK_NO_HOST_INI_SET));
    else
        r.Line(L"file manager INI (COMMANDER_INI): ",
               TCIniName + (GetFileAttributesW(TCIniName) == INVALID_FILE_ATTRIBUTES
                                ? L" " + Text(IDS_CHECK_NO_SUCH_FILE)
                                : std::wstring()));
    if (!hostFolderKnown)
        r.Line(L"file manager folder: ", Text(IDS_CHECK_HOST_FOLDER_UNKNOWN));
    else if (!config::IsAbsolutePath(hostFolder))
        r.Line(L"file manager folder (COMMANDER_PATH): ",
               hostFolder + L" " + Text(IDS_CHECK_NOT_A_FULL_PATH));
    else
        r.Line(L"file manager folder (COMMANDER_PATH): ",
               hostFolder +
                   (win::IsExistingFolder(hostFolder) ? L"" : L" " + Text(IDS_CHECK_NO_SUCH_FOLDER)));

    TextFindings found = FindTextProblems(ini, config::CodesOf(config::PresentLanguages()));
    std::vector<Problem> problems;
    if (const auto encoding = FindEncodingProblem(decoded, ini)) problems.push_back(*encoding);
    problems.insert(problems.end(), found.problems.begin(), found.problems.end());
    AddHostProblems(ini, hostIniSet, problems);
    AddLookupProblems(ini, problems, found.notes);
    if (decoded.encoding == IniEncoding::Ansi)
        found.notes.push_back({0, L"", L"", Text(IDS_CHECK_ANSI_NOTE)});
    // In the order of the file; findings about the file as a whole come last.
    const auto byLine = [](const Problem& a, const Problem& b) {
        return (a.line ? a.line : INT_MAX) < (b.line ? b.line : INT_MAX);
    };
    std::stable_sort(problems.begin(), problems.end(), byLine);
    std::stable_sort(found.notes.begin(), found.notes.end(), byLine);
    for (const Problem& note : found.notes)
        r.Line(L"note: ", FormatProblem(note));
    for (const Problem& p : problems)
        r.Line(L"problem: ", FormatProblem(p));
    if (problems.empty()) r.Line(Text(IDS_CHECK_NO_PROBLEM_FOUND));

    DescribePlaces(r);
    r.Line(L"hotkey AppFromLister (configured application): ",
           DescribeHotkey(TolvanierOptions.AppFromLister_key, L"AppFromLister"));
    r.Line(L"hotkey DefSysAppFromLister (the system's association): ",
           DescribeHotkey(TolvanierOptions.DefSysAppFromLister_key, L"DefSysAppFromLister"));
    r.Line(L"Find Files search text: ", DescribeFindFiles());
    r.Line(L"hotkey ChooseAppFromLister (a menu of applications): ",
           DescribeHotkey(TolvanierOptions.ChooseAppFromLister_key, L"ChooseAppFromLister"));

    const bool allOpen = args.files.empty() || DescribeSelection(args, ini, r);
    const int status = problems.empty() && allOpen ? 0 : 1;
    std::wstring result = problems.empty() ? Text(IDS_CHECK_NO_PROBLEM)
                                           : config::CountText(IDS_CHECK_PROBLEMS_1, problems.size());
    if (!allOpen) result = Text(IDS_CHECK_NOT_EVERY_NAME_OPENS, {result});
    r.Line(L"result: ", Text(IDS_CHECK_RESULT, {result, std::to_wstring(status)}));
    return status;
}

} // namespace checker
