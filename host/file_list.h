// Reading the host's file panel and the Find Files dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

void SplitString(std::vector<std::wstring>& out, std::wstring text, std::wstring separator, bool keepEmpty,
                 bool keepLeadingEmpty, bool clearFirst);
// Appends at most one name, taken from entry index of listBox as the get-text mode says.
void FileToListByIndex(int index, std::vector<std::wstring>& files, HWND listBox, int mode);
// Child-window enumeration callback over the Find Files dialog: updates OptionSearchText and SearchText.
BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM lParam);
