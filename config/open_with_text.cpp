// The text rules of the menu of applications: no platform call.
#include "config/open_with.h"

#include <map>
#include <set>

#include "config/command_text.h"

namespace config {
namespace {

std::wstring FileNameOf(const std::wstring& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i)
        if (IsPathSeparator(path[i]) || path[i] == L':') start = i + 1;
    return path.substr(start);
}

std::wstring WithoutExtension(const std::wstring& fileName) {
    const size_t dot = fileName.rfind(L'.');
    return dot == std::wstring::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

} // namespace

std::vector<std::wstring> OrderByMruList(const std::wstring& mruList,
                                         const std::vector<std::pair<std::wstring, std::wstring>>& values) {
    std::vector<std::wstring> ordered;
    std::set<std::wstring> taken;
    const auto take = [&](const std::pair<std::wstring, std::wstring>& value) {
        if (!value.second.empty() && taken.insert(value.first).second) ordered.push_back(value.second);
    };
    for (wchar_t letter : mruList)
        for (const auto& value : values)
            if (value.first.size() == 1 && value.first[0] == letter) take(value);
    for (const auto& value : values)
        take(value);
    return ordered;
}

std::vector<size_t> FirstPlaceOfEachProgram(const std::vector<std::wstring>& programs) {
    std::vector<size_t> places;
    std::set<std::wstring> seen;
    for (size_t i = 0; i < programs.size(); ++i)
        if (seen.insert(LowerCase(programs[i])).second) places.push_back(i);
    return places;
}

std::vector<std::wstring> MenuLabels(const std::vector<std::wstring>& programs,
                                     const std::vector<std::wstring>& descriptions) {
    std::vector<std::wstring> labels, fileNames;
    for (size_t i = 0; i < programs.size(); ++i) {
        fileNames.push_back(FileNameOf(programs[i]));
        const bool described = i < descriptions.size() && !descriptions[i].empty();
        labels.push_back(described ? descriptions[i] : WithoutExtension(fileNames.back()));
    }
    std::map<std::wstring, std::vector<size_t>> alike;
    for (size_t i = 0; i < labels.size(); ++i)
        alike[LowerCase(labels[i])].push_back(i);
    for (const auto& [text, places] : alike) {
        if (places.size() < 2) continue;
        // The file name tells them apart, unless two of them share it: then only the path does.
        std::map<std::wstring, size_t> named;
        for (size_t i : places)
            ++named[LowerCase(fileNames[i])];
        for (size_t i : places)
            labels[i] += L" (" + (named[LowerCase(fileNames[i])] > 1 ? programs[i] : fileNames[i]) + L")";
    }
    return labels;
}

std::wstring MenuItemText(std::wstring label) {
    for (size_t at = label.find(L'&'); at != std::wstring::npos; at = label.find(L'&', at + 2))
        label.insert(at, 1, L'&');
    return label;
}

} // namespace config
