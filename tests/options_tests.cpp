// The option cache: keys, defaults, letter case, and when the cache is filled.
#include <gtest/gtest.h>

#include "config/options.h"
#include "shared/state.h"
#include "tests/support/test_support.h"
#include "win/text.h"

using namespace testing_support;

namespace {

struct OptionCache : testing::Test {
    TempDir dir{L"options"};
    void SetUp() override { win::CopyTo(OptionsIniName, dir / L"Tolvanier.ini"); }
    void TearDown() override {
        OptionsIniName[0] = L'\0';
        TolvanierOptions = {};
    }
    void WriteIni(const std::string& text) { ASSERT_TRUE(WriteTextFile(OptionsIniName, text)); }
};

void ExpectDefaults(const TTolvanierOptions& o) {
    EXPECT_FALSE(o.ScrollLockControl);
    EXPECT_FALSE(o.ModalOnly);
    EXPECT_TRUE(o.FindFiles);
    EXPECT_TRUE(o.SyncDirs);
    EXPECT_TRUE(o.TCWindow);
    EXPECT_FALSE(o.QuickView);
    EXPECT_FALSE(o.Lister4);
    EXPECT_FALSE(o.ListerDirectly);
    EXPECT_TRUE(o.OverWrite);
    EXPECT_FALSE(o.IfIsExtOnly);
    EXPECT_TRUE(o.NextPlugin);
    EXPECT_FALSE(o.UseTCExtensions);
    EXPECT_TRUE(o.CopySearchTextToClip);
    EXPECT_FALSE(o.AppFromLister_key);
    EXPECT_FALSE(o.DefSysAppFromLister_key);
    EXPECT_FALSE(o.UseSystemAssociations);
    EXPECT_FALSE(o.ChooseAppFromLister_key);
    EXPECT_TRUE(o.KeepChangedCopies);
    EXPECT_EQ(o.ParamsMode, 1);
    EXPECT_EQ(o.ParamsByExtMode, 0);
    EXPECT_EQ(o.ListerState, 1);
}

} // namespace

TEST_F(OptionCache, DefaultsWithNoIniAndWithAnUnusablePath) {
    ExpectDefaults(config::ReadOptionBlock(OptionsIniName));
    ExpectDefaults(config::ReadOptionBlock(L""));
}

TEST_F(OptionCache, EveryKeyIsReadInAnyLetterCase) {
    WriteIni(
        "[oPTIONS]\r\nscrolllockcontrol=1\r\nMODALONLY=1\r\nFindFiles=0\r\nSyncDirs=0\r\nTCWindow=0\r\n"
        "QuickView=1\r\nLister4=1\r\nListerDirectly=1\r\nOverWrite=0\r\nIfIsExtOnly=1\r\nListerState=7\r\n"
        "NextPlugin=0\r\nUseTCExtensions=1\r\nCopySearchTextToClip=0\r\nParamsMode=0\r\nParamsByExtMode=2\r\n"
        "usesystemassociations=1\r\nKEEPCHANGEDCOPIES=0\r\n[hotkeys]\r\nappfromlister_key="
        "113\r\nDEFSYSAPPFROMLISTER_KEY=F2\r\n"
        "ChooseAppFromLister_KEY=114\r\n");
    const TTolvanierOptions o = config::ReadOptionBlock(OptionsIniName);
    EXPECT_TRUE(o.ScrollLockControl);
    EXPECT_TRUE(o.ModalOnly);
    EXPECT_FALSE(o.FindFiles);
    EXPECT_FALSE(o.SyncDirs);
    EXPECT_FALSE(o.TCWindow);
    EXPECT_TRUE(o.QuickView);
    EXPECT_TRUE(o.Lister4);
    EXPECT_TRUE(o.ListerDirectly);
    EXPECT_FALSE(o.OverWrite);
    EXPECT_TRUE(o.IfIsExtOnly);
    EXPECT_EQ(o.ListerState, 7);
    EXPECT_FALSE(o.NextPlugin);
    EXPECT_TRUE(o.UseTCExtensions);
    EXPECT_FALSE(o.CopySearchTextToClip);
    EXPECT_EQ(o.ParamsMode, 0);
    EXPECT_EQ(o.ParamsByExtMode, 2);
    EXPECT_TRUE(o.AppFromLister_key);
    EXPECT_TRUE(o.DefSysAppFromLister_key); // a key name is text all the same: the hotkey counts as enabled
    EXPECT_TRUE(o.UseSystemAssociations);
    EXPECT_TRUE(o.ChooseAppFromLister_key);
    EXPECT_FALSE(o.KeepChangedCopies);
}

TEST_F(OptionCache, MalformedValuesFollowThePlatformReader) {
    WriteIni("[Options]\nModalOnly=yes\nFindFiles=0abc\nListerState=2abc\nParamsMode=\n[HotKeys]"
             "\nAppFromLister_key=\n");
    const TTolvanierOptions o = config::ReadOptionBlock(OptionsIniName);
    EXPECT_FALSE(o.ModalOnly); // no leading digits: 0
    EXPECT_FALSE(o.FindFiles); // leading digit 0
    EXPECT_EQ(o.ListerState, 2);
    EXPECT_EQ(o.ParamsMode, 1); // present but empty: the platform falls back to the default
    EXPECT_FALSE(o.AppFromLister_key);
}

TEST_F(OptionCache, FilledAtFirstLoadThenOnlyWhileReadOptionsEveryTimeIsSet) {
    WriteIni("[Options]\nModalOnly=1\n");
    FirstLoad = true;
    EXPECT_TRUE(config::RefreshOptionCache());
    EXPECT_FALSE(FirstLoad);
    EXPECT_TRUE(TolvanierOptions.ModalOnly);

    WriteIni("[Options]\nModalOnly=0\n");
    EXPECT_FALSE(config::RefreshOptionCache());
    EXPECT_TRUE(TolvanierOptions.ModalOnly) << "an edit takes effect only after a reload";

    WriteIni("[Options]\nModalOnly=0\nReadOptionsEveryTime=1\n");
    EXPECT_TRUE(config::RefreshOptionCache());
    EXPECT_FALSE(TolvanierOptions.ModalOnly);
    WriteIni("[Options]\nModalOnly=1\nreadoptionseverytime=1\n");
    EXPECT_TRUE(config::RefreshOptionCache());
    EXPECT_TRUE(TolvanierOptions.ModalOnly);
}

TEST_F(OptionCache, FirstLoadIgnoresReadOptionsEveryTime) {
    WriteIni("[Options]\nReadOptionsEveryTime=0\nListerState=2\n");
    FirstLoad = true;
    EXPECT_TRUE(config::RefreshOptionCache());
    EXPECT_EQ(TolvanierOptions.ListerState, 2);
}
