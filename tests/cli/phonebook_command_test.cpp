#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "fixtures/program_run.h"
#include "fixtures/spreadsheet_csv.h"

namespace {

corvane::testing::ProgramRun runCli(const QString& home, const QStringList& args) {
    return corvane::testing::RunProgram(CORVANE_CLI, args, home, {.timeoutMs = 30000});
}

using corvane::testing::kSpreadsheetCsv;

TEST(CliPhoneBook, ImportSkipsBadRowsByLineAndExportReadsBackInPython) {
    QTemporaryDir home;
    QFile csv(home.filePath("contacts.csv"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write(kSpreadsheetCsv);
    csv.close();

    const corvane::testing::ProgramRun first =
        runCli(home.path(), {"phonebook", "import", csv.fileName()});
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, "5 entries added, 0 already in the phone book, 3 skipped\n");
    EXPECT_EQ(first.err,
              "skipped line 6: the name is empty\n"
              "skipped line 8: the name is longer than 35 characters\n"
              "skipped line 10: the fax number is empty\n");
    // Importing pairs that are already there adds nothing (names compared without case).
    QFile repeat(home.filePath("repeat.csv"));
    ASSERT_TRUE(repeat.open(QIODevice::WriteOnly));
    repeat.write("Name,Fax Number\nSMITH AGAIN,555 0106\n\"The \"\"Best\"\" Shop\",555 0101\n");
    repeat.close();
    const corvane::testing::ProgramRun again =
        runCli(home.path(), {"phonebook", "import", repeat.fileName()});
    EXPECT_EQ(again.out, "0 entries added, 2 already in the phone book, 0 skipped\n");

    const QString exported = home.filePath("export.csv");
    ASSERT_EQ(runCli(home.path(), {"phonebook", "export", exported}).exitCode, 0);
    QProcess python;
    python.start("python3", {"-c",
                             "import csv,sys\n"
                             "rows=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',"
                             "newline='')))\n"
                             "for r in rows: print(repr(r))",
                             exported});
    ASSERT_TRUE(python.waitForFinished(30000));
    const QStringList rows =
        QString::fromUtf8(python.readAllStandardOutput()).trimmed().split('\n');
    ASSERT_EQ(rows.size(), 6) << rows.join('|').toStdString();
    EXPECT_EQ(rows[0], "['Name', 'Fax Number']");
    // Name order without regard to case.
    EXPECT_TRUE(rows[1].startsWith("['Caf")) << rows[1].toStdString();
    EXPECT_EQ(rows.mid(2),
              (QStringList{"['Smith Again', '555 0106']", "['Smith, John', '555 0100']",
                           "['The \"Best\" Shop', '555 0101']", "['Two\\nLines', '555 0102']"}));

    const corvane::testing::ProgramRun missing =
        runCli(home.path(), {"phonebook", "import", home.filePath("none.csv")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.startsWith("corvane-cli: Cannot read")) << missing.err.toStdString();
}

}  // namespace
