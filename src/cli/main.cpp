// corvane-cli: inspects and manipulates Corvane's data without the windows.

#include <sys/stat.h>
#include <unistd.h>
#include <QGuiApplication>
#include <cstdio>

#include "cli/cli_commands.h"
#include "core/version.h"

namespace corvane::cli {

void out(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

void err(const QString& line) {
    std::fputs(line.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

}  // namespace corvane::cli

namespace {

void usage() {
    corvane::cli::err(
        "usage: corvane-cli --version\n"
        "       corvane-cli settings show\n"
        "       corvane-cli log ...      (fax logs and phone book)\n"
        "       corvane-cli apf ...      (APF fax files)\n"
        "       corvane-cli header ...   (render the fax header line)\n"
        "       corvane-cli modem ...    (probe the modem and list ports)\n"
        "       corvane-cli phonebook import|export FILE.csv\n"
        "       corvane-cli cover ...    (cover templates and cover pages)\n"
        "       corvane-cli fax ...      (send or receive a fax)\n"
        "       corvane-cli printer ...  (the CUPS fax printer and its print jobs)\n"
        "Data lives in $CORVANE_HOME when set.");
}

}  // namespace

int main(int argc, char** argv) {
    // A GUI application object without a screen: rendering header lines needs system fonts.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Outside a desktop session (cron, ssh) there is no runtime folder; take the one Qt would
    // fall back to, without its warning on every run.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtime = "/tmp/runtime-" + QByteArray::number(::getuid());
        ::mkdir(runtime.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName("corvane-cli");
    QCoreApplication::setApplicationVersion(CORVANE_VERSION);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args[0] == "--help" || args[0] == "-h") {
        usage();
        return args.isEmpty() ? 2 : 0;
    }
    const QString group = args.takeFirst();
    using namespace corvane::cli;
    if (group == "--version") {
        out("corvane-cli " + QCoreApplication::applicationVersion());
        return 0;
    }
    if (group == "settings") return runSettingsCommand(args);
    if (group == "log") return runLogCommand(args);
    if (group == "apf") return runApfCommand(args);
    if (group == "header") return runHeaderCommand(args);
    if (group == "modem") return runModemCommand(args);
    if (group == "phonebook") return runPhoneBookCommand(args);
    if (group == "cover") return runCoverCommand(args);
    if (group == "fax") return runFaxCommand(args);
    if (group == "printer") return runPrinterCommand(args);
    err("corvane-cli: unknown command \"" + group + "\"");
    usage();
    return 2;
}
