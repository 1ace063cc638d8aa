#pragma once
// TMainScreen: the program's only top-level window, over the outgoing and incoming logs.
// Its decisions live in MainScreenState (what the buttons show) and LogCommands (what the
// commands do); this class builds the widgets, applies the decisions and forwards commands.

#include <QMainWindow>
#include <functional>
#include <memory>

#include "logwindow/log_commands.h"
#include "logwindow/main_screen_state.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QTableView;

namespace corvane {

class LogTableModel;
class ReceiveSession;
class TFDM;

// Private window messages other parts of the program post to the main window.
constexpr int kCloseMessage = 1066;         // closes the window
constexpr int kPlaySoundMessage = 1067;     // plays the sound of the setting Wav
constexpr int kResetReceiveMessage = 1068;  // stops, resets and restarts receive mode

class TMainScreen : public QMainWindow {
    Q_OBJECT
  public:
    explicit TMainScreen(QWidget* parent = nullptr);
    ~TMainScreen() override;

    MainScreenState& state() { return state_; }
    // The fax logs, owned by the start-up; none in tests that only need the window.
    void SetDataModule(TFDM* fdm);
    // Replaces the dialogs of the log commands (tests script them).
    void SetDialogs(LogDialogs* dialogs);
    LogCommands* commands() const { return commands_.get(); }
    LogTableModel* model(LogPage page) const;

    QTabBar* tabStrip() const { return tabs_; }
    QStackedWidget* notebook() const { return notebook_; }
    QPushButton* exitButton() const { return exitButton_; }
    QTableView* grid(LogPage page) const;
    QComboBox* viewSelector(LogPage page) const;
    QComboBox* sortSelector(LogPage page) const;
    QPushButton* findButton(LogPage page) const;
    QPushButton* findNextButton(LogPage page) const;
    QPushButton* button(const QString& caption) const;  // by caption, e.g. "&Delete"
    QAction* menuAction(const QString& text) const;     // by text, e.g. "&Delete Selected Fax"
    QMenu* popupMenu(LogPage page) const;
    QLabel* statusPanel() const { return statusPanel_; }
    const ButtonStates& buttonStates() const { return buttons_; }
    LogPage currentPage() const;
    // Asks for the PDF file "Print Selected Fax to PDF" writes (suggested name given); empty
    // for Cancel. Tests answer it.
    using PdfNameAsker = std::function<QString(QWidget* parent, const QString& suggested)>;
    void SetPdfNameAsker(PdfNameAsker asker) { askPdfName_ = std::move(asker); }
    // Opens the outgoing fax editor on a new fax or on the outgoing log's current record and
    // says whether the fax was saved. The start-up installs it (the editor's windows come
    // after this folder); without one New and editing outgoing faxes stay disabled.
    using FaxEditor = std::function<bool(bool isNew)>;
    void SetFaxEditor(FaxEditor editor);

    // Operations other parts of the program call.
    void SetButtons();
    void HandleGrids();
    void FaxTableCloseAndOpen();
    // The one notification of a change to a log made elsewhere (receive mode, intake).
    void LogChanged(LogKind kind);

    // Commands (menus, buttons, keys).
    void SendSelected();
    void DeleteSelected();
    void ArchiveSelected();
    void NewFax();
    void EditSelected();
    void CloneSelected();
    void ForwardSelected();
    void ShowInformation();
    void ViewSelected();
    void PrintSelected();
    void PrintSelectedToPdf();
    void ExportSelected();
    void Find(LogPage page);
    void FindNext(LogPage page);
    void RebuildIndexes();
    void CleanUpLogs();
    void PrintFaxLogs();
    void OpenPreferences();
    void ManagePhoneBook();
    void Refresh();
    void About();

    // Receive mode: the Receive button and menu switch it on and off.
    void ReceiveButtonClick();
    ReceiveSession* receiveSession() const { return receive_.get(); }
    QPushButton* receiveButton() const { return receiveButton_; }
    QAction* receiveMenuItem() const { return receiveAction_; }
    // How long the receive error window stays before it closes itself (tests shorten it).
    void SetReceiveErrorAutoCloseMs(int ms) { receiveErrorAutoCloseMs_ = ms; }

  public slots:
    // Brings the window to the front; a minimised window is restored first (a second start of
    // the program and the fax printer ask for this), and waiting print jobs are taken in.
    void BringToFront();

  protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    struct LogPageWidgets {
        QComboBox* view = nullptr;
        QComboBox* sort = nullptr;
        QPushButton* find = nullptr;
        QPushButton* findNext = nullptr;
        QTableView* grid = nullptr;
        LogTableModel* model = nullptr;
        QMenu* popup = nullptr;
        bool dirty = false;
    };

    void buildMenus();
    QWidget* buildButtonBar();
    QWidget* buildLogPage(LogPage page);
    void buildPopups();
    void connectGrid(LogPage page);
    void makeCommands();
    void FormActivate();
    // Takes in the fax printer's jobs; the record to show afterwards, 0 when none was added.
    uint32_t TakeInPrintJobs();
    void RebuildOldIndexes();
    void WidenToShowExitButton();
    void SizeColumns(LogPage page);
    void StretchLastColumn(LogPage page);
    void syncGrids();
    void applyButtonStates();
    bool refusedInReceiveMode();
    // Views the current record of a log without status text (the cleanup's review).
    void viewCurrentOf(LogKind kind);
    // Puts both logs back on the orders and records noted before a log-wide window.
    struct NotedPlaces {
        int order[2];
        uint32_t recno[2];
    };
    NotedPlaces notePlaces() const;
    void returnTo(const NotedPlaces& noted);
    void openFaxEditor(bool isNew);
    void setupReceiveSession();
    void receiveModeChanged();
    LogPageWidgets& page(LogPage p) { return p == LogPage::Outgoing ? outgoing_ : incoming_; }
    const LogPageWidgets& page(LogPage p) const {
        return p == LogPage::Outgoing ? outgoing_ : incoming_;
    }

    MainScreenState state_;
    ButtonStates buttons_;
    TFDM* fdm_ = nullptr;
    std::unique_ptr<LogDialogs> ownDialogs_;
    LogDialogs* dialogs_ = nullptr;
    std::unique_ptr<LogCommands> commands_;
    QTabBar* tabs_ = nullptr;
    QStackedWidget* notebook_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    QList<QPushButton*> buttonList_;
    QList<QAction*> actions_;
    LogPageWidgets outgoing_;
    LogPageWidgets incoming_;
    bool syncing_ = false;
    PdfNameAsker askPdfName_;
    FaxEditor faxEditor_;
    std::unique_ptr<ReceiveSession> receive_;
    QPushButton* receiveButton_ = nullptr;
    QAction* receiveAction_ = nullptr;
    int receiveErrorAutoCloseMs_ = 30000;
};

}  // namespace corvane
