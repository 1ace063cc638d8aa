// `printer install|remove|status|intake`: the CUPS queue "Corvane-Fax" that hands print jobs
// to Corvane, and the intake of those jobs without windows. The queue's device is the
// corvane-fax backend; its PPD asks CUPS for PDF, which cups-filters makes from anything a
// program prints. lpadmin and lpstat reach the CUPS of $CUPS_SERVER when it is set.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>

#include "cli/cli_commands.h"
#include "core/app_folders.h"
#include "core/ini_file.h"
#include "core/settings.h"
#include "logs/fax_data_module.h"
#include "sending/intake/printer_intake.h"

namespace corvane::cli {

namespace {

constexpr char kQueue[] = "Corvane-Fax";
constexpr char kDeviceUri[] = "corvane-fax:/";
constexpr char kBackendName[] = "corvane-fax";

// Paper sizes a program may print on; the backend places every page on a fax page.
constexpr char kPpd[] = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "CORVANE.PPD"
*Manufacturer: "Corvane"
*Product: "(Corvane Fax)"
*ModelName: "Corvane Fax"
*ShortNickName: "Corvane Fax"
*NickName: "Corvane Fax"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageSize Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*PageSize Legal/US Legal: "<</PageSize[612 1008]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageRegion Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*PageRegion Legal/US Legal: "<</PageSize[612 1008]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "0 0 595 842"
*ImageableArea Letter/US Letter: "0 0 612 792"
*ImageableArea Legal/US Legal: "0 0 612 1008"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/US Letter: "612 792"
*PaperDimension Legal/US Legal: "612 1008"
)PPD";

int usage() {
    err("usage: corvane-cli printer install   create the CUPS queue \"Corvane-Fax\" (root or the\n"
        "                                   lpadmin group)\n"
        "       corvane-cli printer remove    remove the queue\n"
        "       corvane-cli printer status    the queue, the backend and the hand-over file\n"
        "       corvane-cli printer intake    take in the printed jobs waiting in SEND/\n"
        "  CUPS_SERVER selects the CUPS server (a host or a socket path).");
    return 2;
}

struct Run {
    bool started = false;
    int exitCode = -1;
    QString output;  // stdout and stderr together
};

Run RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    Run r;
    r.started = p.waitForStarted();
    if (!r.started) return r;
    p.waitForFinished(60000);
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.output = QString::fromLocal8Bit(p.readAll()).trimmed();
    return r;
}

QString Server() {
    const QString server = qEnvironmentVariable("CUPS_SERVER");
    return server.isEmpty() ? QStringLiteral("the local CUPS") : "CUPS at " + server;
}

bool NotPermitted(const QString& output) {
    for (const char* sign : {"Forbidden", "forbidden", "not authorized", "Unauthorized",
                             "authentication", "Authentication", "not allowed"})
        if (output.contains(QLatin1String(sign))) return true;
    return false;
}

// The backend's folder: $CUPS_SERVERBIN/backend when set (as CUPS's own tools read it), else
// the system's.
QString BackendPath() {
    QString serverBin = qEnvironmentVariable("CUPS_SERVERBIN");
    if (serverBin.isEmpty()) serverBin = "/usr/lib/cups";
    return serverBin + "/backend/" + kBackendName;
}

int install() {
    QTemporaryFile ppd(QDir::tempPath() + "/corvane-fax-XXXXXX.ppd");
    if (!ppd.open() || ppd.write(kPpd) != qint64(sizeof(kPpd) - 1) || !ppd.flush()) {
        err("corvane-cli printer: cannot write the printer description: " + ppd.errorString());
        return 1;
    }
    const Run r =
        RunTool("lpadmin", {"-p", kQueue, "-E", "-v", kDeviceUri, "-P", ppd.fileName(), "-D",
                            "Corvane Fax", "-L", "Corvane", "-o", "printer-is-shared=false"});
    if (!r.started) {
        err("corvane-cli printer: lpadmin is not installed (Debian package cups-client)");
        return 1;
    }
    if (r.exitCode != 0) {
        if (NotPermitted(r.output))
            err(QString("Not permitted: adding a printer to %1 needs root or membership of the "
                        "lpadmin group (sudo corvane-cli printer install).")
                    .arg(Server()));
        else if (r.output.contains("device-uri") || r.output.contains("device URI"))
            err(QString("%1 has no corvane-fax backend: install Corvane (cmake --install) into "
                        "the prefix of CUPS's backends, %2.")
                    .arg(Server(), QFileInfo(BackendPath()).absolutePath()));
        else
            err("corvane-cli printer: lpadmin failed at " + Server());
        if (!r.output.isEmpty()) err(r.output);
        return 1;
    }
    out(QString("Printer \"%1\" installed at %2. Print to it from any program; the job appears "
                "in Corvane's outgoing log.")
            .arg(kQueue, Server()));
    return 0;
}

int remove() {
    const Run r = RunTool("lpadmin", {"-x", kQueue});
    if (!r.started) {
        err("corvane-cli printer: lpadmin is not installed (Debian package cups-client)");
        return 1;
    }
    if (r.exitCode != 0) {
        if (NotPermitted(r.output))
            err(QString("Not permitted: removing a printer from %1 needs root or membership of "
                        "the lpadmin group.")
                    .arg(Server()));
        else
            err("corvane-cli printer: lpadmin failed at " + Server());
        if (!r.output.isEmpty()) err(r.output);
        return 1;
    }
    out(QString("Printer \"%1\" removed from %2.").arg(kQueue, Server()));
    return 0;
}

int status() {
    bool ready = true;
    const Run queue = RunTool("lpstat", {"-v", kQueue});
    if (queue.started && queue.exitCode == 0 && queue.output.contains(kDeviceUri)) {
        out(QString("Queue: \"%1\" at %2").arg(kQueue, Server()));
    } else {
        out(QString("Queue: \"%1\" is not installed at %2 (corvane-cli printer install)")
                .arg(kQueue, Server()));
        ready = false;
    }
    const QFileInfo backend(BackendPath());
    if (backend.isFile() && backend.isExecutable()) {
        out("Backend: " + backend.filePath());
    } else {
        out("Backend: missing from " + backend.absolutePath() +
            " (install Corvane with cmake --install into CUPS's prefix)");
        ready = false;
    }
    const QString handOver = DriverSettingsFileName();
    const QString outPath = IniFile(handOver).readString(kDriverSection, kDriverOutPathKey);
    if (!outPath.isEmpty() && QFileInfo(outPath).isDir()) {
        out("Hand-over file: " + handOver + ", jobs go to " + outPath);
    } else {
        out("Hand-over file: " + handOver +
            (outPath.isEmpty() ? QString(" is missing (start Corvane once, or run corvane-cli "
                                         "printer intake)")
                               : " names a missing folder, " + outPath));
        ready = false;
    }
    return ready ? 0 : 1;
}

int intake() {
    LoadSettings();
    TFDM fdm;
    if (!fdm.OpenFaxLogs()) return 1;
    // The printer starts the windowed program, which lives beside this tool.
    const QString program = QCoreApplication::applicationDirPath() + "/corvane";
    if (const Status written = WriteDriverSettings(program); !written.ok())
        err("corvane-cli printer: " + written.message());
    PrinterIntake jobs(fdm);
    jobs.ProcessExtraPDFaxFiles();
    out(QString("%1 print job(s) taken in as new faxes").arg(jobs.recordsAdded()));
    if (jobs.recordsAdded() > 0) out(QString("Last record: %1").arg(jobs.lastRecordAdded()));
    return 0;
}

}  // namespace

int runPrinterCommand(const QStringList& args) {
    const QString verb = args.value(0);
    if (args.size() != 1) return usage();
    if (verb == "install") return install();
    if (verb == "remove") return remove();
    if (verb == "status") return status();
    if (verb == "intake") return intake();
    return usage();
}

}  // namespace corvane::cli
