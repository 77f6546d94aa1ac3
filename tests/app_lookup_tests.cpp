// The application lookup against real INI files, the real registry, the real executable search and
// real message boxes.
#include <gtest/gtest.h>

#include "config/app_lookup.h"
#include "config/command_text.h"
#include "config/options.h"
#include "shared/state.h"
#include "tests/support/message_boxes.h"
#include "tests/support/test_support.h"
#include "win/text.h"

using namespace testing_support;

namespace {

// Made-up extensions and classes that nothing else registers.
const wchar_t* const kRegistryKeys[] = {L".tolvzq1",     L".tolvzq2",     L".tolvzq3",     L".tolvzq4",
                                        L".tolvzq5",     L".tolvzq6",     L".tolvzq7",     L"TolvZqClass1",
                                        L"TolvZqClass2", L"TolvZqClass4", L"TolvZqClass5", L"TolvZqClass6",
                                        L"TolvZqClass7", L"TolvZqChoice"};
const std::wstring kUserChoices = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

void SetClassesRootDefault(const std::wstring& path, const std::wstring* value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    if (value)
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                       static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void Associate(const std::wstring& ext, const std::wstring& className, const std::wstring& command) {
    SetClassesRootDefault(ext, &className);
    SetClassesRootDefault(className + L"\\shell\\open\\command", &command);
}

struct AppLookup : testing::Test {
    TempDir dir{L"applookup"};
    std::wstring tools = dir / L"my tools";    // has a space in its name
    std::wstring pathFolder = dir / L"onpath"; // put on PATH
    std::wstring savedPath;
    HWND owner = nullptr;
    wchar_t appPath[kAppPathCapacity + 8];
    bool usedDefaultEditor = false;

    void SetUp() override {
        CreateDirectoryW(tools.c_str(), nullptr);
        CreateDirectoryW(pathFolder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), (tools + L"\\tolvaned.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), (pathFolder + L"\\tolvpath.exe").c_str(), FALSE));
        wchar_t path[32767];
        const DWORD n = GetEnvironmentVariableW(L"PATH", path, 32767);
        savedPath.assign(path, n < 32767 ? n : 0);
        SetEnv(L"PATH", (pathFolder + L";" + savedPath).c_str());
        SetEnv(L"TOLVANIER_TOOLS", tools.c_str());
        win::CopyTo(OptionsIniName, dir / L"Tolvanier.ini");
        win::CopyTo(TCIniName, dir / L"wincmd.ini");
        TolvanierOptions = {};
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
        hwMain = owner;
        for (auto key : kRegistryKeys)
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
        RegDeleteTreeW(HKEY_CURRENT_USER, (kUserChoices + L".tolvzq7").c_str());
        GetCurrentDirectoryW(MAX_PATH, savedCurrent);
    }
    void TearDown() override {
        SetCurrentDirectoryW(savedCurrent);
        for (auto key : kRegistryKeys)
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
        RegDeleteTreeW(HKEY_CURRENT_USER, (kUserChoices + L".tolvzq7").c_str());
        SetEnv(L"PATH", savedPath.c_str());
        SetEnv(L"TOLVANIER_TOOLS", nullptr);
        OptionsIniName[0] = TCIniName[0] = L'\0';
        TolvanierOptions = {};
        hwMain = nullptr;
        DestroyWindow(owner);
    }
    void WriteIni(const std::wstring& text) { ASSERT_TRUE(WriteTextFile(OptionsIniName, WideToUtf8(text))); }

    // Runs one lookup; the boxes it showed are in boxes.
    bool Lookup(const std::wstring& ext, bool force = false, bool system = false) {
        for (auto& c : appPath)
            c = L'#';
        MessageBoxCatcher catcher;
        const bool found = GetAssociatedAppByExt(ext.c_str(), appPath, force, system, usedDefaultEditor);
        for (size_t i = kAppPathCapacity; i < kAppPathCapacity + 8; ++i)
            EXPECT_EQ(appPath[i], L'#') << "written past the application buffer";
        boxes = catcher.Boxes();
        for (const auto& box : boxes) {
            EXPECT_EQ(box.caption, L"Tolvanier");
            EXPECT_EQ(box.owner, owner);
        }
        return found;
    }
    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        for (const auto& box : boxes)
            texts.push_back(box.text);
        return texts;
    }
    std::vector<CaughtBox> boxes;
    wchar_t savedCurrent[MAX_PATH] = {};
};

using TextList = std::vector<std::wstring>;

} // namespace

TEST_F(AppLookup, EditorKeyWithADriveIsLookedForInItsOwnFolderOnly) {
    WriteIni(L"[Editor]\r\nTXT=%TOLVANIER_TOOLS%\\tolvaned.exe\r\nnoext=%TOLVANIER_TOOLS%\\tolvaned\r\n"
             L"elsewhere=" +
             tools + L"\\tolvpath.exe\r\n");
    ASSERT_TRUE(Lookup(L"txt"));
    EXPECT_STREQ(appPath, (tools + L"\\tolvaned.exe").c_str()) << "the expanded text itself";
    EXPECT_FALSE(usedDefaultEditor);
    EXPECT_TRUE(boxes.empty());

    EXPECT_FALSE(Lookup(L"noext"));
    EXPECT_EQ(Texts(), TextList{L"Application not found:\n" + tools + L"\\tolvaned"})
        << "no .exe with a drive";
    EXPECT_FALSE(Lookup(L"elsewhere"));
    EXPECT_EQ(Texts(), TextList{L"Application not found:\n" + tools + L"\\tolvpath.exe"})
        << "PATH is not searched";
}

TEST_F(AppLookup, WithoutADriveTheStandardSearchThenExe) {
    WriteIni(L"[Editor]\r\nrtf=\r\nTXT,DOC=wrong\r\ndoc,txt,rtf=tolvpath\r\nrel=sub\\tolvpath.exe\r\ncmd="
             L"tolvpath.cmd\r\n"
             L"unc=\\\\nowhere\\share\\tolvpath.exe\r\nmissing=tolvmissing.cmd\r\n");
    const std::wstring expected = pathFolder + L"\\tolvpath.exe";
    for (const wchar_t* ext : {L"txt", L"rel", L"cmd"}) {
        ASSERT_TRUE(Lookup(ext)) << ext;
        EXPECT_STREQ(appPath, expected.c_str()) << ext;
        EXPECT_TRUE(boxes.empty());
    }
    EXPECT_FALSE(Lookup(L"missing"));
    EXPECT_EQ(Texts(), TextList{L"Application not found:\ntolvmissing.cmd"});
    EXPECT_FALSE(Lookup(L"unc")) << "a share names its own folder, never the search path";
    EXPECT_EQ(Texts(), TextList{L"Application not found:\n\\\\nowhere\\share\\tolvpath.exe"});
    // An empty direct line is no application: the entry scan finds it first and its empty value
    // leads to the default editor.
    ASSERT_TRUE(Lookup(L"rtf"));
    EXPECT_TRUE(usedDefaultEditor);
}

TEST_F(AppLookup, NeverAProgramFromTheCurrentFolderAndNeverOneWithoutAnExtension) {
    // The current folder (the one the user browses) and a PATH entry relative to it both hold the
    // names looked up; the search must find them in neither.
    const std::wstring browsed = dir / L"browsed";
    CreateDirectoryW(browsed.c_str(), nullptr);
    CreateDirectoryW((browsed + L"\\rel").c_str(), nullptr);
    for (const wchar_t* planted : {L"\\tolvplanted.exe", L"\\rel\\tolvrel.exe", L"\\notepad.exe"})
        ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), (browsed + planted).c_str(), FALSE));
    ASSERT_TRUE(SetCurrentDirectoryW(browsed.c_str()));
    SetEnv(L"PATH", (L"rel;.;;" + pathFolder + L";" + savedPath).c_str());
    // An extensionless script ahead of the command file, as some installers put on PATH.
    ASSERT_TRUE(WriteTextFile(pathFolder + L"\\tolvcode", "#!/bin/sh\n"));
    ASSERT_TRUE(WriteTextFile(pathFolder + L"\\tolvcode.cmd", "@echo off\r\n"));
    ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), (tools + L"\\tolvpath.exe").c_str(), FALSE));
    WriteIni(L"[Editor]\r\nplant=tolvplanted\r\nplantexe=tolvplanted.exe\r\nrel=tolvrel\r\ncode=tolvcode\r\n"
             L"long=\\\\?\\" +
             tools + L"\\tolvpath.exe\r\n[Options]\r\nDefaultEditor=tolvplanted\r\n");

    EXPECT_FALSE(Lookup(L"plant"));
    EXPECT_EQ(Texts(), TextList{L"Application not found:\ntolvplanted"});
    EXPECT_FALSE(Lookup(L"plantexe"));
    EXPECT_FALSE(Lookup(L"rel")) << "a relative PATH entry is not searched";
    ASSERT_TRUE(Lookup(L"code"));
    EXPECT_STREQ(appPath, (pathFolder + L"\\tolvcode.cmd").c_str()) << "PATHEXT, never the bare name";
    ASSERT_TRUE(Lookup(L"long"));
    EXPECT_STREQ(appPath, (L"\\\\?\\" + tools + L"\\tolvpath.exe").c_str()) << "its own folder, as written";
    EXPECT_FALSE(Lookup(L"other"));
    EXPECT_EQ(Texts(), TextList{L"Default application not found:\ntolvplanted"});
    WriteIni(L"[Options]\r\nDefaultEditor=rel\\tolvrel\r\n");
    EXPECT_FALSE(Lookup(L"other")) << "the default editor's own folder is searched only when absolute";
    EXPECT_EQ(Texts(), TextList{L"Default application not found:\nrel\\tolvrel"});
    WriteIni(L"[Options]\r\nDefaultEditor=notepad\r\n");
    ASSERT_TRUE(Lookup(L"other"));
    EXPECT_EQ(CompareStringOrdinal(appPath, -1, L"C:\\windows\\system32\\notepad.exe", -1, TRUE), CSTR_EQUAL)
        << appPath;
}

TEST_F(AppLookup, HostExtensionsCutAtTheLastCaretAndReplaceTheEditorSection) {
    TolvanierOptions.UseTCExtensions = true;
    WriteIni(L"[Editor]\r\nlog=tolvpath\r\nini=tolvpath\r\n");
    ASSERT_TRUE(WriteTextFile(TCIniName, WideToUtf8(L"[Extensions]\r\nlog=" + tools +
                                                    L"\\tolvaned.exe^\r\nini=tolvmissing.exe ^\r\n")));
    ASSERT_TRUE(Lookup(L"log"));
    EXPECT_STREQ(appPath, (tools + L"\\tolvaned.exe").c_str());
    EXPECT_FALSE(Lookup(L"ini"));
    EXPECT_EQ(Texts(), TextList{L"Application not found:\ntolvmissing.exe "}) << "the space before ^ stays";

    // No host INI: every key goes to the default editor, the plugin's section is not consulted.
    DeleteFileW(TCIniName);
    WriteIni(L"[Options]\r\nDefaultEditor=tolvpath\r\n[Editor]\r\nlog=tolvmissing\r\n");
    ASSERT_TRUE(Lookup(L"log"));
    EXPECT_TRUE(usedDefaultEditor);
    EXPECT_STREQ(appPath, (pathFolder + L"\\tolvpath.exe").c_str());
}

TEST_F(AppLookup, SystemAssociationUsesTheOpenCommand) {
    Associate(L".tolvzq1", L"TolvZqClass1", L"\"" + tools + L"\\tolvaned.exe\" \"%1\"");
    Associate(L".tolvzq2", L"TolvZqClass2", L"%TOLVANIER_TOOLS%\\tolvaned.exe %1");
    Associate(L".tolvzq4", L"TolvZqClass4", tools + L"\\tolvaned.exe %1");
    Associate(L".tolvzq5", L"TolvZqClass5", L"\"" + tools + L"\\tolvaned.exe %1");
    Associate(L".tolvzq6", L"TolvZqClass6", L" tolvaned.exe");
    WriteIni(L"[Editor]\r\ntolvzq1=tolvmissing\r\n[Options]\r\nDefaultEditor=tolvpath\r\n");

    ASSERT_TRUE(Lookup(L"tolvzq1", false, true));
    EXPECT_STREQ(appPath, (tools + L"\\tolvaned.exe").c_str());
    ASSERT_TRUE(Lookup(L"tolvzq2", false, true)) << "cut first, expanded afterwards";
    EXPECT_STREQ(appPath, (tools + L"\\tolvaned.exe").c_str());
    EXPECT_TRUE(boxes.empty());

    EXPECT_FALSE(Lookup(L"tolvzq4", false, true));
    EXPECT_TRUE(boxes.empty()) << "an unquoted path with a space is the shell's to split";
    EXPECT_TRUE(config::LookUpApplication(L"tolvzq4", true, true).openWithShell);
    EXPECT_FALSE(Lookup(L"tolvzq5", false, true));
    EXPECT_EQ(Texts(), TextList{L"Bad path in registry:\n\"" + tools + L"\\tolvaned.exe %1"});
    ASSERT_TRUE(Lookup(L"tolvzq6", false, true)) << "an empty program leads to the default editor";
    EXPECT_TRUE(usedDefaultEditor);
}

TEST_F(AppLookup, SystemAssociationFollowsTheUsersChoiceAndLeavesOwnArgumentsToTheShell) {
    const std::wstring choice = L"TolvZqChoice";
    auto setChoice = [&](const std::wstring* progId) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (kUserChoices + L".tolvzq7\\UserChoice").c_str(), 0,
                                  nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"ProgId", 0, REG_SZ, reinterpret_cast<const BYTE*>(progId->c_str()),
                       static_cast<DWORD>((progId->size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    };
    Associate(L".tolvzq7", L"TolvZqClass7", L"\"" + pathFolder + L"\\tolvpath.exe\" %1");
    ASSERT_TRUE(Lookup(L"tolvzq7", false, true)) << "no choice: the extension's class";
    EXPECT_STREQ(appPath, (pathFolder + L"\\tolvpath.exe").c_str());
    setChoice(&choice);
    SetClassesRootDefault(choice + L"\\shell\\open", nullptr);
    ASSERT_TRUE(Lookup(L"tolvzq7", false, true)) << "a choice without an open command falls back";
    EXPECT_STREQ(appPath, (pathFolder + L"\\tolvpath.exe").c_str());
    const std::wstring chosen = L"\"" + tools + L"\\tolvaned.exe\" \"%L\"";
    SetClassesRootDefault(choice + L"\\shell\\open\\command", &chosen);
    ASSERT_TRUE(Lookup(L"tolvzq7", false, true)) << "the user's choice wins";
    EXPECT_STREQ(appPath, (tools + L"\\tolvaned.exe").c_str());
    EXPECT_TRUE(boxes.empty());

    // Arguments the command needs, a program that is the file itself, or a handler instead of a
    // command: the shell opens the file, and the lookup reports nothing.
    for (const std::wstring& command :
         {L"\"" + tools + L"\\tolvaned.exe\" /i \"%1\"", std::wstring(L"\"%1\" %*"),
          std::wstring(L"rundll32.exe shimgvw.dll,ImageView_Fullscreen %1")}) {
        SetClassesRootDefault(choice + L"\\shell\\open\\command", &command);
        EXPECT_FALSE(Lookup(L"tolvzq7", false, true)) << command;
        EXPECT_TRUE(boxes.empty()) << command;
        EXPECT_TRUE(config::LookUpApplication(L"tolvzq7", true, true).openWithShell) << command;
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, choice.c_str());
    Associate(L".tolvzq7", L"TolvZqClass7", L"");
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CLASSES_ROOT, L"TolvZqClass7\\shell\\open\\command", 0, KEY_ALL_ACCESS, &key);
    RegDeleteValueW(key, nullptr);
    RegSetValueExW(key, L"DelegateExecute", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"{0}"), 8);
    RegCloseKey(key);
    EXPECT_TRUE(config::LookUpApplication(L"tolvzq7", true, true).openWithShell) << "a handler, no command";
    EXPECT_TRUE(config::LookUpApplication(L"tolvzq7", true, true).message.empty());
}

TEST_F(AppLookup, SystemAssociationFailuresNameTheRegistryKey) {
    EXPECT_FALSE(Lookup(L"tolvzq9", false, true));
    EXPECT_EQ(Texts(), TextList{L"Not found registry key:\nHKEY_CLASSES_ROOT\\.tolvzq9\\"});
    EXPECT_FALSE(Lookup(L":dir", false, true));
    EXPECT_EQ(Texts(), TextList{L"Not found registry key:\nHKEY_CLASSES_ROOT\\.:dir\\"});

    const std::wstring className = L"TolvZqClass2";
    SetClassesRootDefault(L".tolvzq2", &className);
    EXPECT_FALSE(Lookup(L"tolvzq2", false, true));
    EXPECT_EQ(Texts(),
              TextList{L"Not found registry key:\nHKEY_CLASSES_ROOT\\TolvZqClass2\\shell\\open\\command\\"});
    SetClassesRootDefault(L"TolvZqClass2\\shell\\open\\command", nullptr);
    EXPECT_FALSE(Lookup(L"tolvzq2", false, true));
    EXPECT_EQ(Texts(),
              TextList{L"Not found default value for registry key:\nHKEY_CLASSES_ROOT\\TolvZqClass2\\shell\\"
                       L"open\\command\\"});

    SetClassesRootDefault(L".tolvzq3", nullptr);
    EXPECT_FALSE(Lookup(L"tolvzq3", false, true));
    EXPECT_EQ(Texts(), TextList{L"Not found default value for registry key:\nHKEY_CLASSES_ROOT\\.tolvzq3\\"});
    const std::wstring longClass(300, L'c');
    SetClassesRootDefault(L".tolvzq3", &longClass);
    EXPECT_FALSE(Lookup(L"tolvzq3", false, true)) << "a class name longer than the buffer";
    EXPECT_EQ(Texts(), TextList{L"Not found default value for registry key:\nHKEY_CLASSES_ROOT\\.tolvzq3\\"});
}

TEST_F(AppLookup, DefaultEditorAndIfIsExtOnly) {
    ASSERT_TRUE(Lookup(L"zip")) << "no INI at all: notepad along the search order";
    EXPECT_TRUE(usedDefaultEditor);
    EXPECT_EQ(CompareStringOrdinal(appPath, -1, L"C:\\windows\\system32\\notepad.exe", -1, TRUE), CSTR_EQUAL)
        << appPath;

    TolvanierOptions.IfIsExtOnly = true;
    EXPECT_FALSE(Lookup(L"zip"));
    EXPECT_FALSE(usedDefaultEditor);
    EXPECT_TRUE(boxes.empty()) << "silent when the Lister loads";
    EXPECT_TRUE(Lookup(L"zip", true)) << "a hotkey still gets the default editor";
    EXPECT_TRUE(usedDefaultEditor);

    WriteIni(L"[Options]\r\nDefaultEditor=%TOLVANIER_TOOLS%\\tolvgone.exe\r\n");
    EXPECT_FALSE(Lookup(L"zip", true));
    EXPECT_TRUE(usedDefaultEditor);
    EXPECT_EQ(Texts(), TextList{L"Default application not found:\n" + tools + L"\\tolvgone.exe"});

    WriteIni(L"[Options]\r\nDefaultEditor=" + tools + L"\\tolvaned.exe\r\n");
    ASSERT_TRUE(Lookup(L"zip", true));
    EXPECT_STREQ(appPath, (tools + L"\\tolvaned.exe").c_str());
}

TEST_F(AppLookup, UseSystemAssociationsTakesTheAssociationOnlyWhereNothingIsConfigured) {
    const std::wstring editor = tools + L"\\tolvaned.exe";
    Associate(L".tolvzq1", L"TolvZqClass1", L"\"" + editor + L"\" \"%1\"");
    Associate(L".tolvzq2", L"TolvZqClass2", L"\"" + editor + L"\" /view \"%1\"");
    Associate(L".tolvzq4", L"TolvZqClass4", L"\"%1\" %*");
    Associate(L".tolvzq5", L"TolvZqClass5", L"\"" + editor + L"\" \"%1\"");
    WriteIni(L"[Options]\r\nDefaultEditor=tolvpath\r\n[Editor]\r\ntolvzq5=tolvpath\r\n");
    const std::wstring defaultEditor = pathFolder + L"\\tolvpath.exe";
    ASSERT_TRUE(Lookup(L"tolvzq1"));
    EXPECT_STREQ(appPath, defaultEditor.c_str()) << "off by default";

    TolvanierOptions.UseSystemAssociations = true;
    ASSERT_TRUE(Lookup(L"tolvzq1"));
    EXPECT_STREQ(appPath, editor.c_str());
    EXPECT_FALSE(usedDefaultEditor);
    EXPECT_TRUE(config::LookUpApplication(L"tolvzq1", false, false).systemFallback);
    ASSERT_TRUE(Lookup(L"tolvzq5"));
    EXPECT_STREQ(appPath, defaultEditor.c_str()) << "a configured type keeps its own";
    EXPECT_FALSE(Lookup(L"tolvzq2")) << "the shell opens it, keeping the command's arguments";
    EXPECT_TRUE(config::LookUpApplication(L"tolvzq2", false, false).openWithShell);
    // A file that is its own program, and no association at all: the default editor, silently.
    for (const wchar_t* key : {L"tolvzq4", L"tolvzq9", L":dir", L""}) {
        ASSERT_TRUE(Lookup(key)) << WideToUtf8(key);
        EXPECT_TRUE(usedDefaultEditor) << WideToUtf8(key);
    }
    TolvanierOptions.IfIsExtOnly = true;
    EXPECT_FALSE(Lookup(L"tolvzq9")) << "declined at a load";
    EXPECT_TRUE(boxes.empty()) << "silently";
    EXPECT_TRUE(Lookup(L"tolvzq9", true)) << "the default editor for a hotkey";
    ASSERT_TRUE(Lookup(L"tolvzq1")) << "an association comes before the decline";
    EXPECT_STREQ(appPath, editor.c_str());
}

TEST_F(AppLookup, TextsLongerThanTheBufferAreNeverCutIntoAPath) {
    // A path of exactly 259 units to a real file ("\." segments keep the folder); one unit more,
    // cut back to 259, would name that file: the longer texts must still not be found.
    std::wstring padded = tools;
    while (padded.size() + 12 < kAppPathCapacity - 1)
        padded += L"\\.";
    const std::wstring file = L"\\" + std::wstring(kAppPathCapacity - 1 - padded.size() - 5, L't') + L".exe";
    const std::wstring fits = padded + file;
    ASSERT_EQ(fits.size(), kAppPathCapacity - 1);
    ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), (tools + file).c_str(), FALSE));
    const std::wstring over = fits + L"x";
    SetEnv(L"TOLVANIER_LONG", fits.c_str());
    WriteIni(L"[Editor]\r\nfit=" + fits + L"\r\nover=" + over +
             L"\r\nenv=%TOLVANIER_LONG%x\r\n"
             L"a,comp=" +
             over + L"\r\n");

    ASSERT_TRUE(Lookup(L"fit"));
    EXPECT_STREQ(appPath, fits.c_str());
    EXPECT_FALSE(Lookup(L"over"));
    EXPECT_EQ(Texts(), TextList{L"Application not found:\n" + over});
    EXPECT_FALSE(Lookup(L"comp"));
    EXPECT_EQ(Texts(), TextList{L"Application not found:\n" + over});
    EXPECT_FALSE(Lookup(L"env"));
    EXPECT_EQ(Texts(), TextList{L"Application not found:\n" + fits + L"x"});

    WriteIni(L"[Options]\r\nDefaultEditor=" + over + L"\r\n");
    EXPECT_FALSE(Lookup(L"none"));
    EXPECT_EQ(Texts(), TextList{L"Default application not found:\n" + over});
    SetEnv(L"TOLVANIER_LONG", nullptr);
}
