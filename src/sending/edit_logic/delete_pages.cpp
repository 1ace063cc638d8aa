#include "sending/edit_logic/delete_pages.h"

#include <QFile>

#include "core/fax_errors.h"
#include "core/file_naming.h"
#include "faxdoc/apf_page_ops.h"

namespace corvane {

PageDeletion CheckPageDeletion(int from, int to, int pageCount) {
    if (from == 1 && to == pageCount && pageCount > 0) return PageDeletion::WholeFile;
    if (from > 0 && from <= to && to <= pageCount) return PageDeletion::Range;
    return PageDeletion::Invalid;
}

QString DeleteWholeFax(const QString& path) {
    if (!QFile::remove(path)) return QStringLiteral("Error: Unable to delete entire file");
    return {};
}

QString DeletePageRange(const QString& path, int from, int to) {
    const QString failed = QStringLiteral("Error: Unable to delete selected pages");
    const Result<QString> safety = GetUniqueWorkFileName(QStringLiteral("_tmp"));
    if (!safety.ok() || !CopyWholeFile(path, safety.value())) return failed;
    bool ok = false;
    try {
        ok = DeleteApfPages(safety.value(), path, from, to);
    } catch (const EFaxError&) {
        ok = false;
    }
    if (!ok) CopyWholeFile(safety.value(), path);
    QFile::remove(safety.value());
    return ok ? QString() : failed;
}

}  // namespace corvane
