#include <gtest/gtest.h>

#include <QFile>

#include "core/locale_formats.h"
#include "core/read_only_recovery.h"
#include "fixtures/temp_home.h"

using corvane::testing::TempHome;

namespace corvane {
namespace {

bool writable(const QString& path) {
    return QFile::permissions(path) & QFileDevice::WriteOwner;
}
void makeReadOnly(const QString& path) {
    QFile::setPermissions(
        path, QFile::permissions(path) & ~(QFileDevice::WriteOwner | QFileDevice::WriteUser));
}

TEST(ReadOnlyRecovery, PatternsMatchWithoutCaseAndOnlyInTheirFolder) {
    const std::pair<const char*, bool> cases[] = {
        {"QXOUT.DBF", true},          {"qxout.cdx", true},         {"QX.INI", true},
        {"Lastrec.log", true},        {"ring.WAV", true},          {"UNWISE.EXE", true},
        {"qxpb.exe", true},           {"Covers/qx0001.fcs", true}, {"covers/README", true},
        {"SEND/FAX00000.APF", false}, {"FAX0001.APF", false},      {"SEND/x.dbf", false},
    };
    for (auto [name, expected] : cases) EXPECT_EQ(IsRecoverableDataFile(name), expected) << name;
}

TEST(ReadOnlyRecovery, RunsOnlyWhenTheSettingsFileIsReadOnly) {
    TempHome home;
    const QString ini = home.touch("QX.INI");
    const QString dbf = home.touch("QXOUT.DBF");
    const QString cover = home.touch("Covers/qx0001.fcs");
    const QString fax = home.touch("SEND/FAX00000.APF");
    const QString hidden = home.touch(".x.dbf");
    for (const QString& p : {dbf, cover, fax, hidden}) makeReadOnly(p);

    EXPECT_EQ(RecoverReadOnlyFiles(home.path()), 0);  // QX.INI is writable: nothing happens
    EXPECT_FALSE(writable(dbf));

    makeReadOnly(ini);
    EXPECT_EQ(RecoverReadOnlyFiles(home.path()), 3);  // QX.INI, QXOUT.DBF, the cover
    EXPECT_TRUE(writable(ini));
    EXPECT_TRUE(writable(dbf));
    EXPECT_TRUE(writable(cover));
    EXPECT_FALSE(writable(fax));
    EXPECT_FALSE(writable(hidden));
}

TEST(LocaleFormats, DefaultsAndLocaleDerivedFormats) {
    const LocaleFormats c = ReadLocaleFormats(QLocale::c());
    EXPECT_EQ(c.shortDate, "m/d/yy");
    EXPECT_EQ(c.longDate, "mmmm d, yyyy");
    EXPECT_EQ(c.shortTime, "h:mm AMPM");

    const LocaleFormats us = ReadLocaleFormats(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.dateSeparator, "/");
    EXPECT_TRUE(us.shortTime.endsWith(" AMPM"));
    const LocaleFormats de = ReadLocaleFormats(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.dateSeparator, ".");
    EXPECT_EQ(de.shortTime, "hh:mm");
    EXPECT_EQ(de.longTime, "hh:mm:ss");

    EXPECT_EQ(BuildTimeFormat(false, true, true), "h:mm:ss AMPM");
}

}  // namespace
}  // namespace corvane
