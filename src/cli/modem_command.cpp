// `modem probe [--port N | --device NAME]`: opens the port (directly or as a telephony device),
// checks that a modem answers and prints its replies to "ATI" and "AT+FCLASS=?".
// `modem ports`: COM1..COM8 with their device paths, and the named telephony devices.

#include <QFileInfo>

#include "cli/cli_commands.h"
#include "core/fax_errors.h"
#include "core/port_map.h"
#include "core/settings.h"
#include "setup/logic/modem_query.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/tapi_device.h"
#include "transport/ticks.h"

namespace corvane::cli {

namespace {

void usage() {
    err("usage: corvane-cli modem probe [--port N | --device NAME]\n"
        "       corvane-cli modem ports\n"
        "       corvane-cli modem find\n"
        "       corvane-cli modem classes [--port N | --device NAME]\n"
        "       corvane-cli modem suggest NAME\n"
        "       corvane-cli modem use --port N | --device NAME [--name TEXT] [--fax NUMBER]");
}

int listPorts() {
    for (int n = kFirstComNumber; n <= kLastComNumber; ++n) {
        const QString path = PortDevicePath(n);
        out(QStringLiteral("COM%1  %2  %3")
                .arg(n)
                .arg(path, -20)
                .arg(QFileInfo::exists(path) ? "present" : "missing"));
    }
    const QList<TelephonyDevice> devices = TelephonyDevices();
    out("Telephony devices:");
    if (devices.isEmpty()) out("  (none)");
    for (const TelephonyDevice& d : devices) out("  " + d.name + "  " + d.path);
    return 0;
}

int probe(const QStringList& args) {
    LoadSettings();
    const Settings& settings = GlobalSettings();
    int comNumber = settings.ComPort >= 0 ? settings.ComPort + 1 : 1;
    QString deviceName;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            bool ok = false;
            comNumber = args[++i].toInt(&ok);
            if (!ok || comNumber < kFirstComNumber || comNumber > kLastComNumber) {
                err("corvane-cli modem: --port takes 1 to 8");
                return 2;
            }
        } else if (args[i] == "--device" && i + 1 < args.size()) {
            deviceName = args[++i];
        } else {
            usage();
            return 2;
        }
    }

    TFxComPort port;
    TapiDevice tapi;
    ApplyProgramPortSettings(port, PortUse::Setup, false);
    Status opened;
    if (!deviceName.isEmpty()) {
        port.SetTapiMode(TapiMode::Auto);
        opened = OpenPortWithTapi(port, tapi, deviceName);
    } else {
        port.SetTapiMode(TapiMode::Off);
        port.SetComNumber(comNumber);
        opened = OpenPortDirectly(port);
    }
    const QString where =
        deviceName.isEmpty() ? QStringLiteral("COM%1").arg(comNumber) : deviceName;
    if (!opened.ok()) {
        err(DescribeOpenFailure(where, opened));
        return 1;
    }
    out(where + ": opened " + port.DevicePath());

    int status = 0;
    try {
        if (!CheckForModem(port, settings.ResetString)) {
            out("No modem answered \"AT\"");
            status = 1;
        } else {
            out("Modem answered OK");
            for (const QString& command : {QStringLiteral("ATI"), QStringLiteral("AT+FCLASS=?")}) {
                const ModemQueryReply reply = QueryModem(port, command, kModemReplyTicks);
                out(command + ":");
                for (const QString& l : reply.lines) out("  " + l);
                if (!reply.complete) out("  (no final result)");
            }
        }
    } catch (const EFaxError& e) {
        err(QStringLiteral("%1: error %2 %3").arg(where).arg(e.code()).arg(e.text()));
        status = 1;
    }
    if (!deviceName.isEmpty())
        ReleaseTapiPort(port, tapi);
    else
        port.SetOpen(false);
    return status;
}

}  // namespace

QString DescribeOpenFailure(const QString& where, const Status& opened) {
    QString line = where + ": " + opened.message();
    if (opened.code() != kNoOpenErrorCode)
        line += QStringLiteral(" (%1 %2)")
                    .arg(opened.code())
                    .arg(FaxErrorTextOr(opened.code(), "Unknown Error"));
    return line;
}

int runModemCommand(const QStringList& args) {
    const QString verb = args.value(0);
    if (verb == "ports" && args.size() == 1) return listPorts();
    if (verb == "probe") return probe(args);
    if (const int status = runModemSetupCommand(args); status >= 0) return status;
    usage();
    return 2;
}

}  // namespace corvane::cli
