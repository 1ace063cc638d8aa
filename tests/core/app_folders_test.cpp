#include <gtest/gtest.h>

#include "core/app_folders.h"
#include "fixtures/temp_home.h"

using corvane::testing::TempHome;

namespace corvane {
namespace {

TEST(AppFolders, FoldersHangOffAppFolderWithTrailingSlash) {
    TempHome home;
    EXPECT_TRUE(AppFolder().endsWith('/'));
    EXPECT_EQ(AppFolder(), home.path());
    EXPECT_EQ(SendFolder(), home.path() + "SEND/");
    EXPECT_EQ(ReceiveFolder(), home.path() + "RECEIVE/");
    EXPECT_EQ(CoversFolder(), home.path() + "Covers/");
    EXPECT_EQ(SettingsFileName(), home.path() + "QX.INI");
}

TEST(AppFolders, ExistingEntriesAreFoundWithoutRegardToCase) {
    TempHome home;
    home.touch("Receive/fax0001.apf");
    home.touch("qx.ini");
    struct Case {
        const char* asked;
        const char* expected;
    } cases[] = {
        {"RECEIVE/", "Receive/"},
        {"RECEIVE/FAX0001.APF", "Receive/fax0001.apf"},
        {"QX.INI", "qx.ini"},
        {"SEND/", "SEND/"},  // missing: spelled as asked
        {"Receive/FAX0002.APF", "Receive/FAX0002.APF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveName(home.path(), c.asked), home.path() + c.expected) << c.asked;
}

TEST(AppFolders, CorvaneHomeWinsOverOtherLocations) {
    TempHome home;
    setAppFolderOverride(QString());
    qputenv("CORVANE_HOME", (home.path() + "sub").toLocal8Bit());
    EXPECT_EQ(AppFolder(), home.path() + "sub/");
    qunsetenv("CORVANE_HOME");
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    EXPECT_EQ(AppFolder(), home.path() + "corvane/");
    qunsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace corvane
