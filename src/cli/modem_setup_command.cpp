// The setup checks from the command line:
//   `modem find`: the port finder over COM1..COM8 and the named devices, with each answering
//     modem's identification, the finder's advice and the result;
//   `modem classes [--port N | --device NAME]`: the fax class check and its recommendation;
//   `modem suggest NAME`: the family and init strings the modem database suggests;
//   `modem use --port N | --device NAME [--name TEXT] [--fax NUMBER]`: the quick setup without
//     its window: the modem (and the user's name and fax number) stored, so that sending and
//     receive mode stop asking for a modem.

#include "cli/cli_commands.h"
#include "core/port_map.h"
#include "core/settings.h"
#include "setup/logic/fax_class_check.h"
#include "setup/logic/port_finder.h"
#include "setup/logic/quick_setup_logic.h"
#include "setup/logic/suggest_config.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/tapi_device.h"

namespace corvane::cli {

namespace {

// Dialog texts break lines with CR; a terminal wants LF.
QString Lines(QString text) {
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

int FindModem() {
    LoadSettings();
    TFxComPort port;
    ApplyProgramPortSettings(port, PortUse::Setup, false);
    PortFinder finder(port, GlobalSettings().ResetString);
    finder.run();
    out("Communications Ports:");
    const QStringList lines = finder.comLines();
    for (int i = 0; i < lines.size(); ++i) {
        out(lines[i]);
        if (!finder.comIdentifications()[i].isEmpty())
            out("       " + finder.comIdentifications()[i]);
    }
    out("Named devices:");
    if (finder.namedDevices().empty()) out("(none)");
    for (const PortFinder::NamedDevice& d : finder.namedDevices()) {
        out(d.text);
        out("       " + d.path);
        if (!d.identification.isEmpty()) out("       " + d.identification);
    }
    out(Lines(finder.informationText()));
    if (finder.result() > 0)
        out(QStringLiteral("Result: COM%1").arg(finder.result()));
    else if (!finder.namedResult().isEmpty())
        out("Result: " + finder.namedResult());
    else
        out("Result: none");
    return finder.result() > 0 || !finder.namedResult().isEmpty() ? 0 : 1;
}

int CheckClasses(const QStringList& args) {
    LoadSettings();
    const Settings& settings = GlobalSettings();
    FaxClassCheckRequest request;
    request.comNumber = settings.ComPort >= 0 ? settings.ComPort + 1 : 1;
    request.useTapi = settings.UseTAPI;
    request.deviceName = settings.TAPIDevice;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            bool ok = false;
            request.comNumber = args[++i].toInt(&ok);
            request.useTapi = false;
            if (!ok || request.comNumber < kFirstComNumber || request.comNumber > kLastComNumber) {
                err("corvane-cli modem: --port takes 1 to 8");
                return 2;
            }
        } else if (args[i] == "--device" && i + 1 < args.size()) {
            request.deviceName = args[++i];
            request.useTapi = true;
        } else {
            err("usage: corvane-cli modem classes [--port N | --device NAME]");
            return 2;
        }
    }
    TFxComPort port;
    TapiDevice tapi;
    ApplyProgramPortSettings(port, PortUse::Setup, false);
    FaxClassCheck check(port, tapi, request);
    check.run();
    out("Fax Classes:");
    for (const FaxClassCheck::ClassLine& line : check.classLines())
        out(line.text + (line.bold ? QStringLiteral("  (bold)") : QString()));
    out(Lines(check.status()));
    out("Recommended: " + (check.resultIndex() >= 0 ? check.resultName() : QStringLiteral("none")));
    return check.resultIndex() >= 0 ? 0 : 1;
}

int Suggest(const QStringList& args) {
    if (args.size() != 2) {
        err("usage: corvane-cli modem suggest NAME");
        return 2;
    }
    const SuggestedConfig s = SuggestConfig(args[1]);
    out("Family: " + s.family);
    out("Sending init string: " + s.sendingInit);
    out("Receiving init string: " + s.receivingInit);
    return 0;
}

int UseModem(const QStringList& args) {
    static const QString kUsage = QStringLiteral(
        "usage: corvane-cli modem use --port N | --device NAME [--name TEXT] [--fax NUMBER]");
    LoadSettings();
    Settings& settings = GlobalSettings();
    QStringList devices;
    for (const TelephonyDevice& d : TelephonyDevices()) devices << d.name;
    QuickSetupLogic setup(settings, devices);
    bool portGiven = false;
    for (int i = 1; i < args.size(); ++i) {
        if (i + 1 >= args.size()) {
            err(kUsage);
            return 2;
        }
        const QString& option = args[i];
        const QString value = args[++i];
        if (option == "--port") {
            bool ok = false;
            const int n = value.toInt(&ok);
            if (!ok || n < kFirstComNumber || n > kLastComNumber) {
                err("corvane-cli modem: --port takes 1 to 8");
                return 2;
            }
            setup.comPortIndex = n - kFirstComNumber;
            setup.useTapi = false;
            portGiven = true;
        } else if (option == "--device") {
            setup.tapiIndex = int(devices.indexOf(value));
            if (setup.tapiIndex < 0) {
                err("corvane-cli modem: no telephony device is named \"" + value +
                    "\" (corvane-cli modem ports lists them)");
                return 1;
            }
            setup.useTapi = true;
            portGiven = true;
        } else if (option == "--name") {
            setup.userName = value;
        } else if (option == "--fax") {
            setup.userFax = value;
        } else {
            err(kUsage);
            return 2;
        }
    }
    if (!portGiven) {
        err(kUsage);
        return 2;
    }
    setup.confirm();
    if (const Status saved = SaveSettings(); !saved.ok()) {
        err("corvane-cli modem: " + saved.message());
        return 1;
    }
    if (settings.UseTAPI)
        out("Modem: " + settings.TAPIDevice);
    else
        out(QStringLiteral("Modem: COM%1 (%2)")
                .arg(settings.ComPort + 1)
                .arg(PortDevicePath(settings.ComPort + 1)));
    return 0;
}

}  // namespace

int runModemSetupCommand(const QStringList& args) {
    const QString verb = args.value(0);
    if (verb == "find" && args.size() == 1) return FindModem();
    if (verb == "classes") return CheckClasses(args);
    if (verb == "suggest") return Suggest(args);
    if (verb == "use") return UseModem(args);
    return -1;
}

}  // namespace corvane::cli
