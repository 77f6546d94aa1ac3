// Whether a window's title names a copy from an archive: how the watch finds the copy shown by a
// program that was handed the file by the one started for it. Text only, no platform call.
#pragma once

#include <string>
#include <vector>

// The forms in which a title may name the copy at copyPath, in lower case: its file name (the last
// part of the path), and that name without its extension when this has at least 4 characters
// (programs that hide extensions show it so; a shorter stem would be found in too many titles).
// Empty when the path ends in a separator.
std::vector<std::wstring> TitleFormsOfCopy(const std::wstring& copyPath);
// Whether text holds word with neither a letter nor a digit just before it or just after it.
bool HoldsWholeWord(const std::wstring& text, const std::wstring& word);
// Whether title names the copy at copyPath in one of its forms, without regard to letter case:
// "a.txt - Editor" names C:\tmp\a.txt, "data.txt - Editor" does not.
bool TitleNamesCopy(const std::wstring& title, const std::wstring& copyPath);
