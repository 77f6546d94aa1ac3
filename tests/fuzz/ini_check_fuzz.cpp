// The checker's reading of an INI file's bytes: any bytes decode, parse and check without a fault,
// and every finding points at a line of the file (or at none).
//
// Input: the file's bytes as they are.
#include <algorithm>
#include <string>

#include "checker/ini_check.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const checker::DecodedIni decoded = checker::DecodeIniBytes(bytes);
    const checker::ParsedIni ini = checker::ParseIni(decoded.text);
    const int lines = static_cast<int>(std::count(decoded.text.begin(), decoded.text.end(), L'\n')) + 1;
    for (const checker::IniEntry& e : ini.entries)
        FUZZ_CHECK(e.line >= 1 && e.line <= lines && e.sectionIndex < static_cast<int>(ini.sections.size()));

    const checker::TextFindings found = checker::FindTextProblems(ini, {L"de", L"en"});
    for (const auto* list : {&found.problems, &found.notes}) {
        for (const checker::Problem& p : *list) {
            FUZZ_CHECK(p.line >= 0 && p.line <= lines);
            FUZZ_CHECK(!p.text.empty() && !checker::FormatProblem(p).empty());
        }
    }
    if (const auto p = checker::FindEncodingProblem(decoded, ini))
        FUZZ_CHECK(p->line >= 0 && p->line <= lines);
    return 0;
}
