#pragma once
// A data folder with the outgoing log, a fax record whose files are in SEND/, and a port that
// leads to the simulated fax line: the ground the send tests stand on. The session's questions
// and messages are answered and recorded here.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <functional>
#include <memory>
#include <vector>

#include "core/app_folders.h"
#include "core/settings.h"
#include "fax_engine_harness.h"
#include "fixtures/temp_home.h"
#include "logs/fax_data_module.h"
#include "sending/fax_status_form_state.h"
#include "sending/send_session.h"
#include "sending/send_session_record.h"
#include "transport/send_fax.h"

namespace corvane::testing {

// The session's way to the user, recorded; Continue answered from `continueAnswer`.
struct RecordingUi : SendSessionUi {
    QStringList statuses;
    std::vector<FaxErrorRequest> errors;
    QStringList messages;
    std::vector<int> engineStatuses;  // each new one
    bool continueAnswer = false;
    std::function<void(TFxSendFax&)> onFaxStatus;
    // What the fax status window would show, each new status text.
    std::unique_ptr<FaxStatusFormState> view;
    QElapsedTimer clock;
    QStringList viewTexts;

    void setStatus(const QString& text) override { statuses << text; }
    bool showFaxError(const FaxErrorRequest& request) override {
        errors.push_back(request);
        return continueAnswer;
    }
    void showMessage(const QString& text) override { messages << text; }
    void transmissionStarted(TFxSendFax&) override {
        view = std::make_unique<FaxStatusFormState>(SendRequest());
        clock.start();
    }
    void faxStatus(TFxSendFax& fax) override {
        view->update(fax, clock.elapsed());
        if (viewTexts.isEmpty() || viewTexts.back() != view->fields().status)
            viewTexts << view->fields().status;
        if (engineStatuses.empty() || engineStatuses.back() != fax.FaxStatus())
            engineStatuses.push_back(fax.FaxStatus());
        if (onFaxStatus) onFaxStatus(fax);
    }
    bool sawStatus(int code) const {
        return std::find(engineStatuses.begin(), engineStatuses.end(), code) !=
               engineStatuses.end();
    }
};

// The header line every test sends: sender, recipient, station id and page numbers, all in
// characters of the fax font.
inline const QString kTestHeader = QStringLiteral("$F TO $R ID $I PAGE $P OF $N");
inline QString ExpectedHeader(int page, int pages) {
    return QStringLiteral("CORVANE TEST TO BOB ID 555 0100 PAGE %1 OF %2").arg(page).arg(pages);
}

struct SendFixture {
    TempHome home;
    ScratchFolder line;
    TFDM fdm;
    Settings settings;
    RecordingUi ui;

    SendFixture() {
        QDir().mkpath(AppFolder() + "SEND");
        EXPECT_TRUE(fdm.OpenFaxLogs());
        setPort(QString::fromStdString(line / "modem"));
        settings.ComPort = 0;
        settings.FaxClass = 1;
        settings.UserName = "CORVANE TEST";
        settings.UserFax = "555 0100";
        settings.FaxHeaderTemplate = kTestHeader;
        settings.UseAlternateHeaderFont = true;  // the fax font, rendered again by the test
        settings.DialAttempts = 1;
        settings.RetryWait = 2;
    }

    // COM1 leads to `device`.
    void setPort(const QString& device) const {
        home.write("QX.INI", QStringLiteral("[Ports]\r\nCOM1=%1\r\n").arg(device).toUtf8());
    }

    // A record with the given pages as cover and document (either may be empty).
    uint32_t addFax(const std::vector<TestPage>& cover, const std::vector<TestPage>& document) {
        OutgoingFaxFields f;
        f.subject = "Quote";
        f.recipient = "BOB";
        f.phone = "5550199";
        if (!cover.empty()) {
            f.faxCover = "COV00001.APF";
            WriteApf((AppFolder() + "SEND/COV00001.APF").toStdString(), cover);
        }
        if (!document.empty()) {
            f.faxDoc = "FAX00001.APF";
            WriteApf((AppFolder() + "SEND/FAX00001.APF").toStdString(), document);
        }
        EXPECT_TRUE(fdm.AppendOutgoingFax(f));
        return fdm.FaxTable.recNo();
    }

    SendRequest requestFor(uint32_t recno) {
        EXPECT_TRUE(fdm.FaxTable.go(recno));
        const Result<OutgoingFaxToSend> fax = ReadFaxToSend(fdm.FaxTable);
        EXPECT_TRUE(fax.ok());
        SendRequest r;
        r.number = fax.value().phone;
        r.coverPath = fax.value().coverPath;
        r.documentPath = fax.value().documentPath;
        r.headerRecipient = fax.value().recipient;
        r.prefixDisabled = r.suffixDisabled = true;
        return r;
    }

    // Sends the record as the window does and stores the result; returns the session's log.
    SendOutcome send(uint32_t recno, SendSession& session) {
        const SendRequest r = requestFor(recno);
        if (session.start(r)) session.waitUntilIdle();
        EXPECT_TRUE(StoreSendResult(fdm.FaxTable, recno, r.number, session.outcome()).ok());
        return session.outcome();
    }

    QStringList lastSendLog() const {
        QString text = QString::fromUtf8(home.read("Lastsend.log"));
        QStringList lines = text.split('\n');
        if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
        return lines;
    }
};

}  // namespace corvane::testing
