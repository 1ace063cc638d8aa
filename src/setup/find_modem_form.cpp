#include "setup/find_modem_form.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "setup/logic/modem_test.h"
#include "setup/logic/port_finder.h"
#include "transport/fx_port.h"
#include "uicommon/help_window.h"

namespace corvane {

TFindModemForm::TFindModemForm(TFxComPort& port, const QString& resetString, QWidget* parent)
    : QDialog(parent), port_(port), finder_(std::make_unique<PortFinder>(port, resetString)) {
    SetHelpTopic(this, "find-modem");
    setObjectName("FindModemForm");
    setWindowTitle("Finding Modem...Please wait");
    auto* col = new QVBoxLayout(this);
    auto* heading = new QLabel("Communications Ports:", this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    col->addWidget(heading);
    for (int n = 1; n <= 8; ++n) {
        auto* line = new QLabel(QStringLiteral("Com %1:").arg(n), this);
        line->setObjectName(QStringLiteral("ComLine%1").arg(n));
        lines_ << line;
        col->addWidget(line);
    }
    named_ = new QLabel(this);
    named_->setObjectName("NamedDevices");
    named_->setWordWrap(true);
    named_->hide();
    col->addWidget(named_);
    info_ = new QLabel("Testing Communications ports...please wait.", this);
    info_->setObjectName("Information");
    info_->setWordWrap(true);
    info_->setMinimumWidth(380);
    col->addWidget(info_);
    ok_ = new QPushButton("OK", this);
    ok_->setDefault(true);
    ok_->hide();
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    col->addWidget(ok_, 0, Qt::AlignHCenter);
    finder_->onLine = [this](int index, const QString& text) { showLine(index, text); };
}

TFindModemForm::~TFindModemForm() = default;

void TFindModemForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!searched_) QTimer::singleShot(0, this, &TFindModemForm::runSearch);
}

void TFindModemForm::showLine(int index, const QString& text) {
    if (index < lines_.size()) {
        lines_[index]->setText(text);
    } else {
        QStringList shown;
        shown << "Named devices:";
        for (const PortFinder::NamedDevice& d : finder_->namedDevices())
            if (!d.text.isEmpty())
                shown << d.text + (d.identification.isEmpty() ? QString()
                                                              : "  [" + d.identification + "]");
        named_->setText(shown.join('\n'));
        named_->show();
    }
    QCoreApplication::processEvents();
}

void TFindModemForm::runSearch() {
    if (searched_) return;
    searched_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    finder_->run();
    QApplication::restoreOverrideCursor();
    const QStringList ids = finder_->comIdentifications();
    for (int i = 0; i < lines_.size(); ++i)
        if (!ids[i].isEmpty()) lines_[i]->setText(finder_->comLines()[i] + "  [" + ids[i] + "]");
    info_->setText(finder_->informationText());
    ok_->show();
    ok_->setFocus();
    setWindowTitle("Find Modem");
    QApplication::beep();
}

int TFindModemForm::result() const {
    return finder_->result();
}

QString TFindModemForm::namedResult() const {
    return finder_->namedResult();
}

int FindModemPort(QWidget* parent, TFxComPort& port, const QString& resetString, int chosenIndex,
                  QString* foundDevice) {
    int index = chosenIndex;
    {
        TFindModemForm form(port, resetString, parent);
        form.exec();
        if (!form.searched()) form.runSearch();
        port.SetComNumber(chosenIndex + 1);
        const QString question = PortAdoptQuestion(form.result(), chosenIndex);
        if (!question.isEmpty() && AskYesNo(question, kComPortQuestionCaption))
            index = form.result() - 1;
        if (foundDevice) *foundDevice = form.result() > 0 ? QString() : form.namedResult();
    }
    return index;
}

}  // namespace corvane
