#include "sending/delete_pages_dialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "core/fax_errors.h"
#include "core/message_boxes.h"
#include "faxdoc/apf_reader.h"
#include "logwindow/page_range.h"
#include "sending/edit_logic/delete_pages.h"
#include "uicommon/help_window.h"
#include "viewing/show_viewer.h"

namespace corvane {

TDeleteSpecificPagesForm::TDeleteSpecificPagesForm(const QString& faxFile, int pageCount,
                                                   QWidget* parent)
    : QDialog(parent), file_(faxFile), pageCount_(pageCount) {
    SetHelpTopic(this, "edit-fax");
    setWindowTitle("Delete Pages From Fax");
    from_ = new QSpinBox(this);
    to_ = new QSpinBox(this);
    for (QSpinBox* s : {from_, to_}) s->setRange(1, std::max(1, pageCount));
    from_->setValue(1);
    to_->setValue(std::max(1, pageCount));
    auto* view = new QPushButton("View Fax", this);
    connect(view, &QPushButton::clicked, this,
            [this] { ShowFaxViewer("Fax file", file_, nullptr, this); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TDeleteSpecificPagesForm::okClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(PageTotalText(pageCount), this), 0, 0, 1, 4);
    grid->addWidget(new QLabel("Delete page:", this), 1, 0);
    grid->addWidget(from_, 1, 1);
    grid->addWidget(new QLabel("to", this), 1, 2);
    grid->addWidget(to_, 1, 3);
    grid->addWidget(view, 2, 0);
    grid->addWidget(buttons, 2, 1, 1, 3);
}

int TDeleteSpecificPagesForm::from() const {
    return from_->value();
}

int TDeleteSpecificPagesForm::to() const {
    return to_->value();
}

void TDeleteSpecificPagesForm::okClicked() {
    switch (CheckPageDeletion(from(), to(), pageCount_)) {
        case PageDeletion::Invalid:
            ShowInformation("Invalid Page Range");
            return;
        case PageDeletion::WholeFile:
            if (!AskYesNo("Delete ALL pages?", "DELETE")) return;
            wholeFile_ = true;
            break;
        case PageDeletion::Range:
            wholeFile_ = false;
            break;
    }
    accept();
}

bool DeletePagesFromFax(const QString& faxFile, QWidget* parent) {
    if (!QFileInfo(faxFile).isFile()) {
        ShowInformation("Error: Fax file original is missing");
        return false;
    }
    int pages = 0;
    try {
        pages = GetApfPageCount(faxFile);
    } catch (const EFaxError&) {
        pages = 0;
    }
    TDeleteSpecificPagesForm form(faxFile, pages, parent);
    if (form.exec() != QDialog::Accepted) return false;
    const QString failure = form.wholeFile() ? DeleteWholeFax(faxFile)
                                             : DeletePageRange(faxFile, form.from(), form.to());
    if (!failure.isEmpty()) ShowInformation(failure);
    return true;
}

}  // namespace corvane
