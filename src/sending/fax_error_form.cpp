#include "sending/fax_error_form.h"
#include "uicommon/help_window.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace corvane {

namespace {

FaxErrorSuggester& Suggester() {
    static FaxErrorSuggester suggester;
    return suggester;
}

FaxErrorShower& Shower() {
    static FaxErrorShower shower;
    return shower;
}

QLabel* Wrapped(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

void SetFaxErrorSuggester(FaxErrorSuggester suggester) {
    Suggester() = std::move(suggester);
}

void SetFaxErrorShower(FaxErrorShower shower) {
    Shower() = std::move(shower);
}

bool ShowFaxError(const FaxErrorRequest& request, QWidget* parent, int autoCloseMs) {
    if (Shower()) return Shower()(request);
    if (request.receiving && !request.allowContinue) {
        // Nobody may be there to answer, and a modal window would hold up the calls that
        // follow: shown and left to close itself or be closed.
        auto* form = new TNewFaxErrorForm(request, parent, autoCloseMs);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->setModal(false);
        form->show();
        return false;
    }
    TNewFaxErrorForm form(request, parent, autoCloseMs);
    form.exec();
    return form.continueChosen();
}

TNewFaxErrorForm::TNewFaxErrorForm(const FaxErrorRequest& request, QWidget* parent, int autoCloseMs)
    : QDialog(parent), state_(request, bool(Suggester())) {
    if (request.receiving)
        SetHelpTopic(this, "receive");
    else
        SetHelpTopic(this, "send-problems");
    setObjectName("NewFaxErrorForm");
    setWindowTitle(state_.caption());
    auto* col = new QVBoxLayout(this);
    auto* heading = new QLabel(state_.heading(), this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    heading->setFont(bold);
    heading->setObjectName("Heading");
    col->addWidget(heading);
    col->addSpacing(6);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("The error message was:", this), 0, 0, Qt::AlignTop);
    QLabel* message = Wrapped(request.message, this);
    message->setObjectName("Message");
    QFont strong = message->font();
    strong.setBold(true);
    message->setFont(strong);
    grid->addWidget(message, 0, 1);
    QLabel* detail = Wrapped(request.detail, this);
    detail->setObjectName("Detail");
    grid->addWidget(detail, 1, 1);
    grid->addWidget(new QLabel("It occurred during", this), 2, 0, Qt::AlignTop);
    QLabel* phase = Wrapped(request.phase, this);
    phase->setObjectName("Phase");
    grid->addWidget(phase, 2, 1);
    grid->setColumnStretch(1, 1);
    col->addLayout(grid);
    col->addSpacing(8);

    col->addWidget(Wrapped("Choose Info for advice about this error.", this));
    continueLabel_ = Wrapped("Choose Continue to go on anyway.", this);
    continueLabel_->setObjectName("ContinueDescription");
    continueLabel_->setVisible(request.allowContinue);
    col->addWidget(continueLabel_);

    auto* row = new QHBoxLayout;
    suggest_ = new QPushButton("&Suggest", this);
    info_ = new QPushButton("&Info", this);
    continue_ = new QPushButton("&Continue", this);
    ok_ = new QPushButton("OK", this);
    ok_->setDefault(true);
    for (QPushButton* b : {suggest_, info_, continue_}) row->addWidget(b);
    row->addStretch(1);
    row->addWidget(ok_);
    col->addLayout(row);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(autoCloseMs);
    connect(timer_, &QTimer::timeout, this, &QDialog::accept);  // as if OK were chosen
    if (state_.autoCloseArmed()) timer_->start();

    connect(ok_, &QPushButton::clicked, this, [this] {
        pressed();
        accept();
    });
    connect(continue_, &QPushButton::clicked, this, [this] {
        pressed();
        continueChosen_ = true;
        accept();
    });
    connect(info_, &QPushButton::clicked, this, [this] {
        pressed();
        QMessageBox box(QMessageBox::Information, kFaxErrorHelpTitle, infoText(), QMessageBox::Ok,
                        this);
        box.exec();
    });
    connect(suggest_, &QPushButton::clicked, this, [this] {
        pressed();
        if (Suggester() && Suggester()(this)) {
            state_.modemChosen();
            applyState();
        }
    });
    applyState();
    resize(520, sizeHint().height());
}

void TNewFaxErrorForm::pressed() {
    state_.buttonPressed();
    timer_->stop();
}

void TNewFaxErrorForm::applyState() {
    suggest_->setEnabled(state_.suggestEnabled());
    suggest_->setToolTip(state_.suggestToolTip());
    continue_->setEnabled(state_.continueEnabled());
    continueLabel_->setEnabled(state_.continueEnabled());
}

QString TNewFaxErrorForm::infoText() const {
    return FaxErrorHelpFor(state_.request().code, state_.request().receiving).text;
}

}  // namespace corvane
