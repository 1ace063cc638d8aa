#include "viewing/show_viewer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include "core/file_naming.h"
#include "core/settings.h"
#include "viewing/fax_viewer_windows.h"
#include "viewing/logic/fax_source.h"

namespace corvane {

namespace {

ViewerWindowHook& hook() {
    static ViewerWindowHook h = nullptr;
    return h;
}

// A status line that said the files were being prepared is cleared as the viewer shows.
void run(ViewerWindowBase& window, QLabel* statusPanel) {
    if (statusPanel) statusPanel->clear();
    if (hook() && !hook()(&window)) return;
    window.exec();
}

}  // namespace

void SetViewerWindowHook(ViewerWindowHook h) {
    hook() = h;
}

void ShowFaxViewer(const QString& title, const QString& file, QLabel* statusPanel,
                   QWidget* parent) {
    Settings& settings = GlobalSettings();
    while (true) {
        const bool alternate = settings.UseAlternateFaxViewer;
        if (alternate) {
            TAltFaxViewer window(file, title, parent);
            run(window, statusPanel);
        } else {
            TFaxViewer window(file, title, parent);
            run(window, statusPanel);
        }
        if (statusPanel) statusPanel->clear();
        if (settings.UseAlternateFaxViewer == alternate) break;
    }
}

void ViewCoverAndDocument(const QString& title, const QString& cover, const QString& document,
                          QLabel* statusPanel, QWidget* parent) {
    if (statusPanel) statusPanel->setText("Preparing files for viewing...");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents();
    const auto [file, workFile] = CombineCoverAndDocument(cover, document);
    QApplication::restoreOverrideCursor();
    ShowFaxViewer(title, file, statusPanel, parent);
    if (statusPanel) statusPanel->clear();
    if (!workFile.isEmpty()) QFile::remove(workFile);
}

}  // namespace corvane
