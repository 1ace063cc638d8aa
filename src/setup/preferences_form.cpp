#include "setup/preferences_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/app_folders.h"
#include "core/message_boxes.h"
#include "core/settings.h"
#include "setup/check_fax_class_form.h"
#include "setup/find_modem_form.h"
#include "setup/init_string_helper_form.h"
#include "setup/logic/fax_class_check.h"
#include "setup/logic/modem_test.h"
#include "setup/logic/suggest_config.h"
#include "setup/modify_fax_header_form.h"
#include "setup/select_modem_form.h"
#include "setup/setup_tips.h"
#include "setup/suggest_config_form.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/tapi_device.h"
#include "uicommon/help_window.h"

namespace corvane {

namespace {
// The help topic of each page of the page list.
const std::pair<const char*, const char*> kPreferencesHelpTopics[] = {
    {"Intro", "preferences"},
    {"Modem", "ports"},
    {"Sending", "preferences-sending"},
    {"Receiving", "preferences-receiving"},
    {"Advanced", "preferences-advanced"},
};
}  // namespace

namespace {

const QString kTipTitle = QStringLiteral("Preferences Tip");
const QStringList kSendClassItems{"auto detect", "class 1 (recommended)", "class 2", "class 2.0"};
const QStringList kReceiveClassItems{"auto detect", "class 1", "class 2", "class 2.0"};

QLabel* BuddyLabel(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

// A form row's label whose field is a row of widgets points at the row's first control, so
// that its "&" key reaches the control.
void PointLabelsAtControls(QWidget* dialog) {
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        QWidget* buddy = label->buddy();
        if (!buddy || buddy->focusPolicy() != Qt::NoFocus) continue;
        for (QWidget* w : buddy->findChildren<QWidget*>())
            if (w->focusPolicy() != Qt::NoFocus) {
                label->setBuddy(w);
                break;
            }
    }
}

QLineEdit* MakeEdit(QWidget* parent, int maxLength = 0) {
    auto* edit = new QLineEdit(parent);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    return edit;
}

}  // namespace

QStringList InstalledPrinterNames() {
    return QPrinterInfo::availablePrinterNames();
}

TPreferences::TPreferences(Settings& settings, const QStringList& telephonyDevices,
                           const QStringList& printers, QWidget* parent)
    : QDialog(parent),
      logic_(settings, telephonyDevices, printers),
      port_(std::make_unique<TFxComPort>()),
      tapi_(std::make_unique<TapiDevice>()) {
    SetHelpTopic(this, "preferences");
    setObjectName("Preferences");
    setWindowTitle("Preferences (Program Settings)");
    ApplyProgramPortSettings(*port_, PortUse::Setup, false);
    tapi_->setComPort(port_.get());

    auto* outer = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    auto* list = new QVBoxLayout;
    pages_ = new QStackedWidget(this);
    const QStringList names{"Intro", "Modem", "Sending", "Receiving", "Advanced"};
    for (int i = 0; i < names.size(); ++i) {
        auto* b = new QPushButton(names[i], this);
        b->setCheckable(true);
        b->setObjectName(names[i] + "PageButton");
        connect(b, &QPushButton::clicked, this, [this, i] { showPage(i); });
        pageButtons_ << b;
        list->addWidget(b);
    }
    list->addStretch(1);
    pages_->addWidget(buildIntroPage());
    pages_->addWidget(buildModemPage());
    pages_->addWidget(buildSendingPage());
    pages_->addWidget(buildReceivingPage());
    pages_->addWidget(buildAdvancedPage());
    body->addLayout(list);
    body->addWidget(pages_, 1);
    outer->addLayout(body);

    auto* buttons = new QHBoxLayout;
    auto* help = new QPushButton("&Help", this);
    auto* save = new QPushButton("&Save", this);
    save->setDefault(true);
    auto* cancel = new QPushButton("Cance&l", this);
    auto* quick = new QPushButton("Quick Recommendations", this);
    connect(save, &QPushButton::clicked, this, &TPreferences::saveClicked);
    connect(cancel, &QPushButton::clicked, this, &TPreferences::cancelClicked);
    connect(quick, &QPushButton::clicked, this, &TPreferences::quickRecommendationsClicked);
    connect(help, &QPushButton::clicked, this, [this] {
        const QString page = pageButtons_[currentPage()]->text().remove('&');
        for (const auto& [caption, topic] : kPreferencesHelpTopics)
            if (page == caption) return ShowHelpTopic(this, topic);
        ShowHelpTopic(this, "preferences");
    });
    buttons->addWidget(help);
    buttons->addWidget(quick);
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);

    PointLabelsAtControls(this);
    showValues();
    showPage(0);
}

TPreferences::~TPreferences() {
    ReleaseTapiPort(*port_, *tapi_);
}

QWidget* TPreferences::tipRow(QWidget* control, const QString& tip) {
    auto* row = new QWidget(control->parentWidget());
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    control->setParent(row);
    h->addWidget(control, 1);
    h->addWidget(MakeTipButton(this, kTipTitle, tip));
    return row;
}

QWidget* TPreferences::buildIntroPage() {
    auto* page = new QWidget(this);
    auto* col = new QVBoxLayout(page);
    auto* text = new QLabel(
        "Welcome to the Corvane settings.\n\n"
        "Modem: which port or device your fax modem is on, and how it is reset.\n"
        "Sending: fax class, transfer rate and init string for sending, your name and fax "
        "number, dialling.\n"
        "Receiving: the same for receiving, when to answer, the arrival sound and printing.\n"
        "Advanced: fixes for specific hardware or software problems.\n\n"
        "New here? Press \"Quick Recommendations\" and let Corvane suggest settings for your "
        "modem.",
        page);
    text->setWordWrap(true);
    col->addWidget(text);
    col->addStretch(1);
    return page;
}

QWidget* TPreferences::buildModemPage() {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    int row = 0;
    portChoice_ = new QRadioButton("Select the communications port your modem is on:", page);
    grid->addWidget(portChoice_, row, 0, 1, 2);
    grid->addWidget(MakeTipButton(this, kTipTitle,
                                  "The serial port of your modem. Com1..Com8 stand for the "
                                  "devices set in the section [Ports] of QX.INI."),
                    row++, 2);
    comPort_ = new QComboBox(page);
    for (int n = 1; n <= 8; ++n) comPort_->addItem(QStringLiteral("Com%1").arg(n));
    findModem_ = new QPushButton("Find Modem Port", page);
    connect(findModem_, &QPushButton::clicked, this, &TPreferences::findModemPortClicked);
    grid->addWidget(comPort_, row, 0);
    grid->addWidget(findModem_, row++, 1);

    tapiChoice_ = new QRadioButton("OR Select your modem from this list", page);
    grid->addWidget(tapiChoice_, row, 0, 1, 2);
    grid->addWidget(MakeTipButton(this, kTipTitle,
                                  "Modems known by name (USB modems in /dev/serial/by-id and the "
                                  "section [Telephony] of QX.INI)."),
                    row++, 2);
    tapiList_ = new QComboBox(page);
    tapiList_->addItems(logic_.telephonyDevices());
    testModem_ = new QPushButton("Test Modem", page);
    connect(testModem_, &QPushButton::clicked, this, &TPreferences::testModemClicked);
    grid->addWidget(tapiList_, row, 0);
    grid->addWidget(testModem_, row++, 1);
    connect(portChoice_, &QRadioButton::toggled, this, [this] { updateEnabling(); });
    connect(tapiChoice_, &QRadioButton::toggled, this, [this] { updateEnabling(); });

    grid->addWidget(new QLabel("Tone or Pulse", page), row++, 0);
    toneOrPulse_ = new QComboBox(page);
    toneOrPulse_->addItems({"Tone", "Pulse"});
    grid->addWidget(toneOrPulse_, row++, 0);

    auto resetRow = [&](const QString& label, QLineEdit*& edit, const QString& tip) {
        grid->addWidget(new QLabel(label, page), row++, 0, 1, 2);
        edit = MakeEdit(page);
        auto* atz = new QPushButton("Use ATZ", page);
        QLineEdit* target = edit;
        connect(atz, &QPushButton::clicked, this, [target] { target->setText("ATZ"); });
        grid->addWidget(edit, row, 0);
        grid->addWidget(atz, row, 1);
        grid->addWidget(MakeTipButton(this, kTipTitle, tip), row++, 2);
    };
    resetRow("Use this reset string BEFORE  fax sessions:", resetString_,
             "Sent to the modem before each fax session; ATZ resets most modems.");
    resetRow("Use this reset string AFTER fax sessions", resetAfter_,
             "Sent to the modem after each fax session.");
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* TPreferences::buildSendingPage() {
    sendingTabs_ = new QTabWidget(this);
    // Items 4-6
    auto* first = new QWidget(sendingTabs_);
    auto* f1 = new QFormLayout(first);
    sendClass_ = new QComboBox(first);
    sendClass_->addItems(kSendClassItems);
    auto* check = new QPushButton("Check Fax Class", first);
    connect(check, &QPushButton::clicked, this, [this] { checkFaxClassClicked(1); });
    auto* classRow = new QHBoxLayout;
    classRow->addWidget(tipRow(sendClass_, "Class 1 works with the widest range of modems."));
    classRow->addWidget(check);
    f1->addRow(BuddyLabel("Fax &class for SENDING Faxes", sendClass_), classRow);
    sendRate_ = new QComboBox(first);
    sendRate_->addItems(kTransferRateItems);
    f1->addRow("Transfer Rate (BPS) for SENDING faxes",
               tipRow(sendRate_, "9600 goes through noisy lines best."));
    sendInit_ = MakeEdit(first);
    auto* help = new QPushButton("Help with Init Strings", first);
    connect(help, &QPushButton::clicked, this, [this] { initStringHelpClicked(true); });
    auto* initRow = new QHBoxLayout;
    initRow->addWidget(tipRow(sendInit_, "Commands sent to the modem before each fax."));
    initRow->addWidget(help);
    f1->addRow("Modem Initialization String (optional)", initRow);
    sendingTabs_->addTab(first, "Items 4-6");

    // Items 7-9
    auto* second = new QWidget(sendingTabs_);
    auto* f2 = new QFormLayout(second);
    userFax_ = MakeEdit(second, 20);
    userName_ = MakeEdit(second, 35);
    userCompany_ = MakeEdit(second, 35);
    userVoice_ = MakeEdit(second, 20);
    f2->addRow("Your &fax number (optional)",
               tipRow(userFax_, "Sent as your station id and shown on the fax header."));
    f2->addRow("Your &name (optional)", tipRow(userName_, "Shown on covers and the header."));
    f2->addRow("Your &company (optional)", tipRow(userCompany_, "Shown on cover pages."));
    f2->addRow("Your &voice number (optional)", tipRow(userVoice_, "Shown on cover pages."));
    ecm_ = new QCheckBox("Use Fax Error Control when SENDING  (not recommended) ", second);
    f2->addRow(tipRow(ecm_, "Error control needs a good line on both sides."));
    dialPrefix_ = MakeEdit(second);
    dialSuffix_ = MakeEdit(second);
    f2->addRow("&Dial prefix or Calling Card Number:",
               tipRow(dialPrefix_, "Dialled before every fax number, e.g. 9 for an outside line."));
    f2->addRow("&Dial suffix or access code:",
               tipRow(dialSuffix_, "Dialled after every fax number."));
    auto* header = new QPushButton("Click here to modify the template", second);
    header->setObjectName("ModifyTemplateButton");
    connect(header, &QPushButton::clicked, this, &TPreferences::modifyTemplateClicked);
    f2->addRow("Fax header line", tipRow(header, "The line printed on top of every page sent."));
    sendingTabs_->addTab(second, "Items 7-9");

    // Items 10-14
    auto* third = new QWidget(sendingTabs_);
    auto* f3 = new QFormLayout(third);
    dialAttempts_ = MakeEdit(third, 4);
    retryWait_ = MakeEdit(third, 5);
    f3->addRow("Number of dial attempts",
               tipRow(dialAttempts_, "How often a busy or unanswered number is dialled."));
    f3->addRow("Seconds between attempts", tipRow(retryWait_, "The wait before dialling again."));
    renegotiate_ = new QCheckBox("Renegotiate Between Pages when SENDING", third);
    blindDial_ = new QCheckBox("Blind Dial", third);
    ignoreBusy_ = new QCheckBox("Ignore Busy Signal", third);
    f3->addRow(tipRow(renegotiate_, "Agree on the rate again before each page."));
    f3->addRow(tipRow(blindDial_, "Dial without waiting for the dial tone."));
    f3->addRow(tipRow(ignoreBusy_, "Go on dialling when the line sounds busy."));
    sendingTabs_->addTab(third, "Items 10-14");
    return sendingTabs_;
}

QWidget* TPreferences::buildReceivingPage() {
    receivingTabs_ = new QTabWidget(this);
    auto* first = new QWidget(receivingTabs_);
    auto* f1 = new QFormLayout(first);
    receiveClass_ = new QComboBox(first);
    receiveClass_->addItems(kReceiveClassItems);
    auto* check = new QPushButton("Check Fax Class", first);
    connect(check, &QPushButton::clicked, this, [this] { checkFaxClassClicked(2); });
    auto* classRow = new QHBoxLayout;
    classRow->addWidget(tipRow(receiveClass_, "The class used while receiving."));
    classRow->addWidget(check);
    f1->addRow(BuddyLabel("Fax &class for RECEIVING Faxes", receiveClass_), classRow);
    receiveRate_ = new QComboBox(first);
    receiveRate_->addItems(kTransferRateItems);
    rateNote_ = new QLabel("Note: We recommend maximum 9600", first);
    rateNote_->setObjectName("RateNote");
    auto* rateRow = new QHBoxLayout;
    rateRow->addWidget(tipRow(receiveRate_, "The highest rate offered to a caller."));
    rateRow->addWidget(rateNote_);
    f1->addRow("Transfer Rate (BPS) for RECEIVING faxes", rateRow);
    connect(receiveRate_, &QComboBox::currentIndexChanged, this, [this](int index) {
        logic_.values.receiveRateIndex = index;
        rateNote_->setVisible(logic_.receiveRateNoteShown());
    });
    receiveInit_ = MakeEdit(first);
    auto* help = new QPushButton("Help With Init Strings", first);
    connect(help, &QPushButton::clicked, this, [this] { initStringHelpClicked(false); });
    auto* initRow = new QHBoxLayout;
    initRow->addWidget(tipRow(receiveInit_, "Commands sent to the modem before receiving."));
    initRow->addWidget(help);
    f1->addRow("Modem Initialization String for receiving (optional)", initRow);
    receivingTabs_->addTab(first, "Items 15-17");

    auto* second = new QWidget(receivingTabs_);
    auto* f2 = new QFormLayout(second);
    answerOnRing_ = new QComboBox(second);
    for (int n = 1; n <= kRingChoices; ++n) answerOnRing_->addItem(QString::number(n));
    f2->addRow("Answer on ring", tipRow(answerOnRing_, "Rings before Corvane answers."));
    atStartup_ = new QCheckBox("Start Receiving at program startup", second);
    ecmReceive_ = new QCheckBox("Use Fax Error Control when RECEIVING   (not recommended)", second);
    f2->addRow(tipRow(atStartup_, "Receive mode starts with the program."));
    f2->addRow(tipRow(ecmReceive_, "Error control needs a good line on both sides."));
    receivingTabs_->addTab(second, "Items 18-20");

    auto* third = new QWidget(receivingTabs_);
    auto* col = new QVBoxLayout(third);
    wav_ = MakeEdit(third);
    col->addWidget(BuddyLabel("Select &WAV File to play when receiving a fax:", wav_));
    auto* wavRow = new QHBoxLayout;
    wavRow->addWidget(tipRow(wav_, "Played when a fax has come in."));
    auto* choose = new QPushButton("&Choose", third);
    auto* play = new QPushButton("Play &Now", third);
    auto* none = new QPushButton("None", third);
    connect(choose, &QPushButton::clicked, this, &TPreferences::chooseWavClicked);
    connect(play, &QPushButton::clicked, this, &TPreferences::playNowClicked);
    connect(none, &QPushButton::clicked, this, [this] { wav_->clear(); });
    wavRow->addWidget(choose);
    wavRow->addWidget(play);
    wavRow->addWidget(none);
    col->addLayout(wavRow);
    printOnReceipt_ =
        new QCheckBox("Print each fax as it is received, on the following printer:", third);
    col->addWidget(tipRow(printOnReceipt_, "Every received fax goes to this printer."));
    printer_ = new QComboBox(third);
    printer_->addItems(logic_.printerList());
    col->addWidget(printer_);
    resetBetweenCalls_ =
        new QCheckBox("When in receive mode, reset the modem between calls", third);
    col->addWidget(tipRow(resetBetweenCalls_, "Some modems need a reset after each call."));
    col->addStretch(1);
    receivingTabs_->addTab(third, "Items 21-22");
    return receivingTabs_;
}

QWidget* TPreferences::buildAdvancedPage() {
    auto* page = new QWidget(this);
    auto* col = new QVBoxLayout(page);
    auto* warning = new QLabel(
        "Warning: these settings are for specific hardware or software problems only. Leave "
        "them off unless you have that problem.",
        page);
    warning->setWordWrap(true);
    warning->setStyleSheet("color: #a00000; font-weight: bold;");
    col->addWidget(warning);
    auto box = [&](QCheckBox*& b, const QString& text, const QString& tip) {
        b = new QCheckBox(text, page);
        col->addWidget(tipRow(b, tip));
    };
    box(altHeaderFont_,
        "Use alternate fax header font (if you get the error \"enhanced font is too large\")",
        "A smaller font for the header line of sent faxes.");
    box(altNaming_, "Use alternate naming method for incoming faxes",
        "Received faxes are named by date and time.");
    box(largerSend_, "Use larger send buffer", "A larger port buffer while sending.");
    box(largerReceive_, "Use larger receive buffer", "A larger port buffer while receiving.");
    box(altViewer_, "Use Alternate Fax Viewer", "The other fax viewer window.");
    box(halfInch_, "When creating cover pages, add an extra 1/2 inch to the left margin ",
        "For fax machines that cut the left edge.");
    box(altPrint_,
        "Use alternate method to print faxes (If you encounter blank printouts of fax pages)",
        "Prints pages another way.");
    box(ddbPrint_,
        "In addition to above, also use fix for certain buggy printer drivers when printing "
        "faxes - faxes will print more slowly, so only use this if needed",
        "Works only together with the alternate print method.");
    box(altCoverGen_,
        "Use alternate Cover Sheet generation method (if you are getting blank cover sheets)",
        "Draws cover pages another way.");
    box(legacyTimer_, "Use Legacy System Timers", "The plain system clock for modem timing.");
    connect(altPrint_, &QCheckBox::toggled, this, [this] { updateEnabling(); });
    col->addStretch(1);
    return page;
}

void TPreferences::showPage(int page) {
    pages_->setCurrentIndex(page);
    for (int i = 0; i < pageButtons_.size(); ++i) {
        pageButtons_[i]->setChecked(i == page);
        QFont f = pageButtons_[i]->font();
        f.setBold(i == page);
        pageButtons_[i]->setFont(f);
    }
    if (page == 2) sendingTabs_->setCurrentIndex(0);
    if (page == 3) receivingTabs_->setCurrentIndex(0);
}

int TPreferences::currentPage() const {
    return pages_->currentIndex();
}

void TPreferences::updateEnabling() {
    logic_.values.useTapi = tapiChoice_->isChecked();
    comPort_->setEnabled(logic_.portControlsEnabled());
    findModem_->setEnabled(logic_.portControlsEnabled());
    tapiList_->setEnabled(logic_.telephonyControlsEnabled());
    testModem_->setEnabled(logic_.telephonyControlsEnabled());
    tapiChoice_->setEnabled(logic_.telephonyAvailable());
    port_->SetTapiMode(logic_.values.useTapi ? TapiMode::On : TapiMode::Off);
    ddbPrint_->setEnabled(altPrint_->isChecked());
}

void TPreferences::showValues() {
    const PreferencesValues& v = logic_.values;
    comPort_->setCurrentIndex(v.comPortIndex);
    tapiList_->setCurrentIndex(v.tapiIndex);
    (v.useTapi ? tapiChoice_ : portChoice_)->setChecked(true);
    toneOrPulse_->setCurrentIndex(v.toneOrPulse);
    resetString_->setText(v.resetString);
    resetAfter_->setText(v.resetAfterString);
    sendClass_->setCurrentIndex(v.sendClass);
    sendRate_->setCurrentIndex(v.sendRateIndex);
    sendInit_->setText(v.sendInit);
    userFax_->setText(v.userFax);
    userName_->setText(v.userName);
    userCompany_->setText(v.userCompany);
    userVoice_->setText(v.userVoice);
    ecm_->setChecked(v.ecm);
    dialPrefix_->setText(v.dialPrefix);
    dialSuffix_->setText(v.dialSuffix);
    dialAttempts_->setText(v.dialAttempts);
    retryWait_->setText(v.retryWait);
    renegotiate_->setChecked(v.renegotiateBetween);
    blindDial_->setChecked(v.blindDial);
    ignoreBusy_->setChecked(v.ignoreBusy);
    receiveClass_->setCurrentIndex(v.receiveClass);
    receiveRate_->setCurrentIndex(v.receiveRateIndex);
    receiveInit_->setText(v.receiveInit);
    answerOnRing_->setCurrentIndex(v.answerOnRingIndex);
    atStartup_->setChecked(v.atStartup);
    ecmReceive_->setChecked(v.ecmReceive);
    wav_->setText(v.wav);
    printOnReceipt_->setChecked(v.printOnReceipt);
    printer_->setCurrentIndex(v.printerIndex);
    resetBetweenCalls_->setChecked(v.resetBetweenCalls);
    altHeaderFont_->setChecked(v.useAlternateHeaderFont);
    altNaming_->setChecked(v.alternateNamingRec);
    largerSend_->setChecked(v.largerSendBuffer);
    largerReceive_->setChecked(v.largerReceiveBuffer);
    altViewer_->setChecked(v.alternateFaxViewer);
    halfInch_->setChecked(v.addHalfInchLeftMargin);
    altPrint_->setChecked(v.alternatePrintMethod);
    ddbPrint_->setChecked(v.ddbPrintMethod);
    altCoverGen_->setChecked(v.alternateCoverGen);
    legacyTimer_->setChecked(v.legacyTimer);
    rateNote_->setVisible(logic_.receiveRateNoteShown());
    updateEnabling();
}

void TPreferences::readValues() {
    PreferencesValues& v = logic_.values;
    v.comPortIndex = comPort_->currentIndex();
    v.useTapi = tapiChoice_->isChecked();
    v.tapiIndex = tapiList_->currentIndex();
    v.toneOrPulse = toneOrPulse_->currentIndex();
    v.resetString = resetString_->text();
    v.resetAfterString = resetAfter_->text();
    v.sendClass = sendClass_->currentIndex();
    v.sendRateIndex = sendRate_->currentIndex();
    v.sendInit = sendInit_->text();
    v.userFax = userFax_->text();
    v.userName = userName_->text();
    v.userCompany = userCompany_->text();
    v.userVoice = userVoice_->text();
    v.ecm = ecm_->isChecked();
    v.dialPrefix = dialPrefix_->text();
    v.dialSuffix = dialSuffix_->text();
    v.dialAttempts = dialAttempts_->text();
    v.retryWait = retryWait_->text();
    v.renegotiateBetween = renegotiate_->isChecked();
    v.blindDial = blindDial_->isChecked();
    v.ignoreBusy = ignoreBusy_->isChecked();
    v.receiveClass = receiveClass_->currentIndex();
    v.receiveRateIndex = receiveRate_->currentIndex();
    v.receiveInit = receiveInit_->text();
    v.answerOnRingIndex = answerOnRing_->currentIndex();
    v.atStartup = atStartup_->isChecked();
    v.ecmReceive = ecmReceive_->isChecked();
    v.wav = wav_->text();
    v.printOnReceipt = printOnReceipt_->isChecked();
    v.printerIndex = printer_->currentIndex();
    v.resetBetweenCalls = resetBetweenCalls_->isChecked();
    v.useAlternateHeaderFont = altHeaderFont_->isChecked();
    v.alternateNamingRec = altNaming_->isChecked();
    v.largerSendBuffer = largerSend_->isChecked();
    v.largerReceiveBuffer = largerReceive_->isChecked();
    v.alternateFaxViewer = altViewer_->isChecked();
    v.addHalfInchLeftMargin = halfInch_->isChecked();
    v.alternatePrintMethod = altPrint_->isChecked();
    v.ddbPrintMethod = ddbPrint_->isChecked();
    v.alternateCoverGen = altCoverGen_->isChecked();
    v.legacyTimer = legacyTimer_->isChecked();
}

void TPreferences::saveClicked() {
    readValues();
    const Status stored = logic_.store();
    if (!stored.ok()) {
        ShowInformation(stored.message());
        showPage(2);
        sendingTabs_->setCurrentIndex(2);
        return;
    }
    const Status saved = SaveSettings();
    if (!saved.ok()) ShowInformation(saved.message());
    accept();
}

void TPreferences::cancelClicked() {
    logic_.cancel();
    reject();
}

void TPreferences::findModemPortClicked() {
    const int chosen = comPort_->currentIndex();
    QString device;
    const int index = FindModemPort(this, *port_, resetString_->text(), chosen, &device);
    comPort_->setCurrentIndex(index);
    // No numbered port answered, but a named device did: offer the telephony choice.
    const int named = static_cast<int>(logic_.telephonyDevices().indexOf(device));
    if (named >= 0 && AskYesNo("Use the modem " + device + " ?", "Modem")) {
        tapiList_->setCurrentIndex(named);
        tapiChoice_->setChecked(true);
    }
}

void TPreferences::checkFaxClassClicked(int side) {
    QComboBox* classes = side == 1 ? sendClass_ : receiveClass_;
    FaxClassCheckRequest request;
    request.comNumber = comPort_->currentIndex() + 1;
    request.useTapi = tapiChoice_->isChecked();
    request.deviceName = tapiList_->currentText();
    classes->setCurrentIndex(CheckFaxClass(this, *port_, *tapi_, request, classes->currentIndex()));
}

void TPreferences::initStringHelpClicked(bool sending) {
    QLineEdit* edit = sending ? sendInit_ : receiveInit_;
    TModemInitStringHelperForm form(edit->text(), sending, logic_.telephonyDevices(),
                                    tapiList_->currentIndex(), this);
    if (form.exec() == QDialog::Accepted) edit->setText(form.result());
}

void TPreferences::chooseWavClicked() {
    const QString current = wav_->text();
    const QString start = QFileInfo(current).isFile() ? current : AppFolder();
    const QString chosen =
        QFileDialog::getOpenFileName(this, QString(), start, "WAVE files (*.wav)");
    if (chosen.toUpper().contains(".WAV")) wav_->setText(chosen);
}

void TPreferences::playNowClicked() {
    const QString wav = wav_->text();
    if (QFileInfo(wav).isFile()) QProcess::startDetached("aplay", {"-q", wav});
}

void TPreferences::testModemClicked() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString message = RunModemTest(*port_, *tapi_, tapiList_->currentText(),
                                         resetString_->text(), ModemTestWording::Preferences);
    QApplication::restoreOverrideCursor();
    ShowInformation(message);
}

void TPreferences::modifyTemplateClicked() {
    TModifyFaxHeaderForm form(logic_.values.faxHeaderTemplate, this);
    if (form.exec() == QDialog::Accepted) logic_.values.faxHeaderTemplate = form.templateText();
}

void TPreferences::quickRecommendationsClicked() {
    QString name = tapiChoice_->isChecked() ? tapiList_->currentText() : QString();
    QString sendInit;
    QString receiveInit;
    if (!SelectModem(this, name, sendInit, receiveInit)) return;
    const int named = static_cast<int>(logic_.telephonyDevices().indexOf(name));
    if (named >= 0) {
        tapiChoice_->setChecked(true);
        tapiList_->setCurrentIndex(named);
    }
    ModemConfig config{resetString_->text(),
                       sendClass_->currentIndex(),
                       TransferRateFromIndex(sendRate_->currentIndex()),
                       sendInit_->text(),
                       ecm_->isChecked(),
                       receiveClass_->currentIndex(),
                       TransferRateFromIndex(receiveRate_->currentIndex()),
                       receiveInit_->text(),
                       ecmReceive_->isChecked()};
    if (!ShowConfigSuggestions(this, sendInit, receiveInit, config, true, true)) return;
    resetString_->setText(config.resetString);
    sendClass_->setCurrentIndex(config.sendClass);
    sendRate_->setCurrentIndex(TransferRateIndex(config.sendRate));
    sendInit_->setText(config.sendInit);
    ecm_->setChecked(config.sendEcm);
    receiveClass_->setCurrentIndex(config.receiveClass);
    receiveRate_->setCurrentIndex(TransferRateIndex(config.receiveRate));
    receiveInit_->setText(config.receiveInit);
    ecmReceive_->setChecked(config.receiveEcm);
}

bool RunPreferences(QWidget* parent) {
    TPreferences form(GlobalSettings(), TapiDevice::deviceNames(), InstalledPrinterNames(), parent);
    return form.exec() == QDialog::Accepted;
}

}  // namespace corvane
