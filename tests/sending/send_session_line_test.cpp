// Whole sends through the simulated fax line, as the send window runs them: the pages at the
// far end, the record, the result texts and the send log; and every way a send fails.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "send_line_fixture.h"
#include "transport/uucp_lock.h"

namespace corvane::testing {
namespace {

// The lines of a send log without the time stamps of "Start:" and "Finish:".
QStringList WithoutStamps(QStringList lines) {
    for (QString& l : lines) {
        if (l.startsWith("Start:")) l = "Start:";
        if (l.startsWith("Finish: ")) l = "Finish:";
    }
    return lines;
}

struct EndToEndCase {
    const char* name;
    const char* faxlineClass;
    int storedClass;
    const char* className;
};

class SendEndToEnd : public ::testing::TestWithParam<EndToEndCase> {};

TEST_P(SendEndToEnd, CoverAndTwoPagesArriveRowForRowAndTheRecordSaysSo) {
    const EndToEndCase& c = GetParam();
    SendFixture f;
    f.settings.FaxClass = c.storedClass;
    const std::vector<TestPage> cover{PatternPage(7, true, 300)};
    const std::vector<TestPage> document{PatternPage(1, true, 250), PatternPage(2, true, 250)};
    const uint32_t recno = f.addFax(cover, document);
    FaxlineRun line(f.line, {"--modem", f.line / "modem", "--class", c.faxlineClass, "--file",
                             f.line / "remote.tif"});
    ASSERT_TRUE(line.WaitReady());
    SendSession session(f.settings, f.ui);
    const SendOutcome outcome = f.send(recno, session);
    EXPECT_EQ(line.Wait(), 0) << line.Output();

    ASSERT_TRUE(outcome.sentOk) << outcome.resultText.toStdString();
    EXPECT_TRUE(f.ui.errors.empty());
    ASSERT_EQ(f.ui.messages.size(), 1);
    EXPECT_EQ(f.ui.messages[0], outcome.resultText);
    const QRegularExpression result("^3 pages of 3 were sent\\. Transmission time: \\d\\d:\\d\\d$");
    EXPECT_TRUE(result.match(outcome.resultText).hasMatch()) << outcome.resultText.toStdString();

    const auto received = faxline::testing::ReadTiffPages(f.line / "remote.tif");
    ASSERT_EQ(received.size(), 3u);
    const TestPage* pages[] = {&cover[0], &document[0], &document[1]};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(RowDifferences(received[size_t(i)],
                                 ExpectedSentPage(*pages[i], ExpectedHeader(i + 1, 3))),
                  0)
            << "page " << i + 1;

    xbase::XbaseTable& t = f.fdm.FaxTable;
    ASSERT_TRUE(t.go(recno));
    EXPECT_EQ(t.fieldText("LASTRESULT"), outcome.resultText);
    EXPECT_EQ(t.fieldText("PHONE"), "5550199");
    EXPECT_EQ(t.fieldDate("DATESENT"), outcome.finishTime.date());
    EXPECT_EQ(t.fieldText("TIMESENT"), outcome.finishTime.toString("hh:mm"));

    QStringList expected{"Start:",
                         "Opening com port: COM1",
                         "Opened com port OK",
                         "Checking for modem",
                         "Desired BPS: 9600",
                         "Negotiate between pages: OFF",
                         "Fax#: 5550199",
                         QString("Fax Class: ") + c.className,
                         "StationID: 555 0100",
                         "User INIT String: ",
                         "StartTransmit"};
    for (int page = 1; page <= 3; ++page)
        expected << "Sending page data"
                 << QString("Page %1 sent, waiting for acknowledgement from recipient").arg(page)
                 << QString("Page %1 acknowledgement received").arg(page);
    expected << "Faxfinish Code: 0"
             << "Result: Sent 3 pages"
             << "Finish:";
    EXPECT_EQ(WithoutStamps(f.lastSendLog()), expected);
}

INSTANTIATE_TEST_SUITE_P(Classes, SendEndToEnd,
                         ::testing::Values(EndToEndCase{"Class1", "1", 1, "Class 1"},
                                           EndToEndCase{"Class20", "2", 3, "Class 2.0"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SendOnTheLine, CoverOnlyFaxSendsTheCoverAsItsOnlyFile) {
    SendFixture f;
    const std::vector<TestPage> cover{PatternPage(4, true, 200)};
    const uint32_t recno = f.addFax(cover, {});
    const SendRequest r = f.requestFor(recno);
    EXPECT_TRUE(r.coverPath.isEmpty());
    EXPECT_TRUE(r.documentPath.endsWith("SEND/COV00001.APF"));
    FaxlineRun line(f.line,
                    {"--modem", f.line / "modem", "--class", "1", "--file", f.line / "remote.tif"});
    ASSERT_TRUE(line.WaitReady());
    SendSession session(f.settings, f.ui);
    const SendOutcome outcome = f.send(recno, session);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    ASSERT_TRUE(outcome.sentOk);
    EXPECT_TRUE(outcome.resultText.startsWith("1 page of 1 was sent. Transmission time: "));
    const auto received = faxline::testing::ReadTiffPages(f.line / "remote.tif");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(RowDifferences(received[0], ExpectedSentPage(cover[0], ExpectedHeader(1, 1))), 0);
}

// Class 1 between two pages: MPS keeps the parameters; EOM makes the far end negotiate again
// (a second DCS). The settings decide, and a change of resolution always renegotiates.
TEST(SendOnTheLine, RenegotiateBetweenPagesDecidesMpsOrEom) {
    const struct {
        const char* name;
        bool renegotiate;
        bool documentFine;
        int mps, eom, dcs;
    } rows[] = {
        {"off, one resolution", false, true, 1, 0, 1},
        {"on, one resolution", true, true, 0, 1, 2},
        {"off, resolution changes", false, false, 0, 1, 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SendFixture f;
        f.settings.RenegotiateBetween = r.renegotiate;
        const std::vector<TestPage> cover{PatternPage(5, true, 120)};
        const std::vector<TestPage> document{PatternPage(6, r.documentFine, 120)};
        const uint32_t recno = f.addFax(cover, document);
        FaxlineRun line(f.line, {"--modem", f.line / "modem", "--class", "1", "--file",
                                 f.line / "remote.tif", "--verbose"});
        ASSERT_TRUE(line.WaitReady());
        SendSession session(f.settings, f.ui);
        const SendOutcome outcome = f.send(recno, session);
        EXPECT_EQ(line.Wait(), 0) << line.Output();
        ASSERT_TRUE(outcome.sentOk) << outcome.resultText.toStdString();
        const auto received = faxline::testing::ReadTiffPages(f.line / "remote.tif");
        ASSERT_EQ(received.size(), 2u);
        EXPECT_EQ(RowDifferences(received[1], ExpectedSentPage(document[0], ExpectedHeader(2, 2))),
                  0);

        // The far end's protocol log names each frame it receives.
        QString log;
        for (const QFileInfo& file : QDir(QString::fromStdString(f.line.path().string()))
                                         .entryInfoList({"faxline-*.err"}, QDir::Files)) {
            QFile in(file.filePath());
            if (in.open(QIODevice::ReadOnly)) log += QString::fromLatin1(in.readAll());
        }
        const auto framesReceived = [&](const char* frame) {
            return log.count(QRegularExpression(QStringLiteral("Rx:\\s+%1 ").arg(frame)));
        };
        EXPECT_EQ(framesReceived("MPS"), r.mps);
        EXPECT_EQ(framesReceived("EOM"), r.eom);
        EXPECT_EQ(framesReceived("DCS"), r.dcs);
    }
}

// Failures before the call: the code, the message, the log lines, and nothing but the
// number in the record.
TEST(SendOnTheLine, PortFailuresStopBeforeTheCall) {
    QTemporaryDir locks;
    qputenv("CORVANE_LOCK_DIR", locks.path().toUtf8());
    SendFixture f;
    const uint32_t recno = f.addFax({}, {PatternPage(1, false, 50)});

    // Nobody holds this pseudo-terminal's other end: the port opens, no modem answers.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const QString silent = QString::fromLocal8Bit(ptsname(master));

    const struct {
        const char* what;
        QString device;
        bool lockedByOther;
        int code;
        const char* message;
        QStringList logTail;
    } rows[] = {
        {"port missing",
         QString::fromStdString(f.line / "no-such-modem"),
         false,
         -9001,
         "Error opening Communications Port",
         {"Opening com port: COM1", "Error opening com port: COM1",
          "Message:Unable to open the specified communications port"}},
        {"port locked by another program",
         silent,
         true,
         -9004,
         "Communications Port is in use",
         {"Opening com port: COM1", "Error opening com port: COM1",
          "Message:The communications port is in use"}},
        {"no modem answering",
         silent,
         false,
         -9000,
         "Error checking for modem",
         {"Opening com port: COM1", "Opened com port OK", "Checking for modem",
          "Error checking for modem", "Exit"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        f.setPort(r.device);
        const QString lock = locks.path() + "/" + UucpLockFileName(r.device);
        if (r.lockedByOther) {
            QFile file(lock);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::number(1).rightJustified(10, ' ') + "\n");  // init runs
        }
        f.ui = RecordingUi();
        SendSession session(f.settings, f.ui);
        const SendOutcome outcome = f.send(recno, session);
        QFile::remove(lock);
        EXPECT_FALSE(outcome.sentOk);
        EXPECT_TRUE(outcome.resultText.isEmpty());
        ASSERT_EQ(f.ui.errors.size(), 1u);
        const FaxErrorRequest& e = f.ui.errors[0];
        EXPECT_EQ(e.code, r.code);
        EXPECT_EQ(e.message, r.message);
        EXPECT_FALSE(e.receiving);
        EXPECT_EQ(e.phase, "Preparing to send fax");
        EXPECT_EQ(e.allowContinue, r.code == -9000);
        EXPECT_FALSE(e.allowSuggest);
        EXPECT_TRUE(f.ui.messages.isEmpty());
        QStringList log = f.lastSendLog();
        ASSERT_FALSE(log.isEmpty());
        EXPECT_TRUE(log.front().startsWith("Start:"));
        EXPECT_EQ(log.mid(1), r.logTail);
        ASSERT_TRUE(f.fdm.FaxTable.go(recno));
        EXPECT_EQ(f.fdm.FaxTable.fieldText("LASTRESULT"), "");
        EXPECT_FALSE(f.fdm.FaxTable.fieldDate("DATESENT").isValid());
        EXPECT_EQ(f.fdm.FaxTable.fieldText("PHONE"), "5550199");
    }

    // Continue after the failed check goes on to the reset string, which gets no answer
    // either.
    f.setPort(silent);
    f.settings.ResetString = "ATZ";
    f.ui = RecordingUi();
    f.ui.continueAnswer = true;
    SendSession session(f.settings, f.ui);
    f.send(recno, session);
    ASSERT_EQ(f.ui.errors.size(), 2u);
    EXPECT_EQ(f.ui.errors[0].code, -9000);
    EXPECT_EQ(f.ui.errors[1].code, -9003);
    EXPECT_EQ(f.ui.errors[1].message, "Error sending reset string to modem");
    EXPECT_TRUE(f.ui.errors[1].allowSuggest);
    EXPECT_EQ(f.lastSendLog().mid(1),
              QStringList({"Opening com port: COM1", "Opened com port OK", "Checking for modem",
                           "Error checking for modem", "Sending reset string: ATZ",
                           "Failure sending reset string: ATZ", "Exiting..."}));
    ::close(master);
    qunsetenv("CORVANE_LOCK_DIR");
}

// A named telephony device opens its path; a name that matches none gives -9002.
TEST(SendOnTheLine, TelephonyDeviceByName) {
    SendFixture f;
    f.home.write("QX.INI", QStringLiteral("[Telephony]\r\nDevice1=Test Fax Modem|%1\r\n")
                               .arg(QString::fromStdString(f.line / "modem"))
                               .toUtf8());
    f.settings.UseTAPI = true;
    f.settings.TAPIDevice = "No Such Modem";
    const uint32_t recno = f.addFax({}, {PatternPage(1, false, 100)});
    {
        SendSession session(f.settings, f.ui);
        f.send(recno, session);
        ASSERT_EQ(f.ui.errors.size(), 1u);
        EXPECT_EQ(f.ui.errors[0].code, -9002);
        EXPECT_EQ(f.ui.errors[0].message, "Error opening Communications Port with TAPI");
        EXPECT_EQ(f.lastSendLog().mid(1), QStringList({"Opening with TAPI using: No Such Modem",
                                                       "Error opening : No Such Modem",
                                                       "Message:Unable to assign TAPI device"}));
    }
    f.settings.TAPIDevice = "Test Fax Modem";
    f.ui = RecordingUi();
    FaxlineRun line(f.line,
                    {"--modem", f.line / "modem", "--class", "1", "--file", f.line / "remote.tif"});
    ASSERT_TRUE(line.WaitReady());
    SendSession session(f.settings, f.ui);
    const SendOutcome outcome = f.send(recno, session);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_TRUE(outcome.sentOk) << outcome.resultText.toStdString();
    const QStringList log = f.lastSendLog();
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log[1], "Opening with TAPI using: Test Fax Modem");
    EXPECT_EQ(log[2], "Opened com port with TAPI: Test Fax Modem");
}

TEST(SendOnTheLine, ResetStringTheModemRefuses) {
    SendFixture f;
    f.settings.ResetString = "AT+NOSUCHCOMMAND";
    const uint32_t recno = f.addFax({}, {PatternPage(1, false, 50)});
    FaxlineRun line(f.line, {"--modem", f.line / "modem", "--class", "1", "--file",
                             f.line / "remote.tif", "--expect", "not-called", "--timeout", "30"});
    ASSERT_TRUE(line.WaitReady());
    SendSession session(f.settings, f.ui);
    f.send(recno, session);
    ASSERT_EQ(f.ui.errors.size(), 1u);
    EXPECT_EQ(f.ui.errors[0].code, -9003);
    EXPECT_EQ(f.ui.errors[0].phase, "Preparing to send fax");
    EXPECT_EQ(f.lastSendLog().mid(1),
              QStringList({"Opening com port: COM1", "Opened com port OK", "Checking for modem",
                           "Sending reset string: AT+NOSUCHCOMMAND",
                           "Failure sending reset string: AT+NOSUCHCOMMAND", "Exiting..."}));
    line.Wait();
}

// Failures of the call itself: the engine's code becomes the result, the error window offers
// Suggest and says how many pages went.
TEST(SendOnTheLine, CallFailuresGiveTheirCodeTextAndPages) {
    const struct {
        const char* what;
        std::vector<std::string> faxline;
        int pages;
        int attempts;
        int code;
        const char* detail;
        int mustSee;  // an engine status the call must have shown, 0 for none
    } rows[] = {
        {"busy with retries",
         {"--busy", "--expect", "busy"},
         1,
         2,
         -8064,
         "No pages were sent",
         4803},
        // A Class 1 modem reports an unanswered call and a person who picks up as NO CARRIER
        // before any fax frame (only a dial string with "@" brings NO ANSWER): the remote did
        // not answer.
        {"no answer",
         {"--no-answer", "--expect", "no-answer"},
         1,
         1,
         -8074,
         "No pages were sent",
         0},
        {"voice answer",
         {"--answer", "voice", "--expect", "failed"},
         1,
         1,
         -8074,
         "No pages were sent",
         0},
        // Page 2 goes into a dead line and is never confirmed; page 3 never goes.
        {"drop after page 1",
         {"--drop-after-page", "1", "--expect", "dropped"},
         3,
         1,
         -8069,
         "1 page was sent",
         0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        SendFixture f;
        f.settings.DialAttempts = r.attempts;
        f.settings.InitString = "ATS7=20";  // the modem gives up on an unanswered call sooner
        std::vector<TestPage> pages;
        for (int p = 0; p < r.pages; ++p) pages.push_back(PatternPage(p + 1, false, 200));
        const uint32_t recno = f.addFax({}, pages);
        std::vector<std::string> args{"--modem", f.line / "modem", "--class",
                                      "1",       "--file",         f.line / "remote.tif"};
        args.insert(args.end(), r.faxline.begin(), r.faxline.end());
        FaxlineRun line(f.line, args);
        ASSERT_TRUE(line.WaitReady());
        SendSession session(f.settings, f.ui);
        const SendOutcome outcome = f.send(recno, session);
        line.Wait();
        EXPECT_FALSE(outcome.sentOk);
        EXPECT_EQ(outcome.code, r.code) << f.lastSendLog().join('\n').toStdString();
        ASSERT_EQ(f.ui.errors.size(), 1u);
        const FaxErrorRequest& e = f.ui.errors[0];
        EXPECT_EQ(e.code, r.code);
        EXPECT_EQ(e.message, FaxErrorTextOr(r.code, ""));
        EXPECT_EQ(e.detail, r.detail);
        EXPECT_EQ(e.phase, "Sending a fax");
        EXPECT_TRUE(e.allowSuggest);
        EXPECT_FALSE(e.allowContinue);
        if (r.mustSee) {
            EXPECT_TRUE(f.ui.sawStatus(r.mustSee));
        }
        if (r.mustSee == fsBusyWait) {
            // The status window counts the retry wait down.
            EXPECT_TRUE(f.ui.viewTexts.contains("Busy, waiting until redial... 2"))
                << f.ui.viewTexts.join('|').toStdString();
        }
        ASSERT_TRUE(f.fdm.FaxTable.go(recno));
        EXPECT_EQ(f.fdm.FaxTable.fieldText("LASTRESULT"), FaxErrorTextOr(r.code, ""));
        EXPECT_FALSE(f.fdm.FaxTable.fieldDate("DATESENT").isValid());
        const QStringList log = f.lastSendLog();
        ASSERT_GE(log.size(), 3);
        EXPECT_EQ(log[log.size() - 3], QString("Faxfinish Code: %1").arg(r.code));
        EXPECT_EQ(log[log.size() - 2], "Result: " + FaxErrorTextOr(r.code, ""));
    }
}

TEST(SendOnTheLine, CancelDuringPageTwo) {
    SendFixture f;
    const uint32_t recno = f.addFax({}, {PatternPage(1, true, 300), PatternPage(2, true, 1500)});
    FaxlineRun line(f.line, {"--modem", f.line / "modem", "--class", "1", "--file",
                             f.line / "remote.tif", "--expect", "failed"});
    ASSERT_TRUE(line.WaitReady());
    SendSession session(f.settings, f.ui);
    f.ui.onFaxStatus = [&](TFxSendFax& fax) {
        if (fax.FaxStatus() == fsSendingPage && fax.CurrentPage() == 2 &&
            fax.BytesTransferred() > 0 && !SendSession::UserCancelled())
            session.cancel();
    };
    const SendOutcome outcome = f.send(recno, session);
    line.Wait();
    EXPECT_FALSE(outcome.sentOk);
    EXPECT_TRUE(f.ui.errors.empty());
    EXPECT_EQ(f.ui.messages, QStringList{"Fax transmission cancelled. 1 page was sent."});
    ASSERT_TRUE(f.fdm.FaxTable.go(recno));
    EXPECT_EQ(f.fdm.FaxTable.fieldText("LASTRESULT"), FaxErrorTextOr(-6005, ""));
    EXPECT_FALSE(f.fdm.FaxTable.fieldDate("DATESENT").isValid());
}

// The line drops after page 1 is confirmed, so the last page's data go into a dead line and
// no confirmation comes. The engine sees the line gone (the modem refuses to send the
// post-page command), so the call failed: it is never counted as sent.
TEST(SendOnTheLine, ALineThatDropsBeforeTheLastConfirmationFailsTheFax) {
    SendFixture f;
    const uint32_t recno = f.addFax({}, {PatternPage(1, true, 200), PatternPage(2, true, 200)});
    FaxlineRun line(f.line,
                    {"--modem", f.line / "modem", "--class", "1", "--file", f.line / "remote.tif",
                     "--drop-after-page", "1", "--expect", "dropped"});
    ASSERT_TRUE(line.WaitReady());
    SendSession session(f.settings, f.ui);
    const SendOutcome outcome = f.send(recno, session);
    line.Wait();
    const QStringList log = f.lastSendLog();
    EXPECT_TRUE(log.contains("Faxfinish Code: -8069")) << log.join('\n').toStdString();
    EXPECT_FALSE(outcome.sentOk) << outcome.resultText.toStdString();
    EXPECT_FALSE(outcome.note);
    ASSERT_EQ(f.ui.errors.size(), 1u);
    EXPECT_EQ(f.ui.errors[0].code, -8069);
    EXPECT_EQ(f.ui.errors[0].detail, "1 page was sent");
    ASSERT_TRUE(f.fdm.FaxTable.go(recno));
    EXPECT_EQ(f.fdm.FaxTable.fieldText("LASTRESULT"), FaxErrorTextOr(-8069, ""));
    EXPECT_FALSE(f.fdm.FaxTable.fieldDate("DATESENT").isValid());
}

}  // namespace
}  // namespace corvane::testing
