#include "config/languages.h"

#include <algorithm>

#include "config/ini.h"
#include "config/options.h"
#include "config/texts.h"
#include "lang/ids.h"
#include "shared/state.h"
#include "win/resources.h"
#include "win/text.h"

namespace config {
namespace {

std::optional<LANGID> fixedLanguage;

std::wstring PrimaryPart(const std::wstring& name) {
    return name.substr(0, name.find_first_of(L"-_"));
}

} // namespace

std::wstring ChooseLanguage(const std::wstring& option, const std::vector<std::wstring>& displayLanguages,
                            const std::vector<std::wstring>& present) {
    const auto presentAs = [&](const std::wstring& code) -> const std::wstring* {
        for (const std::wstring& p : present)
            if (!code.empty() && win::FoldAsciiCase(p) == win::FoldAsciiCase(code)) return &p;
        return nullptr;
    };
    if (const std::wstring* chosen = presentAs(option)) return *chosen;
    for (const std::wstring& display : displayLanguages)
        if (const std::wstring* chosen = presentAs(PrimaryPart(display))) return *chosen;
    return L"en";
}

std::vector<Language> PresentLanguages() {
    const HMODULE module = win::ThisModule();
    std::vector<Language> languages;
    for (const LANGID id : win::StringLanguages(module, IDS_LANGUAGE_CODE)) {
        std::optional<std::wstring> code = win::LoadStringExactly(module, IDS_LANGUAGE_CODE, id);
        if (!code) continue;
        languages.push_back({std::move(*code), win::LoadStringIn(module, IDS_LANGUAGE_NAME, id), id});
    }
    std::sort(languages.begin(), languages.end(),
              [](const Language& a, const Language& b) { return a.code < b.code; });
    return languages;
}

std::vector<std::wstring> CodesOf(const std::vector<Language>& languages) {
    std::vector<std::wstring> codes;
    for (const Language& language : languages)
        codes.push_back(language.code);
    return codes;
}

std::optional<Language> FindLanguage(const std::wstring& code) {
    for (Language& language : PresentLanguages())
        if (win::FoldAsciiCase(language.code) == win::FoldAsciiCase(code)) return std::move(language);
    return std::nullopt;
}

std::vector<std::wstring> DisplayLanguages() {
    ULONG count = 0, size = 0;
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) || size == 0) return {};
    std::wstring names(size, L'\0');
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names.data(), &size)) return {};
    // Names, each terminated, closed by an empty one.
    std::vector<std::wstring> languages;
    for (size_t at = 0; at < names.size() && names[at] != L'\0';) {
        const size_t end = std::min(names.find(L'\0', at), names.size());
        languages.push_back(names.substr(at, end - at));
        at = end + 1;
    }
    return languages;
}

Language ChosenLanguage(const std::wstring& option) {
    const std::vector<Language> present = PresentLanguages();
    const std::wstring code = ChooseLanguage(option, DisplayLanguages(), CodesOf(present));
    for (const Language& language : present)
        if (language.code == code) return language;
    return {L"en", L"English", win::kEnglish};
}

LANGID ThreadLanguageOf(const Language& language) {
    for (const std::wstring& display : DisplayLanguages()) {
        if (win::FoldAsciiCase(PrimaryPart(display)) != win::FoldAsciiCase(language.code)) continue;
        const LCID locale = LocaleNameToLCID(display.c_str(), 0);
        if (locale != 0) return LANGIDFROMLCID(locale);
    }
    return MAKELANGID(PRIMARYLANGID(language.id), SUBLANG_DEFAULT);
}

void SetTextLanguage(const Language& language) {
    fixedLanguage = language.id;
}

LANGID TextLanguage() {
    if (fixedLanguage) return *fixedLanguage;
    return ChosenLanguage(ReadOptionText(OptionsIniName, L"Options", L"Language", kIniValueCapacity)).id;
}

std::wstring Text(unsigned id) {
    return Text(id, {});
}

std::wstring Text(unsigned id, std::initializer_list<std::wstring_view> inserts) {
    // Formatted also without inserts: "%%" is a percent sign in every text.
    return win::FormatNumbered(win::LoadStringIn(win::ThisModule(), id, TextLanguage()), inserts);
}

unsigned CountForm(size_t count) {
    const size_t last = count % 10, lastTwo = count % 100;
    return count == 1                                                 ? 0
           : last == 1 && lastTwo != 11                               ? 1
           : last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14) ? 2
                                                                      : 3;
}

std::wstring CountText(unsigned firstId, size_t count) {
    return Text(firstId + CountForm(count), {std::to_wstring(count)});
}

} // namespace config
