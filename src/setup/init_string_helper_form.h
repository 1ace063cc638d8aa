#pragma once
// TModemInitStringHelperForm ("Modem Initialization String Helper"): four ways to a new init
// string, decided by InitStringAssistantLogic; and InitStringAssistant, the call Preferences
// makes for its sending and receiving init strings.

#include <QDialog>

#include "setup/logic/init_string_assistant.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

namespace corvane {

class TModemInitStringHelperForm : public QDialog {
    Q_OBJECT
  public:
    TModemInitStringHelperForm(const QString& current, bool forSending,
                               const QStringList& installedModems, int callerIndex,
                               QWidget* parent = nullptr);

    InitStringAssistantLogic& logic() { return logic_; }
    // The controls' state into the logic, then its result.
    QString result();

    QRadioButton* option(int n) const { return options_[n - 1]; }
    QComboBox* installedList() const { return installed_; }
    QComboBox* genericList() const { return generic_; }
    QCheckBox* hangUpBox() const { return hangUp_; }

  private:
    InitStringAssistantLogic logic_;
    QRadioButton* options_[4] = {};
    QComboBox* installed_ = nullptr;
    QComboBox* generic_ = nullptr;
    QCheckBox* hangUp_ = nullptr;
};

inline const QString kHangUpBoxText = QStringLiteral(
    "The Faxmodem frequently hangs up before the faxmodem/fax machine on the other end answers "
    "and/or I have problems with international calls");

// Opens the assistant; "Ok" gives the new string, "Cancel" the current one unchanged.
// `telephonyIndex`: the modem chosen in the caller's installed-modem list, or -1.
QString InitStringAssistant(QWidget* parent, const QString& current, bool forSending,
                            int telephonyIndex);

}  // namespace corvane
