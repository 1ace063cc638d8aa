#pragma once
// The cover data file (".FCD") beside each cover file in SEND/: the inputs the cover was
// generated from, so that the editor can show them again. Plain text in code page 1252,
// CR LF line ends:
//
//   line 1     the template's render file name, without folder   "qx0001.fct"
//   line 2     five characters, one per importance flag in the   "X  X "
//              order Urgent, For Review, Please Comment, Please
//              Reply, Please Recycle: "X" set, space clear
//   line 3...  the cover message, one line per hard line as typed

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "core/status.h"

namespace corvane {

inline constexpr int kImportanceFlags = 5;
using ImportanceFlags = std::array<bool, kImportanceFlags>;

struct CoverDataFile {
    QString templateName;
    QString importance;  // as stored; only a string of exactly five characters sets flags
    QStringList message;

    // The flags line 2 sets: all clear unless it has exactly five characters.
    ImportanceFlags flags() const;
    static QString ImportanceText(const ImportanceFlags& flags);
};

// The cover data file of a cover file: its name with extension ".FCD" (an existing file
// whose name differs in letter case, such as ".fcd", is that file).
QString CoverDataFileName(const QString& coverPath);

// Nothing when the file does not exist or cannot be read.
std::optional<CoverDataFile> ReadCoverDataFile(const QString& path);
// Written as a new file renamed into place.
Status WriteCoverDataFile(const QString& path, const CoverDataFile& data);

}  // namespace corvane
