#include "setup/init_string_helper_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "setup/setup_tips.h"
#include "transport/tapi_device.h"
#include "uicommon/help_window.h"

namespace corvane {

namespace {
const QString kTipTitle = QStringLiteral("Modem Init String Tip");
}  // namespace

TModemInitStringHelperForm::TModemInitStringHelperForm(const QString& current, bool forSending,
                                                       const QStringList& installedModems,
                                                       int callerIndex, QWidget* parent)
    : QDialog(parent), logic_(current, forSending, installedModems, callerIndex) {
    SetHelpTopic(this, "52000");
    setObjectName("ModemInitStringHelperForm");
    setWindowTitle("Modem Initialization String Helper");
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto addOption = [&](int n, const QString& text, const QString& tip) {
        auto* radio = new QRadioButton(this);
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setBuddy(radio);
        options_[n - 1] = radio;
        grid->addWidget(radio, row, 0, Qt::AlignTop);
        grid->addWidget(label, row, 1);
        grid->addWidget(MakeTipButton(this, kTipTitle, tip), row, 2, Qt::AlignTop);
        ++row;
        return label;
    };
    addOption(1,
              "Option 1:    Let Corvane automatically determine the best initialization string "
              "based on the modem(s) found in this computer:",
              "Corvane looks the modem up in its list of modems and uses the string known to "
              "work with its family.");
    installed_ = new QComboBox(this);
    installed_->addItems(logic_.installedList());
    installed_->setCurrentIndex(logic_.installedIndex);
    grid->addWidget(installed_, row++, 1);
    addOption(2,
              "Option 2:   Select the closest match to your modem from this list of common modem "
              "types:",
              "When your modem is not listed above, pick the type that comes closest: the "
              "string of that type is used.");
    generic_ = new QComboBox(this);
    generic_->addItems(logic_.genericTexts());
    generic_->setCurrentIndex(0);
    grid->addWidget(generic_, row++, 1);
    addOption(3, "Option 3:   Leave the initialization string blank (sometimes this works best)",
              "Without an init string the modem keeps its own settings; many modems fax best "
              "that way.");
    QLabel* keep = addOption(4, logic_.keepOptionCaption().replace('\r', '\n'),
                             "Keeps the init string you have now.");
    keep->setTextFormat(Qt::PlainText);
    // A label shows "&&" as "&" only as a mnemonic text; plain text shows it as typed.
    keep->setText(keep->text().replace(QStringLiteral("&&"), QStringLiteral("&")));
    if (!logic_.keepOptionVisible()) {
        options_[3]->hide();
        keep->hide();
    }
    options_[static_cast<int>(logic_.option) - 1]->setChecked(true);

    hangUp_ = new QCheckBox(kHangUpBoxText, this);
    hangUp_->setChecked(logic_.hangUpBoxTicked);
    hangUp_->setVisible(logic_.hangUpBoxVisible());
    grid->addWidget(hangUp_, row, 0, 1, 2);
    grid->addWidget(MakeTipButton(this, kTipTitle,
                                  "Ticked, the modem waits 120 seconds instead of 90 for the "
                                  "other side to answer (register S7)."),
                    row++, 2);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Ok", QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    buttons->addButton("Help", QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [this] { ShowHelpTopic(this, "52000"); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, row, 0, 1, 3);

    connect(installed_, &QComboBox::activated, this, [this] { options_[0]->setChecked(true); });
    connect(generic_, &QComboBox::activated, this, [this] { options_[1]->setChecked(true); });
}

QString TModemInitStringHelperForm::result() {
    for (int n = 1; n <= 4; ++n)
        if (options_[n - 1]->isChecked()) logic_.option = static_cast<InitStringOption>(n);
    logic_.installedIndex = installed_->currentIndex();
    logic_.genericIndex = generic_->currentIndex();
    logic_.hangUpBoxTicked = hangUp_->isChecked();
    return logic_.result();
}

QString InitStringAssistant(QWidget* parent, const QString& current, bool forSending,
                            int telephonyIndex) {
    TModemInitStringHelperForm form(current, forSending, TapiDevice::deviceNames(), telephonyIndex,
                                    parent);
    return form.exec() == QDialog::Accepted ? form.result() : current;
}

}  // namespace corvane
