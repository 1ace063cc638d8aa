#include "covers/designer/save_as_dialog.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app_folders.h"
#include "covers/cover_template_files.h"
#include "covers/template_name_rule.h"
#include "uicommon/help_window.h"

namespace corvane {

SaveTemplateAsDialog::SaveTemplateAsDialog(const QString& name, const QString& description,
                                           QWidget* parent)
    : QDialog(parent) {
    SetHelpTopic(this, "designer");
    setWindowTitle("Save fax cover template as");
    auto* col = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name_ = new QLineEdit(name, this);
    name_->setObjectName("NameEdit");
    description_ = new QLineEdit(description, this);
    description_->setObjectName("DescriptionEdit");
    form->addRow("File name:", name_);
    form->addRow("Description:", description_);
    col->addLayout(form);
    auto* rule = new QLabel(kTemplateNameRuleText, this);
    rule->setWordWrap(true);
    col->addWidget(rule);
    col->addWidget(new QLabel("Existing templates:", this));
    // Design files rather than render files: a chosen entry then passes the name rule as is.
    existing_ = new QListWidget(this);
    for (const TemplateEntry& t : ListTemplates(CoversFolder())) {
        auto* item = new QListWidgetItem(
            QFileInfo(t.designPath).fileName() + QStringLiteral("  ") + t.description, existing_);
        item->setData(Qt::UserRole, QFileInfo(t.designPath).fileName());
        item->setData(Qt::UserRole + 1, t.description);
    }
    connect(existing_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!item) return;
        name_->setText(item->data(Qt::UserRole).toString());
        description_->setText(item->data(Qt::UserRole + 1).toString());
    });
    col->addWidget(existing_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ok_ = new QPushButton("Ok ", this);
    ok_->setObjectName("OkButton");
    ok_->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    col->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(name_, &QLineEdit::textChanged, this, &SaveTemplateAsDialog::updateOk);
    connect(description_, &QLineEdit::textChanged, this, &SaveTemplateAsDialog::updateOk);
    updateOk();
    resize(460, 380);
}

QString SaveTemplateAsDialog::name() const {
    return name_->text().trimmed();
}

QString SaveTemplateAsDialog::description() const {
    return description_->text();
}

void SaveTemplateAsDialog::updateOk() {
    ok_->setEnabled(CanSaveTemplateAs(name(), description()));
}

}  // namespace corvane
