// `fax send ...` and `fax receive ...`: one fax call through the engines from the command
// line, with one line per status the engine reports and the result at the end.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

#include "cli/cli_commands.h"
#include "core/app_folders.h"
#include "core/fax_errors.h"
#include "core/port_map.h"
#include "core/settings.h"
#include "logs/fax_data_module.h"
#include "receiving/receive_session.h"
#include "sending/send_session.h"
#include "sending/send_session_engine.h"
#include "sending/send_session_record.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/receive_fax.h"
#include "transport/send_fax.h"
#include "transport/tapi_device.h"

namespace corvane::cli {

namespace {

std::atomic<bool> gInterrupted{false};

void OnInterrupt(int) {
    gInterrupted = true;
}

void usage() {
    err("usage: corvane-cli fax send --port N|--device NAME|PATH [--class auto|1|2|2.0] [--bps R]\n"
        "           [--station-id ID] [--header TEMPLATE] [--prefix P] [--attempts N]\n"
        "           [--retry-wait S] NUMBER FILE.apf [MORE.apf...]\n"
        "       corvane-cli fax send --record RECNO [--port N|--device NAME|PATH] [--prefix P]\n"
        "           [--suffix S]\n"
        "       corvane-cli fax receive [--port N|--device NAME|PATH] [--class auto|1|2|2.0] "
        "[--bps "
        "R]\n"
        "           [--station-id ID] [--rings N] [--dir DIR] [--once]");
}

// A command that needs the modem on a data folder where none has been set up yet. The window
// would run the quick setup here; a terminal is told which command does the same.
const QString kNoModemSetUp = QStringLiteral(
    "corvane-cli fax: no modem is set up yet. Set it up with \"corvane-cli modem use --port N\" "
    "(or --device NAME; \"corvane-cli modem find\" finds the port), or give --port N or "
    "--device NAME");

struct CommonOptions {
    int comNumber = 0;
    QString device;
    FaxClassKind faxClass = FaxClassKind::Detect;
    int bps = 0;
    QString stationId;
    bool stationIdGiven = false;
};

// The stored class of a class the engine runs, for the log's "Fax Class" line.
int ClassSettingOf(FaxClassKind kind) {
    switch (kind) {
        case FaxClassKind::Class1:
            return 1;
        case FaxClassKind::Class2:
            return 2;
        case FaxClassKind::Class20:
            return 3;
        default:
            return 0;
    }
}

bool ParseClass(const QString& text, FaxClassKind& kind) {
    if (text == "auto")
        kind = FaxClassKind::Detect;
    else if (text == "1")
        kind = FaxClassKind::Class1;
    else if (text == "2")
        kind = FaxClassKind::Class2;
    else if (text == "2.0")
        kind = FaxClassKind::Class20;
    else
        return false;
    return true;
}

bool ParseInt(const QString& text, int low, int high, int& value) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high) return false;
    value = v;
    return true;
}

// Takes the options both commands share; false on a usage error (already reported).
bool TakeCommonOption(const QStringList& args, int& i, CommonOptions& o, bool& taken) {
    taken = true;
    const QString& a = args[i];
    auto value = [&](QString& out) {
        if (i + 1 >= args.size()) return false;
        out = args[++i];
        return true;
    };
    QString v;
    if (a == "--port") {
        if (!value(v) || !ParseInt(v, kFirstComNumber, kLastComNumber, o.comNumber)) {
            err("corvane-cli fax: --port takes 1 to 8");
            return false;
        }
    } else if (a == "--device") {
        if (!value(o.device)) return false;
    } else if (a == "--class") {
        if (!value(v) || !ParseClass(v, o.faxClass)) {
            err("corvane-cli fax: --class takes auto, 1, 2 or 2.0");
            return false;
        }
    } else if (a == "--bps") {
        if (!value(v) || !ParseInt(v, 2400, 14400, o.bps) || o.bps % 2400 != 0) {
            err("corvane-cli fax: --bps takes 2400, 4800, 7200, 9600, 12000 or 14400");
            return false;
        }
    } else if (a == "--station-id") {
        if (!value(o.stationId)) return false;
        o.stationIdGiven = true;
    } else {
        taken = false;
    }
    return true;
}

class OpenedPort {
  public:
    ~OpenedPort() {
        if (!device_.isEmpty() && !devicePath_)
            ReleaseTapiPort(port, tapi_);
        else if (port.Open())
            port.SetOpen(false);
    }

    bool open(const CommonOptions& o, PortUse use) {
        const Settings& s = GlobalSettings();
        const bool larger =
            use == PortUse::Sending ? s.GlobalLargerSendBuffer : s.GlobalLargerReceiveBuffer;
        ApplyProgramPortSettings(port, use, larger);
        device_ = o.device;
        if (device_.isEmpty() && o.comNumber == 0 && s.UseTAPI && !s.TAPIDevice.isEmpty())
            device_ = s.TAPIDevice;
        const int com = o.comNumber > 0 ? o.comNumber : (s.ComPort >= 0 ? s.ComPort + 1 : 1);
        Status opened;
        devicePath_ = device_.startsWith('/');
        if (devicePath_) {
            // A device path rather than a named device: opened as it stands.
            where_ = device_;
            port.AssignTapiDevicePath(device_);
            port.SetTapiMode(TapiMode::On);
            try {
                port.SetOpen(true);
            } catch (const EFaxError& e) {
                opened = Status::Error(kUnableToOpenMessage, e.code());
            }
        } else if (!device_.isEmpty()) {
            port.SetTapiMode(TapiMode::Auto);
            opened = OpenPortWithTapi(port, tapi_, device_);
            where_ = device_;
        } else {
            port.SetTapiMode(TapiMode::Off);
            port.SetComNumber(com);
            opened = OpenPortDirectly(port);
            where_ = QStringLiteral("COM%1").arg(com);
        }
        if (!opened.ok()) {
            err(DescribeOpenFailure(where_, opened));
            return false;
        }
        out(where_ + ": opened " + port.DevicePath());
        // No separate "AT" check: the engine's first command finds out whether a modem
        // answers (-8063), and on a line that counts time from the first byte every pause
        // before the call is line time.
        if (!s.ResetString.trimmed().isEmpty() &&
            !SendModemCommand(port, s.ResetString.trimmed())) {
            err(where_ + ": the modem did not accept the reset string");
            return false;
        }
        return true;
    }

    TFxComPort port;

  private:
    TapiDevice tapi_;
    QString device_;
    bool devicePath_ = false;
    QString where_;
};

// Prints what the engine reports: each new status, the remote id and rate once known, and
// each page as it starts.
class StatusPrinter {
  public:
    explicit StatusPrinter(TFxAbstractFax& fax) : fax_(fax) {}

    void onStatus() {
        const int status = fax_.FaxStatus();
        if (status != 0 && status != lastStatus_) {
            lastStatus_ = status;
            out(QStringLiteral("status %1 %2").arg(status).arg(TFxAbstractFax::CodeText(status)));
        }
        if (!fax_.RemoteID().isEmpty() && fax_.RemoteID() != lastRemote_) {
            lastRemote_ = fax_.RemoteID();
            out(QStringLiteral("remote id \"%1\"").arg(lastRemote_));
        }
        if (fax_.ConnectBPS() > 0 && fax_.ConnectBPS() != lastRate_) {
            lastRate_ = fax_.ConnectBPS();
            out(QStringLiteral("rate %1 %2")
                    .arg(lastRate_)
                    .arg(fax_.HighRes() ? "fine" : "standard"));
        }
        const bool paging = status == fsSendingPage || status == fsGettingPage;
        if (paging && fax_.CurrentPage() > 0 && fax_.CurrentPage() != lastPage_) {
            lastPage_ = fax_.CurrentPage();
            if (fax_.TotalPages() > 0 && status == fsSendingPage)
                out(QStringLiteral("page %1 of %2").arg(lastPage_).arg(fax_.TotalPages()));
            else
                out(QStringLiteral("page %1").arg(lastPage_));
        }
    }
    void resetCall() {
        lastPage_ = 0;
        lastRate_ = 0;
        lastRemote_.clear();
    }

  private:
    TFxAbstractFax& fax_;
    int lastStatus_ = 0;
    int lastPage_ = 0;
    int lastRate_ = 0;
    QString lastRemote_;
};

// What both commands set on the engine from the options and the settings.
void SetCommonProperties(TFxAbstractFax& fax, OpenedPort& opened, const CommonOptions& o,
                         const QString& modemInit) {
    fax.ComPort = &opened.port;
    fax.FaxClass = o.faxClass;
    fax.DesiredBPS = o.bps;
    fax.DesiredECM = false;
    fax.StationID = o.stationId;
    fax.ModemInit = modemInit;
    fax.OnFaxError = [](int code) {
        out(QStringLiteral("error %1 %2").arg(code).arg(TFxAbstractFax::CodeText(code)));
    };
}

void PrintResult(int code) {
    out(QStringLiteral("result %1 %2").arg(code).arg(TFxAbstractFax::CodeText(code)));
}

// Runs the event loop until the engine finishes; Ctrl+C cancels the call.
int RunUntilFinished(TFxAbstractFax& fax, int& result) {
    QEventLoop loop;
    bool finished = false;
    fax.OnFaxFinish = [&](int code) {
        result = code;
        finished = true;
        loop.quit();
    };
    QTimer interrupt;
    QObject::connect(&interrupt, &QTimer::timeout, [&] {
        if (gInterrupted.exchange(false)) fax.AbortFax();
    });
    interrupt.start(100);
    if (!finished) loop.exec();
    return result;
}

int sendRecord(const QStringList& args);

int sendFax(const QStringList& args) {
    if (args.contains("--record")) return sendRecord(args);
    LoadSettings();
    const Settings& s = GlobalSettings();
    CommonOptions o;
    o.faxClass = FaxClassFromSetting(s.FaxClass);
    o.bps = s.MaximumBPS;
    o.stationId = s.UserFax;
    QString header = s.FaxHeaderTemplate;
    QString prefix = s.PrefixDisable ? QString() : s.DialPrefix;
    int attempts = s.DialAttempts;
    int retryWait = s.RetryWait;
    QStringList positional;
    for (int i = 1; i < args.size(); ++i) {
        bool taken = false;
        if (!TakeCommonOption(args, i, o, taken)) return 2;
        if (taken) continue;
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--header" && hasValue) {
            header = args[++i];
        } else if (a == "--prefix" && hasValue) {
            prefix = args[++i];
        } else if (a == "--attempts" && hasValue) {
            if (!ParseInt(args[++i], 0, 1000, attempts)) {
                err("corvane-cli fax: --attempts takes 0 (without end) or more");
                return 2;
            }
        } else if (a == "--retry-wait" && hasValue) {
            if (!ParseInt(args[++i], 0, 3600, retryWait)) {
                err("corvane-cli fax: --retry-wait takes seconds, 0 to 3600");
                return 2;
            }
        } else if (a.startsWith("--")) {
            usage();
            return 2;
        } else {
            positional << a;
        }
    }
    if (positional.size() < 2) {
        usage();
        return 2;
    }
    const QString number = positional.takeFirst();
    for (const QString& file : positional) {
        if (!QFileInfo::exists(file)) {
            err("corvane-cli fax: " + file + ": " + FaxErrorTextOr(ecFileNotFound, {}));
            return 1;
        }
    }

    OpenedPort opened;
    if (!opened.open(o, PortUse::Sending)) return 1;
    TFxSendFax fax;
    SetCommonProperties(fax, opened, o, s.InitString);
    // The settings reach the engine as the send window sets them; the options change them.
    SendEngineOptions options = SendEngineOptions::FromSettings(s);
    options.maximumBps = o.bps;
    options.stationId = o.stationId;
    options.headerTemplate = header;
    options.dialAttempts = attempts;
    options.retryWaitSeconds = retryWait;
    SendRequest request;
    request.number = number;
    request.prefix = prefix;
    request.suffixDisabled = true;
    request.documentPath = positional.front();
    ConfigureSendFax(fax, options, request);
    fax.FaxClass = o.faxClass;
    fax.DesiredECM = false;
    fax.FaxFileList = positional;  // any number of files, sent as one fax in this order
    StatusPrinter printer(fax);
    fax.OnFaxStatus = [&](bool, bool) { printer.onStatus(); };
    int result = 0;
    try {
        fax.BeginTransmit();
    } catch (const EFaxError& e) {
        PrintResult(e.code());
        return 1;
    }
    RunUntilFinished(fax, result);
    if (result == 0)
        out(QStringLiteral("sent %1 pages to \"%2\"").arg(fax.TotalPages()).arg(fax.RemoteID()));
    PrintResult(result);
    return result == 0 ? 0 : 1;
}

// What the send session tells the user, as lines: the status panel's texts, the engine's
// statuses, the result, and the error window's code, message, detail and phase.
class CliSendUi : public SendSessionUi {
  public:
    void setStatus(const QString& text) override {
        if (!text.isEmpty()) out(text);
    }
    bool showFaxError(const FaxErrorRequest& e) override {
        out(QStringLiteral("error %1 %2").arg(e.code).arg(e.message));
        if (!e.detail.isEmpty()) out(e.detail);
        out(QStringLiteral("It occurred during: ") + e.phase);
        return false;
    }
    void showMessage(const QString& text) override { out(QString(text).replace('\r', '\n')); }
    void transmissionStarted(TFxSendFax& fax) override {
        printer_ = std::make_unique<StatusPrinter>(fax);
    }
    void faxStatus(TFxSendFax&) override {
        if (printer_) printer_->onStatus();
    }

  private:
    std::unique_ptr<StatusPrinter> printer_;
};

// `fax send --record RECNO`: the outgoing record sent as the window's Send sends it, and the
// result stored back into the record.
int sendRecord(const QStringList& args) {
    LoadSettings();
    Settings& s = GlobalSettings();
    int recno = 0;
    std::optional<QString> prefix, suffix;
    std::optional<SendPort> port;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i + 1 >= args.size()) {
            usage();
            return 2;
        }
        const QString v = args[++i];
        if (a == "--record") {
            if (!ParseInt(v, 1, 1 << 30, recno)) {
                err("corvane-cli fax: --record takes a record number");
                return 2;
            }
        } else if (a == "--port") {
            SendPort p;
            if (!ParseInt(v, kFirstComNumber, kLastComNumber, p.comNumber)) {
                err("corvane-cli fax: --port takes 1 to 8");
                return 2;
            }
            port = p;
        } else if (a == "--device") {
            SendPort p;
            p.byName = true;
            p.deviceName = v;
            port = p;
        } else if (a == "--prefix") {
            prefix = v;
        } else if (a == "--suffix") {
            suffix = v;
        } else {
            usage();
            return 2;
        }
    }
    if (!port && s.PortUnconfigured) {
        err(kNoModemSetUp);
        return 1;
    }
    TFDM fdm;
    if (!fdm.OpenOutgoingLog()) {
        err("corvane-cli fax: the outgoing log cannot be opened (is Corvane running?)");
        return 1;
    }
    xbase::XbaseTable& table = fdm.FaxTable;
    if (!table.go(uint32_t(recno)) || table.deleted()) {
        err(QStringLiteral("corvane-cli fax: the outgoing log has no record %1").arg(recno));
        return 1;
    }
    const Result<OutgoingFaxToSend> fax = ReadFaxToSend(table);
    if (!fax.ok()) {
        err("corvane-cli fax: " + fax.message());
        return 1;
    }
    SendRequest request;
    request.number = fax.value().phone;
    request.prefix = prefix.value_or(s.DialPrefix);
    request.prefixDisabled = prefix ? false : s.PrefixDisable;
    request.suffix = suffix.value_or(s.DialSuffix);
    request.suffixDisabled = suffix ? false : s.SuffixDisable;
    request.coverPath = fax.value().coverPath;
    request.documentPath = fax.value().documentPath;
    request.headerRecipient = fax.value().recipient;
    if (request.number.trimmed().isEmpty()) {
        err("corvane-cli fax: Phone number is blank");
        return 1;
    }

    CliSendUi ui;
    SendSession session(s, ui);
    if (port) session.setPort(*port);
    QTimer interrupt;
    QObject::connect(&interrupt, &QTimer::timeout, [&] {
        if (gInterrupted.exchange(false)) session.cancel();
    });
    interrupt.start(100);
    if (session.start(request)) session.waitUntilIdle();
    const Status stored =
        StoreSendResult(table, fax.value().recno, request.number, session.outcome());
    if (!stored.ok()) err("corvane-cli fax: " + stored.message());
    return session.outcome().sentOk && stored.ok() ? 0 : 1;
}

int receiveFax(const QStringList& args) {
    LoadSettings();
    ReceiveOptions r = ReceiveOptions::FromSettings(GlobalSettings());
    CommonOptions o;
    o.faxClass = r.faxClass;
    o.bps = r.desiredBps;
    o.stationId = r.stationId;
    for (int i = 1; i < args.size(); ++i) {
        bool taken = false;
        if (!TakeCommonOption(args, i, o, taken)) return 2;
        if (taken) continue;
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--rings" && hasValue) {
            if (!ParseInt(args[++i], 1, 99, r.answerOnRing)) {
                err("corvane-cli fax: --rings takes 1 to 99");
                return 2;
            }
        } else if (a == "--dir" && hasValue) {
            r.receiveFolder = QDir(args[++i]).absolutePath() + '/';
        } else if (a == "--once") {
            r.oneFax = true;
        } else {
            usage();
            return 2;
        }
    }
    if (o.comNumber <= 0 && o.device.isEmpty() && GlobalSettings().PortUnconfigured) {
        err(kNoModemSetUp);
        return 1;
    }
    if (!QDir().mkpath(r.receiveFolder)) {
        err("corvane-cli fax: cannot create " + r.receiveFolder);
        return 1;
    }
    // The port: --port and --device replace what the settings name.
    if (o.comNumber > 0) {
        r.comNumber = o.comNumber;
        r.tapiDevice.clear();
    }
    if (o.device.startsWith('/')) {
        r.devicePath = o.device;
    } else if (!o.device.isEmpty()) {
        r.tapiDevice = o.device;
    }
    r.faxClass = o.faxClass;
    r.faxClassSetting = ClassSettingOf(o.faxClass);
    r.desiredBps = o.bps;
    r.stationId = o.stationId;

    // The lock comes before the logs: a window in receive mode holds both.
    ReceiveModeLock lock(r.dataFolder);
    if (const Status locked = lock.acquire(); !locked.ok()) {
        err("corvane-cli fax: " + locked.message());
        return 1;
    }
    TFDM fdm;
    if (!fdm.OpenFaxLogs()) return 1;
    ReceiveSession session(fdm);
    session.options = r;
    session.options.dataFolder.clear();  // locked above
    // A receiver runs for days under a supervisor that reads its output as it comes.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    session.receiveLog().onLine = [](const QString& line) { out(line); };
    QEventLoop loop;
    int endCode = 0;
    bool ended = false;
    session.hooks.showError = [](const FaxErrorRequest& e) {
        QString text = QStringLiteral("corvane-cli fax: error %1 %2").arg(e.code).arg(e.message);
        if (!e.detail.isEmpty()) text += " (" + e.detail + ")";
        err(text);
        return false;
    };
    session.hooks.faxStored = [](const ReceivedFaxInfo& info) {
        out(QStringLiteral("%1 %2 pages %3 from \"%4\"")
                .arg(info.partial ? "incomplete" : "received", info.file)
                .arg(info.pages)
                .arg(info.remoteId));
    };
    session.hooks.ended = [&](int code) {
        endCode = code;
        ended = true;
        loop.quit();
    };
    if (!session.StartReceivingNow()) return 1;
    QTimer interrupt;
    QObject::connect(&interrupt, &QTimer::timeout, [&] {
        if (!gInterrupted.exchange(false)) return;
        session.StopReceivingNow();
        loop.quit();
    });
    interrupt.start(100);
    if (!ended) loop.exec();
    if (session.InReceiveMode()) session.StopReceivingNow();
    if (r.oneFax) return session.faxesStored() > 0 && session.callsFailed() == 0 ? 0 : 1;
    if (ended) {
        PrintResult(endCode);
        return 1;
    }
    return 0;
}

}  // namespace

int runFaxCommand(const QStringList& args) {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    const QString verb = args.value(0);
    if (verb == "send") return sendFax(args);
    if (verb == "receive") return receiveFax(args);
    if (verb == "new" || verb == "edit") return runFaxNewOrEdit(args);
    usage();
    return 2;
}

}  // namespace corvane::cli
