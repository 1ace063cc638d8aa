#pragma once
// TSendFaxForm: the send window. The user checks the number, the dial prefix and suffix, and
// presses "&Send Fax Now"; the window's SendSession does the sending while the fax status
// window shows the call, and the window stays open afterwards so that a failed fax can be sent
// again. The main window reads the number, the prefix and suffix and the outcome once it has
// closed. Closing is refused while a fax is being sent.

#include <QDialog>
#include <functional>
#include <memory>

#include "sending/send_fax_form_state.h"
#include "sending/send_session.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class TFaxStatusForm;

// Opens the preferences and returns when they are closed; the setup installs it. Without one,
// the window's Preferences button stays disabled and says why.
using PreferencesOpener = std::function<void(QWidget* parent)>;
void SetSendPreferencesOpener(PreferencesOpener opener);

class TSendFaxForm : public QDialog, private SendSessionUi {
    Q_OBJECT
  public:
    TSendFaxForm(const OutgoingFaxToSend& fax, const Settings& settings, QWidget* parent = nullptr);
    ~TSendFaxForm() override;

    // The window's fields as the user left them (read after the window has closed).
    const SendFaxFormState& state();
    const SendOutcome& outcome() const { return session_.outcome(); }
    SendSession& session() { return session_; }
    bool busy() const { return session_.busy(); }

    // "&Send Fax Now".
    void SendFaxButtonClick();

    QLineEdit* phoneNumber() const { return sfPhoneNumber; }
    QLineEdit* dialPrefix() const { return sfDialPrefix; }
    QLineEdit* dialSuffix() const { return sfDialsuffix; }
    QCheckBox* disablePrefix() const { return DisablePrefix; }
    QCheckBox* disableSuffix() const { return DisableSuffix; }
    QPushButton* sendButton() const { return SendFaxButton; }
    QPushButton* closeButton() const { return CloseButton; }
    QPushButton* preferencesButton() const { return PreferencesButton; }
    QLabel* statusPanel() const { return statusPanel_; }
    QList<QPushButton*> tipButtons() const { return tipButtons_; }
    // The fax status window while a call runs; null otherwise.
    TFaxStatusForm* statusForm() const { return statusForm_; }

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

  private:
    // SendSessionUi
    void setStatus(const QString& text) override;
    bool showFaxError(const FaxErrorRequest& request) override;
    void showMessage(const QString& text) override;
    void setWaitCursor(bool on) override;
    void transmissionStarted(TFxSendFax& fax) override;
    void faxStatus(TFxSendFax& fax) override;
    void transmissionEnded() override;

    void readFields();
    void showDialing();
    void applyBusy();

    const Settings& settings_;
    SendFaxFormState state_;
    SendSession session_;
    bool firstShow_ = true;
    bool waitCursor_ = false;
    QLineEdit* sfPhoneNumber = nullptr;
    QLineEdit* sfDialPrefix = nullptr;
    QLineEdit* sfDialsuffix = nullptr;
    QCheckBox* DisablePrefix = nullptr;
    QCheckBox* DisableSuffix = nullptr;
    QPushButton* SendFaxButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QPushButton* ProblemSolverButton = nullptr;
    QPushButton* PreferencesButton = nullptr;
    QLabel* statusPanel_ = nullptr;
    QList<QPushButton*> tipButtons_;
    TFaxStatusForm* statusForm_ = nullptr;
};

}  // namespace corvane
