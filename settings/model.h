// The settings file as the settings window edits it: read once, changed only in a copy until the user
// saves, then written key by key with the platform's private-profile functions, so that comments, the
// order of lines, unknown keys and the file's UTF-16 encoding stay. Everything it shows is read through
// the plugin's own readers, lookup and builder, and the checker's report, from that copy.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "checker/ini_check.h"
#include "plugin/startup.h"
#include "settings/entries.h"
#include "settings/keys.h"

namespace settings {

struct SettingsFile {
    std::wstring path;
    bool given = false;
    // Where the plugin's search found it, and whether the host's settings file was named to the program.
    SettingsPlace place = SettingsPlace::BesideModule;
    bool hostIniSet = false;
};
// The file given with --ini, else the one the plugin beside programFolder reads, made from the sample
// where the plugin would make it.
SettingsFile LocateSettings(const std::wstring& given, const std::wstring& programFolder);

// A step the model could not take, for the window to say. While there is one, the view does not hold
// the file's values: the window shows none of them.
struct ModelFailure {
    enum class Step {
        ReadFile,    // the settings file (Save is off until it is read)
        MakeFolder,  // the folder of the scratch copies
        WriteScratch // a scratch copy of the file with the changes (Save still writes the changes)
    } step;
    std::wstring path;
    unsigned long error = 0; // the system's error code
};

class SettingsModel {
  public:
    // programFolder ends in a backslash: where the plugin and the checker lie beside this program.
    explicit SettingsModel(std::wstring programFolder);
    ~SettingsModel();
    SettingsModel(const SettingsModel&) = delete;
    SettingsModel& operator=(const SettingsModel&) = delete;

    // A file that does not exist yet is no error: saving makes it, as UTF-16 LE. False when the file
    // cannot be read (Failure says why).
    bool Open(const SettingsFile& file);
    // Reads the file again; keepChanges: the unsaved changes stay, on top of what it holds now. A file
    // that cannot be read leaves what was read before, with a failure.
    bool Reload(bool keepChanges);
    // The file's failure first, else the scratch copies'; nullopt when the view holds the file.
    std::optional<ModelFailure> Failure() const { return readFailure_ ? readFailure_ : scratchFailure_; }
    const std::wstring& ScratchFolder() const { return scratch_; }

    const SettingsFile& File() const { return file_; }
    bool Exists() const { return exists_; }
    checker::IniEncoding Encoding() const { return decoded_.encoding; }
    // The checker's first line: which file, why that one, its encoding.
    std::wstring HeaderLine() const;
    // Why saving converts the file to UTF-16 LE with a byte-order mark first; empty when it does not.
    std::wstring ConversionReason() const;

    // A key's value as the plugin reads it once the changes are saved.
    std::wstring Text(const KnownKey& key) const;
    int Number(const KnownKey& key) const;
    // Changes, none written before Save. A change back to what the file holds is no change.
    void Set(const KnownKey& key, const std::wstring& value);
    void Apply(const std::vector<KeyWrite>& writes);
    const std::vector<KeyWrite>& Changes() const { return changes_; }
    bool CanSave() const { return !readFailure_ && (ChangeCount() > 0 || !ConversionReason().empty()); }

    // The rows of [Editor] with their status: the path found, or what the checker reports for them.
    const std::vector<EditorRow>& Rows();
    // The default editor as a row: DefaultEditor and DefaultEditor_params. Both hold until the next change.
    const EditorRow& DefaultEditorRow();

    // What an edit of a row would write, and what the plugin would then start for an example file of
    // its first key (or why nothing), with the checker's problems for its keys.
    struct Preview {
        std::vector<KeyWrite> writes;
        std::wstring templateKey; // where the template goes; empty: it cannot be written now
        std::wstring text;        // lines ended by '\n'
    };
    Preview PreviewEntry(const EditorRow& before, const EntryFields& after, bool defaultEditor);

    // Section [Types] as the view holds it, and its lines with their status: why the plugin skips a
    // line, that an earlier one always takes its files first, or where the type's application is.
    struct TypeRow {
        TypeFields fields;
        std::wstring status;
        bool problem = false;
    };
    const TypesSection& Types();
    const std::vector<TypeRow>& TypeRows();
    // Puts section in place of the view's [Types]; it is written whole when saved.
    void ApplyTypes(const TypesSection& section);
    // Which of a few example names, and of files, the line of fields takes, and which the lines above
    // it take first; index: its place in the section (-1: a new line, at the end).
    std::wstring PreviewTypeLine(const TypeFields& fields, const std::vector<std::wstring>& files, int index);
    // The changed keys, and [Types] as one change.
    size_t ChangeCount() const { return changes_.size() + (typesBody_ ? 1 : 0); }

    // Whether another program changed (or removed, or made) the file since it was read.
    bool ChangedOnDisk() const;
    struct SaveResult {
        bool saved = false;
        std::wstring error;
        std::wstring effect; // what takes effect when
        size_t written = 0;
        bool converted = false;
    };
    // Refuses when the file changed on disk, or needs converting and convert is false. After a save the
    // file is read again; after a failed write the keys not yet written stay as changes.
    SaveResult Save(bool convert);

    // The checker's whole report for the file as saved, with files as one selection.
    std::wstring Report(const std::vector<std::wstring>& files) const;

  private:
    void Rebuild();
    bool WriteScratch(const std::wstring& path, const std::string& bytes,
                      const std::vector<KeyWrite>& writes);
    const std::wstring& ViewReport();
    std::wstring ScratchFile(const wchar_t* stem, unsigned n) const;
    std::wstring ExampleFile(const std::wstring& key, std::wstring& why) const;
    std::string BaseBytes() const;
    std::string WithTypes(const std::string& bytes) const;
    bool IsNoChange(const KeyWrite& write) const;
    void FillStatus(EditorRow& row, const std::wstring& report, int paramsMode);

    std::wstring programFolder_;
    std::wstring scratch_; // a folder of this process's own, ending in a backslash
    SettingsFile file_;
    bool exists_ = false;
    std::string bytes_; // as read
    checker::DecodedIni decoded_;
    std::vector<KeyWrite> changes_;
    unsigned generation_ = 0;
    std::wstring basePath_,
        viewPath_; // the file as read (converted when saving converts) and with the changes
    checker::ParsedIni base_;
    std::string viewBytes_;
    bool rowsStale_ = true;
    std::vector<EditorRow> rows_;
    // Made when first asked for after each change of the view.
    std::optional<std::wstring> viewReport_;
    std::optional<EditorRow> defaultEditorRow_;
    // The new body of [Types]; none while it is as the file holds it.
    std::optional<std::vector<std::wstring>> typesBody_;
    std::optional<TypesSection> types_;
    std::optional<std::vector<TypeRow>> typeRows_;
    std::optional<ModelFailure> readFailure_, scratchFailure_;
};

} // namespace settings
