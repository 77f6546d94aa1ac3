// The plugin's messages to the user: a box owned by hwMain, caption "Tolvanier", style 0x10 (an error)
// unless said otherwise; the texts in the language of the texts (config/languages.h).
#pragma once

#include <windows.h>

#include <string>

namespace config {

// The caption of every box of the plugin's, in every language: a name, never translated.
constexpr wchar_t kMessageCaption[] = L"Tolvanier";

// Shows text in the plugin's message box and waits for the user. Whatever was read of the
// configuration files is forgotten around it: the user may mend them while the box is open.
void ShowPluginMessage(const std::wstring& text);
// The same with the box's style (its icon).
void ShowPluginMessage(const std::wstring& text, UINT style);
// The system's text for error in the language of the texts where the system has it (else in its own),
// else "Error N.".
std::wstring ErrorText(DWORD error);

} // namespace config

// The message of a start that failed: what (a command line or a file) and the system's text for error.
void ShowStartFailure(const std::wstring& what, DWORD error);

// What the user is told of a changed copy from an archive that was kept at kept: the folder the user
// expects it in (ChangedCopiesFolder, else the default) when it went elsewhere, and why that one could
// not be written.
std::wstring KeptCopyText(const std::wstring& kept, const std::wstring& expectedFolder,
                          const std::wstring& why);
// What the user is told when the changes saved in copy could not be kept anywhere, and why; shown
// while the plugin still holds the copy, so it is there to be saved elsewhere.
std::wstring CopyNotKeptText(const std::wstring& copy, DWORD error);
// Why a folder that is no full path is not written.
std::wstring NotAFullPathText();
