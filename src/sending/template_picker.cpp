#include "sending/template_picker.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include "uicommon/help_window.h"

namespace corvane {

namespace {

// The preview picture is 816 x 1056; shown at a quarter.
constexpr int kPictureWidth = 204;
constexpr int kPictureHeight = 264;

}  // namespace

TSelectCoverTemplate::TSelectCoverTemplate(const QString& folder, const QString& current,
                                           QWidget* parent)
    : QDialog(parent), entries_(ListTemplates(folder)) {
    SetHelpTopic(this, "covers");
    setWindowTitle("Select  Fax Cover Template");
    description_ = new QLabel(this);
    description_->setWordWrap(true);
    list_ = new QListWidget(this);
    picture_ = new QLabel(this);
    picture_->setFixedSize(kPictureWidth, kPictureHeight);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setFrameShape(QFrame::Box);
    int selected = entries_.empty() ? -1 : 0;
    const QString currentBase = QFileInfo(current).completeBaseName();
    for (size_t i = 0; i < entries_.size(); ++i) {
        const QFileInfo info(entries_[i].designPath);
        list_->addItem(info.fileName());
        if (info.completeBaseName().compare(currentBase, Qt::CaseInsensitive) == 0)
            selected = int(i);
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TSelectCoverTemplate::okClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::currentRowChanged, this, &TSelectCoverTemplate::showEntry);
    connect(list_, &QListWidget::itemDoubleClicked, this, &TSelectCoverTemplate::okClicked);

    auto* left = new QVBoxLayout;
    left->addWidget(description_);
    left->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    row->addLayout(left, 1);
    row->addWidget(picture_);
    auto* main = new QVBoxLayout(this);
    main->addLayout(row);
    main->addWidget(buttons);
    list_->setCurrentRow(selected);
    showEntry(selected);
}

void TSelectCoverTemplate::showEntry(int row) {
    if (row < 0 || row >= int(entries_.size())) {
        description_->clear();
        picture_->setText("Image not available");
        return;
    }
    const TemplateEntry& e = entries_[size_t(row)];
    description_->setText(e.description);
    const QString bmp = CompanionPath(e.designPath, ".bmp");
    const QPixmap pixmap(bmp);
    if (!QFileInfo(bmp).isFile() || pixmap.isNull()) {
        picture_->setPixmap(QPixmap());
        picture_->setText("Image not available");
    } else {
        picture_->setPixmap(
            pixmap.scaled(picture_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
}

void TSelectCoverTemplate::okClicked() {
    const int row = list_->currentRow();
    if (row < 0 || row >= int(entries_.size())) {
        QApplication::beep();
        return;
    }
    chosen_ = entries_[size_t(row)].designPath;
    accept();
}

}  // namespace corvane
