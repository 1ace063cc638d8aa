#pragma once
// TMainScreen: the program's only top-level window, over the outgoing and incoming logs.
// Its decisions live in MainScreenState; this class builds the widgets and forwards commands.

#include <QMainWindow>

#include "logwindow/main_screen_state.h"

class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QTableView;

namespace corvane {

class TFDM;

class TMainScreen : public QMainWindow {
    Q_OBJECT
  public:
    explicit TMainScreen(QWidget* parent = nullptr);

    MainScreenState& state() { return state_; }
    // The fax logs, owned by the start-up; none in tests that only need the window.
    void SetDataModule(TFDM* fdm) { fdm_ = fdm; }
    QTabBar* tabStrip() const { return tabs_; }
    QStackedWidget* notebook() const { return notebook_; }
    QPushButton* exitButton() const { return exitButton_; }

  public slots:
    // Brings the window to the front; a minimised window is restored first (a second start of
    // the program asks for this).
    void BringToFront();

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    struct LogPage {
        QComboBox* view = nullptr;
        QComboBox* sort = nullptr;
        QTableView* grid = nullptr;
    };

    void buildMenus();
    QWidget* buildButtonBar();
    QWidget* buildLogPage(LogPage& page, const QStringList& views, const QStringList& sorts);
    void FormActivate();
    void RebuildOldIndexes();
    void WidenToShowExitButton();

    MainScreenState state_;
    TFDM* fdm_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QStackedWidget* notebook_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    LogPage outgoing_;
    LogPage incoming_;
};

}  // namespace corvane
