#pragma once
// Names for new fax files. Each rule returns the full path of a name that does not exist yet;
// callers store only the file-name part in a log record.

#include <QString>

#include "core/status.h"

namespace corvane {

// Each rule fails, saying so, when every name of its range is taken: an existing fax file is
// never handed out.

// SendFolder() + prefix + five digits ("FAX00000.APF"), first free n in 0..99999.
Result<QString> GetUniqueSendFileName(const QString& prefix);
// AppFolder() + prefix + five digits ("Temp00000.APF"), same rule.
Result<QString> GetUniqueWorkFileName(const QString& prefix);
// The rule over any folder (exposed for tests and for the two rules above).
Result<QString> GetUniqueFiveDigitName(const QString& folder, const QString& prefix);

// Next name for a received fax in `folder`: "FAX" or, with `datePrefix`, today's "mmdd",
// followed by four decimal digits and then four lower-case hex digits past 9999.
Result<QString> GetUniqueReceiveFileName(const QString& folder, bool datePrefix);
// The same with an explicit prefix (tests; `today` decides "mmdd").
Result<QString> GetUniqueReceiveFileNameWithPrefix(const QString& folder, const QString& prefix);

// Copies source to target in 2048-byte blocks; false, changing nothing, when both name the
// same file (however spelled), the source cannot be read or the target cannot be created or
// fully written. The target appears only once the whole copy is in place.
bool CopyWholeFile(const QString& source, const QString& target);

}  // namespace corvane
