// corvane-fax: the CUPS backend of the queue "Corvane-Fax". CUPS hands it a print job (PDF
// from cups-filters, or PostScript) and it leaves the job in the owner's Corvane SEND folder
// as the program's intake expects: the pages as a fine-resolution APF file, written in full
// first, then the job file that makes the program take them in. It then asks a running
// Corvane to come to the front, which runs the intake.
//
// Runs as root (mode 0700) only long enough to open the job's document and become its owner;
// everything else, the rendering of the document included, runs as the owner. Every refusal
// is one "ERROR:" line in the job log and cancels the job, with nothing written.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/app_folders.h"
#include "core/ini_file.h"
#include "core/instance_socket.h"
#include "printer/backend_checks.h"
#include "printer/backend_job.h"
#include "sending/import/document_import.h"
#include "sending/intake/printer_intake.h"

namespace corvane {
namespace {

// Exit codes CUPS gives meaning to: a cancelled job does not stop the queue for others.
constexpr int kBackendOk = 0;
constexpr int kBackendFailed = 1;
constexpr int kBackendCancel = 4;

constexpr int kMaxJobNumber = 99999;
constexpr int kActivationTimeoutMs = 1500;

void Log(const char* level, const QString& message) {
    std::fprintf(stderr, "%s: %s\n", level, message.toUtf8().constData());
    std::fflush(stderr);
}

int Refuse(const QString& why) {
    Log("ERROR", "Corvane Fax: job refused, " + why);
    return kBackendCancel;
}

// Copies the document into `target`; fails when it is empty or larger than `limit`.
Status CopyDocument(int fd, const QString& target, qint64 limit) {
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly)) return Status::Error("cannot write " + target);
    char block[65536];
    qint64 total = 0;
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0) {
            if (errno == EINTR) continue;
            return Status::Error("the document cannot be read");
        }
        if (got == 0) break;
        total += got;
        if (total > limit)
            return Status::Error(QString("the document is larger than %1 bytes").arg(limit));
        if (out.write(block, got) != got) return Status::Error("cannot write " + target);
    }
    if (total == 0) return Status::Error("the document is empty");
    return Status::Ok();
}

bool SyncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Takes the first free "PRNnnnnn" of the folder by creating its APF file exclusively, so that
// two jobs printed at once never share a name. Empty when every name is taken.
QString ReserveJobName(const QString& folder) {
    for (int n = 0; n <= kMaxJobNumber; ++n) {
        const QString base = QString("PRN%1").arg(n, 5, 10, QChar('0'));
        if (QFileInfo::exists(ResolveName(folder, base + ".APF")) ||
            QFileInfo::exists(ResolveName(folder, base + ".JFD")))
            continue;
        const QString fax = folder + base + ".APF";
        const int fd =
            ::open(QFile::encodeName(fax).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) continue;
        ::close(fd);
        return base;
    }
    return QString();
}

// The job file appears under its own name only when complete: the intake must never read
// half of it.
Status WriteJobFile(const QString& path, const PrintJobLines& lines) {
    const QString partial = path + ".part";
    QFile file(partial);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return Status::Error("cannot write " + partial);
    const QByteArray bytes = FormatJobFile(lines);
    const bool written =
        file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    if (!written || ::rename(QFile::encodeName(partial).constData(),
                             QFile::encodeName(path).constData()) != 0) {
        QFile::remove(partial);
        return Status::Error("cannot write " + path);
    }
    return Status::Ok();
}

// Asks the owner's running Corvane to come to the front (its activation takes the job in).
// The backend runs outside the owner's desktop session, so it cannot start the program; a
// program that is not running takes the job in at its next start.
bool ActivateCorvane(const JobOwner& owner, const QString& jobFolder, const QString& handOver) {
    const QString executable =
        IniFile(handOver).readString(kDriverSection, kDriverExecutableKey).trimmed();
    const QString program =
        executable.isEmpty() ? QStringLiteral("corvane") : QFileInfo(executable).fileName();
    const QString dataFolder = QFileInfo(jobFolder).absolutePath();
    const QStringList runtimeFolders{QString("/run/user/%1").arg(owner.uid),
                                     "/tmp/runtime-" + owner.name};
    for (const QString& runtime : runtimeFolders) {
        QLocalSocket socket;
        socket.connectToServer(InstanceFileBase(runtime, program, dataFolder) + ".sock");
        if (!socket.waitForConnected(kActivationTimeoutMs)) continue;
        socket.write("activate\n");
        socket.flush();
        while (!socket.canReadLine() && socket.waitForReadyRead(kActivationTimeoutMs)) {
        }
        if (socket.canReadLine() && socket.readLine() == "ok\n") return true;
    }
    return false;
}

int RunBackend(const QStringList& args) {
    const Result<BackendJob> parsed = ParseBackendArguments(args);
    if (!parsed.ok()) {
        if (args.size() != 5 && args.size() != 6) {
            Log("ERROR", parsed.message());
            return kBackendFailed;
        }
        return Refuse(parsed.message());
    }
    const BackendJob& job = parsed.value();
    const Result<JobOwner> found = LookUpJobOwner(job.user);
    if (!found.ok()) return Refuse(found.message());
    const JobOwner& owner = found.value();

    // The spool file is readable by root only: open it before giving root up.
    int input = STDIN_FILENO;
    if (!job.file.isEmpty()) {
        input = ::open(QFile::encodeName(job.file).constData(), O_RDONLY);
        if (input < 0) return Refuse("the document " + job.file + " cannot be opened");
    }
    if (const Status became = BecomeJobOwner(owner); !became.ok()) return Refuse(became.message());
    const QByteArray home = QFile::encodeName(owner.home);
    ::setenv("HOME", home.constData(), 1);
    ::setenv("USER", owner.name.toLocal8Bit().constData(), 1);
    ::setenv("LOGNAME", owner.name.toLocal8Bit().constData(), 1);

    const Result<QString> folderFound = JobFolderOf(owner);
    if (!folderFound.ok()) return Refuse(folderFound.message());
    const QString folder = WithTrailingSlash(folderFound.value());
    if (!job.appendTo.isEmpty() && !QFileInfo(ResolveName(folder, job.appendTo)).isFile())
        return Refuse("there is no fax \"" + job.appendTo + "\" in " + folder + " to append to");

    // The document and Ghostscript's files stay in a folder of the owner's own.
    QByteArray scratchTemplate = "/tmp/corvane-fax-XXXXXX";
    if (!::mkdtemp(scratchTemplate.data())) return Refuse("no temporary folder");
    const QString scratch = QFile::decodeName(scratchTemplate);
    ::setenv("TMPDIR", scratchTemplate.constData(), 1);
    struct ScratchRemover {
        QString path;
        ~ScratchRemover() { QDir(path).removeRecursively(); }
    } removeScratch{scratch};

    const QString document = scratch + "/document";
    if (const Status copied = CopyDocument(input, document, MaxJobBytes()); !copied.ok())
        return Refuse(copied.message());
    if (input != STDIN_FILENO) ::close(input);

    const QString base = ReserveJobName(folder);
    if (base.isEmpty()) return Refuse("no free job name in " + folder);
    const QString fax = folder + base + ".APF";
    DocumentImport import;
    const Result<int> pages = import.Import({document}, fax);
    if (!pages.ok() || !SyncFile(fax)) {
        QFile::remove(fax);
        return Refuse(pages.ok() ? "cannot write " + fax : pages.message());
    }
    PrintJobLines lines;
    if (job.appendTo.isEmpty())
        lines = {job.faxNumber, job.recipient, job.title};
    else
        lines = {kAppendToKeyword, job.appendTo, job.title};
    if (const Status written = WriteJobFile(folder + base + ".JFD", lines); !written.ok()) {
        QFile::remove(fax);
        return Refuse(written.message());
    }
    Log("INFO",
        QString("Corvane Fax: %1 page(s) handed to Corvane as %2").arg(pages.value()).arg(base));
    if (!ActivateCorvane(owner, folderFound.value(), HandOverFileOf(owner)))
        Log("INFO", "Corvane Fax: Corvane is not running; it takes the fax in when it starts");
    return kBackendOk;
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
    // Without arguments CUPS asks which devices the backend offers.
    if (argc == 1) {
        std::puts("direct corvane-fax \"Corvane Fax\" \"Corvane Fax (print jobs become faxes)\"");
        return 0;
    }
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    QCoreApplication app(argc, argv);
    return corvane::RunBackend(args);
}
