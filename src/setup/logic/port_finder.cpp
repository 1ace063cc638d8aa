#include "setup/logic/port_finder.h"

#include <QFileInfo>
#include <cerrno>
#include <exception>

#include "core/fax_errors.h"
#include "core/port_map.h"
#include "setup/logic/modem_query.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/tapi_device.h"

namespace corvane {

namespace {

const QString kModem = QStringLiteral("MODEM");
const QString kUnknown = QStringLiteral("Unknown");
const QString kTesting = QStringLiteral("TESTING");
const QString kDefaultSerialGroup = QStringLiteral("dialout");

QString ComPrefix(int n) {
    return QStringLiteral("Com %1: ").arg(n);
}

bool IsPermissionError(int code) {
    return code == -EACCES || code == -EPERM;
}

QString RealPath(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

}  // namespace

QString PermissionHelpText(const QString& devicePath) {
    QString group = QFileInfo(devicePath).group();
    if (group.isEmpty() || group == QLatin1String("root")) group = kDefaultSerialGroup;
    return QStringLiteral(
               "No permission to open %1: add your user to the group \"%2\" "
               "(sudo usermod -aG %2 $USER) and log in again")
        .arg(devicePath, group);
}

QString JoinIdentification(const QList<QStringList>& replies) {
    QStringList parts;
    for (const QStringList& reply : replies) {
        const QString first = reply.value(0).trimmed();
        if (!first.isEmpty() && !parts.contains(first)) parts << first;
    }
    return parts.join(QStringLiteral(" / "));
}

PortFinder::PortFinder(TFxComPort& port, const QString& resetString)
    : port_(port), resetString_(resetString) {
    for (int n = kFirstComNumber; n <= kLastComNumber; ++n) {
        comLines_ << ComPrefix(n);
        comIds_ << QString();
    }
}

void PortFinder::setLine(int index, const QString& text) {
    if (index < comLines_.size())
        comLines_[index] = text;
    else
        named_[index - comLines_.size()].text = text;
    if (onLine) onLine(index, text);
}

QString PortFinder::identify() {
    QList<QStringList> replies;
    // The fax identification commands answer only in a fax class on some modems; the general
    // ones of V.250 answer in any.
    for (const char* command : {"ATI", "AT+FMI?", "AT+FMM?", "AT+GMI", "AT+GMM"}) {
        const ModemQueryReply reply =
            QueryModem(port_, QString::fromLatin1(command), kIdentifyTicks);
        if (reply.ok) replies << reply.information();
    }
    return JoinIdentification(replies);
}

PortFinder::Outcome PortFinder::probeOpen(const QString& path) {
    Outcome outcome;
    try {
        port_.SetOpen(true);
        if (!port_.Open()) {
            outcome.text = kUnknown;
        } else if (CheckForModem(port_, resetString_)) {
            outcome.text = kModem;
            outcome.modem = true;
            outcome.identification = identify();
        } else {
            outcome.text = kUnknown;
        }
    } catch (const EFaxError& e) {
        if (e.code() == ecAlreadyOpen || e.code() == ecPortInUse) {
            outcome.text = kPortInUseLine;
            inUse_ = true;
        } else if (e.code() == ecBadId) {
            outcome.text = kNoSuchPortLine;
        } else if (IsPermissionError(e.code())) {
            outcome.text = PermissionHelpText(path);
            permissionMissing_ = true;
        } else {
            outcome.text = FaxErrorTextOr(e.code(), QStringLiteral("Unknown Error"));
        }
    } catch (const std::exception& e) {
        outcome.text = QStringLiteral("ERROR: ") + QString::fromLocal8Bit(e.what());
    }
    port_.CloseNoThrow();
    return outcome;
}

void PortFinder::run() {
    const int savedCom = port_.ComNumber();
    const TapiMode savedMode = port_.GetTapiMode();
    const QString savedTapiPath = port_.TapiDevicePath();
    result_ = -1;
    inUse_ = permissionMissing_ = false;

    QStringList comPaths;
    port_.SetTapiMode(TapiMode::Off);
    for (int n = kFirstComNumber; n <= kLastComNumber; ++n) {
        const int index = n - kFirstComNumber;
        setLine(index, ComPrefix(n) + kTesting);
        port_.SetComNumber(n);
        const QString path = PortDevicePath(n);
        comPaths << RealPath(path);
        const Outcome outcome = probeOpen(path);
        comIds_[index] = outcome.identification;
        if (outcome.modem && result_ < 0) result_ = n;
        setLine(index, ComPrefix(n) + outcome.text);
    }

    // Named devices: a link to a COM port already probed takes that port's outcome.
    named_.clear();
    const QList<TelephonyDevice> devices = TelephonyDevices();
    for (const TelephonyDevice& d : devices) named_.push_back({d.name, d.path, {}, false, {}});
    port_.SetTapiMode(TapiMode::On);
    for (size_t i = 0; i < named_.size(); ++i) {
        NamedDevice& d = named_[i];
        const int index = static_cast<int>(comLines_.size() + i);
        const int sameCom = static_cast<int>(comPaths.indexOf(RealPath(d.path)));
        if (sameCom >= 0) {
            const QString comText = comLines_[sameCom].mid(ComPrefix(sameCom + 1).size());
            d.modem = comText == kModem;
            d.identification = comIds_[sameCom];
            setLine(index, d.name + ": " + comText + QStringLiteral(" (Com %1)").arg(sameCom + 1));
            continue;
        }
        setLine(index, d.name + ": " + kTesting);
        port_.AssignTapiDevicePath(d.path);
        const Outcome outcome = probeOpen(d.path);
        d.modem = outcome.modem;
        d.identification = outcome.identification;
        setLine(index, d.name + ": " + outcome.text);
    }

    port_.AssignTapiDevicePath(savedTapiPath);
    port_.SetTapiMode(savedMode);
    port_.SetComNumber(savedCom);
}

QString PortFinder::namedResult() const {
    for (const NamedDevice& d : named_)
        if (d.modem) return d.name;
    return {};
}

QString PortFinder::informationText() const {
    QString text;
    if (result_ > 0) {
        text = QStringLiteral(
                   "A modem was found on Com Port %1. We suggest setting the Port as "
                   "Com %1.")
                   .arg(result_);
    } else if (!namedResult().isEmpty()) {
        text = QStringLiteral(
                   "A modem was found on the device \"%1\". We suggest selecting it "
                   "in the list of modems.")
                   .arg(namedResult());
    } else if (inUse_) {
        text = QStringLiteral(
            "No modem found. Please make sure that all communication programs (internet, AOL, "
            "etc) are closed, and then try again. If you know which Com port your modem uses, "
            "you can also just set the Port to that setting");
    } else {
        text = QStringLiteral(
            "No modem found. If you know which Com port your modem uses, you can also just set "
            "the Port to that setting. Please note that Corvane does not work with CABLE, DSL or "
            "ISDN connections.");
    }
    if (result_ < 0 && permissionMissing_)
        text += QStringLiteral(
            " Some ports could not be opened for lack of permission: their lines say how to "
            "get it.");
    return text;
}

}  // namespace corvane
