#include "sending/fax_status_form.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "transport/send_fax.h"
#include "uicommon/help_window.h"

namespace corvane {

namespace {

// Caption and field, in the order the window lists them.
const std::vector<std::pair<const char*, QString FaxStatusFields::*>>& Rows() {
    static const std::vector<std::pair<const char*, QString FaxStatusFields::*>> rows = {
        {"Phone number:", &FaxStatusFields::phoneNumber},
        {"Fax file:", &FaxStatusFields::faxFile},
        {"Cover file:", &FaxStatusFields::coverFile},
        {"Total pages:", &FaxStatusFields::totalPages},
        {"Dial attempt:", &FaxStatusFields::dialAttempt},
        {"Remote ID:", &FaxStatusFields::remoteId},
        {"Connect BPS:", &FaxStatusFields::connectBps},
        {"Resolution:", &FaxStatusFields::resolution},
        {"Width:", &FaxStatusFields::width},
        {"Error control:", &FaxStatusFields::errorControl},
        {"Current page:", &FaxStatusFields::currentPage},
        {"Page length:", &FaxStatusFields::pageLength},
        {"Bytes transferred:", &FaxStatusFields::bytesTransferred},
        {"Elapsed time:", &FaxStatusFields::elapsed},
    };
    return rows;
}

}  // namespace

TFaxStatusForm::TFaxStatusForm(const SendRequest& request, QWidget* parent)
    : QDialog(parent), state_(request) {
    SetHelpTopic(this, "fax-sending-tip");
    setObjectName("FaxStatusForm");
    setWindowTitle(kFaxStatusCaption);
    clock_.start();
    auto* col = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    for (const auto& [caption, member] : Rows()) {
        auto* value = new QLabel(this);
        value->setMinimumWidth(220);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        labels_[QString::fromLatin1(caption)] = value;
        form->addRow(QString::fromLatin1(caption), value);
    }
    col->addLayout(form);
    status_ = new QLabel(this);
    status_->setObjectName("FaxStatusText");
    status_->setFrameShape(QFrame::StyledPanel);
    status_->setMinimumHeight(status_->fontMetrics().height() + 8);
    col->addWidget(status_);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    col->addWidget(progress_);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    cancel_ = new QPushButton("Cancel", this);
    row->addWidget(cancel_);
    row->addStretch(1);
    col->addLayout(row);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (onCancel) onCancel();
    });
    ticker_ = new QTimer(this);
    ticker_->setInterval(1000);
    connect(ticker_, &QTimer::timeout, this, [this] {
        if (fax_) showStatus(*fax_);
    });
}

void TFaxStatusForm::showStatus(const TFxSendFax& fax) {
    fax_ = &fax;
    if (!ticker_->isActive()) ticker_->start();
    state_.update(fax, clock_.elapsed());
    refresh();
}

void TFaxStatusForm::detach() {
    fax_ = nullptr;
    ticker_->stop();
}

void TFaxStatusForm::refresh() {
    const FaxStatusFields& f = state_.fields();
    for (const auto& [caption, member] : Rows())
        labels_.at(QString::fromLatin1(caption))->setText(f.*member);
    status_->setText(f.status);
    progress_->setValue(f.progressPercent);
}

QLabel* TFaxStatusForm::field(const QString& caption) const {
    const auto it = labels_.find(caption);
    return it != labels_.end() ? it->second : nullptr;
}

// Closing the window while the engine runs is a cancel, not a way to lose sight of the call.
void TFaxStatusForm::closeEvent(QCloseEvent* e) {
    if (fax_) {
        e->ignore();
        if (onCancel) onCancel();
        return;
    }
    QDialog::closeEvent(e);
}

void TFaxStatusForm::reject() {
    if (fax_) {
        if (onCancel) onCancel();
        return;
    }
    QDialog::reject();
}

}  // namespace corvane
