#include "plugin/changed_copy_names.h"

#include "config/command_text.h"
#include "config/program_search.h"

std::wstring NumberedName(const std::wstring& fileName, unsigned n) {
    if (n < 2) return fileName;
    const size_t dot = fileName.rfind(L'.');
    const size_t stemEnd = dot == std::wstring::npos || dot == 0 ? fileName.size() : dot;
    return fileName.substr(0, stemEnd) + L" (" + std::to_wstring(n) + L")" + fileName.substr(stemEnd);
}

std::vector<std::wstring> FoldersForChangedCopy(const std::wstring& configured, const std::wstring& byDefault,
                                                const std::wstring& settingsFolder) {
    std::vector<std::wstring> folders, keys;
    for (const std::wstring& folder : {configured, byDefault, settingsFolder}) {
        if (!config::IsAbsolutePath(folder)) continue;
        std::wstring key = config::LowerCase(folder);
        while (key.size() > 3 && config::IsPathSeparator(key.back()))
            key.pop_back();
        bool seen = false;
        for (const std::wstring& k : keys)
            seen = seen || k == key;
        if (seen) continue;
        keys.push_back(std::move(key));
        folders.push_back(folder);
    }
    return folders;
}

bool CopyChanged(const CopyStamp& loaded, const std::optional<CopyStamp>& now) {
    return now && (now->size != loaded.size || now->lastWrite != loaded.lastWrite);
}
