// The composite [Editor] grammar and the cuts of application texts and names.
//
// Input, in 16-bit units: a flags unit (bit 0: look for an application entry; bit 1: take the key
// from the section), a unit that is the key's length or, with bit 1, the index of the piece of the
// section to take as key; then the key's units (without bit 1); the rest is the section text, nul
// units included. The same rest also feeds the cuts, the path split and the quoting.
#include <cwctype>
#include <optional>

#include "config/command_text.h"
#include "fuzz_support.h"

namespace {

// The grammar written out plainly, line by line and item by item.
std::optional<std::wstring> ReferenceFind(const std::wstring& section, const std::wstring& key,
                                          bool forApplication) {
    std::vector<std::wstring> lines;
    std::wstring current;
    bool closed = false;
    for (wchar_t c : section) {
        if (c != L'\0') {
            current += c;
            continue;
        }
        if (current.empty()) {
            closed = true; // the empty line that closes the section
            break;
        }
        lines.push_back(current);
        current.clear();
    }
    if (!closed && !current.empty()) lines.push_back(current);

    for (const std::wstring& line : lines) {
        const size_t separator = line.find(L'=');
        if (separator == std::wstring::npos) continue;
        const size_t marker = line.find(L"_params");
        const bool parameterEntry = marker != std::wstring::npos && marker < separator;
        if (parameterEntry == forApplication) continue;
        const std::wstring list = line.substr(0, parameterEntry ? marker : separator);

        // Items start before the end of the list: none in an empty list, no empty one after a final comma.
        std::vector<std::wstring> items;
        for (size_t start = 0;;) {
            const size_t comma = list.find(L',', start);
            if (comma == std::wstring::npos) {
                if (start < list.size()) items.push_back(list.substr(start));
                break;
            }
            items.push_back(list.substr(start, comma - start));
            start = comma + 1;
        }
        for (const std::wstring& item : items)
            if (item == key) return line.substr(separator + 1);
    }
    return std::nullopt;
}

// The pieces of a section between nuls, commas and "=", with "_params" and what follows it dropped:
// keys that its lines may well list.
std::vector<std::wstring> CandidateKeys(const std::wstring& section) {
    std::vector<std::wstring> keys;
    std::wstring piece;
    auto flush = [&] {
        const size_t marker = piece.find(L"_params");
        keys.push_back(marker == std::wstring::npos ? piece : piece.substr(0, marker));
        piece.clear();
    };
    for (wchar_t c : section) {
        if (c == L'\0' || c == L',' || c == L'=')
            flush();
        else
            piece += c;
    }
    flush();
    return keys;
}

bool IsSuffixOfALine(const std::wstring& value, const std::wstring& section) {
    size_t start = 0;
    while (start <= section.size()) {
        size_t end = section.find(L'\0', start);
        if (end == std::wstring::npos) end = section.size();
        if (end - start >= value.size() && section.compare(end - value.size(), value.size(), value) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

void CheckComposite(const std::wstring& section, const std::wstring& key, bool forApplication) {
    const std::optional<std::wstring> found = config::FindCompositeValue(section, key, forApplication);
    FUZZ_CHECK(found == ReferenceFind(section, key, forApplication));
    if (found) FUZZ_CHECK(IsSuffixOfALine(*found, section));
}

void CheckCuts(const std::wstring& text) {
    const std::optional<std::wstring> program = config::CutRegistryCommand(text);
    if (!text.empty() && text[0] == L'"') {
        const size_t close = text.find(L'"', 1);
        FUZZ_CHECK(program.has_value() == (close != std::wstring::npos));
        if (program) {
            FUZZ_CHECK(program->find(L'"') == std::wstring::npos);
            FUZZ_CHECK(text.compare(0, close + 1, L"\"" + *program + L"\"") == 0);
        }
    } else {
        FUZZ_CHECK(program.has_value());
        FUZZ_CHECK(program->find(L' ') == std::wstring::npos);
        FUZZ_CHECK(text.compare(0, program->size(), *program) == 0);
        FUZZ_CHECK(program->size() == text.size() || text[program->size()] == L' ');
    }

    const std::wstring cut = config::CutAtLastCaret(text);
    FUZZ_CHECK(text.compare(0, cut.size(), cut) == 0);
    if (text.find(L'^') == std::wstring::npos)
        FUZZ_CHECK(cut == text);
    else
        FUZZ_CHECK(text[cut.size()] == L'^' && text.find(L'^', cut.size() + 1) == std::wstring::npos);
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

void CheckPathAndKey(const std::wstring& path) {
    const config::PathParts parts = config::SplitPath(path);
    FUZZ_CHECK(parts.drive + parts.directory + parts.baseName + parts.extension == path);
    FUZZ_CHECK(parts.drive.empty() || (parts.drive.size() == 2 && parts.drive[1] == L':'));
    FUZZ_CHECK(parts.drive.empty() == !(path.size() >= 2 && path[1] == L':'));
    FUZZ_CHECK(parts.directory.empty() || IsSeparator(parts.directory.back()));
    const std::wstring file = parts.baseName + parts.extension;
    for (wchar_t c : file)
        FUZZ_CHECK(!IsSeparator(c));
    FUZZ_CHECK(parts.extension.empty() || parts.extension[0] == L'.');
    FUZZ_CHECK(parts.extension.find(L'.', 1) == std::wstring::npos);
    if (parts.extension.empty()) FUZZ_CHECK(parts.baseName.find(L'.') == std::wstring::npos);

    FUZZ_CHECK(config::ExtensionKeyOf(path, true) == config::kDirectoryKey);
    // The key is the lowered text after the last dot of the whole last component, never a cut of it.
    const std::wstring key = config::ExtensionKeyOf(path, false);
    const size_t dot = file.rfind(L'.');
    if (dot == std::wstring::npos) {
        FUZZ_CHECK(key.empty());
    } else {
        FUZZ_CHECK(key.size() == file.size() - dot - 1);
        for (size_t i = 0; i < key.size(); ++i)
            FUZZ_CHECK(key[i] ==
                       static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(file[dot + 1 + i]))));
    }
}

void CheckQuoting(const std::wstring& name) {
    // Names of the file system hold no quote and no nul; every other name must read back whole.
    if (name.find(L'"') != std::wstring::npos || name.find(L'\0') != std::wstring::npos) return;
    const std::wstring quoted = config::QuoteName(name);
    FUZZ_CHECK(quoted.size() >= 2 && quoted.front() == L'"' && quoted.back() == L'"');
    const std::vector<std::wstring> args = fuzz::ParseArguments(quoted);
    FUZZ_CHECK(args.size() == 1 && args[0] == name);
    // Followed by more arguments, it still ends where it should.
    const std::vector<std::wstring> more = fuzz::ParseArguments(quoted + L" " + quoted + L" x");
    FUZZ_CHECK(more.size() == 3 && more[0] == name && more[1] == name && more[2] == L"x");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::UnitReader in(fuzz::Units(data, size));
    const uint16_t flags = in.Take();
    const uint16_t keyUnit = in.Take();
    const bool forApplication = flags & 1;
    std::wstring key;
    if (!(flags & 2)) {
        for (uint16_t n = keyUnit % 16; n > 0 && !in.AtEnd(); --n)
            key += static_cast<wchar_t>(in.Take());
    }
    const std::wstring section = in.Rest();
    if (flags & 2) {
        const std::vector<std::wstring> keys = CandidateKeys(section);
        key = keys[keyUnit % keys.size()];
    }

    CheckComposite(section, key, forApplication);
    CheckComposite(section, key, !forApplication);
    CheckCuts(section);
    CheckPathAndKey(section);
    CheckQuoting(section);
    CheckQuoting(key);
    return 0;
}
