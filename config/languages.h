// The languages of the texts: those this module's resources hold (one resource script each), those
// the user prefers, and the one chosen from [Options] Language and those.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace config {

// The code of the language to use: option when it names a present language (letter case ignored), else
// the first display language whose primary part ("de" of "de-AT") is present, else "en".
std::wstring ChooseLanguage(const std::wstring& option, const std::vector<std::wstring>& displayLanguages,
                            const std::vector<std::wstring>& present);

struct Language {
    std::wstring code; // as [Options] Language names it: "de"
    std::wstring name; // in the language itself: "Deutsch"
    LANGID id = 0;     // of its resources
};
// The languages this module's texts are in, by code.
std::vector<Language> PresentLanguages();
std::vector<std::wstring> CodesOf(const std::vector<Language>& languages);
// The present language of code (letter case ignored).
std::optional<Language> FindLanguage(const std::wstring& code);
// The user's display languages, most preferred first ("de-DE").
std::vector<std::wstring> DisplayLanguages();
// The language [Options] Language (as written) and the display languages choose.
Language ChosenLanguage(const std::wstring& option);
// The language a program's thread should run in for language: the user's own variant of it when it is
// one of the display languages (de-AT), else its default one. The plugin never sets its thread's: the
// thread is the host's.
LANGID ThreadLanguageOf(const Language& language);

// The language of Text() for the rest of the process: a program beside the plugin sets it once. Until
// then (and always in the plugin) each text is in the language chosen from [Options] Language of the
// plugin's settings file as it is at that moment.
void SetTextLanguage(const Language& language);
// The language texts are in now.
LANGID TextLanguage();

} // namespace config
