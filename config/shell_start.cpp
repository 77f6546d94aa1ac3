#include "config/shell_start.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "config/app_lookup.h"
#include "config/command_text.h"
#include "config/params.h"
#include "shared/command_line.h"
#include "win/registry.h"

namespace config {
namespace {

// The open command of className, or of the file's own association as the second hotkey reads it.
std::optional<std::wstring> AssociationCommand(const std::wstring& file, const std::wstring& className) {
    if (!className.empty()) {
        std::wstring command;
        if (win::ReadRegistryText(HKEY_CLASSES_ROOT, className + L"\\shell\\open\\command", nullptr, true,
                                  kAppPathCapacity - 1, command) != win::RegistryRead::Found ||
            command.empty())
            return std::nullopt;
        return command;
    }
    const AppLookup lookup = LookUpApplication(ExtensionKeyOf(file, false), true, true);
    if (lookup.openWithShell && !lookup.appText.empty()) return lookup.appText;
    if (lookup.found) return L"\"" + lookup.appPath + L"\" \"%1\"";
    return std::nullopt; // a handler of the shell names no program
}

// The association's program started on the whole name; failed as it was when there is none to start.
StartResult StartWithAssociation(const std::wstring& file, const std::wstring& className,
                                 StartResult failed) {
    const std::optional<std::wstring> command = AssociationCommand(file, className);
    if (!command) return failed;
    const std::wstring expanded = ExpandAroundPlaceholders(*command, ExpandEnvironment);
    const std::optional<std::wstring> cut = CutRegistryCommand(expanded);
    const std::optional<std::wstring> program = cut ? ResolveApplicationText(*cut) : std::nullopt;
    // A file that is its own program is never run from here; what process creation cannot start, neither.
    if (OpenCommandRunsTheFile(expanded) || !program || !StartsThroughProcessCreation(*program))
        return failed;
    StartResult started;
    started.process = StartCommandLine(FillOpenCommand(expanded, *program, file), &started.error);
    started.started = static_cast<bool>(started.process.process);
    return started;
}

} // namespace

StartResult StartCommand(const std::wstring& commandLine) {
    StartResult started = StartApplication(commandLine);
    if (!started.nameTooLongForShell) return started;
    // Only a line that is the file alone (the shell opens it); an application's own arguments stay its own.
    const CommandParts parts = SplitCommandLine(commandLine);
    if (!parts.arguments.empty()) return started;
    return StartWithAssociation(parts.application, {}, std::move(started));
}

StartResult OpenFile(const std::wstring& file, const std::wstring& className) {
    StartResult opened = OpenWithShell(file, className);
    if (!opened.nameTooLongForShell) return opened;
    return StartWithAssociation(file, className, std::move(opened));
}

} // namespace config
