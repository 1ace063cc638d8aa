#pragma once
// `corvane --view FILE`: the viewer on one fax without the main window, for file managers
// that open faxes with Corvane. A TIFF fax is converted to a temporary APF file first.

#include <QString>

namespace corvane {

// Shows the viewer modally on `path` and returns the exit status: 0 after viewing, 1 when
// the file cannot be shown (the user is told why).
int RunStandaloneViewer(const QString& path);

}  // namespace corvane
