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

// While a group's usage is asked for with --help, what it would print as an error is its answer.
bool g_helpRequested = false;

void err(const QString& line) {
    FILE* stream = g_helpRequested ? stdout : stderr;
    std::fputs(line.toUtf8().constData(), stream);
    std::fputc('\n', stream);
}

}  // namespace corvane::cli

namespace {

void usage(FILE* stream) {
    std::fputs(
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
        "       corvane-cli GROUP --help (the commands of a group)\n"
        "Data lives in $CORVANE_HOME when set.\n",
        stream);
}

int RunGroup(const QString& group, const QStringList& args) {
    using namespace corvane::cli;
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
    usage(stderr);
    return 2;
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
    if (args.isEmpty()) {
        usage(stderr);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        usage(stdout);
        return 0;
    }
    const QString group = args.takeFirst();
    if (group == "--version") {
        corvane::cli::out("corvane-cli " + QCoreApplication::applicationVersion());
        return 0;
    }
    if (group.startsWith('-')) {
        corvane::cli::err("corvane-cli: unknown option \"" + group + "\"");
        usage(stderr);
        return 2;
    }
    // Every group prints its usage when it is given nothing to do.
    static const QStringList kGroups = {"settings",  "log",   "apf", "header", "modem",
                                        "phonebook", "cover", "fax", "printer"};
    if (kGroups.contains(group) && (args.contains("--help") || args.contains("-h"))) {
        corvane::cli::g_helpRequested = true;
        const int status = RunGroup(group, {});
        return status == 2 ? 0 : status;
    }
    return RunGroup(group, args);
}
