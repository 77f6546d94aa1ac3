#include "plugin/copy_titles.h"

#include <algorithm>
#include <cwctype>

#include "config/command_text.h"

namespace {

// A shorter name without its extension ("a" of "a.txt") would be found in too many titles.
constexpr size_t kMinStemLength = 4;

bool IsLetterOrDigit(wchar_t c) {
    return std::iswalnum(static_cast<std::wint_t>(c)) != 0;
}

} // namespace

std::vector<std::wstring> TitleFormsOfCopy(const std::wstring& copyPath) {
    size_t start = copyPath.size();
    while (start > 0 && !config::IsPathSeparator(copyPath[start - 1]))
        --start;
    const std::wstring name = config::LowerCase(copyPath.substr(start));
    if (name.empty()) return {};
    std::vector<std::wstring> forms{name};
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot >= kMinStemLength) forms.push_back(name.substr(0, dot));
    return forms;
}

bool HoldsWholeWord(const std::wstring& text, const std::wstring& word) {
    if (word.empty()) return false;
    for (size_t at = text.find(word); at != std::wstring::npos; at = text.find(word, at + 1)) {
        const size_t end = at + word.size();
        if ((at == 0 || !IsLetterOrDigit(text[at - 1])) &&
            (end == text.size() || !IsLetterOrDigit(text[end])))
            return true;
    }
    return false;
}

bool TitleNamesCopy(const std::wstring& title, const std::wstring& copyPath) {
    const std::wstring folded = config::LowerCase(title);
    const std::vector<std::wstring> forms = TitleFormsOfCopy(copyPath);
    return std::any_of(forms.begin(), forms.end(),
                       [&](const std::wstring& form) { return HoldsWholeWord(folded, form); });
}
