// The configuration examples of the user guide: the command lines the guide shows are what the
// command list builder produces for those INI lines and real files.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <ostream>
#include <string>
#include <vector>

#include "config/commands.h"
#include "config/options.h"
#include "shared/state.h"
#include "tests/guide_examples.h"
#include "tests/support/test_support.h"
#include "win/text.h"

namespace guide {
// Failures name the example, not its bytes.
void PrintTo(const GuideExample& example, std::ostream* os) {
    *os << example.name;
}
} // namespace guide

using namespace testing_support;
using guide::GuideExample;

namespace {

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::wstring EnvOrEmpty(const wchar_t* name) {
    wchar_t value[1024];
    const DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

// A message box of this thread is read and dismissed, so a lookup failure fails the test instead of
// waiting for a click.
std::wstring boxTexts;
void CALLBACK DismissBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowW(L"#32770", nullptr);
    if (!box || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) return;
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    boxTexts += text;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

struct GuideFixture : testing::Test {
    TempDir dir{L"guide"};
    std::wstring savedProgramFiles = EnvOrEmpty(L"ProgramFiles");
    std::wstring savedWindir = EnvOrEmpty(L"WINDIR");

    void SetUp() override {
        for (const wchar_t* folder :
             {L"Tools", L"Tools\\ImageView", L"Tools\\Editor", L"Tools\\Browser", L"Tools\\BigView",
              L"Program Files", L"Program Files\\PDF Viewer", L"Windows", L"Docs"})
            ASSERT_TRUE(CreateDirectoryW((dir / folder).c_str(), nullptr));
        for (const wchar_t* app : {L"Tools\\ImageView\\imageview.exe", L"Tools\\Editor\\editor.exe",
                                   L"Tools\\Browser\\browse.exe", L"Tools\\BigView\\bigview.exe",
                                   L"Program Files\\PDF Viewer\\pdfview.exe", L"Windows\\notepad.exe"})
            ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), (dir / app).c_str(), FALSE));
        SetEnv(L"ProgramFiles", (dir / L"Program Files").c_str());
        SetEnv(L"WINDIR", (dir / L"Windows").c_str());
    }
    void TearDown() override {
        SetEnv(L"ProgramFiles", savedProgramFiles.empty() ? nullptr : savedProgramFiles.c_str());
        SetEnv(L"WINDIR", savedWindir.empty() ? nullptr : savedWindir.c_str());
        OptionsIniName[0] = L'\0';
        TCIniName[0] = L'\0';
        TolvanierOptions = {};
    }

    // The guide's folders, as folders of this test.
    std::wstring Real(std::wstring text) const {
        text = ReplaceAll(text, LR"(C:\Program Files\)", dir / L"Program Files\\");
        text = ReplaceAll(text, LR"(C:\Windows\)", dir / L"Windows\\");
        text = ReplaceAll(text, LR"(C:\Tools\)", dir / L"Tools\\");
        return ReplaceAll(text, LR"(C:\Docs\)", dir / L"Docs\\");
    }

    std::vector<std::wstring> Build(const GuideExample& example) {
        std::wstring ini = L"[Options]\r\n";
        for (const auto& line : example.options)
            ini += Real(line) + L"\r\n";
        ini += L"[Editor]\r\n";
        for (const auto& line : example.editor)
            ini += Real(line) + L"\r\n";
        ini += L"[Types]\r\n";
        for (const auto& line : example.types)
            ini += line + L"\r\n";
        EXPECT_TRUE(WriteTextFile(dir / L"Tolvanier.ini", WideToUtf8(ini)));
        win::CopyTo(OptionsIniName, dir / L"Tolvanier.ini");
        if (!example.extensions.empty()) {
            std::wstring host = L"[Extensions]\r\n";
            for (const auto& line : example.extensions)
                host += Real(line) + L"\r\n";
            EXPECT_TRUE(WriteTextFile(dir / L"wincmd.ini", WideToUtf8(host)));
            win::CopyTo(TCIniName, dir / L"wincmd.ini");
        }
        TolvanierOptions = config::ReadOptionBlock(OptionsIniName);

        std::vector<std::wstring> files;
        for (const auto& file : example.files) {
            files.push_back(Real(file));
            if (files.back().back() == L'\\')
                EXPECT_TRUE(CreateDirectoryW(files.back().c_str(), nullptr));
            else
                EXPECT_TRUE(WriteTextFile(files.back(), "x"));
        }
        boxTexts.clear();
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, DismissBox);
        std::vector<std::wstring> commandLines;
        GetCommandsList(files, commandLines, false, false);
        KillTimer(nullptr, timer);
        EXPECT_EQ(boxTexts, L"") << "a message box was shown";
        return commandLines;
    }
};

struct GuideExamples : GuideFixture, testing::WithParamInterface<GuideExample> {};
struct GuideFolder : GuideFixture {};

} // namespace

TEST_P(GuideExamples, TheBuilderProducesTheCommandLinesShown) {
    const GuideExample& example = GetParam();
    std::vector<std::wstring> expected;
    for (const auto& command : example.commands)
        expected.push_back(Real(command));
    EXPECT_EQ(Build(example), expected);
}

// A folder's command line gives the program the folder's name unchanged, trailing backslash included.
TEST_F(GuideFolder, ReachesTheProgramUnchanged) {
    const GuideExample& folder = guide::Examples()[8];
    ASSERT_STREQ(folder.name, "FolderWithTrailingBackslash");
    const std::vector<std::wstring> commandLines = Build(folder);
    ASSERT_EQ(commandLines.size(), 1u);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLines[0].c_str(), &argc);
    ASSERT_NE(argv, nullptr);
    ASSERT_EQ(argc, 2);
    EXPECT_EQ(std::wstring(argv[0]), Real(LR"(C:\Tools\Browser\browse.exe)"));
    EXPECT_EQ(std::wstring(argv[1]), Real(LR"(C:\Docs\Photos\)"));
    LocalFree(argv);
}

INSTANTIATE_TEST_SUITE_P(Guide, GuideExamples, testing::ValuesIn(guide::Examples()),
                         [](const testing::TestParamInfo<GuideExample>& info) { return info.param.name; });
