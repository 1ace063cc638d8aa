#include "core/file_naming.h"

#include <sys/stat.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include "core/app_folders.h"

namespace corvane {

namespace {

constexpr int kFiveDigitLast = 99999;
constexpr int kReceiveDecimalLast = 9999;
constexpr int kReceiveHexLast = 65000;
constexpr int kCopyBlockSize = 2048;

// The names of every entry of a folder (files, folders, links, dangling links too), folded to
// lower case, read once per search so that a folder with thousands of faxes costs one listing
// instead of one listing per candidate. A name any entry holds cannot be created as a new fax.
class FolderFiles {
  public:
    explicit FolderFiles(const QString& folder) {
        const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
        for (const QString& e : entries) names_.insert(e.toLower());
    }
    bool contains(const QString& fileName) const { return names_.contains(fileName.toLower()); }

  private:
    QSet<QString> names_;
};

QString decimalName(const QString& prefix, int n, int digits) {
    return prefix + QString::number(n).rightJustified(digits, '0') + ".APF";
}

QString hexName(const QString& prefix, int n) {
    return prefix + QString::number(n, 16).rightJustified(4, '0') + ".APF";
}

}  // namespace

Result<QString> GetUniqueFiveDigitName(const QString& folder, const QString& prefix) {
    const QString dir = WithTrailingSlash(folder);
    const FolderFiles files(dir);
    for (int n = 0; n <= kFiveDigitLast; ++n) {
        const QString name = decimalName(prefix, n, 5);
        if (!files.contains(name) && !QFileInfo::exists(dir + name)) return dir + name;
    }
    return Status::Error(QStringLiteral("No free file name is left for \"%1\" in %2 "
                                        "(all of %100000.APF to %1%3.APF exist)")
                             .arg(prefix, dir)
                             .arg(kFiveDigitLast));
}

Result<QString> GetUniqueSendFileName(const QString& prefix) {
    return GetUniqueFiveDigitName(SendFolder(), prefix);
}

Result<QString> GetUniqueWorkFileName(const QString& prefix) {
    return GetUniqueFiveDigitName(AppFolder(), prefix);
}

Result<QString> GetUniqueReceiveFileNameWithPrefix(const QString& folder, const QString& prefix) {
    const QString dir = WithTrailingSlash(folder);
    const FolderFiles files(dir);
    auto exists = [&](int n) { return files.contains(decimalName(prefix, n, 4)); };

    // Coarse to fine: the densely used range is found in a few dozen probes, so gaps left by
    // deleted faxes below it are not reused.
    auto climb = [&](int start, int step, int fallback) {
        int last = fallback;
        bool any = false;
        for (int n = start; exists(n) && n < kReceiveDecimalLast; n += step) {
            last = n;
            any = true;
        }
        return any ? last : fallback;
    };
    const int x = climb(500, 500, 100);
    const int y = climb(x, 100, 50);
    const int z = climb(y, 25, 1);
    int n = z;
    while (exists(n) && n <= kReceiveDecimalLast) ++n;
    if (n <= kReceiveDecimalLast) return dir + decimalName(prefix, n, 4);

    // Past 9999 the counter goes on in four hex digits. Those names can coincide with decimal
    // ones ("2710"), so every candidate is checked against what is on disk.
    while (files.contains(hexName(prefix, n)) && n < kReceiveHexLast) ++n;
    if (!files.contains(hexName(prefix, n))) return dir + hexName(prefix, n);
    return Status::Error(
        QStringLiteral("No free name is left for received faxes starting with \"%1\" in %2")
            .arg(prefix, dir));
}

Result<QString> GetUniqueReceiveFileName(const QString& folder, bool datePrefix) {
    const QString prefix =
        datePrefix ? QDate::currentDate().toString(QStringLiteral("MMdd")) : QStringLiteral("FAX");
    return GetUniqueReceiveFileNameWithPrefix(folder, prefix);
}

namespace {

// The same file behind two names: equal spelling, a "./" or "../" detour, a symbolic link or a
// hard link. Compared by device and inode, which see through all of them.
bool SameFile(const QString& a, const QString& b) {
    struct stat sa {
    }, sb{};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0) return false;
    if (::stat(QFile::encodeName(b).constData(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

bool CopyWholeFile(const QString& source, const QString& target) {
    if (source == target || SameFile(source, target)) return false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return false;
    // The copy goes to a new file that replaces the target only when complete: a failed copy
    // leaves neither a partial target nor a damaged old one.
    QSaveFile out(target);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) return false;
    char block[kCopyBlockSize];
    for (;;) {
        const qint64 got = in.read(block, sizeof block);
        if (got < 0) break;
        if (got == 0) return out.commit();
        if (out.write(block, got) != got) break;
    }
    out.cancelWriting();
    return false;
}

}  // namespace corvane
