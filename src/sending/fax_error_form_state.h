#pragma once
// What the fax error window (TNewFaxErrorForm) shows, without the widgets: the request that
// sending and receive mode pass to ShowFaxError, the captions of either kind, which buttons
// are enabled, and the help text behind "&Info" for each error code.

#include <QString>

namespace corvane {

constexpr int kFaxErrorAutoCloseMs = 30000;

// ShowFaxError's arguments.
struct FaxErrorRequest {
    bool receiving = false;
    int code = 0;
    QString message;
    QString detail;
    bool autoClose = false;
    bool allowSuggest = false;
    bool allowContinue = false;
    QString phase;
};

struct FaxErrorHelp {
    QString title;  // the first line
    QString text;   // the whole help text, title included
};

// The help text whose tag equals `code`, else the general one (which points a receiving user
// at the receive log rather than the send log).
FaxErrorHelp FaxErrorHelpFor(int code, bool receiving = false);
inline const QString kFaxErrorHelpTitle = QStringLiteral("Error Information");

class FaxErrorFormState {
  public:
    // `suggestAvailable`: the modem selection and suggestions can run in this build.
    FaxErrorFormState(const FaxErrorRequest& request, bool suggestAvailable);

    QString caption() const;
    QString heading() const;
    const FaxErrorRequest& request() const { return request_; }
    bool suggestEnabled() const { return request_.allowSuggest && suggestAvailable_; }
    // Why "&Suggest" is disabled where it would be allowed; empty otherwise.
    QString suggestToolTip() const;
    bool continueEnabled() const { return request_.allowContinue && !modemChosen_; }
    // The 30-second timer runs only when asked for and until the first button press.
    bool autoCloseArmed() const { return autoCloseArmed_; }
    void buttonPressed() { autoCloseArmed_ = false; }
    // After "&Suggest" chose a modem, going on with the old one makes no sense.
    void modemChosen() { modemChosen_ = true; }

  private:
    FaxErrorRequest request_;
    bool suggestAvailable_;
    bool autoCloseArmed_;
    bool modemChosen_ = false;
};

}  // namespace corvane
