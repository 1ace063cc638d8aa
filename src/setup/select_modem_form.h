#pragma once
// TPleaseSelectModemForm ("Please Select your Modem") and SelectModem, the first step of the
// Suggest chain: with a known modem name it decides without a window.

#include <QDialog>

#include "setup/logic/select_modem.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace corvane {

class TPleaseSelectModemForm : public QDialog {
    Q_OBJECT
  public:
    TPleaseSelectModemForm(const QStringList& installedModems, QWidget* parent = nullptr);

    SelectedModem result();
    QRadioButton* installedOption() const { return installedOption_; }
    QRadioButton* genericOption() const { return genericOption_; }
    QComboBox* installedList() const { return installed_; }
    QComboBox* genericList() const { return generic_; }
    QCheckBox* hangUpBox() const { return hangUp_; }

  private:
    SelectModemLogic logic_;
    QRadioButton* installedOption_ = nullptr;
    QRadioButton* genericOption_ = nullptr;
    QComboBox* installed_ = nullptr;
    QComboBox* generic_ = nullptr;
    QCheckBox* hangUp_ = nullptr;
};

// `name` in: the modem to suggest for (blank asks); out: the chosen installed modem (empty for
// a generic type). True when a modem was chosen; on false nothing is changed.
bool SelectModem(QWidget* parent, QString& name, QString& sendingInit, QString& receivingInit);

}  // namespace corvane
