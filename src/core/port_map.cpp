#include "core/port_map.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include "core/app_folders.h"
#include "core/ini_file.h"

namespace corvane {

namespace {
const char* const kDefaultPaths[] = {"/dev/ttyS0",   "/dev/ttyS1",   "/dev/ttyACM0", "/dev/ttyACM1",
                                     "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS2",   "/dev/ttyS3"};
const char kSerialByIdFolder[] = "/dev/serial/by-id";
}  // namespace

QString DefaultPortDevicePath(int comNumber) {
    if (comNumber < kFirstComNumber || comNumber > kLastComNumber) return {};
    return QString::fromLatin1(kDefaultPaths[comNumber - 1]);
}

QString PortDevicePath(int comNumber) {
    if (comNumber < kFirstComNumber || comNumber > kLastComNumber) return {};
    const IniFile ini(SettingsFileName());
    const QString configured =
        ini.readString("Ports", QStringLiteral("COM%1").arg(comNumber)).trimmed();
    return configured.isEmpty() ? DefaultPortDevicePath(comNumber) : configured;
}

QList<TelephonyDevice> TelephonyDevices() {
    QList<TelephonyDevice> devices;
    const QDir byId(QString::fromLatin1(kSerialByIdFolder));
    for (const QFileInfo& entry : byId.entryInfoList(QDir::System | QDir::Files, QDir::Name))
        devices.append({entry.fileName(), entry.absoluteFilePath()});

    const IniFile ini(SettingsFileName());
    QStringList keys;
    for (const QString& key : ini.keys("Telephony"))
        if (key.startsWith("Device", Qt::CaseInsensitive)) keys << key;
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(keys.begin(), keys.end(), numeric);
    for (const QString& key : keys) {
        const QString value = ini.readString("Telephony", key);
        const int bar = value.indexOf('|');
        if (bar <= 0 || bar == value.size() - 1) continue;  // needs both a name and a path
        devices.append({value.left(bar).trimmed(), value.mid(bar + 1).trimmed()});
    }
    return devices;
}

}  // namespace corvane
