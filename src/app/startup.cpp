#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "app/fax_logs_step.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "app/window_hooks.h"
#include "core/app_folders.h"
#include "core/locale_formats.h"
#include "core/read_only_recovery.h"
#include "core/settings.h"
#include "covers/shipped_templates.h"
#include "logwindow/main_screen.h"
#include "uicommon/gui_message_boxes.h"

namespace corvane {

namespace {

constexpr int kActivationTimeoutMs = 1500;
constexpr int kHintHidePauseMs = 10000;

void createDataFolders() {
    // Each on its own; a folder that cannot be made shows up later as a file error.
    QDir().mkpath(AppFolder());
    QDir().mkpath(ResolveName(AppFolder(), "SEND/"));
    QDir().mkpath(ResolveName(AppFolder(), "Receive/"));
}

}  // namespace

int RunCorvane(QApplication& app) {
    static GuiMessageBoxes boxes;
    setMessageBoxes(&boxes);

    // Single-instance guard. A second start hands over to the first one here, before any
    //    table is touched: the first instance holds the tables exclusively, and a second one
    //    reaching them would only fail with a misleading "cannot open" message.
    SingleInstanceGuard guard(QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
                              AppFolder());
    if (!guard.acquire()) {
        if (!guard.activateRunningInstance(kActivationTimeoutMs))
            std::fprintf(stderr, "corvane: another instance is starting or not responding\n");
        return 0;
    }

    // The user's locale formats. The short date format is kept aside: the table engine works with
    //    "mm/dd/yyyy" and the user's format is put back once the window exists.
    GlobalLocaleFormats() = ReadLocaleFormats(QLocale::system());
    const QString savedShortDate = GlobalLocaleFormats().shortDate;

    // Read-only recovery: data files copied from read-only media get their write permission
    // back before any table is opened.
    QDir().mkpath(AppFolder());
    RecoverReadOnlyFiles(AppFolder());

    // The data module and the fax logs; without them the program cannot run.
    FaxLogsStep logs;
    if (!logs.open()) return 1;

    // The main window: title, hand-over from a second start, the logs' data sources, the
    // settings, the data folders and the user's date format back in place.
    QCoreApplication::processEvents();
    QApplication::setApplicationDisplayName("Corvane");
    TMainScreen window;
    QObject::connect(&guard, &SingleInstanceGuard::activationRequested, &window,
                     &TMainScreen::BringToFront);
    logs.attach(window);
    InstallWindowHooks();
    GlobalSettings().PortUnconfigured = false;
    LoadSettings();
    LoadPrintSettings();
    createDataFolders();
    (void)InstallShippedTemplates();  // a folder that cannot be filled shows up as no templates
    GlobalLocaleFormats().shortDate = savedShortDate;
    window.setToolTipDuration(kHintHidePauseMs);

    // Showing the window runs its first activation, which finishes what needs a visible
    // window (rebuilding indexes written before the newer tags, showing the outgoing grid).
    CloseOnTerminationSignals(&window);
    window.show();
    const int status = app.exec();

    // Shutdown: the window saved its placement and the settings when it closed.
    logs.close();
    return status;
}

}  // namespace corvane
