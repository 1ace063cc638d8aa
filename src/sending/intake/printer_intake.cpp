#include "sending/intake/printer_intake.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

#include "core/app_folders.h"
#include "core/ini_file.h"
#include "core/windows1252.h"
#include "faxdoc/apf_page_ops.h"
#include "logs/fax_data_module.h"

namespace corvane {

namespace {

constexpr char kJobSuffix[] = ".jfd";

// The file named `name` in `folder` without regard to case, or the path as spelled.
QString InFolder(const QString& folder, const QString& name) {
    return ResolveName(WithTrailingSlash(folder), name);
}

// The job file of a fax file: the same base name with ".JFD" (any case that exists).
QString JobFileOf(const QString& faxFile) {
    const QFileInfo fax(faxFile);
    return InFolder(fax.absolutePath(), fax.completeBaseName() + ".JFD");
}

bool IsFile(const QString& path) {
    return QFileInfo(path).isFile();
}

}  // namespace

PrintJobLines ParseJobFile(const QByteArray& bytes) {
    QList<QByteArray> raw = bytes.split('\n');
    // split leaves an empty last piece after a final line end; it is not a line.
    if (!raw.isEmpty() && raw.last().isEmpty()) raw.removeLast();
    auto line = [&](int i) {
        if (i >= raw.size()) return QString();
        QByteArray l = raw[i];
        if (l.endsWith('\r')) l.chop(1);
        return DecodeUtf8OrWindows1252(l);
    };
    return {line(0), line(1), line(2)};
}

QByteArray FormatJobFile(const PrintJobLines& lines) {
    QByteArray out;
    for (const QString* l : {&lines.line1, &lines.line2, &lines.line3}) out += l->toUtf8() + "\r\n";
    return out;
}

QString DriverSettingsFileName() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) config = QDir::homePath() + "/.config";
    return WithTrailingSlash(config) + "corvane/QXPD.INI";
}

Status WriteDriverSettings(const QString& executable) {
    const QString file = DriverSettingsFileName();
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return Status::Error("Cannot create the folder of " + file);
    IniFile ini(file);
    // The folder without its trailing '/', as a printer that appends its own names expects.
    QString send = SendFolder();
    if (send.endsWith('/')) send.chop(1);
    ini.writeString(kDriverSection, kDriverOutPathKey, send);
    ini.writeString(kDriverSection, kDriverExecutableKey, executable);
    return ini.saveAs(file);
}

bool PrinterIntake::ProcessExtraPDFaxFiles() {
    const QString send = SendFolder();
    QStringList jobs;
    // Every entry, hidden or not; the suffix in any case, as the printer may spell it.
    const QFileInfoList entries = QDir(send).entryInfoList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries)
        if (entry.fileName().endsWith(QLatin1String(kJobSuffix), Qt::CaseInsensitive))
            jobs << entry.fileName();
    for (const QString& job : jobs)
        ProcessPDFaxFile(InFolder(send, QFileInfo(job).completeBaseName() + ".APF"));
    return !jobs.isEmpty();
}

void PrinterIntake::ProcessPDFaxFile(const QString& faxFile) {
    // Without its fax file the job is still being written: it waits for a later activation.
    if (!IsFile(faxFile)) return;
    const QString jobFile = JobFileOf(faxFile);
    QByteArray jobBytes;
    if (QFile job(jobFile); job.open(QIODevice::ReadOnly)) jobBytes = job.readAll();
    const PrintJobLines lines = ParseJobFile(jobBytes);

    if (lines.isAppend()) {
        // A bare name is a fax of the SEND folder; a path is used as given.
        const QString target = QDir::isAbsolutePath(lines.line2)
                                   ? lines.line2
                                   : InFolder(QFileInfo(faxFile).absolutePath(), lines.line2);
        // A failed append keeps both files, so the job is tried again at every activation.
        if (!lines.line2.isEmpty() && AppendApfFile(faxFile, target, false)) {
            QFile::remove(jobFile);
            QFile::remove(faxFile);
        }
        return;
    }

    OutgoingFaxFields fields;
    fields.phone = lines.line1;
    fields.recipient = lines.line2;
    fields.subject = lines.line3;
    fields.faxDoc = QFileInfo(faxFile).fileName();
    // The job file goes before the record is written: one that cannot be removed would
    // otherwise add the same fax again at every activation. A record that cannot be written
    // puts it back for the next try.
    const bool hadJobFile = QFileInfo::exists(jobFile);
    if (hadJobFile && !QFile::remove(jobFile)) return;
    if (!fdm_.AppendOutgoingFax(fields)) {
        if (QFile job(jobFile); hadJobFile && job.open(QIODevice::WriteOnly)) job.write(jobBytes);
        return;
    }
    ++recordsAdded_;
    lastRecord_ = fdm_.FaxTable.recNo();
}

}  // namespace corvane
