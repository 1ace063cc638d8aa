#include "setup/select_modem_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "setup/init_string_helper_form.h"
#include "setup/setup_tips.h"
#include "transport/tapi_device.h"
#include "uicommon/help_window.h"

namespace corvane {

namespace {
const QString kTipTitle = QStringLiteral("Select Modem Tip");
}  // namespace

TPleaseSelectModemForm::TPleaseSelectModemForm(const QStringList& installedModems, QWidget* parent)
    : QDialog(parent), logic_(installedModems) {
    SetHelpTopic(this, "setup");
    setObjectName("PleaseSelectModemForm");
    setWindowTitle("Please Select your Modem");
    auto* grid = new QGridLayout(this);
    installedOption_ = new QRadioButton(
        "Option 1:   Select your modem from the list of modems found on your computer", this);
    installedOption_->setChecked(true);
    grid->addWidget(installedOption_, 0, 0);
    grid->addWidget(MakeTipButton(this, kTipTitle,
                                  "The modems your system knows of. Corvane suggests settings "
                                  "for the family the modem belongs to."),
                    0, 1);
    installed_ = new QComboBox(this);
    installed_->addItems(logic_.installedList());
    grid->addWidget(installed_, 1, 0);
    genericOption_ = new QRadioButton(
        "Option 2:   Select the closest match to your modem from this list of common modem "
        "types:",
        this);
    grid->addWidget(genericOption_, 2, 0);
    grid->addWidget(MakeTipButton(this, kTipTitle,
                                  "When your modem is not in the list above, pick the type that "
                                  "comes closest."),
                    2, 1);
    generic_ = new QComboBox(this);
    generic_->addItems(logic_.genericTexts());
    grid->addWidget(generic_, 3, 0);
    hangUp_ = new QCheckBox(kHangUpBoxText, this);
    grid->addWidget(hangUp_, 4, 0);
    grid->addWidget(MakeTipButton(this, kTipTitle,
                                  "Ticked, the modem waits 120 seconds instead of 90 for the "
                                  "other side to answer."),
                    4, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Continue", QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 5, 0, 1, 2);
    connect(installed_, &QComboBox::activated, this,
            [this] { installedOption_->setChecked(true); });
    connect(generic_, &QComboBox::activated, this, [this] { genericOption_->setChecked(true); });
}

SelectedModem TPleaseSelectModemForm::result() {
    logic_.useGenericType = genericOption_->isChecked();
    logic_.installedIndex = installed_->currentIndex();
    logic_.genericIndex = generic_->currentIndex();
    logic_.hangUpBoxTicked = hangUp_->isChecked();
    return logic_.result();
}

bool SelectModem(QWidget* parent, QString& name, QString& sendingInit, QString& receivingInit) {
    SelectedModem chosen;
    if (!name.trimmed().isEmpty()) {
        chosen = SelectKnownModem(name);
    } else {
        TPleaseSelectModemForm form(TapiDevice::deviceNames(), parent);
        if (form.exec() != QDialog::Accepted) return false;
        chosen = form.result();
    }
    name = chosen.name;
    sendingInit = chosen.sendingInit;
    receivingInit = chosen.receivingInit;
    return true;
}

}  // namespace corvane
