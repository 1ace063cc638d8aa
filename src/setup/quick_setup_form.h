#pragma once
// TQuickSetupForm ("Quick Setup Form"): name, fax number and the modem, asked before the first
// send or receive while no modem is configured (QuickSetupLogic decides what is stored).
//
// The send and receive commands call RunQuickSetup and go on only when it returns true:
//
//     if (GlobalSettings().PortUnconfigured && !RunQuickSetup(this, GlobalSettings())) return;

#include <QDialog>
#include <memory>

#include "setup/logic/quick_setup_logic.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvane {

class TapiDevice;
class TFxComPort;

class TQuickSetupForm : public QDialog {
    Q_OBJECT
  public:
    TQuickSetupForm(Settings& settings, const QStringList& telephonyDevices,
                    QWidget* parent = nullptr);
    ~TQuickSetupForm() override;

    QuickSetupLogic& logic() { return logic_; }
    void okClicked();
    void cancelClicked();
    void findModemPortClicked();
    void testModemClicked();

    QComboBox* comPortList() const { return comPort_; }
    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* faxEdit() const { return fax_; }
    QRadioButton* telephonyChoice() const { return tapiChoice_; }
    QComboBox* telephonyList() const { return tapiList_; }

  private:
    void readControls();
    void updateEnabling();

    QuickSetupLogic logic_;
    std::unique_ptr<TFxComPort> port_;
    std::unique_ptr<TapiDevice> tapi_;
    QComboBox* comPort_ = nullptr;
    QPushButton* findModem_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* fax_ = nullptr;
    QRadioButton* portChoice_ = nullptr;
    QRadioButton* tapiChoice_ = nullptr;
    QComboBox* tapiList_ = nullptr;
    QPushButton* testModem_ = nullptr;
};

// Loads the settings, shows the dialog; "OK" stores and saves and gives true, "Cance&l" leaves
// PortUnconfigured set and gives false.
bool RunQuickSetup(QWidget* parent, Settings& settings);

}  // namespace corvane
