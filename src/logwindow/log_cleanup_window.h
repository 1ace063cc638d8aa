#pragma once
// "Fax Log Cleanup (Delete, Archive, Unarchive)": the setup page (log, action, subset,
// condition, run) and the process page that stops at each match for review. The decisions
// live in LogCleanupSetup and CleanupScan (logwindow/logic); this window shows them and
// forwards the user's choices. Its date and conditions dialogs are here too.

#include <QDialog>
#include <functional>
#include <optional>

#include "logwindow/logic/log_cleanup_scan.h"
#include "logwindow/logic/log_cleanup_setup.h"

class QButtonGroup;
class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QEventLoop;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace corvane {

class TFDM;

// "Select Date": a calendar with year and month steps and "Today"; a double click is OK.
class CleanupDateDialog : public QDialog {
    Q_OBJECT
  public:
    CleanupDateDialog(const QString& caption, const QDate& start, QWidget* parent = nullptr);
    QDate date() const;
    QCalendarWidget* calendar;
    QLabel* dayText;

  private:
    void step(int years, int months);
};

// The conditions dialog: one text choice per field with its lookup, and the exact-match box.
class CleanupConditionsDialog : public QDialog {
    Q_OBJECT
  public:
    CleanupConditionsDialog(LogCleanupSetup& setup, xbase::XbaseTable& table,
                            QWidget* parent = nullptr);
    TextConditionEntries entries() const;
    QRadioButton* choice[2] = {nullptr, nullptr};
    QLineEdit* text[2] = {nullptr, nullptr};
    QPushButton* lookup[2] = {nullptr, nullptr};
    QCheckBox* exact;
    // Replaces the list the lookup shows (tests pick a value).
    std::function<std::optional<QString>(const QString& title, const QStringList& values)> pick;

  private:
    void relabel();
    void lookUp(int which);
    void accept() override;

    LogCleanupSetup& setup_;
    xbase::XbaseTable& table_;
    int fields_;
};

class LogCleanupWindow : public QDialog {
    Q_OBJECT
  public:
    // `view` shows the current record's fax of a log as the main window's View does.
    LogCleanupWindow(TFDM& fdm, std::function<void(LogKind)> view, QWidget* parent = nullptr);
    ~LogCleanupWindow() override;

    // Shows the window modally; true when any record was deleted (the caller then rebuilds
    // the indexes).
    static bool Run(TFDM& fdm, std::function<void(LogKind)> view, QWidget* parent);
    bool anyDeleted() const { return anyDeleted_; }
    LogCleanupSetup& setup() { return setup_; }

    // Dialog hooks tests replace: the date and conditions dialogs (nothing on Cancel).
    std::function<std::optional<QDate>(LogCleanupWindow&)> askDate;
    std::function<bool(LogCleanupWindow&)> askConditions;
    // Called at each match while the review buttons wait (tests press one).
    std::function<void(LogCleanupWindow&)> onReview;

    QStackedWidget* pages;
    QRadioButton* logButton[2];
    QRadioButton* actionButton[3];
    QComboBox* subset;
    QPushButton* conditionButton;
    QPushButton* runButton;
    QPushButton* closeButton;
    QLabel* status;
    QProgressBar* progress;
    QStackedWidget* recordPanel;
    QPushButton* thisFaxButton;
    QPushButton* remainingButton;
    QPushButton* skipButton;
    QPushButton* cancelButton;
    QPushButton* viewButton;

    void RunNow();
    void SetCondition();

  protected:
    void showEvent(QShowEvent* e) override;
    void done(int result) override;

  private:
    QWidget* buildSetupPage();
    QWidget* buildProcessPage();
    QWidget* buildRecordPanel(LogKind log);
    void showSetup();
    void showRecord();
    void decide(ReviewChoice choice);
    void setReviewEnabled(bool on);
    xbase::XbaseTable& table();

    TFDM& fdm_;
    std::function<void(LogKind)> view_;
    LogCleanupSetup setup_;
    bool anyDeleted_ = false;
    bool activated_ = false;
    bool running_ = false;
    std::string notedFilter_[2];
    QEventLoop* waiting_ = nullptr;
    std::optional<ReviewChoice> choice_;
    std::vector<std::pair<const char*, QLineEdit*>> fields_[2];
};

}  // namespace corvane
