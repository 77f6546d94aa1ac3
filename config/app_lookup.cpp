#include "config/app_lookup.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "config/command_text.h"
#include "config/ini.h"
#include "config/options.h"
#include "config/params.h"
#include "plugin/state.h"
#include "win/handles.h"
#include "win/text.h"

namespace {

// Longest application text or path that the 260-unit buffers hold.
constexpr size_t kAppTextLimit = kAppPathCapacity - 1;
const std::wstring kClassesRoot = L"HKEY_CLASSES_ROOT\\";

void ShowLookupMessageBox(const std::wstring& text) {
    // The user may mend the configuration while the box is open: what a key event reads meanwhile,
    // and what is read after it, comes from the files as they are then.
    config::IniForgetReads();
    MessageBoxW(hwMain, text.c_str(), L"Tolvanier", 0x10);
    config::IniForgetReads();
}

config::LookupMessageSink messageSink = ShowLookupMessageBox;

// A direct value, read one unit wider than the application buffer so that a longer value is seen
// whole (and refused) rather than cut into another path.
std::wstring ReadAppValue(const wchar_t* ini, const wchar_t* section, const std::wstring& key) {
    return config::IniReadString(ini, section, key.c_str(), L"", config::kIniValueCapacity + 1);
}

// The default value of HKEY_CLASSES_ROOT\keyPath as text of at most 259 units, whatever its type.
// Gives message 1 or 2 and returns nullopt when the key or the value is missing or too long.
std::optional<std::wstring> ReadClassesRootDefault(const std::wstring& keyPath, std::wstring& message) {
    win::UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
        message = L"Not found registry key:\n" + kClassesRoot + keyPath;
        return std::nullopt;
    }
    wchar_t data[kAppPathCapacity];
    DWORD bytes = sizeof(data);
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &bytes) !=
        ERROR_SUCCESS) {
        message = L"Not found default value for registry key:\n" + kClassesRoot + keyPath;
        return std::nullopt;
    }
    // The stored text need not be terminated; it ends at its first terminator or its last unit.
    const size_t length = win::BoundedLength(data, bytes / sizeof(wchar_t));
    if (length > kAppTextLimit) {
        message = L"Not found default value for registry key:\n" + kClassesRoot + keyPath;
        return std::nullopt;
    }
    return std::wstring(data, length);
}

// The application text of the system's "open" command for ext; nullopt with a message.
std::optional<std::wstring> ReadSystemAssociation(const std::wstring& ext, std::wstring& message) {
    const std::wstring extKey = L"." + ext + L"\\";
    const std::optional<std::wstring> className = ReadClassesRootDefault(extKey, message);
    if (!className) return std::nullopt;
    const std::optional<std::wstring> command =
        ReadClassesRootDefault(*className + L"\\shell\\open\\command\\", message);
    if (!command) return std::nullopt;
    std::optional<std::wstring> program = config::CutRegistryCommand(*command);
    if (!program) message = L"Bad path in registry:\n" + *command;
    return program;
}

// SearchPathW into a 260-unit result; a hit whose full path would not fit counts as no hit.
std::optional<std::wstring> SearchFor(const wchar_t* directory, const std::wstring& file,
                                      const wchar_t* ext) {
    if (file.empty()) return std::nullopt;
    wchar_t found[kAppPathCapacity];
    const DWORD n = SearchPathW(directory, file.c_str(), ext, kAppPathCapacity, found, nullptr);
    if (n == 0 || n >= kAppPathCapacity) return std::nullopt;
    return std::wstring(found, n);
}

// The configured application: a drive means its own folder only and the text stays as written;
// otherwise the standard search order, then the base name with ".exe".
std::optional<std::wstring> ResolveConfiguredApp(const std::wstring& app) {
    const config::PathParts parts = config::SplitPath(app);
    const std::wstring file = parts.baseName + parts.extension;
    if (!parts.drive.empty()) {
        const std::wstring folder = parts.drive + parts.directory;
        if (SearchFor(folder.c_str(), file, nullptr)) return app;
        return std::nullopt;
    }
    if (auto hit = SearchFor(nullptr, file, nullptr)) return hit;
    return SearchFor(nullptr, parts.baseName, L".exe");
}

std::optional<std::wstring> ResolveDefaultEditor(const std::wstring& editor) {
    const config::PathParts parts = config::SplitPath(editor);
    const std::wstring folder = parts.drive + parts.directory;
    const std::wstring file = parts.baseName + parts.extension;
    if (auto hit = SearchFor(folder.c_str(), file, nullptr)) return hit;
    if (auto hit = SearchFor(nullptr, file, nullptr)) return hit;
    return SearchFor(nullptr, parts.baseName, L".exe");
}

} // namespace

namespace config {

LookupMessageSink SetLookupMessageSink(LookupMessageSink sink) {
    return std::exchange(messageSink, sink ? sink : ShowLookupMessageBox);
}

AppLookup LookUpApplication(const std::wstring& key, bool forceDefaultEditor, bool useSystemAssociation) {
    AppLookup result;
    if (useSystemAssociation) {
        std::optional<std::wstring> program = ReadSystemAssociation(key, result.message);
        if (!program) return result;
        result.source = AppSource::SystemAssociation;
        result.appText = std::move(*program);
    } else if (TolvanierOptions.UseTCExtensions) {
        // Read wider than the buffer: the cut at the last "^" may leave a text that fits.
        result.source = AppSource::HostExtensions;
        result.appText =
            CutAtLastCaret(IniReadString(TCIniName, L"Extensions", key.c_str(), L"", kIniSectionCapacity));
    } else {
        result.source = AppSource::EditorKey;
        result.appText = ReadAppValue(OptionsIniName, L"Editor", key);
        if (result.appText.empty()) {
            if (auto composite = FindCompositeValue(IniReadSection(OptionsIniName, L"Editor"), key, true)) {
                result.source = AppSource::EditorComposite;
                result.appText = std::move(*composite);
            }
        }
    }

    // A text or expansion longer than the buffer is never cut into a path: it is reported whole as
    // an application that was not found.
    const std::wstring app = ExpandEnvironment(result.appText);
    if (!app.empty()) {
        std::optional<std::wstring> found =
            app.size() <= kAppTextLimit && result.appText.size() <= kAppTextLimit ? ResolveConfiguredApp(app)
                                                                                  : std::nullopt;
        if (found && found->size() <= kAppTextLimit) {
            result.found = true;
            result.appPath = std::move(*found);
        } else {
            result.message = L"Application not found:\n" + app;
        }
        return result;
    }

    if (TolvanierOptions.IfIsExtOnly && !forceDefaultEditor) return result;
    result.usedDefaultEditor = true;
    result.source = AppSource::DefaultEditor;
    result.appText =
        IniReadString(OptionsIniName, L"Options", L"DefaultEditor", L"notepad", kIniValueCapacity + 1);
    const std::wstring editor = ExpandEnvironment(result.appText);
    if (result.appText.size() <= kAppTextLimit && editor.size() <= kAppTextLimit) {
        std::optional<std::wstring> found = ResolveDefaultEditor(editor);
        if (found && found->size() <= kAppTextLimit) {
            result.found = true;
            result.appPath = std::move(*found);
            return result;
        }
    }
    result.message = L"Default application not found:\n" + editor;
    return result;
}

} // namespace config

bool GetAssociatedAppByExt(const wchar_t* ext, wchar_t* appPath, bool forceDefaultEditor,
                           bool useSystemAssociation, bool& usedDefaultEditor) {
    win::CopyTo(appPath, kAppPathCapacity, L"");
    const config::AppLookup lookup =
        config::LookUpApplication(ext ? ext : L"", forceDefaultEditor, useSystemAssociation);
    usedDefaultEditor = lookup.usedDefaultEditor;
    if (!lookup.message.empty()) messageSink(lookup.message);
    return lookup.found && win::CopyTo(appPath, kAppPathCapacity, lookup.appPath);
}
