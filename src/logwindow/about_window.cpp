#include "logwindow/about_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/settings.h"
#include "logwindow/system_information_window.h"
#include "uicommon/help_window.h"

namespace corvane {

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    SetHelpTopic(this, "support");
    setWindowTitle("About Corvane");
    auto* col = new QVBoxLayout(this);
    auto* title = new QLabel("<h2>Corvane</h2>", this);
    col->addWidget(title);
    col->addWidget(new QLabel(QString("Version %1").arg(kProgramVersion), this));
    col->addWidget(
        new QLabel("A fax program for Linux: send and receive faxes through a fax "
                   "modem,\nkeep the fax logs and the phone book.",
                   this));
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* information = box->addButton("&System Information...", QDialogButtonBox::ActionRole);
    connect(information, &QPushButton::clicked, this, [this] {
        SystemInformationWindow window(this);
        window.exec();
    });
    col->addWidget(box);
}

}  // namespace corvane
