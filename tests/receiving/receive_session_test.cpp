// Receive mode without a screen, over the simulated fax line: faxes that arrive are stored,
// recorded and logged; broken calls keep their complete pages or leave nothing behind.

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "core/app_folders.h"
#include "faxdoc/apf_reader.h"
#include "receive_fixture.h"
#include "receiving/arrival_sound.h"
#include "receiving/receive_mode_lock.h"
#include "receiving/receive_status_text.h"
#include "transport/fax_status_codes.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 240000;

std::vector<TestPage> ThreePages() {
    return {PatternPage(11, true, 300), PatternPage(12, false, 300), PatternPage(13, true, 300)};
}

// The lines of the run in order: each expected line must follow the one before it.
void ExpectLinesInOrder(const QStringList& lines, const QStringList& expected) {
    int at = 0;
    for (const QString& e : expected) {
        const int found = lines.indexOf(e, at);
        EXPECT_GE(found, 0) << "missing after line " << at << ": \"" << e.toStdString()
                            << "\"\nlog:\n"
                            << lines.join('\n').toStdString();
        if (found >= 0) at = found + 1;
    }
}

TEST(ReceiveSession, AFaxArrivesIsStoredRecordedAndLogged) {
    ReceiveSessionFixture f(2);
    const auto pages = ThreePages();
    WriteTiff(f.file("send.tif"), pages);
    ASSERT_TRUE(f.startLine({"--class", "2", "--remote", "send", "--file", f.file("send.tif")}));
    ASSERT_TRUE(f.session->StartReceivingNow())
        << f.session->receiveLog().lines().join('\n').toStdString();
    EXPECT_TRUE(f.session->InReceiveMode());
    // Stored, and back to waiting for the next call.
    ASSERT_TRUE(RunUntil(
        [&] {
            return f.session->faxesStored() == 1 &&
                   f.session->receiveLog().lines().last().endsWith("Waiting for call ");
        },
        kCallTimeoutMs))
        << f.session->receiveLog().lines().join('\n').toStdString();
    EXPECT_EQ(f.line->Wait(), 0) << f.line->Output();
    f.session->StopReceivingNow();
    EXPECT_FALSE(f.session->InReceiveMode());

    const QString file = ReceiveFolder() + "FAX0001.APF";
    ASSERT_EQ(f.stored.size(), 1u);
    EXPECT_EQ(f.stored[0].file, file);
    const auto received = DecodeApf(file.toStdString());
    ASSERT_EQ(received.size(), pages.size());
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(RowDifferences(received[i], pages[i].bitmap), 0) << "page " << i + 1;

    const auto records = IncomingRecords(*f.fdm);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].from.toStdString(), "FAXLINE REMOTE");
    EXPECT_EQ(records[0].pages, 3);
    EXPECT_EQ(records[0].faxFile.toStdString(), "FAX0001.APF");
    EXPECT_EQ(records[0].notes.toStdString(), "");
    EXPECT_EQ(records[0].date, QDate::currentDate().toString("yyyyMMdd"));
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d$").match(records[0].time).hasMatch());
    EXPECT_TRUE(f.errors.empty());

    int badStamps = -1;
    const QStringList log = UnstampedLines(AppFolder() + "Lastrec.log", &badStamps);
    EXPECT_EQ(badStamps, 0);
    ExpectLinesInOrder(log, {"Start: ",
                             "Buffer Size 8192",
                             "Opening com port: COM1",
                             "Opened com port OK",
                             "Checking for modem",
                             "Config",
                             "  Desired BPS: 14400",
                             "  Fax Class: Class 2",
                             "  User INIT String: ",
                             "Start Receive Mode ",
                             "Waiting for call ",
                             "Answering call ",
                             "Call validated as a fax call ",
                             "Connected to FAXLINE REMOTE ",
                             "Receiving a fax ",
                             "Receiving page 1",
                             "Page 1 received ",
                             "Receiving page 3",
                             "Page 3 received ",
                             "3 pages received from FAXLINE REMOTE",
                             "Waiting for call ",
                             "Stopped receive mode "});
    EXPECT_FALSE(QFileInfo::exists(AppFolder() + "receive.lck"));
}

// A call that breaks off: complete pages are kept and recorded with a note, a call without
// one leaves nothing; either way the error window is asked for, closing itself.
struct BrokenCallCase {
    const char* name;
    std::vector<std::string> fault;
    int keptPages;  // 0: no file, no record
};

void PrintTo(const BrokenCallCase& c, std::ostream* os) {
    *os << c.name;
}

class BrokenCall : public ::testing::TestWithParam<BrokenCallCase> {};

TEST_P(BrokenCall, KeepsTheCompletePagesOrNothing) {
    const BrokenCallCase& c = GetParam();
    ReceiveSessionFixture f(2);
    const auto pages = ThreePages();
    WriteTiff(f.file("send.tif"), pages);
    std::vector<std::string> args{"--class",          "2",        "--remote", "send", "--file",
                                  f.file("send.tif"), "--expect", "dropped"};
    args.insert(args.end(), c.fault.begin(), c.fault.end());
    ASSERT_TRUE(f.startLine(args));
    ASSERT_TRUE(f.session->StartReceivingNow());
    ASSERT_TRUE(RunUntil([&] { return f.session->callsFailed() == 1 && !f.errors.empty(); },
                         kCallTimeoutMs))
        << f.session->receiveLog().lines().join('\n').toStdString();
    // Still answering: the engine went back to waiting for the next call.
    ASSERT_TRUE(RunUntil(
        [&] { return f.session->receiveLog().lines().last().endsWith("Waiting for call "); },
        30000))
        << f.session->receiveLog().lines().join('\n').toStdString();
    f.line->Wait();
    EXPECT_TRUE(f.session->InReceiveMode());
    f.session->StopReceivingNow();

    ASSERT_EQ(f.errors.size(), 1u);
    const FaxErrorRequest& e = f.errors[0];
    EXPECT_TRUE(e.receiving);  // the receive flavour of the error window
    EXPECT_TRUE(e.autoClose);
    EXPECT_FALSE(e.allowContinue);
    EXPECT_EQ(e.phase.toStdString(), "Preparing to receive faxes");
    EXPECT_FALSE(e.message.isEmpty());
    const QStringList files = QDir(ReceiveFolder()).entryList(QDir::Files);
    const auto records = IncomingRecords(*f.fdm);
    const QStringList log = UnstampedLines(AppFolder() + "Lastrec.log");
    EXPECT_TRUE(log.contains("Receive Failed with error: " + e.message))
        << log.join('\n').toStdString();
    if (c.keptPages == 0) {
        EXPECT_TRUE(files.isEmpty()) << files.join(' ').toStdString();
        EXPECT_TRUE(records.empty());
        EXPECT_TRUE(e.detail.isEmpty());
        return;
    }
    ASSERT_EQ(files, QStringList{"FAX0001.APF"});
    const auto received = DecodeApf((ReceiveFolder() + "FAX0001.APF").toStdString());
    ASSERT_EQ(int(received.size()), c.keptPages);
    for (int i = 0; i < c.keptPages; ++i)
        EXPECT_EQ(RowDifferences(received[i], pages[i].bitmap), 0) << "page " << i + 1;
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].pages, c.keptPages);
    EXPECT_EQ(records[0].notes,
              QStringLiteral("%1 pages received, but possible errors").arg(c.keptPages));
    EXPECT_EQ(e.detail, QStringLiteral("Note: %1 pages were received and saved").arg(c.keptPages));
    EXPECT_TRUE(log.contains(
        QStringLiteral("%1 pages received from FAXLINE REMOTE POSSIBLE ERRORS").arg(c.keptPages)))
        << log.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Calls, BrokenCall,
    ::testing::Values(BrokenCallCase{"DropAfterTwoGoodPages", {"--drop-after-page", "2"}, 2},
                      BrokenCallCase{"DropInTheFirstPage", {"--drop-after-ms", "400"}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The status texts and log lines receive mode makes of the engine's reports.
TEST(ReceiveStatusText, PanelAndLogLines) {
    struct Row {
        QString engineText, remoteId;
        int page;
        qint64 bytes;
        QString expected;
    } rows[] = {
        {"Waiting for incoming call", "", 0, 0, "Waiting for incoming call"},
        {"Getting page data", "", 2, 100, "Receiving fax"},
        {"Getting page data", " ACME ", 2, 5120, "Receiving fax from: ACME, page 2 (5120 bytes)"},
        {"Getting page data", "ACME", 0, 0, "Receiving fax from: ACME"},
        {"Got Class 2 FHNG code", "ACME", 3, 0, "Hangup successful from: ACME"},
        {"User abort", "ACME", 1, 0, ""},
        {"Answering incoming call ", "ACME", 0, 0, "Answering incoming call from: ACME"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ReceiveStatusPanelText(r.engineText, r.remoteId, r.page, r.bytes), r.expected)
            << r.engineText.toStdString();
    EXPECT_EQ(ReceiveStatusLogLine(fsGettingPage, 4, ""), "Receiving page 4");
    EXPECT_EQ(ReceiveStatusLogLine(fsGettingEOP, 4, ""), "Page 4 received ");
    EXPECT_EQ(ReceiveStatusLogLine(fsGotStationId, 0, "  ACME "), "Connected to ACME ");
    EXPECT_EQ(ReceiveStatusLogLine(fsInitializing, 0, ""), "");
}

// Lastrec.log: repeated lines once, stamps as "yyyy-mm-dd hh:nn:ss", the file replaced.
TEST(ReceiveLogFile, DropsRepeatsStampsAndReplaces) {
    TempHome home;
    ReceiveLog log;
    log.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(7, 5, 3)); };
    log.add("Start: ");
    log.add("Start: ");
    log.add("  Desired BPS: 9600", false);
    log.add("Start: ");
    ASSERT_TRUE(log.save(home.file("Lastrec.log")).ok());
    EXPECT_EQ(home.read("Lastrec.log").toStdString(),
              "2026-12-09 07:05:03  Start: \n  Desired BPS: 9600\n2026-12-09 07:05:03  Start: \n");
    log.clear();
    log.add("Start: ");
    ASSERT_TRUE(log.save(home.file("Lastrec.log")).ok());
    EXPECT_EQ(home.read("Lastrec.log").toStdString(), "2026-12-09 07:05:03  Start: \n");
}

// File names of received faxes, also with the date-prefixed rule.
TEST(ReceiveSessionNaming, PrefixFromTheSetting) {
    ReceiveSessionFixture f(2);
    QDir().mkpath(ReceiveFolder());
    QString name;
    f.session->FxReceiveFax1FaxName(name);
    EXPECT_EQ(name, ReceiveFolder() + "FAX0001.APF");
    f.session->options.alternateNaming = true;
    f.session->FxReceiveFax1FaxName(name);
    EXPECT_EQ(name, ReceiveFolder() + QDate::currentDate().toString("MMdd") + "0001.APF");
}

// One receive mode per data folder: a second one refuses to start and touches nothing.
TEST(ReceiveSession, SecondReceiveModeOnTheSameDataFolderIsRefused) {
    ReceiveSessionFixture f(2);
    ReceiveModeLock other(AppFolder());
    ASSERT_TRUE(other.acquire().ok());
    EXPECT_FALSE(f.session->StartReceivingNow());
    EXPECT_FALSE(f.session->InReceiveMode());
    ASSERT_EQ(f.errors.size(), 1u);
    EXPECT_EQ(f.errors[0].code, -9004);
    EXPECT_TRUE(
        f.errors[0].message.startsWith("Receive mode is already running for this data folder"))
        << f.errors[0].message.toStdString();
    const QStringList log = UnstampedLines(AppFolder() + "Lastrec.log");
    EXPECT_EQ(log.last(), "Error Starting Fax Receive ");
    other.release();
}

}  // namespace
}  // namespace corvane::testing

namespace corvane::testing {
namespace {

// The arrival sound is handed to the desktop's player and never waited for: a player that
// takes its time has not finished when PlayArrivalSound returns. No player, or no file, plays
// nothing.
TEST(ArrivalSound, StartsThePlayerDetachedAndSkipsWhatIsMissing) {
    TempHome home;
    const QString wav = home.write("ring.wav", QByteArray("RIFF....WAVE", 12));
    const QString marker = home.file("played");
    home.write("bin/aplay", ("#!/bin/sh\n/bin/sleep 2\necho \"$@\" > " + marker + "\n").toUtf8());
    QFile::setPermissions(home.file("bin/aplay"),
                          QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::WriteOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", home.file("bin").toLocal8Bit());
    EXPECT_EQ(ArrivalSoundPlayer(), home.file("bin/aplay"));
    EXPECT_FALSE(PlayArrivalSound(home.file("missing.wav")));
    EXPECT_FALSE(PlayArrivalSound(QString()));
    EXPECT_TRUE(PlayArrivalSound(wav));
    EXPECT_FALSE(QFile::exists(marker));  // still playing: nobody waited for it
    qputenv("PATH", home.file("nowhere").toLocal8Bit());
    EXPECT_FALSE(PlayArrivalSound(wav));
    qputenv("PATH", path);
    ASSERT_TRUE(
        RunUntil([&] { return QFile::exists(marker) && QFileInfo(marker).size() > 0; }, 20000));
    EXPECT_EQ(home.read("played").trimmed().toStdString(), ("-q " + wav).toStdString());
}

}  // namespace
}  // namespace corvane::testing
