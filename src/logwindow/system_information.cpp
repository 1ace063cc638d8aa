#include "logwindow/system_information.h"

#include <gnu/libc-version.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <QPrinterInfo>
#include <QScreen>
#include <QSysInfo>
#include <QTextStream>
#include <QThread>

#include "core/app_folders.h"
#include "core/port_map.h"
#include "core/settings.h"
#include "core/version.h"

namespace corvane {

namespace {

// The first line of /proc/cpuinfo or /proc/meminfo that starts with `key`, after its colon.
QString ProcField(const QString& file, const QString& key) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QTextStream in(&f);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine())
        if (line.startsWith(key)) return line.section(':', 1).trimmed();
    return {};
}

QString Megabytes(const QString& kilobytesText) {
    const qint64 kb = kilobytesText.section(' ', 0, 0).toLongLong();
    return kb > 0 ? QString("%1 MB").arg(kb / 1024) : QString("unknown");
}

void Heading(QTextStream& out, const QString& title) {
    out << "\n[" << title << "]\n";
}

void Line(QTextStream& out, const QString& name, const QString& value) {
    out << QString("%1: ").arg(name, -22) << value << "\n";
}

}  // namespace

QString SystemInformationReport(const Settings& settings) {
    QString text;
    QTextStream out(&text);
    out << "Corvane " << CORVANE_VERSION << " system information, "
        << QDateTime::currentDateTime().toString(Qt::ISODate) << "\n";

    Heading(out, "System");
    Line(out, "Operating system", QSysInfo::prettyProductName());
    Line(out, "Kernel", QSysInfo::kernelType() + " " + QSysInfo::kernelVersion());
    Line(out, "Architecture", QSysInfo::currentCpuArchitecture());
    const QString model = ProcField("/proc/cpuinfo", "model name");
    Line(out, "Processor",
         (model.isEmpty() ? QString("unknown") : model) +
             QString(" (%1 threads)").arg(QThread::idealThreadCount()));
    Line(out, "Memory",
         Megabytes(ProcField("/proc/meminfo", "MemTotal")) + " total, " +
             Megabytes(ProcField("/proc/meminfo", "MemAvailable")) + " available");

    Heading(out, "Libraries");
    Line(out, "Qt (run time)", qVersion());
    Line(out, "Qt (built with)", QT_VERSION_STR);
    Line(out, "C library", QString("glibc ") + gnu_get_libc_version());
    Line(out, "Compiler", QString(__VERSION__));

    Heading(out, "Display and language");
    Line(out, "Platform", QGuiApplication::platformName());
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (int i = 0; i < screens.size(); ++i) {
        const QScreen* s = screens[i];
        Line(out, QString("Screen %1").arg(i + 1),
             QString("%1 x %2, %3 bits, %4 dpi")
                 .arg(s->geometry().width())
                 .arg(s->geometry().height())
                 .arg(s->depth())
                 .arg(qRound(s->logicalDotsPerInch())));
    }
    const QFont font = QGuiApplication::font();
    Line(out, "Font", QString("%1, %2 pt").arg(font.family()).arg(font.pointSizeF()));
    const QLocale locale = QLocale::system();
    Line(out, "Language", QLocale::languageToString(locale.language()));
    Line(out, "Country", QLocale::territoryToString(locale.territory()));
    Line(out, "Short date format", locale.dateFormat(QLocale::ShortFormat));

    Heading(out, "Printers");
    const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    if (printers.isEmpty()) out << "(no printer)\n";
    for (const QString& name : printers)
        out << name << (name == defaultPrinter ? "  (default)" : "") << "\n";

    Heading(out, "Modem settings");
    if (settings.PortUnconfigured)
        Line(out, "Port", "not configured");
    else if (settings.UseTAPI)
        Line(out, "Port", "named device " + settings.TAPIDevice);
    else
        Line(out, "Port",
             QString("COM%1 (%2)")
                 .arg(settings.ComPort + 1)
                 .arg(PortDevicePath(settings.ComPort + 1)));
    Line(out, "Fax class (send)", FaxClassName(settings.FaxClass));
    Line(out, "Fax class (receive)", FaxClassName(settings.FaxClassReceive));
    Line(out, "Maximum bps (send)", QString::number(settings.MaximumBPS));
    Line(out, "Maximum bps (receive)", QString::number(settings.MaximumBPSReceive));
    Line(out, "Init string (send)", settings.InitString);
    Line(out, "Init string (receive)", settings.InitStringReceive);
    Line(out, "Reset string", settings.ResetString);

    Heading(out, "Data folder");
    const QString folder = AppFolder();
    Line(out, "Folder", folder);
    Line(out, "Settings file", SettingsFileName());
    Line(out, "PATH", qEnvironmentVariable("PATH"));
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            const int count = int(QDir(entry.filePath()).entryList(QDir::Files).size());
            out << QString("  %1/").arg(entry.fileName(), -20) << count << " files\n";
        } else {
            out << QString("  %1 ").arg(entry.fileName(), -20) << entry.size() << " bytes, "
                << entry.lastModified().toString("yyyy-MM-dd hh:mm") << "\n";
        }
    }
    return text;
}

}  // namespace corvane
