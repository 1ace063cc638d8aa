#include "receive_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include "core/settings.h"

namespace corvane::testing {

void WriteReceiveIni(const TempHome& home, const QString& modem, int faxClassSetting,
                     const QStringList& extraLines) {
    QStringList lines{"[Ports]",
                      "COM1=" + modem,
                      "[Modem]",
                      "ComPort=0",
                      QStringLiteral("FaxClassReceive=%1").arg(faxClassSetting),
                      "MaximumBPSReceive=14400",
                      "[User]",
                      "Fax=CORVANE RX"};
    lines << extraLines;
    home.write("QX.INI", (lines.join("\r\n") + "\r\n").toUtf8());
}

bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    return done();
}

std::vector<IncomingRecord> IncomingRecords(TFDM& fdm) {
    std::vector<IncomingRecord> records;
    auto& t = fdm.RecTable;
    for (bool ok = t.goTop(); ok; ok = t.skip(1)) {
        IncomingRecord r;
        r.date = t.fieldDate("DATEREC").toString("yyyyMMdd");
        r.time = t.fieldText("TIMEREC");
        r.from = t.fieldText("FROM");
        r.pages = int(t.fieldNumber("PAGES"));
        r.faxFile = t.fieldText("FAXFILE");
        r.notes = t.fieldText("NOTES");
        records.push_back(r);
    }
    return records;
}

QStringList UnstampedLines(const QString& logFile, int* badStamps) {
    QFile f(logFile);
    QStringList lines;
    if (!f.open(QIODevice::ReadOnly)) return lines;
    static const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  ");
    int bad = 0;
    for (QString line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const auto m = stamp.match(line);
        if (m.hasMatch())
            line = line.mid(m.capturedLength());
        else if (!line.startsWith(' '))
            ++bad;  // only the indented lines go without a stamp
        lines << line;
    }
    if (badStamps) *badStamps = bad;
    return lines;
}

ReceiveSessionFixture::ReceiveSessionFixture(int faxClassSetting, const QStringList& extraIni) {
    WriteReceiveIni(home, modemPath(), faxClassSetting, extraIni);
    LoadSettings();
    fdm = std::make_unique<TFDM>();
    fdm->OpenFaxLogs();
    session = std::make_unique<ReceiveSession>(*fdm);
    session->options = ReceiveOptions::FromSettings(GlobalSettings());
    session->hooks.showError = [this](const FaxErrorRequest& e) {
        errors.push_back(e);
        return false;
    };
    session->hooks.faxStored = [this](const ReceivedFaxInfo& info) { stored.push_back(info); };
    session->hooks.status = [this](const QString& text) { statusTexts << text; };
}

ReceiveSessionFixture::~ReceiveSessionFixture() {
    session.reset();
    if (line) line->Wait(20000);
    fdm.reset();
}

bool ReceiveSessionFixture::startLine(std::vector<std::string> args) {
    args.insert(args.begin(), {"--modem", modem()});
    line = std::make_unique<faxline::testing::FaxlineRun>(scratch, std::move(args));
    return line->WaitReady();
}

}  // namespace corvane::testing
