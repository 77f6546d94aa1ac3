#include "host/host_text.h"

#include <cstdint>

void SplitString(std::vector<std::wstring>& out, std::wstring text, std::wstring separator, bool keepEmpty,
                 bool keepLeadingEmpty, bool clearFirst) {
    if (clearFirst) out.clear();
    auto addField = [&](std::wstring field) {
        if (field.empty()) {
            if (!keepEmpty) return;
            if (!keepLeadingEmpty && out.empty()) return;
        }
        out.push_back(std::move(field));
    };
    size_t start = 0;
    if (!separator.empty()) {
        for (size_t at = text.find(separator, start); at != std::wstring::npos;
             at = text.find(separator, start)) {
            addField(text.substr(start, at - start));
            start = at + separator.size();
        }
    }
    addField(text.substr(start));
}

std::optional<std::wstring> NameFromEntryText(const std::wstring& entryText, int mode) {
    // The host's entry formats: the separator of the fields, and whether the name is the second
    // tab-separated part of the first field.
    std::wstring separator;
    bool secondTabPart = false;
    switch (mode) {
    case 0: separator = L" "; break;
    case 1: separator = L"\t"; break;
    case 2: separator = L"\r"; break;
    case 3: separator = L"\r\n"; break;
    case 4:
        separator = L"\r";
        secondTabPart = true;
        break;
    case 5:
        separator = L"\r\n";
        secondTabPart = true;
        break;
    default: return std::nullopt;
    }
    std::vector<std::wstring> fields;
    SplitString(fields, entryText, separator, true, true, true);
    if (fields.empty()) return std::nullopt;
    if (secondTabPart) {
        std::vector<std::wstring> parts;
        SplitString(parts, fields.front(), L"\t", true, true, true);
        return parts.size() >= 2 ? parts[1] : std::wstring();
    }
    return fields.front();
}

ModifierSpec ParseModifierSpec(const std::wstring& spec) {
    ModifierSpec wanted;
    for (wchar_t c : spec) {
        if (c == L'S')
            wanted.shift = true;
        else if (c == L'C')
            wanted.ctrl = true;
        else if (c == L'A')
            wanted.alt = true;
    }
    return wanted;
}

namespace {

// |value - configured * dpi / 96| <= tolerance * dpi / 96, in whole numbers: no rounding of the
// scaled place or tolerance, and no overflow for any int the settings hold.
bool NearScaled(int value, int configured, int dpi) {
    const int64_t difference = int64_t{value} * kPositionDpi - int64_t{configured} * dpi;
    return (difference < 0 ? -difference : difference) <= int64_t{kPositionTolerance} * dpi;
}

} // namespace

bool IsAtPlaceAtDpi(int left, int top, int configuredLeft, int configuredTop, int dpi) {
    const auto at = [&](int density) {
        return NearScaled(left, configuredLeft, density) && NearScaled(top, configuredTop, density);
    };
    return at(kPositionDpi) || (dpi > 0 && at(dpi));
}
