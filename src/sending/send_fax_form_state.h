#pragma once
// The send window's logic without widgets: what it shows for the record, what "&Send Fax Now"
// and "C&lose" may do, the seven sending tips, and the dial prefix and suffix it hands back to
// the settings when it closes.

#include <QString>
#include <vector>

#include "sending/send_session_engine.h"
#include "sending/send_session_record.h"

namespace corvane {

struct Settings;

constexpr int kPhoneNumberMaxLength = 25;
inline const QString kPhoneNumberBlankMessage = QStringLiteral("Phone number is blank");
inline const QString kSendingTipTitle = QStringLiteral("Fax Sending Tip");

struct SendingTip {
    QString label;  // beside the small button that pops it up
    QString text;
};
// The seven tips, in the order the window lists them.
const std::vector<SendingTip>& SendingTips();

class SendFaxFormState {
  public:
    SendFaxFormState(const OutgoingFaxToSend& fax, const Settings& settings);

    // "&Send Fax Now": go, or why not.
    enum class SendNow { Go, NumberBlank, Busy };
    static SendNow CheckSendNow(const QString& number, bool busy);
    // "C&lose" and the window's close box: refused (with a beep) while a fax is being sent.
    static bool CloseAllowed(bool busy) { return !busy; }

    QString to() const { return fax_.recipient; }
    QString subject() const { return fax_.subject; }
    const OutgoingFaxToSend& fax() const { return fax_; }

    // The window's fields, as the user leaves them.
    QString number;
    QString prefix;
    QString suffix;
    bool prefixDisabled = false;
    bool suffixDisabled = false;

    // Prefix, suffix and their boxes again from the settings (after Preferences).
    void loadDialing(const Settings& settings);
    // Writes prefix, suffix and their boxes into the settings (the caller saves them).
    void storeDialing(Settings& settings) const;
    // What the session sends.
    SendRequest request() const;

  private:
    OutgoingFaxToSend fax_;
};

}  // namespace corvane
