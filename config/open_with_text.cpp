// The text rules of the menu of applications: no platform call.
#include "config/open_with.h"

#include <algorithm>
#include <map>
#include <optional>
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

namespace {

// One block of a version resource: a length, a value's length and type, a key, the value and the
// blocks below it, each part aligned to 4 bytes from the start of the resource.
struct VersionBlock {
    size_t end = 0;
    std::wstring key;
    size_t valueStart = 0;
    size_t valueBytes = 0;
    size_t childrenStart = 0;
};

class VersionBytes {
  public:
    VersionBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint16_t Word(size_t at) const { return static_cast<uint16_t>(data_[at] | (data_[at + 1] << 8)); }

    // The block at offset, which must end by limit.
    std::optional<VersionBlock> BlockAt(size_t offset, size_t limit) const {
        if (limit > size_ || offset > limit || limit - offset < 6) return std::nullopt;
        const size_t length = Word(offset);
        if (length < 6 || length > limit - offset) return std::nullopt;
        VersionBlock block;
        block.end = offset + length;
        const size_t valueLength = Word(offset + 2);
        const bool text = Word(offset + 4) == 1;
        size_t at = offset + 6;
        for (; at + 1 < block.end && Word(at) != 0; at += 2)
            block.key += static_cast<wchar_t>(Word(at));
        if (at + 1 >= block.end) return std::nullopt; // a key without its terminator
        block.valueStart = Aligned(at + 2, block.end);
        block.valueBytes = std::min(text ? valueLength * 2 : valueLength, block.end - block.valueStart);
        block.childrenStart = Aligned(block.valueStart + block.valueBytes, block.end);
        return block;
    }

    // The blocks below parent, in order.
    std::vector<VersionBlock> Children(const VersionBlock& parent) const {
        std::vector<VersionBlock> children;
        for (size_t at = parent.childrenStart; at < parent.end;) {
            const std::optional<VersionBlock> child = BlockAt(at, parent.end);
            if (!child) break;
            children.push_back(*child);
            at = Aligned(child->end, parent.end);
        }
        return children;
    }

    // A text value, up to its terminator.
    std::wstring Text(const VersionBlock& block) const {
        std::wstring text;
        for (size_t at = block.valueStart; at + 1 < block.valueStart + block.valueBytes && Word(at) != 0;
             at += 2)
            text += static_cast<wchar_t>(Word(at));
        return text;
    }

  private:
    static size_t Aligned(size_t at, size_t limit) {
        return std::min((at + 3) & ~static_cast<size_t>(3), limit);
    }

    const uint8_t* data_;
    size_t size_;
};

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    return first == std::wstring::npos ? std::wstring()
                                       : text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

std::wstring HexWord(uint16_t value) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    for (int shift = 12; shift >= 0; shift -= 4)
        text += kDigits[(value >> shift) & 0xF];
    return text;
}

} // namespace

std::wstring DescriptionInVersionResource(const uint8_t* data, size_t size) {
    if (!data) return {};
    const VersionBytes bytes(data, size);
    const std::optional<VersionBlock> root = bytes.BlockAt(0, size);
    if (!root || root->key != L"VS_VERSION_INFO") return {};
    std::vector<std::pair<std::wstring, std::wstring>> descriptions; // table (lower case), description
    std::vector<std::wstring> wanted;
    for (const VersionBlock& info : bytes.Children(*root)) {
        if (info.key == L"StringFileInfo") {
            for (const VersionBlock& table : bytes.Children(info))
                for (const VersionBlock& entry : bytes.Children(table))
                    if (entry.key == L"FileDescription")
                        descriptions.emplace_back(LowerCase(table.key), Trimmed(bytes.Text(entry)));
        } else if (info.key == L"VarFileInfo") {
            for (const VersionBlock& var : bytes.Children(info))
                if (var.key == L"Translation")
                    for (size_t at = var.valueStart; at + 3 < var.valueStart + var.valueBytes; at += 4)
                        wanted.push_back(HexWord(bytes.Word(at)) + HexWord(bytes.Word(at + 2)));
        }
    }
    wanted.insert(wanted.end(), {L"040904b0", L"040904e4"});
    for (const std::wstring& table : wanted)
        for (const auto& [key, description] : descriptions)
            if (key == table && !description.empty()) return description;
    for (const auto& [key, description] : descriptions)
        if (!description.empty()) return description;
    return {};
}

} // namespace config
