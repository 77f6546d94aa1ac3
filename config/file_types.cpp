#include "config/file_types.h"

#include <windows.h>

#include <algorithm>

#include "config/app_lookup.h"
#include "config/ini.h"
#include "config/options.h"
#include "shared/state.h"
#include "win/handles.h"
#include "win/paths.h"

namespace config {

void FileFacts::ReadAttributes() {
    if (attributesRead_) return;
    attributesRead_ = true;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(win::FileSystemName(name_).c_str(), GetFileExInfoStandard, &data)) return;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
    size_ = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    // Reading these would have the system fetch the file from where it keeps it.
    constexpr DWORD kRecallOnDataAccess = 0x00400000;
    mayRead_ = !(data.dwFileAttributes & (FILE_ATTRIBUTE_OFFLINE | kRecallOnDataAccess));
}

std::optional<uint64_t> FileFacts::Size() {
    ReadAttributes();
    return size_;
}

FileContent FileFacts::Content() {
    if (content_) return *content_;
    ReadAttributes();
    content_ = FileContent::Unreadable;
    if (!mayRead_) return *content_;
    // Shared for everything, so that no other program is kept from the file while it is read.
    const win::UniqueFile file(CreateFileW(win::FileSystemName(name_).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file || GetFileType(file.Get()) != FILE_TYPE_DISK) return *content_;
    uint8_t sample[kTypeSampleBytes];
    DWORD total = 0;
    for (DWORD got = 0; total < sizeof sample; total += got)
        if (!ReadFile(file.Get(), sample + total, static_cast<DWORD>(sizeof sample) - total, &got, nullptr))
            return *content_;
        else if (got == 0)
            break;
    content_ = IsTextSample(sample, total) ? FileContent::Text : FileContent::Binary;
    return *content_;
}

std::vector<TypeLine> ReadTypeLines() {
    return ParseTypeSection(IniReadSection(OptionsIniName, L"Types"));
}

TypedNames TypeNames(const std::vector<std::wstring>& names, const std::vector<uint8_t>& kinds) {
    TypedNames typed;
    typed.lines = ReadTypeLines();
    const bool anyUsable =
        std::any_of(typed.lines.begin(), typed.lines.end(), [](const TypeLine& l) { return l.Usable(); });
    if (!anyUsable) return typed;
    typed.lineOfName.resize(names.size());
    typed.keys.resize(names.size());
    for (size_t i = 0; i < names.size() && i < kinds.size(); ++i) {
        if (kinds[i] == 0) continue;
        const bool isDirectory = kinds[i] == 16;
        FileFacts facts(names[i]);
        typed.lineOfName[i] = FirstTakingLine(typed.lines, SubjectOf(names[i], isDirectory), facts);
        if (typed.lineOfName[i]) {
            const std::wstring& type = typed.lines[*typed.lineOfName[i]].type;
            auto [known, inserted] = typed.typeHasApplication.try_emplace(type, false);
            if (inserted) known->second = EditorNamesApplication(type);
            if (known->second) {
                typed.keys[i] = {type, TolvanierOptions.UseTCExtensions};
                continue;
            }
        }
        typed.keys[i] = {ExtensionKeyOf(names[i], isDirectory)};
    }
    return typed;
}

} // namespace config
