#pragma once
// The fax files a log record names, as paths inside the log's folder. A stored name is a bare
// file name; anything that could reach outside the folder counts as no file, so a damaged
// record never makes the program delete a stranger's file.

#include <QString>
#include <QStringList>

#include "logs/fax_data_module.h"

namespace corvane {

// `folder` + the stored name (looked up without regard to case), or "" when the name is blank
// or not a bare file name.
QString StoredFileIn(const QString& folder, const QString& storedName);

// The cover data file kept beside a cover page: same folder and base name, extension ".fcd".
QString CoverDataFileOf(const QString& coverPath);

// The files deleting the current record of `table` removes: outgoing the document, the cover
// and its cover data file (names upper-cased as the log stores them); incoming the received
// file. Blank names give no entry.
QStringList FilesOfRecord(LogKind kind, const xbase::XbaseTable& table);

}  // namespace corvane
