#pragma once
// Where the running program listens for "come to the front" requests: one lock file and one
// local socket per program name and data folder, in the user's runtime folder. The program's
// single-instance guard listens there; the fax printer's backend, which runs outside the
// user's session, finds it from the same three facts.

#include <QString>

namespace corvane {

// runtimeFolder + "/" + programName + "-" + 12 hex digits of the data folder's hash; the
// guard adds ".lock" and ".sock".
QString InstanceFileBase(const QString& runtimeFolder, const QString& programName,
                         const QString& dataFolder);

}  // namespace corvane
