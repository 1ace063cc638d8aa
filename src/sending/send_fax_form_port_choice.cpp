#include "sending/send_fax_form_port_choice.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "core/port_map.h"
#include "core/settings.h"

namespace corvane {

namespace {

QuickSetupRunner& Runner() {
    static QuickSetupRunner runner;
    return runner;
}

}  // namespace

void SetQuickSetupRunner(QuickSetupRunner runner) {
    Runner() = std::move(runner);
}

QStringList PortChoiceEntries() {
    QStringList entries;
    for (int n = kFirstComNumber; n <= kLastComNumber; ++n)
        entries << QStringLiteral("COM%1 (%2)").arg(n).arg(PortDevicePath(n));
    for (const TelephonyDevice& d : TelephonyDevices()) entries << d.name;
    return entries;
}

void StorePortChoice(Settings& s, int index) {
    const int ports = kLastComNumber - kFirstComNumber + 1;
    if (index < ports) {
        s.ComPort = index;
        s.UseTAPI = false;
    } else {
        const QList<TelephonyDevice> devices = TelephonyDevices();
        if (index - ports >= devices.size()) return;
        s.UseTAPI = true;
        s.TAPIDevice = devices[index - ports].name;
        if (s.ComPort < 0) s.ComPort = 0;
    }
    s.PortUnconfigured = false;
}

bool RunFirstModemSetup(Settings& settings, QWidget* parent) {
    if (Runner()) return Runner()(parent);
    QDialog dialog(parent);
    dialog.setObjectName("PortChoiceForm");
    dialog.setWindowTitle("Choose the modem port");
    auto* col = new QVBoxLayout(&dialog);
    auto* note = new QLabel(kPortChoiceNote, &dialog);
    note->setWordWrap(true);
    col->addWidget(note);
    auto* ports = new QComboBox(&dialog);
    ports->setObjectName("PortChoice");
    ports->addItems(PortChoiceEntries());
    col->addWidget(ports);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    col->addWidget(buttons);
    dialog.resize(460, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted) return false;
    StorePortChoice(settings, ports->currentIndex());
    if (const Status saved = SaveSettings(); !saved.ok()) ShowInformation(saved.message());
    return true;
}

}  // namespace corvane
