#pragma once
// TFaxStatusForm: the status display shown while the engine sends ("Fax Status"): the call's
// fields, the page progress, the elapsed time, and Cancel. It only shows what the send
// session reports; the engine runs on as it would without it.

#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <map>

#include "sending/fax_status_form_state.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace corvane {

class TFaxStatusForm : public QDialog {
    Q_OBJECT
  public:
    TFaxStatusForm(const SendRequest& request, QWidget* parent = nullptr);

    // The engine's state after a status event (and once a second while shown).
    void showStatus(const TFxSendFax& fax);
    // Drops the engine: called when it has finished.
    void detach();
    // Cancel sets the user-cancelled flag and cancels the fax.
    std::function<void()> onCancel;

    const FaxStatusFields& fields() const { return state_.fields(); }
    QLabel* field(const QString& caption) const;
    QProgressBar* progress() const { return progress_; }
    QPushButton* cancelButton() const { return cancel_; }

  protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

  private:
    void refresh();

    FaxStatusFormState state_;
    QElapsedTimer clock_;
    const TFxSendFax* fax_ = nullptr;
    std::map<QString, QLabel*> labels_;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer* ticker_ = nullptr;
};

}  // namespace corvane
