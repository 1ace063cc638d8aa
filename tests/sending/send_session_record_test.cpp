// The outgoing record's side of a send (which files, what is stored back), the send log, and
// the texts of the error window.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/app_folders.h"
#include "fixtures/temp_home.h"
#include "logs/fax_data_module.h"
#include "sending/fax_error_form_state.h"
#include "sending/send_session.h"
#include "sending/send_session_log.h"
#include "sending/send_session_record.h"

namespace corvane::testing {
namespace {

struct OutgoingLog {
    TempHome home;
    TFDM fdm;
    OutgoingLog() {
        QDir().mkpath(AppFolder() + "SEND");
        EXPECT_TRUE(fdm.OpenFaxLogs());
    }
    uint32_t add(const QString& doc, const QString& cover) {
        OutgoingFaxFields f;
        f.subject = "Quote";
        f.recipient = "Acme Ltd";
        f.phone = "555 0100";
        f.faxDoc = doc;
        f.faxCover = cover;
        EXPECT_TRUE(fdm.AppendOutgoingFax(f));
        return fdm.FaxTable.recNo();
    }
};

TEST(SendRecord, FilesThatExistDecideWhatIsSent) {
    OutgoingLog log;
    log.home.touch("SEND/FAX00001.APF");
    log.home.touch("SEND/COV00001.APF");
    log.home.touch("SEND/fax00002.apf");  // named in another case in the record
    const QString send = AppFolder() + "SEND/";
    const struct {
        const char* doc;
        const char* cover;
        QString document, coverPath;  // empty document: "Error opening fax file"
    } rows[] = {
        {"FAX00001.APF", "COV00001.APF", send + "FAX00001.APF", send + "COV00001.APF"},
        {"FAX00001.APF", "", send + "FAX00001.APF", ""},
        {"FAX00001.APF", "COV09999.APF", send + "FAX00001.APF", ""},
        {"", "COV00001.APF", send + "COV00001.APF", ""},  // the cover alone
        {"FAX09999.APF", "COV00001.APF", send + "COV00001.APF", ""},
        {"FAX00002.APF", "", send + "fax00002.apf", ""},
        {"FAX09999.APF", "", "", ""},
        {"", "", "", ""},
    };
    for (const auto& r : rows) {
        log.add(r.doc, r.cover);
        const Result<OutgoingFaxToSend> fax = ReadFaxToSend(log.fdm.FaxTable);
        SCOPED_TRACE(std::string(r.doc) + " / " + r.cover);
        if (r.document.isEmpty()) {
            ASSERT_FALSE(fax.ok());
            EXPECT_EQ(fax.message(), "Error opening fax file");
            continue;
        }
        ASSERT_TRUE(fax.ok());
        EXPECT_EQ(fax.value().documentPath, r.document);
        EXPECT_EQ(fax.value().coverPath, r.coverPath);
        EXPECT_EQ(fax.value().recipient, "Acme Ltd");
        EXPECT_EQ(fax.value().phone, "555 0100");
        EXPECT_EQ(fax.value().subject, "Quote");
    }
}

TEST(SendRecord, ChecksComeInTheirOrder) {
    EXPECT_EQ(CheckSendCommand(true, true, false), SendCommandCheck::InReceiveMode);
    EXPECT_EQ(CheckSendCommand(false, true, false), SendCommandCheck::IncomingTab);
    EXPECT_EQ(CheckSendCommand(false, false, false), SendCommandCheck::NoRecord);
    EXPECT_EQ(CheckSendCommand(false, false, true), SendCommandCheck::Go);
}

TEST(SendRecord, ResultNumberAndSendingTimeAreStored) {
    OutgoingLog log;
    const uint32_t first = log.add("A.APF", "");
    const uint32_t second = log.add("B.APF", "");
    const uint32_t third = log.add("C.APF", "");
    xbase::XbaseTable& t = log.fdm.FaxTable;

    SendOutcome sent;
    sent.sentOk = true;
    sent.resultText = "  2 pages of 2 were sent. Transmission time: 00:41 ";
    sent.finishTime = QDateTime(QDate(2026, 3, 4), QTime(9, 5, 59));
    ASSERT_TRUE(StoreSendResult(t, first, "5550101", sent).ok());

    SendOutcome failed;
    failed.resultText = "Called fax number was busy";
    failed.finishTime = sent.finishTime;
    ASSERT_TRUE(StoreSendResult(t, second, "5550102", failed).ok());

    SendOutcome stopped;  // stopped before the call: only the number
    ASSERT_TRUE(StoreSendResult(t, third, "5550103", stopped).ok());

    ASSERT_TRUE(t.go(first));
    EXPECT_EQ(t.fieldText("LASTRESULT"), "2 pages of 2 were sent. Transmission time: 00:41");
    EXPECT_EQ(t.fieldText("PHONE"), "5550101");
    EXPECT_EQ(t.fieldDate("DATESENT"), QDate(2026, 3, 4));
    EXPECT_EQ(t.fieldText("TIMESENT"), "09:05");
    ASSERT_TRUE(t.go(second));
    EXPECT_EQ(t.fieldText("LASTRESULT"), "Called fax number was busy");
    EXPECT_EQ(t.fieldText("PHONE"), "5550102");
    EXPECT_FALSE(t.fieldDate("DATESENT").isValid());
    EXPECT_EQ(t.fieldText("TIMESENT"), "");
    ASSERT_TRUE(t.go(third));
    EXPECT_EQ(t.fieldText("LASTRESULT"), "");
    EXPECT_EQ(t.fieldText("PHONE"), "5550103");
    EXPECT_FALSE(t.fieldDate("DATESENT").isValid());
}

TEST(SendLog, IdenticalConsecutiveLinesAreKeptOnceAndTheFileIsReplaced) {
    TempHome home;
    home.write("lastsend.log", "an older send\nwith more lines\nthan this one\nhas\n");
    SendLog log;
    for (const char* line : {"Sending page data", "Sending page data", "Page 1 sent",
                             "Sending page data", "Sending page data"})
        log.add(line);
    EXPECT_EQ(log.lines(), QStringList({"Sending page data", "Page 1 sent", "Sending page data"}));
    log.save();
    // The existing file is found without regard to case and replaced whole.
    EXPECT_EQ(home.read("lastsend.log"), "Sending page data\nPage 1 sent\nSending page data\n");
}

TEST(SendResultTexts, PagesAndTransmissionTime) {
    EXPECT_EQ(PagesSentText(0), "No pages were sent");
    EXPECT_EQ(PagesSentText(1), "1 page was sent");
    EXPECT_EQ(PagesSentText(3), "3 pages were sent");
    EXPECT_EQ(SentResultText(1, 3, 59999), "1 page of 3 was sent. Transmission time: 00:59");
    EXPECT_EQ(SentResultText(5, 5, 61000), "5 pages of 5 were sent. Transmission time: 01:01");
    EXPECT_EQ(SentResultText(0, 0, 600000), "0 pages of 0 were sent. Transmission time: 10:00");
}

TEST(FaxErrorWindowTexts, EveryCodeHasItsTitleAndAdviceOthersTheGeneralText) {
    const struct {
        int code;
        const char* title;
    } rows[] = {
        {-9000, "Error checking for modem"},
        {-9001, "Error opening Communications Port"},
        {-9002, "Error opening modem with TAPI"},
        {-9003, "Error sending reset string"},
        {-9004, "Communications Port is in use"},
        {-6005, "Cancel Requested"},
        {-6006, "Fatal Time Out"},
        {-8001, "Fax is not an APF file"},
        {-8060, "Fax incompatible with remote fax"},
        {-8061, "Bad Response From Modem"},
        {-8062, "Modems failed to train"},
        {-8063, "Error while initializing modem "},
        {-8064, "Called Fax Number Was Busy"},
        {-8065, "Called fax number answered with voice"},
        {-8066, "Incoming Data Call"},
        {-8067, "No dial tone"},
        {-8068, "Error Message: Failed to Connect to Remote Fax"},
        {-8069, "Fax failed in mid-session"},
        {-8070, "Fax failed at page end"},
        {-8074, "Error Message: Remote Fax Did Not Answer"},
        {-100, "Attempt to read beyond end of file "},
        {-103, "File/device not open"},
        {-2008, "There is no futher information about this error message. "},
        {0, "There is no futher information about this error message. "},
    };
    for (const auto& r : rows) {
        const FaxErrorHelp help = FaxErrorHelpFor(r.code);
        EXPECT_EQ(help.title, r.title) << r.code;
        EXPECT_TRUE(help.text.startsWith(help.title + "\n\n")) << r.code;
        EXPECT_GT(help.text.size(), help.title.size() + 80) << r.code << ": advice missing";
    }
    // The port advice speaks of what a Linux user must check.
    EXPECT_TRUE(FaxErrorHelpFor(-9001).text.contains("dialout"));
    EXPECT_TRUE(FaxErrorHelpFor(-9004).text.contains("LCK.."));
    EXPECT_TRUE(FaxErrorHelpFor(-9000).text.contains("/dev/ttyACM0"));
}

TEST(FaxErrorWindowTexts, CaptionsButtonsAndAutoClose) {
    FaxErrorRequest sending{false, -9000, "Error checking for modem", "", false,
                            false, true,  "Preparing to send fax"};
    FaxErrorFormState s(sending, false);
    EXPECT_EQ(s.caption(), "Error during fax sending");
    EXPECT_EQ(s.heading(), "We have encountered an error sending this fax");
    EXPECT_TRUE(s.continueEnabled());
    EXPECT_FALSE(s.suggestEnabled());
    EXPECT_TRUE(s.suggestToolTip().isEmpty());  // not allowed here: nothing to explain
    EXPECT_FALSE(s.autoCloseArmed());

    FaxErrorRequest receiving{
        true, -8069, "Fax failed in mid-session", "", true, true, false, "Receiving a fax"};
    FaxErrorFormState r(receiving, false);
    EXPECT_EQ(r.caption(), "Error during fax receive");
    EXPECT_EQ(r.heading(), "We have encountered an error in fax receive mode");
    EXPECT_FALSE(r.continueEnabled());
    EXPECT_FALSE(r.suggestEnabled());
    EXPECT_FALSE(r.suggestToolTip().isEmpty());  // allowed, but the setup is not there
    EXPECT_TRUE(r.autoCloseArmed());
    r.buttonPressed();
    EXPECT_FALSE(r.autoCloseArmed());

    FaxErrorFormState withSetup(sending, true);
    sending.allowSuggest = true;
    FaxErrorFormState suggesting(sending, true);
    EXPECT_FALSE(withSetup.suggestEnabled());
    EXPECT_TRUE(suggesting.suggestEnabled());
    suggesting.modemChosen();
    EXPECT_FALSE(suggesting.continueEnabled());  // a new modem: the old call cannot go on
}

}  // namespace
}  // namespace corvane::testing
