#include "setup/quick_setup_form.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/message_boxes.h"
#include "core/settings.h"
#include "setup/find_modem_form.h"
#include "setup/logic/modem_test.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/tapi_device.h"
#include "uicommon/help_window.h"

namespace corvane {

TQuickSetupForm::TQuickSetupForm(Settings& settings, const QStringList& telephonyDevices,
                                 QWidget* parent)
    : QDialog(parent),
      logic_(settings, telephonyDevices),
      port_(std::make_unique<TFxComPort>()),
      tapi_(std::make_unique<TapiDevice>()) {
    SetHelpTopic(this, "quick-start");
    setObjectName("QuickSetupForm");
    setWindowTitle("Quick Setup Form");
    ApplyProgramPortSettings(*port_, PortUse::Setup, false);
    tapi_->setComPort(port_.get());
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto* nameLabel = new QLabel("Your &name", this);
    name_ = new QLineEdit(logic_.userName, this);
    name_->setMaxLength(35);
    nameLabel->setBuddy(name_);
    grid->addWidget(nameLabel, row, 0);
    grid->addWidget(name_, row++, 1, 1, 2);
    auto* faxLabel = new QLabel("Your &fax number (Station ID#)", this);
    fax_ = new QLineEdit(logic_.userFax, this);
    fax_->setMaxLength(20);
    faxLabel->setBuddy(fax_);
    grid->addWidget(faxLabel, row, 0);
    grid->addWidget(fax_, row++, 1, 1, 2);

    grid->addWidget(new QLabel("Which modem shall we use?", this), row++, 0, 1, 3);
    portChoice_ = new QRadioButton(this);
    comPort_ = new QComboBox(this);
    for (int n = 1; n <= 8; ++n) comPort_->addItem(QStringLiteral("Com%1").arg(n));
    comPort_->setCurrentIndex(logic_.comPortIndex);
    findModem_ = new QPushButton("Find Modem Port", this);
    connect(findModem_, &QPushButton::clicked, this, &TQuickSetupForm::findModemPortClicked);
    grid->addWidget(portChoice_, row, 0, Qt::AlignRight);
    grid->addWidget(comPort_, row, 1);
    grid->addWidget(findModem_, row++, 2);
    tapiChoice_ = new QRadioButton("OR Select your modem from this list", this);
    grid->addWidget(tapiChoice_, row++, 0, 1, 3);
    tapiList_ = new QComboBox(this);
    tapiList_->addItems(logic_.telephonyDevices());
    tapiList_->setCurrentIndex(logic_.tapiIndex);
    testModem_ = new QPushButton("Test Modem", this);
    connect(testModem_, &QPushButton::clicked, this, &TQuickSetupForm::testModemClicked);
    grid->addWidget(tapiList_, row, 1);
    grid->addWidget(testModem_, row++, 2);
    (logic_.useTapi ? tapiChoice_ : portChoice_)->setChecked(true);
    connect(tapiChoice_, &QRadioButton::toggled, this, [this] { updateEnabling(); });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton("Cance&l", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TQuickSetupForm::okClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &TQuickSetupForm::cancelClicked);
    grid->addWidget(buttons, row, 0, 1, 3);
    updateEnabling();
}

TQuickSetupForm::~TQuickSetupForm() {
    ReleaseTapiPort(*port_, *tapi_);
}

void TQuickSetupForm::updateEnabling() {
    const bool tapi = tapiChoice_->isChecked() && logic_.telephonyAvailable();
    tapiChoice_->setEnabled(logic_.telephonyAvailable());
    comPort_->setEnabled(!tapi);
    findModem_->setEnabled(!tapi);
    tapiList_->setEnabled(tapi);
    testModem_->setEnabled(tapi);
}

void TQuickSetupForm::readControls() {
    logic_.comPortIndex = comPort_->currentIndex();
    logic_.userName = name_->text();
    logic_.userFax = fax_->text();
    logic_.useTapi = tapiChoice_->isChecked();
    logic_.tapiIndex = tapiList_->currentIndex();
}

void TQuickSetupForm::okClicked() {
    readControls();
    logic_.confirm();
    const Status saved = SaveSettings();
    if (!saved.ok()) ShowInformation(saved.message());
    accept();
}

void TQuickSetupForm::cancelClicked() {
    logic_.cancel();
    reject();
}

void TQuickSetupForm::findModemPortClicked() {
    QString device;
    comPort_->setCurrentIndex(FindModemPort(this, *port_, GlobalSettings().ResetString,
                                            comPort_->currentIndex(), &device));
    const int named = static_cast<int>(logic_.telephonyDevices().indexOf(device));
    if (named >= 0 && AskYesNo("Use the modem " + device + " ?", "Modem")) {
        tapiList_->setCurrentIndex(named);
        tapiChoice_->setChecked(true);
    }
}

void TQuickSetupForm::testModemClicked() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString message =
        RunModemTest(*port_, *tapi_, tapiList_->currentText(), GlobalSettings().ResetString,
                     ModemTestWording::QuickSetup);
    QApplication::restoreOverrideCursor();
    ShowInformation(message);
}

bool RunQuickSetup(QWidget* parent, Settings& settings) {
    if (&settings == &GlobalSettings()) LoadSettings();
    TQuickSetupForm form(settings, TapiDevice::deviceNames(), parent);
    if (form.exec() == QDialog::Accepted) return true;
    // Closing the window counts as "Cance&l".
    form.logic().cancel();
    return false;
}

}  // namespace corvane
