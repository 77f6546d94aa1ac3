#include "settings/model.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <initializer_list>
#include <set>

#include "checker/check.h"
#include "config/app_lookup.h"
#include "config/commands.h"
#include "config/file_types.h"
#include "config/ini.h"
#include "plugin/startup.h"
#include "settings/texts.h"
#include "shared/state.h"
#include "win/errors.h"
#include "win/handles.h"
#include "win/paths.h"

namespace settings {
namespace {

// An application value is read one unit wider than the plugin's buffer, as its lookup does.
constexpr unsigned kValueCapacity = config::kIniValueCapacity + 1;
// The longest template the plugin reads.
constexpr unsigned kTemplateCapacity = 8136;
// Extensions the default editor's example may take: the first that nothing configures.
const wchar_t* const kUnconfiguredKeys[] = {L"unconfigured", L"tolvanier-unconfigured"};

bool WriteBytes(const std::wstring& path, const std::string& bytes, DWORD creation, DWORD& error) {
    const win::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        error = GetLastError();
        return false;
    }
    return true;
}

// The file replaced by bytes as a whole: written beside it first, so that a failure leaves it as it was.
// ReplaceFileW keeps the file's attributes and access rights.
bool ReplaceWithBytes(const std::wstring& path, const std::string& bytes, DWORD& error) {
    const std::wstring fresh = path + L".tolvanier-" + std::to_wstring(GetCurrentProcessId());
    if (!WriteBytes(fresh, bytes, CREATE_ALWAYS, error)) {
        DeleteFileW(fresh.c_str());
        return false;
    }
    if (ReplaceFileW(path.c_str(), fresh.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr) ||
        MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = GetLastError();
    DeleteFileW(fresh.c_str());
    return false;
}

// The writes, one key at a time, through the platform's profile functions; done: how many went through.
bool ApplyWrites(const std::wstring& path, const std::vector<KeyWrite>& writes, size_t& done, DWORD& error) {
    done = 0;
    for (const KeyWrite& w : writes) {
        const bool removeFirst = w.recreate || !w.value;
        if ((removeFirst &&
             !WritePrivateProfileStringW(w.section.c_str(), w.key.c_str(), nullptr, path.c_str())) ||
            (w.value &&
             !WritePrivateProfileStringW(w.section.c_str(), w.key.c_str(), w.value->c_str(), path.c_str()))) {
            error = GetLastError();
            return false;
        }
        ++done;
    }
    return true;
}

bool ReadWhole(const std::wstring& path, bool& exists, std::string& bytes, DWORD& error) {
    bytes.clear();
    exists = win::IsExistingFile(path);
    return !exists || checker::ReadIniBytes(path, bytes, error);
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    win::UniqueFind find(FindFirstFileW((folder + L"*").c_str(), &found));
    if (find) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(folder + name + L"\\");
            else
                DeleteFileW((folder + name).c_str());
        } while (FindNextFileW(find.Get(), &found));
    }
    find.Reset();
    RemoveDirectoryW(folder.c_str());
}

// What the check report says about those of keys of section that are given, in their order.
std::vector<std::wstring> ProblemsOfKeys(const std::wstring& report, const std::wstring& section,
                                         std::initializer_list<std::wstring> keys) {
    std::vector<std::wstring> problems;
    for (const std::wstring& key : keys)
        if (!key.empty())
            for (std::wstring& p : ReportedProblems(report, section, key))
                problems.push_back(std::move(p));
    return problems;
}

// Texts on one status line.
std::wstring OnOneLine(const std::vector<std::wstring>& texts) {
    std::wstring line;
    for (const std::wstring& text : texts)
        line += (line.empty() ? L"" : L" ") + checker::OneLine(text);
    return line;
}

const KnownKey& OptionKey(const wchar_t* name) {
    const KnownKey* key = FindKnownKey(L"Options", name);
    return key ? *key : KnownKeys().front(); // every name asked for is in the table
}

} // namespace

SettingsFile LocateSettings(const std::wstring& given, const std::wstring& programFolder) {
    if (!given.empty()) return {win::FullPathOf(given).value_or(given), true};
    const bool hostIniSet = checker::TakeHostIniFromEnvironment();
    const SettingsLocation at = LocateSettingsFile(programFolder, TCIniName, true);
    return {at.path, false, at.place, hostIniSet};
}

SettingsModel::SettingsModel(std::wstring programFolder) : programFolder_(std::move(programFolder)) {
    // The scratch files are checked as settings files, whose names the plugin takes in 259 characters: a
    // temporary folder longer than a plain path leaves no room for them.
    const std::wstring temp = win::TemporaryPath();
    const std::wstring& folder = !temp.empty() && temp.size() <= MAX_PATH ? temp : programFolder_;
    scratch_ = folder + L"TolvanierSettings-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    if (!CreateDirectoryW(scratch_.c_str(), nullptr) && !win::IsExistingFolder(scratch_))
        scratchFailure_ = ModelFailure{ModelFailure::Step::MakeFolder, scratch_, GetLastError()};
}

SettingsModel::~SettingsModel() {
    RemoveFolder(scratch_);
}

bool SettingsModel::Open(const SettingsFile& file) {
    file_ = file;
    changes_.clear();
    typesBody_.reset();
    return Reload(false);
}

bool SettingsModel::Reload(bool keepChanges) {
    if (!keepChanges) {
        changes_.clear();
        typesBody_.reset();
    }
    bool exists = false;
    std::string bytes;
    DWORD error = 0;
    if (ReadWhole(file_.path, exists, bytes, error)) {
        readFailure_.reset();
        exists_ = exists;
        bytes_ = std::move(bytes);
        decoded_ = checker::DecodeIniFile(bytes_);
    } else {
        readFailure_ = ModelFailure{ModelFailure::Step::ReadFile, file_.path, error};
    }
    Rebuild();
    return !readFailure_;
}

std::wstring SettingsModel::HeaderLine() const {
    // Said in the language shown, which the file itself may choose: not when the file was located.
    const std::wstring why = file_.given ? settings::Text(IDS_CHECK_GIVEN_WITH_INI)
                                         : checker::WhySettingsThere(file_.place, file_.hostIniSet);
    if (!exists_) return settings::Text(IDS_SETTINGS_HEADER_NONE, {file_.path, why});
    return settings::Text(IDS_SETTINGS_HEADER, {file_.path, why, checker::EncodingName(decoded_.encoding)});
}

std::wstring SettingsModel::ConversionReason() const {
    using checker::IniEncoding;
    if (!exists_ || decoded_.encoding == IniEncoding::Utf16Le) return L"";
    const std::wstring encoding = checker::EncodingName(decoded_.encoding);
    if (decoded_.encoding == IniEncoding::Utf16Be || decoded_.encoding == IniEncoding::Utf16NoBom)
        return settings::Text(IDS_SETTINGS_SAVED_AS_BAD_UTF16, {encoding});
    if (const std::optional<std::wstring> hidden =
            checker::SectionHiddenByMark(decoded_, checker::ParseIni(decoded_.text)))
        return settings::Text(IDS_SETTINGS_SAVED_AS_HIDDEN, {encoding, *hidden});
    if (HoldsNonAscii(decoded_.text)) return settings::Text(IDS_SETTINGS_SAVED_AS_NON_ASCII, {encoding});
    bool nonAscii = false;
    for (const KeyWrite& w : changes_)
        nonAscii = nonAscii || HoldsNonAscii(w.key) || HoldsNonAscii(w.value.value_or(L""));
    if (typesBody_)
        for (const std::wstring& line : *typesBody_)
            nonAscii = nonAscii || HoldsNonAscii(line);
    if (nonAscii) return settings::Text(IDS_SETTINGS_SAVED_AS_CHANGES_NON_ASCII, {encoding});
    return L"";
}

std::string SettingsModel::BaseBytes() const {
    if (!exists_) return "\xFF\xFE"; // a new file is UTF-16 LE from its first key on
    return ConversionReason().empty() ? bytes_ : Utf16LeWithBom(decoded_.text);
}

// bytes with the new body of [Types], in their own encoding: UTF-16 LE, or ASCII (any other text is
// converted first, see ConversionReason).
std::string SettingsModel::WithTypes(const std::string& bytes) const {
    if (!typesBody_) return bytes;
    const checker::DecodedIni decoded = checker::DecodeIniFile(bytes);
    const std::wstring text = ReplaceSectionBody(decoded.text, L"Types", *typesBody_);
    if (decoded.encoding == checker::IniEncoding::Utf16Le) return Utf16LeWithBom(text);
    std::string narrow = decoded.encoding == checker::IniEncoding::Utf8WithBom ? "\xEF\xBB\xBF" : "";
    for (wchar_t c : text)
        narrow += static_cast<char>(c);
    return narrow;
}

std::wstring SettingsModel::ScratchFile(const wchar_t* stem, unsigned n) const {
    return scratch_ + stem + L"-" + std::to_wstring(n) + L".ini";
}

// Each state gets files of new names: the platform may keep what it read of a file whose time stamp
// did not move.
void SettingsModel::Rebuild() {
    const std::wstring oldBase = basePath_, oldView = viewPath_;
    ++generation_;
    basePath_ = ScratchFile(L"base", generation_);
    viewPath_ = ScratchFile(L"view", generation_);
    const std::string base = BaseBytes();
    // Without the folder, writing says nothing new: its failure stays the one to say.
    const bool folder = !scratchFailure_ || scratchFailure_->step != ModelFailure::Step::MakeFolder;
    if (folder && WriteScratch(basePath_, base, {}) && WriteScratch(viewPath_, WithTypes(base), changes_))
        scratchFailure_.reset();
    DeleteFileW(oldBase.c_str());
    DeleteFileW(oldView.c_str());
    bool exists = false;
    DWORD error = 0;
    ReadWhole(viewPath_, exists, viewBytes_, error);
    base_ = checker::ParseIni(checker::DecodeIniFile(base).text);
    config::IniForgetReads();
    rowsStale_ = true;
    viewReport_.reset();
    defaultEditorRow_.reset();
    types_.reset();
    typeRows_.reset();
}

bool SettingsModel::WriteScratch(const std::wstring& path, const std::string& bytes,
                                 const std::vector<KeyWrite>& writes) {
    DWORD error = 0;
    size_t done = 0;
    if (WriteBytes(path, bytes, CREATE_ALWAYS, error) && ApplyWrites(path, writes, done, error)) return true;
    scratchFailure_ = ModelFailure{ModelFailure::Step::WriteScratch, path, error};
    return false;
}

// The list and the default editor both take their status from it: one run of the checker per state.
const std::wstring& SettingsModel::ViewReport() {
    if (!viewReport_) {
        checker::Arguments args;
        args.ini = viewPath_;
        std::wstring report;
        checker::RunCheck(args, programFolder_, report);
        viewReport_ = std::move(report);
    }
    return *viewReport_;
}

std::wstring SettingsModel::Text(const KnownKey& key) const {
    const unsigned capacity = key.kind == config::ValueKind::Template ? kTemplateCapacity : kValueCapacity;
    return config::IniReadString(viewPath_.c_str(), key.section, key.name, key.defaultText, capacity);
}

int SettingsModel::Number(const KnownKey& key) const {
    return config::IniReadInt(viewPath_.c_str(), key.section, key.name,
                              static_cast<int>(std::wcstol(key.defaultText, nullptr, 10)));
}

// A known key is unchanged when the plugin reads the same from it as from the file; any other line
// when it is written exactly so already (or, removed, not at all).
bool SettingsModel::IsNoChange(const KeyWrite& w) const {
    if (const KnownKey* known = FindKnownKey(w.section, w.key); known && !w.recreate) {
        const std::wstring value = w.value.value_or(known->defaultText);
        if (known->kind == config::ValueKind::Flag || known->kind == config::ValueKind::Ranged) {
            const int was =
                config::IniReadInt(basePath_.c_str(), known->section, known->name,
                                   static_cast<int>(std::wcstol(known->defaultText, nullptr, 10)));
            return checker::Lower(value) == std::to_wstring(was) ||
                   (value.empty() && std::wstring(known->defaultText) == std::to_wstring(was));
        }
        return config::IniReadString(basePath_.c_str(), known->section, known->name, known->defaultText,
                                     kTemplateCapacity) == value;
    }
    for (const checker::IniEntry* e : checker::EntriesOf(base_, w.section))
        if (checker::SameName(e->key, w.key)) return w.value && e->key == w.key && e->value == *w.value;
    return !w.value;
}

void SettingsModel::Set(const KnownKey& key, const std::wstring& value) {
    Apply({{key.section, key.name, value}});
}

void SettingsModel::Apply(const std::vector<KeyWrite>& writes) {
    for (const KeyWrite& w : writes) {
        const auto same = std::find_if(changes_.begin(), changes_.end(), [&](const KeyWrite& c) {
            return checker::SameName(c.section, w.section) && checker::SameName(c.key, w.key);
        });
        KeyWrite merged = w;
        if (same != changes_.end()) {
            merged.recreate = merged.value && (same->recreate || w.recreate || same->key != w.key);
            changes_.erase(same);
        }
        if (!IsNoChange(merged)) changes_.push_back(merged);
    }
    Rebuild();
}

void SettingsModel::FillStatus(EditorRow& row, const std::wstring& report, int paramsMode) {
    const std::vector<std::wstring> problems =
        ProblemsOfKeys(report, L"Editor", {row.appKey, row.templateKey});
    if (!problems.empty()) {
        row.status = OnOneLine(problems);
        row.problem = true;
        return;
    }
    if (row.appKey.empty()) {
        if (row.forApplication)
            row.status = paramsMode == 0 ? settings::Text(IDS_SETTINGS_TEMPLATE_OF_APPLICATION, {row.keys})
                                         : settings::Text(IDS_SETTINGS_TEMPLATE_MODE_0_ONLY);
        else
            row.status = settings::Text(paramsMode == 0 ? IDS_SETTINGS_TEMPLATE_MODE_1_ONLY
                                                        : IDS_SETTINGS_TEMPLATE_OF_KEYS,
                                        {row.keys});
        return;
    }
    if (!row.status.empty()) return;
    row.status = settings::Text(Number(OptionKey(L"UseTCExtensions")) != 0 ? IDS_SETTINGS_NOT_USED_HOST
                                                                           : IDS_SETTINGS_NOT_USED_SHADOWED);
}

const std::vector<EditorRow>& SettingsModel::Rows() {
    if (!rowsStale_) return rows_;
    const checker::ParsedIni view = checker::ParseIni(checker::DecodeIniFile(viewBytes_).text);
    const int paramsMode = Number(OptionKey(L"ParamsMode"));
    std::vector<checker::IniEntry> editor;
    for (const checker::IniEntry* e : checker::EntriesOf(view, L"Editor"))
        editor.push_back(*e);
    rows_ = RowsOfEditor(editor, paramsMode);
    const std::wstring& report = ViewReport();
    {
        const checker::CheckScope scope(viewPath_);
        // A type key of [Types] takes its application from [Editor] whatever UseTCExtensions says.
        const std::set<std::wstring> types = config::TypeKeysOf(config::ReadTypeLines());
        for (EditorRow& row : rows_) {
            if (row.appKey.empty()) continue;
            // As the plugin reads the line: unquoted, cut to its buffer.
            const std::wstring written =
                config::IniReadString(viewPath_.c_str(), L"Editor", row.appKey.c_str(), L"", kValueCapacity);
            const std::vector<std::wstring> items = row.appKey.find(L',') == std::wstring::npos
                                                        ? std::vector<std::wstring>{row.appKey}
                                                        : checker::CompositeItems(row.appKey);
            for (const std::wstring& item : items) {
                // Keys are in lower case; the lookup serves this row when it reads its line.
                const std::wstring key = checker::Lower(item);
                const config::AppLookup lookup = config::LookUpKey({key, types.count(key) > 0}, false, false);
                const bool fromEditor = lookup.source == config::AppSource::EditorKey ||
                                        lookup.source == config::AppSource::EditorComposite;
                if (!fromEditor || lookup.appText != written) continue;
                row.foundPath = lookup.found ? lookup.appPath : L"";
                row.status = lookup.found ? lookup.appPath : checker::OneLine(lookup.message);
                row.problem = !lookup.found;
                break;
            }
        }
    }
    if (paramsMode == 0) AttachApplicationTemplates(rows_);
    for (EditorRow& row : rows_)
        FillStatus(row, report, paramsMode);
    rowsStale_ = false;
    return rows_;
}

const EditorRow& SettingsModel::DefaultEditorRow() {
    if (defaultEditorRow_) return *defaultEditorRow_;
    EditorRow row;
    row.appKey = L"DefaultEditor";
    row.templateKey = L"DefaultEditor_params";
    row.application = Text(OptionKey(L"DefaultEditor"));
    row.templateText = Text(OptionKey(L"DefaultEditor_params"));
    const std::vector<std::wstring> problems =
        ProblemsOfKeys(ViewReport(), L"Options", {L"DefaultEditor", L"DefaultEditor_params"});
    const checker::CheckScope scope(viewPath_);
    const config::AppLookup lookup = config::LookUpApplication(kUnconfiguredKeys[1], true, false);
    row.foundPath = lookup.found ? lookup.appPath : L"";
    row.problem = !problems.empty() || !lookup.found;
    row.status = !problems.empty() ? OnOneLine(problems)
                 : lookup.found    ? lookup.appPath
                                   : checker::OneLine(lookup.message);
    return defaultEditorRow_.emplace(std::move(row));
}

std::wstring SettingsModel::ExampleFile(const std::wstring& key, std::wstring& why) const {
    const std::wstring& folder = scratch_;
    if (key == L":dir") {
        CreateDirectoryW((folder + L"folder").c_str(), nullptr);
        return folder + L"folder";
    }
    if (key.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos ||
        std::any_of(key.begin(), key.end(), [](wchar_t c) { return c < 32; }) || key.size() > 100) {
        why = settings::Text(IDS_SETTINGS_NO_EXAMPLE, {checker::Quote(key)});
        return L"";
    }
    const std::wstring path = folder + L"example" + (key.empty() ? L"" : L"." + key);
    const win::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        why = settings::Text(IDS_SETTINGS_EXAMPLE_NOT_MADE, {path, win::SystemErrorText(GetLastError())});
    return file ? path : L"";
}

SettingsModel::Preview SettingsModel::PreviewEntry(const EditorRow& before, const EntryFields& after,
                                                   bool defaultEditor) {
    Preview preview;
    const std::wstring previewPath = ScratchFile(L"preview", ++generation_);
    std::wstring why; // why there is no example to show
    auto writePreview = [&](const std::vector<KeyWrite>& writes) {
        DWORD error = 0;
        size_t done = 0;
        if (!WriteBytes(previewPath, viewBytes_, CREATE_ALWAYS, error) ||
            !ApplyWrites(previewPath, writes, done, error))
            why =
                settings::Text(IDS_SETTINGS_SCRATCH_NOT_WRITTEN, {previewPath, win::SystemErrorText(error)});
        config::IniForgetReads();
    };
    std::wstring exampleKey = checker::Lower(FirstItem(after.keys));
    if (defaultEditor) {
        preview.templateKey = L"DefaultEditor_params";
        for (const auto* name : {L"DefaultEditor", L"DefaultEditor_params"}) {
            const std::wstring value = checker::Trim(
                checker::SameName(name, L"DefaultEditor") ? after.application : after.templateText);
            if (value != Text(OptionKey(name))) preview.writes.push_back({L"Options", name, value});
        }
        writePreview(preview.writes);
        const checker::CheckScope scope(previewPath);
        exampleKey = kUnconfiguredKeys[1];
        for (const wchar_t* key : kUnconfiguredKeys)
            if (config::LookUpApplication(key, true, false).source == config::AppSource::DefaultEditor) {
                exampleKey = key;
                break;
            }
    } else {
        const int paramsMode = Number(OptionKey(L"ParamsMode"));
        preview.templateKey = TemplateKeyFor(after.keys, paramsMode, L"");
        preview.writes = WritesForEntry(before, after, preview.templateKey);
        if (paramsMode == 0) {
            // Templates per application: keyed by the path the plugin finds for the application.
            writePreview(preview.writes);
            const checker::CheckScope scope(previewPath);
            const config::AppLookup lookup = config::LookUpApplication(exampleKey, false, false);
            preview.templateKey = lookup.found ? lookup.appPath : L"";
            preview.writes = WritesForEntry(before, after, preview.templateKey);
        }
        writePreview(preview.writes);
    }

    const std::wstring example = why.empty() ? ExampleFile(exampleKey, why) : L"";
    std::wstring text;
    if (!example.empty()) {
        checker::Arguments args;
        args.ini = previewPath;
        args.files = {example};
        args.mode = defaultEditor ? checker::Arguments::Mode::Hotkey : checker::Arguments::Mode::Load;
        std::wstring report;
        checker::RunCheck(args, programFolder_, report);
        text = StartLinesOf(report);
        for (const std::wstring& p : ProblemsOfKeys(
                 report, defaultEditor ? L"Options" : L"Editor",
                 {defaultEditor ? L"DefaultEditor" : checker::Trim(after.keys), preview.templateKey}))
            text += (text.empty() ? L"" : L"\n") + (L"problem: " + p);
    } else {
        text = why;
    }
    DeleteFileW(previewPath.c_str());
    preview.text = text;
    return preview;
}

bool SettingsModel::ChangedOnDisk() const {
    bool exists = false;
    std::string now;
    DWORD error = 0;
    if (!ReadWhole(file_.path, exists, now, error)) return true;
    return exists != exists_ || now != bytes_;
}

SettingsModel::SaveResult SettingsModel::Save(bool convert) {
    SaveResult result;
    if (ChangedOnDisk()) {
        result.error = settings::Text(IDS_SETTINGS_CHANGED_SINCE_READ, {file_.path});
        return result;
    }
    const std::wstring conversion = ConversionReason();
    if (!conversion.empty() && !convert) {
        result.error = conversion;
        return result;
    }
    // What was on and off before, for what takes effect when.
    std::vector<std::wstring> switched;
    for (const KnownKey& k : KnownKeys()) {
        if (k.kind != config::ValueKind::KeyCode) continue;
        const bool was = !config::IniReadString(basePath_.c_str(), k.section, k.name, L"", 5).empty();
        if (was != !Text(k).empty()) switched.push_back(k.name);
    }
    const bool readEveryTime = Number(OptionKey(L"ReadOptionsEveryTime")) != 0;
    DWORD error = 0;
    // Converted, or with [Types] written whole: the file is replaced at once, so that a failure leaves
    // it as it was; then the keys, one by one.
    const std::string whole = WithTypes(BaseBytes());
    if (!exists_ && !WriteBytes(file_.path, whole, CREATE_NEW, error)) {
        result.error = settings::Text(IDS_SETTINGS_CANNOT_MAKE, {file_.path, win::SystemErrorText(error)});
        return result;
    }
    if (exists_ && whole != bytes_ && !ReplaceWithBytes(file_.path, whole, error)) {
        result.error =
            settings::Text(conversion.empty() ? IDS_SETTINGS_CANNOT_WRITE : IDS_SETTINGS_CANNOT_CONVERT,
                           {file_.path, win::SystemErrorText(error)});
        return result;
    }
    result.converted = !conversion.empty();
    const bool typesWritten = typesBody_.has_value();
    size_t done = 0;
    const bool ok = ApplyWrites(file_.path, changes_, done, error);
    result.written = done + (typesWritten ? 1 : 0);
    std::vector<KeyWrite> written(changes_.begin(), changes_.begin() + static_cast<std::ptrdiff_t>(done));
    if (typesWritten) written.push_back({L"Types", L"", std::nullopt});
    std::vector<KeyWrite> left(changes_.begin() + static_cast<std::ptrdiff_t>(done), changes_.end());
    if (!ok)
        result.error = settings::Text(IDS_SETTINGS_CANNOT_WRITE, {file_.path, win::SystemErrorText(error)});
    result.saved = ok;
    result.effect = EffectOfSave(written, readEveryTime, switched);
    Reload(false);
    changes_ = left;
    if (!left.empty()) Rebuild();
    return result;
}

// The section as changed, else as the file holds it: not from the view, whose other changes the
// platform's writer may have made it rewrite (Wine drops blank lines and blanks around "=").
const TypesSection& SettingsModel::Types() {
    if (!types_) {
        int firstLine = 0;
        types_ = SplitTypesSection(
            typesBody_ ? *typesBody_
                       : SectionBody(checker::DecodeIniFile(BaseBytes()).text, L"Types", firstLine)
                             .value_or(std::vector<std::wstring>()));
    }
    return *types_;
}

const std::vector<SettingsModel::TypeRow>& SettingsModel::TypeRows() {
    if (typeRows_) return *typeRows_;
    std::vector<config::TypeLine> lines;
    std::vector<TypeRow> rows;
    const checker::CheckScope scope(viewPath_);
    for (const TypesSection::Line& written : Types().lines) {
        // As the plugin parses the line: masks and value split at the first "=".
        const size_t eq = written.text.find(L'=');
        lines.push_back(
            config::ParseTypeLine(checker::Trim(written.text.substr(0, eq)),
                                  eq == std::wstring::npos ? L"" : checker::Trim(written.text.substr(eq + 1)),
                                  eq != std::wstring::npos));
        const config::TypeLine& line = lines.back();
        TypeRow row;
        row.fields = FieldsOfTypeLine(written.text);
        if (const std::optional<std::wstring> fault = checker::TypeLineFaultText(line)) {
            row.status = checker::OneLine(*fault);
            row.problem = true;
        } else if (const std::optional<config::AppLookup> app = config::LookUpTypeApplication(line.type)) {
            row.status = app->found ? app->appPath : checker::OneLine(app->message);
            row.problem = !app->found;
        } else {
            row.status = settings::Text(IDS_SETTINGS_TYPE_NO_APPLICATION, {line.type});
        }
        rows.push_back(std::move(row));
    }
    for (const auto& [later, earlier] : config::ShadowedTypeLines(lines)) {
        rows[later].status = settings::Text(IDS_SETTINGS_TYPE_NEVER_MATCHES, {std::to_wstring(earlier + 1)});
        rows[later].problem = true;
    }
    return typeRows_.emplace(std::move(rows));
}

void SettingsModel::ApplyTypes(const TypesSection& section) {
    std::vector<std::wstring> body = JoinTypesSection(section);
    int firstLine = 0;
    const std::optional<std::vector<std::wstring>> base =
        SectionBody(checker::DecodeIniFile(BaseBytes()).text, L"Types", firstLine);
    // As the file holds it: no change. A section written anew holds no empty line at its end.
    if (base ? *base == body : body.empty())
        typesBody_.reset();
    else
        typesBody_ = std::move(body);
    Rebuild();
}

std::wstring SettingsModel::PreviewTypeLine(const TypeFields& fields, const std::vector<std::wstring>& files,
                                            int index) {
    if (const std::optional<TypeFieldProblem> problem = ProblemWithTypeLine(fields)) return problem->text;
    const TypeFields trimmed = FieldsOfTypeLine(TypeLineText(fields));
    const config::TypeLine line = config::ParseTypeLine(
        trimmed.masks, trimmed.type + (trimmed.conditions.empty() ? L"" : L" " + trimmed.conditions));
    // The lines above it, which the plugin tries first.
    std::vector<config::TypeLine> above;
    const std::vector<TypesSection::Line>& lines = Types().lines;
    for (size_t i = 0; i < lines.size() && (index < 0 || i < static_cast<size_t>(index)); ++i) {
        const TypeFields f = FieldsOfTypeLine(lines[i].text);
        above.push_back(config::ParseTypeLine(f.masks, f.type + L" " + f.conditions));
    }
    // Names of C:\Docs\ go by their name alone; the path of the others matters to the masks.
    static const wchar_t* const kExamples[] = {L"Makefile",
                                               L"Dockerfile.dev",
                                               L"a.tar.gz",
                                               L"app.min.js",
                                               L"server.log",
                                               L"server.log.1",
                                               L"debug.log",
                                               L"LICENSE",
                                               L"C:\\Users\\me\\Projects\\notes.txt",
                                               L"C:\\src\\app\\.git\\"};
    std::wstring taken, first, left;
    const auto add = [](std::wstring& list, const std::wstring& text) {
        list += (list.empty() ? L"" : L", ") + text;
    };
    for (const std::wstring example : kExamples) {
        const bool path = example.find(L'\\') != std::wstring::npos, folder = example.back() == L'\\';
        const config::TypeSubject subject =
            config::SubjectOf(path ? example : L"C:\\Docs\\" + example, folder);
        const std::wstring name = folder ? settings::Text(IDS_SETTINGS_THE_FOLDER, {example}) : example;
        if (!config::MasksMatch(line, subject)) {
            add(left, name);
            continue;
        }
        // A line above without conditions takes it whatever the file holds.
        const auto before = std::find_if(above.begin(), above.end(), [&](const config::TypeLine& l) {
            return l.Usable() && l.conditions.empty() && config::MasksMatch(l, subject);
        });
        if (before == above.end())
            add(taken, name);
        else
            add(first,
                settings::Text(IDS_SETTINGS_ON_LINE, {name, std::to_wstring(before - above.begin() + 1)}));
    }
    const std::wstring none = settings::Text(IDS_SETTINGS_NONE);
    std::wstring text =
        settings::Text(line.conditions.empty() || taken.empty() ? IDS_SETTINGS_TAKES : IDS_SETTINGS_TAKES_IF,
                       {taken.empty() ? none : taken});
    if (!first.empty()) text += L"\n" + settings::Text(IDS_SETTINGS_TAKEN_FIRST_ABOVE, {first});
    text += L"\n" + settings::Text(IDS_SETTINGS_DOES_NOT_TAKE, {left.empty() ? none : left});
    if (files.empty()) text += L"\n" + settings::Text(IDS_SETTINGS_DROP_FILES);
    for (const std::wstring& file : files) {
        const uint8_t kind = FileExists(file);
        std::wstring result;
        if (kind == 0) {
            result = settings::Text(IDS_SETTINGS_NO_SUCH_FILE);
        } else if (!config::MasksMatch(line, config::SubjectOf(file, kind == 16))) {
            result = settings::Text(IDS_SETTINGS_MASKS_DO_NOT_TAKE);
        } else {
            config::FileFacts facts(file);
            const config::TypeSubject subject = config::SubjectOf(file, kind == 16);
            const std::optional<size_t> before = config::FirstTakingLine(above, subject, facts);
            result = before ? settings::Text(IDS_SETTINGS_TAKEN_FIRST_BY, {std::to_wstring(*before + 1)})
                     : config::ConditionsHold(line, kind == 16, facts) ? settings::Text(IDS_SETTINGS_TAKEN)
                     : kind == 16 ? settings::Text(IDS_SETTINGS_FOLDER_NO_CONDITION)
                                  : settings::Text(IDS_SETTINGS_CONDITIONS_FAIL);
        }
        text += L"\n" + settings::Text(IDS_SETTINGS_FILE_RESULT, {file, result});
    }
    return text;
}

std::wstring SettingsModel::Report(const std::vector<std::wstring>& files) const {
    checker::Arguments args;
    if (file_.given) args.ini = file_.path;
    args.files = files;
    std::wstring report;
    checker::RunCheck(args, programFolder_, report);
    return report;
}

} // namespace settings
