#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "xbase/xbase_status.h"
#include "xbase/xbase_table.h"

// Pack: the table without its records marked for deletion, written anew and renamed into
// place, then every tag rebuilt.

namespace corvane::xbase {

namespace {

void syncFolder(const QString& file) {
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

Status XbaseTable::pack() {
    if (!isOpen() || dbf_->mode() != OpenMode::Exclusive)
        return XbaseError("pack needs the table opened exclusively");
    (void)flushRecord();
    const QString path = dbf_->path();
    const QString temporary = path + ".pack";
    if (Status copied = dbf_->createEmptyCopy(temporary); !copied) return copied;
    auto packed = std::make_unique<DbfFile>();
    if (Status opened = packed->open(temporary, OpenMode::Exclusive); !opened) {
        QFile::remove(temporary);
        return opened;
    }
    report(0);
    std::string record;
    const uint32_t count = recCount();
    for (uint32_t r = 1; r <= count; ++r) {
        Status copied = dbf_->readRecord(r, record)
                            ? Status::Ok()
                            : XbaseError("cannot read record " + std::to_string(r));
        if (copied && record[0] != '*') copied = packed->appendRecord(record).status();
        if (!copied) {
            packed->close();
            QFile::remove(temporary);
            return copied;
        }
        if (r % 1024 == 0) report(int(uint64_t(r) * 100 / count));
    }
    // The new file replaces the old one in a single rename: a crash leaves one or the other.
    Status replaced = packed->commit();
    if (replaced && !packed->renameTo(path))
        replaced = XbaseError("cannot replace " + path.toStdString() + ": " + std::strerror(errno));
    if (!replaced) {
        packed->close();
        QFile::remove(temporary);
        return replaced;
    }
    syncFolder(path);
    dbf_ = std::move(packed);
    report(100);
    Status reindexed;
    if (cdx_.isOpen()) reindexed = reindex();
    goTop();
    return reindexed;
}

}  // namespace corvane::xbase
