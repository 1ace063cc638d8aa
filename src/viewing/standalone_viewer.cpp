#include "viewing/standalone_viewer.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include "core/message_boxes.h"
#include "core/settings.h"
#include "uicommon/gui_message_boxes.h"
#include "viewing/logic/fax_source.h"
#include "viewing/logic/tiff_pages.h"
#include "viewing/show_viewer.h"

namespace corvane {

int RunStandaloneViewer(const QString& path) {
    GuiMessageBoxes boxes;
    if (!messageBoxes()) setMessageBoxes(&boxes);
    LoadSettings();
    LoadPrintSettings();
    const QFileInfo info(path);
    int status = 0;
    if (!info.isFile()) {
        ShowInformation("File not found: " + path);
        status = 1;
    } else if (LooksLikeTiff(path)) {
        QTemporaryDir work;
        const QString apf = work.filePath(info.completeBaseName() + ".apf");
        const Status converted = ConvertTiffToFax(path, apf);
        if (converted) {
            ShowFaxViewer(info.fileName(), apf);
        } else {
            ShowInformation("Cannot show " + info.fileName() + ": " + converted.message());
            status = 1;
        }
    } else {
        ShowFaxViewer(info.fileName(), info.absoluteFilePath());
    }
    if (messageBoxes() == &boxes) setMessageBoxes(nullptr);
    return status;
}

}  // namespace corvane
