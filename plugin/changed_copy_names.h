// Where a changed copy from an archive is kept, and under which name: text rules, no platform call.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The name a kept copy takes when fileName is taken in its folder: "name (n).ext" for n from 2 on, the
// number before the last extension ("report (2).docx", "README (2)", "a.tar (2).gz"); a name that
// begins with its only dot (".profile") has no extension. n below 2 gives fileName itself.
std::wstring NumberedName(const std::wstring& fileName, unsigned n);

// The folders a changed copy is tried in, in order, each once (compared without regard to letter
// case and a trailing separator): the configured folder (expanded; empty when none is configured),
// then the default folder, then the settings file's folder. A configured folder that names no full
// path (a relative one would lie in the folder the user browses) is left out; so is an empty one.
std::vector<std::wstring> FoldersForChangedCopy(const std::wstring& configured, const std::wstring& byDefault,
                                                const std::wstring& settingsFolder);

// Whether the copy changed since it was loaded: its size or last-write time differs.
struct CopyStamp {
    unsigned long long size = 0;
    unsigned long long lastWrite = 0;
};
bool CopyChanged(const CopyStamp& loaded, const std::optional<CopyStamp>& now);
