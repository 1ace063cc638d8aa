#pragma once
// A data folder set up for receive mode over the simulated fax line: QX.INI maps COM1 to the
// faxline modem, the logs are open, and a ReceiveSession is ready with what it reported
// recorded. Shared by the session, window and soak tests.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "core/message_boxes.h"
#include "fax_engine_harness.h"
#include "fixtures/temp_home.h"
#include "logs/fax_data_module.h"
#include "receiving/receive_session.h"

namespace corvane::testing {

// Extra lines for QX.INI, e.g. {"[Receive]", "ResetBetweenCalls=1"}.
void WriteReceiveIni(const TempHome& home, const QString& modem, int faxClassSetting,
                     const QStringList& extraLines = {});

// Runs the event loop until `done` or `timeoutMs` passes; returns `done()`.
bool RunUntil(const std::function<bool()>& done, int timeoutMs);

// One incoming log record, as the tests look at it.
struct IncomingRecord {
    QString date, time, from, faxFile, notes;
    int pages = 0;
};
std::vector<IncomingRecord> IncomingRecords(TFDM& fdm);

// The lines of a log file without their time stamps (stamped lines checked on the way).
QStringList UnstampedLines(const QString& logFile, int* badStamps = nullptr);

class ReceiveSessionFixture {
  public:
    explicit ReceiveSessionFixture(int faxClassSetting = 2, const QStringList& extraIni = {});
    ~ReceiveSessionFixture();

    std::string modem() const { return scratch / "modem"; }
    QString modemPath() const { return QString::fromStdString(modem()); }
    // A file beside the modem (faxline's pages).
    std::string file(const std::string& name) const { return scratch / name; }
    // Starts faxline with `args` after "--modem <modem>"; false when it is not ready.
    bool startLine(std::vector<std::string> args);

    ScratchFolder scratch;
    TempHome home;
    ScopedScriptedMessageBoxes boxes;
    std::unique_ptr<TFDM> fdm;
    std::unique_ptr<ReceiveSession> session;
    std::unique_ptr<faxline::testing::FaxlineRun> line;
    std::vector<FaxErrorRequest> errors;
    std::vector<ReceivedFaxInfo> stored;
    QStringList statusTexts;
};

}  // namespace corvane::testing
