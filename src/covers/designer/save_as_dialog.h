#pragma once
// "Save fax cover template as": a file name, a description, and the templates already in
// Covers/ (choosing one fills in its name and description). "Ok " is enabled only while the
// name follows the rule of template_name_rule.h and the description is not empty.

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvane {

class SaveTemplateAsDialog : public QDialog {
    Q_OBJECT
  public:
    SaveTemplateAsDialog(const QString& name, const QString& description,
                         QWidget* parent = nullptr);
    QString name() const;
    QString description() const;

  private:
    void updateOk();

    QLineEdit* name_;
    QLineEdit* description_;
    QListWidget* existing_;
    QPushButton* ok_;
};

}  // namespace corvane
