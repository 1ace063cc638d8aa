#pragma once
// TNewFaxErrorForm: the fax error window that sending and receive mode share. It shows the
// error's message, a detail line and the phase it occurred in, offers "&Info" (the help text
// for the code), "&Suggest" (the modem selection and setting suggestions, when the setup
// provides them), "&Continue" (where the caller can go on) and "OK", and can close itself
// after 30 seconds (receive mode, which must get back to answering calls).
//
//   if (ShowFaxError(request, this)) ...   // true: the user chose Continue
//
// Receive mode's errors that offer no Continue do not wait for the user: the window stays
// beside the main window (which owns it) and receiving goes on meanwhile. Everything else is
// shown modally.

#include <QDialog>
#include <functional>

#include "sending/fax_error_form_state.h"

class QLabel;
class QPushButton;
class QTimer;

namespace corvane {

// Runs the modem selection and then the configuration suggestions; true when a modem was
// chosen. The setup installs one; without it "&Suggest" stays disabled and says why.
using FaxErrorSuggester = std::function<bool(QWidget* parent)>;
void SetFaxErrorSuggester(FaxErrorSuggester suggester);

// Shows the window; true when the user chose Continue. A receiving request without Continue
// returns false at once and leaves the window open; `autoCloseMs` is the auto-close time
// (tests shorten it).
bool ShowFaxError(const FaxErrorRequest& request, QWidget* parent = nullptr,
                  int autoCloseMs = kFaxErrorAutoCloseMs);

// Tests answer the window without showing it; none restores the window.
using FaxErrorShower = std::function<bool(const FaxErrorRequest&)>;
void SetFaxErrorShower(FaxErrorShower shower);

class TNewFaxErrorForm : public QDialog {
    Q_OBJECT
  public:
    TNewFaxErrorForm(const FaxErrorRequest& request, QWidget* parent = nullptr,
                     int autoCloseMs = kFaxErrorAutoCloseMs);

    bool continueChosen() const { return continueChosen_; }
    const FaxErrorFormState& state() const { return state_; }
    QPushButton* suggestButton() const { return suggest_; }
    QPushButton* infoButton() const { return info_; }
    QPushButton* continueButton() const { return continue_; }
    QPushButton* okButton() const { return ok_; }
    QTimer* autoCloseTimer() const { return timer_; }
    // The help text "&Info" shows, under the title "Error Information".
    QString infoText() const;

  private:
    void pressed();
    void applyState();

    FaxErrorFormState state_;
    QLabel* continueLabel_ = nullptr;
    QPushButton* suggest_ = nullptr;
    QPushButton* info_ = nullptr;
    QPushButton* continue_ = nullptr;
    QPushButton* ok_ = nullptr;
    QTimer* timer_ = nullptr;
    bool continueChosen_ = false;
};

}  // namespace corvane
