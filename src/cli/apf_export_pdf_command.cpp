// `corvane-cli apf export FILE OUT.pdf [--page N]`: a fax as a PDF file, one PDF page per fax
// page at the fax's physical size.

#include "cli/cli_commands.h"
#include "viewing/logic/fax_export.h"

namespace corvane::cli {

int runApfExportPdf(const QString& fax, const QString& target, int page) {
    const Status done = ExportFax(fax, target, ExportFormat::Pdf, page);
    if (!done) {
        err("corvane-cli apf export: " + done.message());
        return 1;
    }
    out(target);
    return 0;
}

}  // namespace corvane::cli
