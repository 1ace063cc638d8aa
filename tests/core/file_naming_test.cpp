#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>

#include "core/app_folders.h"
#include "core/file_naming.h"
#include "fixtures/temp_home.h"

using corvane::testing::TempHome;

namespace corvane {
namespace {

// Creates prefix + n (4 digits) + ".APF" for n in [first, last] except `skip`.
void makeReceived(const TempHome& home, const QString& prefix, int first, int last, int skip = -1) {
    for (int n = first; n <= last; ++n)
        if (n != skip)
            home.touch("RECEIVE/" + prefix + QString::number(n).rightJustified(4, '0') + ".APF");
}

TEST(ReceiveNaming, CoarseToFineSearchFindsTheEndOfTheDenseRange) {
    struct Case {
        const char* what;
        int first, last, skip;
        const char* expected;
    } cases[] = {
        {"empty folder", 1, 0, -1, "FAX0001.APF"},
        {"one fax", 1, 1, -1, "FAX0002.APF"},
        {"gap below the dense range is not reused", 1, 700, 3, "FAX0701.APF"},
        {"range ending inside a step of 25", 1, 60, -1, "FAX0061.APF"},
        {"range ending on a step of 500", 1, 1000, -1, "FAX1001.APF"},
        {"gap at the start", 2, 40, -1, "FAX0001.APF"},
    };
    for (const auto& c : cases) {
        TempHome home;
        QDir().mkpath(home.file("RECEIVE"));
        makeReceived(home, "FAX", c.first, c.last, c.skip);
        EXPECT_EQ(GetUniqueReceiveFileName(ReceiveFolder(), false), ReceiveFolder() + c.expected)
            << c.what;
    }
}

TEST(ReceiveNaming, PastTheDecimalRangeHexNamesNeverHitAnExistingFile) {
    TempHome home;
    makeReceived(home, "FAX", 1, 9999);
    // 10000 is "2710" in hex, but FAX2710.APF .. FAX2719.APF are taken by decimal names: the
    // first free hex name is the first one holding a letter.
    EXPECT_EQ(GetUniqueReceiveFileName(ReceiveFolder(), false), ReceiveFolder() + "FAX271a.APF");
}

TEST(ReceiveNaming, DatePrefixUsesMonthAndDayAndFolderGetsTrailingSlash) {
    TempHome home;
    const QString prefix = QDate::currentDate().toString("MMdd");
    QDir().mkpath(home.file("RECEIVE"));
    QString folder = ReceiveFolder();
    folder.chop(1);
    EXPECT_EQ(GetUniqueReceiveFileName(folder, true), ReceiveFolder() + prefix + "0001.APF");
}

TEST(ReceiveNaming, ExistingNamesAreMatchedWithoutRegardToCase) {
    TempHome home;
    home.touch("Receive/fax0001.apf");
    EXPECT_EQ(GetUniqueReceiveFileName(ReceiveFolder(), false),
              home.path() + "Receive/FAX0002.APF");
}

TEST(ReceiveNaming, ExhaustedRangeFailsInsteadOfReturningAnExistingName) {
    TempHome home;
    QDir().mkpath(home.file("RECEIVE"));
    // Make the last candidate and everything the search walks over exist; creating 65000
    // files is slow, so use a prefix whose decimal search ends at once and fill the hex range.
    const QString prefix = "Z";
    makeReceived(home, prefix, 1, 9999);
    for (int n = 10000; n <= 65000; ++n) {
        QFile f(home.file("RECEIVE/" + prefix + QString::number(n, 16).rightJustified(4, '0') +
                          ".APF"));
        f.open(QIODevice::WriteOnly);
    }
    EXPECT_THROW(GetUniqueReceiveFileNameWithPrefix(ReceiveFolder(), prefix), NamingRangeExhausted);
}

TEST(FiveDigitNaming, FirstFreeNumberInSendAndProgramFolders) {
    TempHome home;
    home.touch("SEND/FAX00000.APF");
    home.touch("SEND/fax00001.apf");
    home.touch("Temp00000.APF");
    EXPECT_EQ(GetUniqueSendFileName("FAX"), SendFolder() + "FAX00002.APF");
    EXPECT_EQ(GetUniqueSendFileName("COV"), SendFolder() + "COV00000.APF");
    EXPECT_EQ(GetUniqueWorkFileName("Temp"), home.path() + "Temp00001.APF");
    EXPECT_EQ(GetUniqueWorkFileName("_tmp"), home.path() + "_tmp00000.APF");
}

TEST(FiveDigitNaming, AFolderWithTheCandidateNameIsSkipped) {
    TempHome home;
    QDir().mkpath(home.file("SEND/FAX00000.APF"));
    EXPECT_EQ(GetUniqueSendFileName("FAX"), SendFolder() + "FAX00001.APF");
}

TEST(CopyWholeFile, CopiesExactlyAndRefusesWhatItCannotDo) {
    TempHome home;
    QByteArray data;
    for (int i = 0; i < 5000; ++i) data.append(char(i * 7));  // more than two 2048-byte blocks
    const QString source = home.write("a.apf", data);
    home.write("b.apf", QByteArray(9000, 'x'));  // longer target is truncated

    EXPECT_TRUE(CopyWholeFile(source, home.file("b.apf")));
    EXPECT_EQ(home.read("b.apf"), data);

    EXPECT_FALSE(CopyWholeFile(source, source));
    EXPECT_EQ(home.read("a.apf"), data);
    EXPECT_FALSE(CopyWholeFile(home.file("missing.apf"), home.file("c.apf")));
    EXPECT_FALSE(QFile::exists(home.file("c.apf")));
    EXPECT_FALSE(CopyWholeFile(source, home.file("no/such/folder/c.apf")));
}

}  // namespace
}  // namespace corvane
