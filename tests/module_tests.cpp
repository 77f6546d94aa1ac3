// The real module, loaded by a process that plays the host: what its start-up leaves on disk, and
// the detect string.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "hoststub/host_standin.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

// An installation folder of its own: the module copied in, optionally with the sample.
struct Installation : testing::Test {
    TempDir dir{L"module_install"};
    hoststub::PluginModule plugin;
    std::wstring module = dir / L"Tolvanier64.wlx64";
    std::string sample = "[Options]\r\n; sample\r\nListerState=2\r\n";

    void SetUp() override { ASSERT_TRUE(CopyFileW(ModulePath().c_str(), module.c_str(), FALSE)); }
    void TearDown() override { plugin.Unload(); }
    void PutSample() {
        CreateDirectoryW((dir / L"IniSample").c_str(), nullptr);
        ASSERT_TRUE(WriteTextFile(dir / L"IniSample\\Tolvanier.ini", sample));
    }
};

using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

EntryPoint EntryPointOf(HMODULE module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return reinterpret_cast<EntryPoint>(base + nt->OptionalHeader.AddressOfEntryPoint);
}

} // namespace

TEST_F(Installation, FreshInstallGetsAnExactCopyOfTheSample) {
    PutSample();
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_EQ(ReadFileBytes(dir / L"Tolvanier.ini"), sample);
}

TEST_F(Installation, ExistingIniIsNeverOverwritten) {
    PutSample();
    const std::string edited = "[Options]\r\nListerState=0\r\n";
    ASSERT_TRUE(WriteTextFile(dir / L"Tolvanier.ini", edited));
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_EQ(ReadFileBytes(dir / L"Tolvanier.ini"), edited);
    plugin.Unload();
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_EQ(ReadFileBytes(dir / L"Tolvanier.ini"), edited);
}

TEST_F(Installation, NoSampleNoIni) {
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_FALSE(FileExistsW(dir / L"Tolvanier.ini"));
}

TEST_F(Installation, StateFileIsDeletedAtEveryAttach) {
    ASSERT_TRUE(WriteTextFile(dir / L"TolvanierState.ini", "[State]\r\nx=1\r\n"));
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_FALSE(FileExistsW(dir / L"TolvanierState.ini"));
    plugin.Unload();
    ASSERT_TRUE(WriteTextFile(dir / L"TolvanierState.ini", "again"));
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_FALSE(FileExistsW(dir / L"TolvanierState.ini"));
}

TEST_F(Installation, EntryPointReasonsOtherThanAttachChangeNothing) {
    PutSample();
    ASSERT_TRUE(plugin.Load(module));
    ASSERT_TRUE(DeleteFileW((dir / L"Tolvanier.ini").c_str()));
    ASSERT_TRUE(WriteTextFile(dir / L"TolvanierState.ini", "kept"));
    EntryPoint entry = EntryPointOf(plugin.Handle());
    EXPECT_EQ(entry(reinterpret_cast<HINSTANCE>(plugin.Handle()), DLL_THREAD_ATTACH, nullptr), TRUE);
    EXPECT_EQ(entry(reinterpret_cast<HINSTANCE>(plugin.Handle()), DLL_THREAD_DETACH, nullptr), TRUE);
    EXPECT_TRUE(FileExistsW(dir / L"TolvanierState.ini"));
    EXPECT_FALSE(FileExistsW(dir / L"Tolvanier.ini"));
}

TEST(DetectString, CopiesAtMostSizeBytesAndPadsWithZeros) {
    hoststub::PluginModule plugin;
    ASSERT_TRUE(plugin.Load(ModulePath()));
    struct Case {
        int size;
        const char* expected; // the first size bytes
    } cases[] = {{16, "MULTIMEDIA\0\0\0\0\0"}, {11, "MULTIMEDIA"}, {10, "MULTIMEDIA"}, {4, "MULT"}, {1, "M"}};
    for (const Case& c : cases) {
        char buffer[32];
        std::memset(buffer, '#', sizeof(buffer));
        plugin.ListGetDetectString(buffer, c.size);
        EXPECT_EQ(std::memcmp(buffer, c.expected, static_cast<size_t>(c.size)), 0) << "size " << c.size;
        EXPECT_EQ(buffer[c.size], '#') << "wrote past size " << c.size;
    }
    char untouched = '#';
    plugin.ListGetDetectString(&untouched, 0);
    EXPECT_EQ(untouched, '#');
}

// A plugin folder the user cannot write: the script that runs this test bind-mounts TOLVANIER_RO_SOURCE
// read-only at TOLVANIER_RO_PLUGIN. The settings file then lies beside the host's settings, else in the
// user's application data, and is made there from the sample; one beside the module still comes first.
TEST(ReadOnlyPluginFolder, SettingsLieWhereTheUserCanWriteThem) {
    const std::wstring source =
        Utf8ToWide(getenv("TOLVANIER_RO_SOURCE") ? getenv("TOLVANIER_RO_SOURCE") : "");
    const std::wstring plugin =
        Utf8ToWide(getenv("TOLVANIER_RO_PLUGIN") ? getenv("TOLVANIER_RO_PLUGIN") : "");
    if (source.empty() || plugin.empty())
        GTEST_SKIP() << "no read-only folder (run by tests/read_only_folder.sh)";
    TempDir dir{L"module_readonly"};
    const std::wstring host = dir / L"host", appData = dir / L"appdata";
    CreateDirectoryW(host.c_str(), nullptr);
    CreateDirectoryW(appData.c_str(), nullptr);
    const std::string sample =
        "[Options]\r\nListerDirectly=1\r\nLister4=1\r\n[Editor]\r\ntolvro=" + WideToUtf8(ViewAppPath()) +
        "\r\n";
    RemoveTree(source + L"\\Tolvanier.ini");
    CreateDirectoryW((source + L"\\IniSample").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(ModulePath().c_str(), (source + L"\\Tolvanier64.wlx64").c_str(), FALSE));
    ASSERT_TRUE(WriteTextFile(source + L"\\IniSample\\Tolvanier.ini", sample));
    ASSERT_FALSE(WriteTextFile(plugin + L"\\probe.txt", "x")) << "the mount is not read-only";
    SetEnv(L"APPDATA", appData.c_str());
    SetEnv(L"COMMANDER_INI", (host + L"\\wincmd.ini").c_str());
    ASSERT_TRUE(WriteTextFile(host + L"\\TolvanierState.ini", "left"));

    // Made beside the host's settings from the sample, never overwritten, and read from there: with
    // ListerDirectly from it, a load without an active window starts the configured application.
    hoststub::PluginModule module;
    ASSERT_TRUE(module.Load(plugin + L"\\Tolvanier64.wlx64"));
    EXPECT_EQ(ReadFileBytes(host + L"\\Tolvanier.ini"), sample);
    EXPECT_FALSE(FileExistsW(host + L"\\TolvanierState.ini"));
    hoststub::HostStandIn stand;
    const std::wstring log = dir / L"viewapp.log", file = dir / L"a.tolvro";
    ASSERT_TRUE(WriteTextFile(file, "x"));
    SetEnv(L"TOLVANIER_VIEWAPP_LOG", log.c_str());
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"exit");
    // Wine now and then starts no program at all: one more try.
    auto viewWithoutActiveWindow = [&](size_t started) {
        std::wstring name = file;
        for (int attempt = 0; attempt < 2 && ReadLogLines(log).size() < started; ++attempt) {
            module.ListLoadW(stand.CreateLister(), name.data(), 0);
            ReadLogLines(log, started, 5000);
        }
        return ReadLogLines(log).size();
    };
    EXPECT_EQ(viewWithoutActiveWindow(1), 1u);
    module.Unload();
    ASSERT_TRUE(WriteTextFile(host + L"\\Tolvanier.ini", "edited"));
    ASSERT_TRUE(module.Load(plugin + L"\\Tolvanier64.wlx64"));
    module.Unload();
    EXPECT_EQ(ReadFileBytes(host + L"\\Tolvanier.ini"), "edited");

    // No host settings: the user's application data.
    SetEnv(L"COMMANDER_INI", nullptr);
    ASSERT_TRUE(module.Load(plugin + L"\\Tolvanier64.wlx64"));
    module.Unload();
    EXPECT_EQ(ReadFileBytes(appData + L"\\Tolvanier\\Tolvanier.ini"), sample);

    // One beside the module (an administrator's) is read before the one beside the host's settings,
    // whose defaults would decline the load; it is only read, and nothing is made elsewhere.
    RemoveTree(appData + L"\\Tolvanier");
    SetEnv(L"COMMANDER_INI", (host + L"\\wincmd.ini").c_str());
    ASSERT_TRUE(WriteTextFile(source + L"\\Tolvanier.ini", sample));
    ASSERT_TRUE(module.Load(plugin + L"\\Tolvanier64.wlx64"));
    EXPECT_EQ(viewWithoutActiveWindow(2), 2u);
    module.Unload();
    EXPECT_FALSE(FileExistsW(appData + L"\\Tolvanier\\Tolvanier.ini"));
    EXPECT_EQ(ReadFileBytes(source + L"\\Tolvanier.ini"), sample);
    EXPECT_EQ(ReadFileBytes(host + L"\\Tolvanier.ini"), "edited");
    for (const wchar_t* name :
         {L"APPDATA", L"COMMANDER_INI", L"TOLVANIER_VIEWAPP_LOG", L"TOLVANIER_VIEWAPP_MODE"})
        SetEnv(name, nullptr);
}
