// Parameter templates and composite [Editor] entries read from a real INI file.
#include <gtest/gtest.h>

#include <vector>

#include "config/params.h"
#include "shared/state.h"
#include "tests/support/test_support.h"
#include "win/text.h"

using namespace testing_support;

namespace {

struct Templates : testing::Test {
    TempDir dir{L"params"};
    std::vector<wchar_t> buffer = std::vector<wchar_t>(kParamsCapacity + 8, L'#');

    void SetUp() override { win::CopyTo(OptionsIniName, dir / L"Tolvanier.ini"); }
    void TearDown() override { OptionsIniName[0] = L'\0'; }
    void WriteIni(const std::string& text) { ASSERT_TRUE(WriteTextFile(OptionsIniName, text)); }

    std::wstring Params(int mode, const std::wstring& name, bool usedDefaultEditor = false) {
        GetParams(mode, name, buffer.data(), usedDefaultEditor);
        for (size_t i = kParamsCapacity; i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], L'#') << "written past the template buffer";
        return buffer.data();
    }
};

} // namespace

TEST_F(Templates, PerExtensionDirectKeyThenCompositeEntries) {
    WriteIni("[editor]\r\nTXT_PARAMS=-n %1\r\nDOC,LOG_params=-upper\r\ndoc,log_params=/a,/b %1\r\n"
             "md_paramsX=-q\r\n,ini_params=-first\r\n_params=-none\r\nrtf_params=\r\nrtf,x_params=-late\r\n"
             "C:\\Tools\\ed.exe=-app %1\r\n");
    EXPECT_EQ(Params(1, L"txt"), L"-n %1") << "direct keys ignore case";
    EXPECT_EQ(Params(1, L"log"), L"/a,/b %1") << "composite items do not";
    EXPECT_EQ(Params(1, L"md"), L"-q");
    EXPECT_EQ(Params(1, L""), L"-none");
    EXPECT_EQ(Params(1, L"rtf"), L"") << "the empty direct line comes first";
    EXPECT_EQ(Params(1, L"x"), L"-late");
    EXPECT_EQ(Params(1, L"zip"), L"");
    EXPECT_EQ(Params(0, L"C:\\Tools\\ed.exe"), L"-app %1");
    EXPECT_EQ(Params(0, L"log"), L"") << "mode 0 never scans composite entries";
}

TEST_F(Templates, DefaultEditorTemplateOnlyFromOptions) {
    WriteIni(
        "[Options]\r\nDefaultEditor_params=-d %1\r\n[Editor]\r\nC:\\w\\notepad.exe=-e\r\ntxt_params=-t\r\n");
    EXPECT_EQ(Params(0, L"C:\\w\\notepad.exe", true), L"-d %1");
    EXPECT_EQ(Params(0, L"C:\\w\\notepad.exe", false), L"-e");
    EXPECT_EQ(Params(1, L"txt", true), L"-t") << "mode 1 never reads DefaultEditor_params";
    WriteIni("[Editor]\r\nC:\\w\\notepad.exe=-e\r\n");
    EXPECT_EQ(Params(0, L"C:\\w\\notepad.exe", true), L"");
}

TEST_F(Templates, EnvironmentIsExpandedButPlaceholdersStay) {
    SetEnv(L"TOLVANIER_T1", L"C:\\tmp dir");
    SetEnv(L"TOLVANIER_UNSET", nullptr);
    WriteIni("[Editor]\r\ntxt_params=%TOLVANIER_T1%\\log.txt %1 %TOLVANIER_UNSET%\r\n");
    EXPECT_EQ(Params(1, L"txt"), L"C:\\tmp dir\\log.txt %1 %TOLVANIER_UNSET%");
    // The platform pairs percent signs from the left: a "%1" in front must not swallow a reference.
    WriteIni("[Editor]\r\ncfg_params=%1 -ini %TOLVANIER_T1%\\ed.ini %1%TOLVANIER_T1%\r\n");
    EXPECT_EQ(Params(1, L"cfg"), L"%1 -ini C:\\tmp dir\\ed.ini %1C:\\tmp dir");
    SetEnv(L"TOLVANIER_T1", nullptr);
}

TEST_F(Templates, TemplatesThatDoNotFitCountAsEmpty) {
    // A direct value of 259 units fits; 260 would have been cut by the read and is refused instead.
    const std::string fits(259, 'f'), tooLong(260, 'g');
    WriteIni("[Editor]\r\na_params=" + fits + "\r\nb_params=" + tooLong + "\r\nc=" + tooLong + "\r\n");
    EXPECT_EQ(Params(1, L"a"), Utf8ToWide(fits));
    EXPECT_EQ(Params(1, L"b"), Utf8ToWide(tooLong)) << "refused as a direct value, found whole as an entry";
    EXPECT_EQ(Params(0, L"c"), L"") << "mode 0 has no entry scan";

    // Composite values: one that fills the buffer exactly, one a unit too long.
    const std::string exact(kParamsCapacity - 1, 'e'), over(kParamsCapacity, 'o');
    WriteIni("[Editor]\r\nx,d_params=" + exact + "\r\nx,e_params=" + over + "\r\n");
    EXPECT_EQ(Params(1, L"d"), Utf8ToWide(exact));
    EXPECT_EQ(Params(1, L"e"), L"");

    // An expansion that outgrows the buffer.
    SetEnv(L"TOLVANIER_BIG", std::wstring(3000, L'z').c_str());
    WriteIni("[Editor]\r\nf_params=%TOLVANIER_BIG%%TOLVANIER_BIG%\r\ng_params=%TOLVANIER_BIG%%TOLVANIER_BIG%"
             "%TOLVANIER_BIG%\r\n");
    EXPECT_EQ(Params(1, L"f"), std::wstring(6000, L'z'));
    EXPECT_EQ(Params(1, L"g"), L"");
    SetEnv(L"TOLVANIER_BIG", nullptr);
}

TEST_F(Templates, CompositeValueIntoASmallBuffer) {
    WriteIni("[Editor]\r\ndoc,txt=ed.exe\r\nlog,x=" + std::string(300, 'p') + "\r\n");
    wchar_t value[kPathCapacity + 4];
    for (auto& c : value)
        c = L'#';
    GetComplexKeyValue(value, kPathCapacity, L"txt", true);
    EXPECT_STREQ(value, L"ed.exe");
    GetComplexKeyValue(value, kPathCapacity, L"log", true);
    EXPECT_STREQ(value, L"") << "a value longer than the buffer is not cut";
    EXPECT_EQ(value[kPathCapacity], L'#');
    GetComplexKeyValue(value, kPathCapacity, L"zip", true);
    EXPECT_STREQ(value, L"");
}
