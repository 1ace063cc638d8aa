#pragma once
// TPreferences ("Preferences (Program Settings)"): every user-editable setting on five pages.
// PreferencesLogic (setup/logic/preferences_logic.h) decides what each control shows and how
// it is stored; this window holds the controls, its own port and telephony device for the
// modem buttons, and runs the other setup dialogs from its buttons.

#include <QDialog>
#include <memory>

#include "setup/logic/preferences_logic.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;

namespace corvane {

class TapiDevice;
class TFxComPort;

class TPreferences : public QDialog {
    Q_OBJECT
  public:
    // Works on `settings` (the program's record in use); `telephonyDevices` and `printers` as
    // installed (empty lists in tests that want none).
    TPreferences(Settings& settings, const QStringList& telephonyDevices,
                 const QStringList& printers, QWidget* parent = nullptr);
    ~TPreferences() override;

    PreferencesLogic& logic() { return logic_; }
    // Controls <-> logic values.
    void showValues();
    void readValues();

    // Pages: 0 Intro, 1 Modem, 2 Sending, 3 Receiving, 4 Advanced.
    void showPage(int page);
    int currentPage() const;
    QTabWidget* sendingTabs() const { return sendingTabs_; }
    QTabWidget* receivingTabs() const { return receivingTabs_; }

    // Buttons (the window's commands; tests call them).
    void saveClicked();
    void cancelClicked();
    void findModemPortClicked();
    void checkFaxClassClicked(int side);  // 1 sending, 2 receiving
    void initStringHelpClicked(bool sending);
    void chooseWavClicked();
    void playNowClicked();
    void testModemClicked();
    void modifyTemplateClicked();
    void quickRecommendationsClicked();

    QComboBox* comPortList() const { return comPort_; }
    QRadioButton* portChoice() const { return portChoice_; }
    QRadioButton* telephonyChoice() const { return tapiChoice_; }
    QComboBox* telephonyList() const { return tapiList_; }
    QPushButton* findModemButton() const { return findModem_; }
    QPushButton* testModemButton() const { return testModem_; }
    QLabel* receiveRateNote() const { return rateNote_; }
    QCheckBox* ddbPrintBox() const { return ddbPrint_; }

  private:
    QWidget* buildIntroPage();
    QWidget* buildModemPage();
    QWidget* buildSendingPage();
    QWidget* buildReceivingPage();
    QWidget* buildAdvancedPage();
    void updateEnabling();
    QWidget* tipRow(QWidget* control, const QString& tip);

    PreferencesLogic logic_;
    std::unique_ptr<TFxComPort> port_;
    std::unique_ptr<TapiDevice> tapi_;
    QStackedWidget* pages_ = nullptr;
    QList<QPushButton*> pageButtons_;
    QTabWidget* sendingTabs_ = nullptr;
    QTabWidget* receivingTabs_ = nullptr;

    // Modem
    QRadioButton* portChoice_ = nullptr;
    QRadioButton* tapiChoice_ = nullptr;
    QComboBox* comPort_ = nullptr;
    QPushButton* findModem_ = nullptr;
    QComboBox* tapiList_ = nullptr;
    QPushButton* testModem_ = nullptr;
    QComboBox* toneOrPulse_ = nullptr;
    QLineEdit* resetString_ = nullptr;
    QLineEdit* resetAfter_ = nullptr;
    // Sending
    QComboBox* sendClass_ = nullptr;
    QComboBox* sendRate_ = nullptr;
    QLineEdit* sendInit_ = nullptr;
    QLineEdit* userFax_ = nullptr;
    QLineEdit* userName_ = nullptr;
    QLineEdit* userCompany_ = nullptr;
    QLineEdit* userVoice_ = nullptr;
    QCheckBox* ecm_ = nullptr;
    QLineEdit* dialPrefix_ = nullptr;
    QLineEdit* dialSuffix_ = nullptr;
    QLineEdit* dialAttempts_ = nullptr;
    QLineEdit* retryWait_ = nullptr;
    QCheckBox* renegotiate_ = nullptr;
    QCheckBox* blindDial_ = nullptr;
    QCheckBox* ignoreBusy_ = nullptr;
    // Receiving
    QComboBox* receiveClass_ = nullptr;
    QComboBox* receiveRate_ = nullptr;
    QLabel* rateNote_ = nullptr;
    QLineEdit* receiveInit_ = nullptr;
    QComboBox* answerOnRing_ = nullptr;
    QCheckBox* atStartup_ = nullptr;
    QCheckBox* ecmReceive_ = nullptr;
    QLineEdit* wav_ = nullptr;
    QCheckBox* printOnReceipt_ = nullptr;
    QComboBox* printer_ = nullptr;
    QCheckBox* resetBetweenCalls_ = nullptr;
    // Advanced
    QCheckBox* altHeaderFont_ = nullptr;
    QCheckBox* altNaming_ = nullptr;
    QCheckBox* largerSend_ = nullptr;
    QCheckBox* largerReceive_ = nullptr;
    QCheckBox* altViewer_ = nullptr;
    QCheckBox* halfInch_ = nullptr;
    QCheckBox* altPrint_ = nullptr;
    QCheckBox* ddbPrint_ = nullptr;
    QCheckBox* altCoverGen_ = nullptr;
    QCheckBox* legacyTimer_ = nullptr;
};

// The main window's Preferences command: the dialog on the program's settings; true when
// saved. Writes QX.INI on "&Save".
bool RunPreferences(QWidget* parent);

// The installed printers as the receipt printer list offers them.
QStringList InstalledPrinterNames();

}  // namespace corvane
