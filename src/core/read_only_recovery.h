#pragma once
// Data copied from a CD or a backup can arrive read-only. When QX.INI is read-only, the data
// files of the folder are made writable again before any table is opened.

#include <QString>

namespace corvane {

// True when `name` matches one of the data-file patterns ("*.dbf", "*.cdx", "*.ini", ...),
// compared without regard to case. `name` is relative to the data folder ("Covers/a.fcs").
bool IsRecoverableDataFile(const QString& name);

// When folder + QX.INI exists and is not writable, adds owner write permission to every
// matching file of the folder and of its Covers folder. Errors are ignored. Returns the
// number of files changed.
int RecoverReadOnlyFiles(const QString& folder);

}  // namespace corvane
