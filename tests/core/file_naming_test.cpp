#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <functional>

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
        EXPECT_EQ(GetUniqueReceiveFileName(ReceiveFolder(), false).value(),
                  ReceiveFolder() + c.expected)
            << c.what;
    }
}

TEST(ReceiveNaming, NamesHeldByAnyEntryAreSkipped) {
    // Whatever holds a name (a folder, a link, a dangling link, another letter case) makes it
    // impossible to create the fax under that name.
    struct Case {
        const char* what;
        std::function<void(const TempHome&)> make;
    } cases[] = {
        {"folder", [](auto& h) { QDir().mkpath(h.file("RECEIVE/FAX0001.APF")); }},
        {"folder in other case", [](auto& h) { QDir().mkpath(h.file("RECEIVE/fax0001.apf")); }},
        {"dangling link",
         [](auto& h) { QFile::link(h.file("gone"), h.file("RECEIVE/FAX0001.APF")); }},
        {"link to a folder",
         [](auto& h) { QFile::link(h.file("RECEIVE"), h.file("RECEIVE/FAX0001.APF")); }},
    };
    for (const auto& c : cases) {
        TempHome home;
        QDir().mkpath(home.file("RECEIVE"));
        c.make(home);
        EXPECT_EQ(GetUniqueReceiveFileName(ReceiveFolder(), false).value(),
                  ReceiveFolder() + "FAX0002.APF")
            << c.what;
    }
}

TEST(ReceiveNaming, PastTheDecimalRangeHexNamesNeverHitAnExistingFile) {
    TempHome home;
    makeReceived(home, "FAX", 1, 9999);
    // 10000 is "2710" in hex, but FAX2710.APF .. FAX2719.APF are taken by decimal names: the
    // first free hex name is the first one holding a letter.
    EXPECT_EQ(GetUniqueReceiveFileName(ReceiveFolder(), false).value(),
              ReceiveFolder() + "FAX271a.APF");
}

TEST(ReceiveNaming, DatePrefixUsesMonthAndDayAndFolderGetsTrailingSlash) {
    TempHome home;
    const QString prefix = QDate::currentDate().toString("MMdd");
    QDir().mkpath(home.file("RECEIVE"));
    QString folder = ReceiveFolder();
    folder.chop(1);
    EXPECT_EQ(GetUniqueReceiveFileName(folder, true).value(),
              ReceiveFolder() + prefix + "0001.APF");
}

TEST(ReceiveNaming, ExistingNamesAreMatchedWithoutRegardToCase) {
    TempHome home;
    home.touch("Receive/fax0001.apf");
    EXPECT_EQ(GetUniqueReceiveFileName(ReceiveFolder(), false).value(),
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
    const Result<QString> name = GetUniqueReceiveFileNameWithPrefix(ReceiveFolder(), prefix);
    ASSERT_FALSE(name.ok());
    EXPECT_EQ(name.message(), QStringLiteral("No free name is left for received faxes starting "
                                             "with \"Z\" in %1")
                                  .arg(ReceiveFolder()));
}

TEST(FiveDigitNaming, FirstFreeNumberInSendAndProgramFolders) {
    TempHome home;
    home.touch("SEND/FAX00000.APF");
    home.touch("SEND/fax00001.apf");
    home.touch("Temp00000.APF");
    EXPECT_EQ(GetUniqueSendFileName("FAX").value(), SendFolder() + "FAX00002.APF");
    EXPECT_EQ(GetUniqueSendFileName("COV").value(), SendFolder() + "COV00000.APF");
    EXPECT_EQ(GetUniqueWorkFileName("Temp").value(), home.path() + "Temp00001.APF");
    EXPECT_EQ(GetUniqueWorkFileName("_tmp").value(), home.path() + "_tmp00000.APF");
}

TEST(FiveDigitNaming, AFolderWithTheCandidateNameIsSkipped) {
    TempHome home;
    QDir().mkpath(home.file("SEND/FAX00000.APF"));
    EXPECT_EQ(GetUniqueSendFileName("FAX").value(), SendFolder() + "FAX00001.APF");
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

TEST(CopyWholeFile, RefusesTheSameFileUnderAnotherNameAndLeavesItWhole) {
    TempHome home;
    const QByteArray data(5000, 'f');
    const QString file = home.write("dir/c.txt", data);
    ASSERT_TRUE(QFile::link(file, home.file("link.txt")));
    ASSERT_EQ(::link(QFile::encodeName(file).constData(),
                     QFile::encodeName(home.file("hard.txt")).constData()),
              0);
    const QString other[] = {
        home.file("dir/./c.txt"), home.file("dir/../dir/c.txt"), home.path() + "/dir//c.txt",
        home.file("link.txt"),    home.file("hard.txt"),
    };
    for (const QString& name : other) {
        EXPECT_FALSE(CopyWholeFile(file, name)) << name.toStdString();
        EXPECT_FALSE(CopyWholeFile(name, file)) << name.toStdString();
        EXPECT_EQ(home.read("dir/c.txt"), data) << name.toStdString();
    }
}

// Lowers the largest file size this process may write, so that a copy fails part way as on a
// full disk; writes past the limit fail with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST(CopyWholeFile, ACopyFailingPartWayLeavesNoPartialTarget) {
    TempHome home;
    const QString source = home.write("big.apf", QByteArray(20000, 'b'));
    const QString previous = home.write("old.apf", QByteArray(100, 'o'));
    const QStringList before = QDir(home.path()).entryList(QDir::Files);
    {
        FileSizeLimit limit(8192);
        EXPECT_FALSE(CopyWholeFile(source, home.file("new.apf")));
        EXPECT_FALSE(CopyWholeFile(source, previous));
    }
    EXPECT_FALSE(QFile::exists(home.file("new.apf")));
    EXPECT_EQ(home.read("old.apf"), QByteArray(100, 'o'));        // the old target is untouched
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files), before);  // no leftover work file
}

}  // namespace
}  // namespace corvane
