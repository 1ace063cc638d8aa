#pragma once
// "Select  Fax Cover Template": the design files of Covers/ in a list, the chosen one's
// description above it and its preview picture (or "Image not available") beside it.

#include <QDialog>
#include <QString>
#include <vector>

#include "covers/cover_template_files.h"

class QLabel;
class QListWidget;

namespace corvane {

class TSelectCoverTemplate : public QDialog {
    Q_OBJECT
  public:
    // `current` is the template in use (a render file name); the entry of the same base name
    // is selected, else the first.
    TSelectCoverTemplate(const QString& folder, const QString& current, QWidget* parent = nullptr);

    // The design file chosen by "Ok".
    QString chosen() const { return chosen_; }
    QListWidget* list() const { return list_; }
    QLabel* picture() const { return picture_; }
    QLabel* description() const { return description_; }
    // "Ok": beeps without a selection, else accepts.
    void okClicked();

  private:
    void showEntry(int row);

    std::vector<TemplateEntry> entries_;
    QListWidget* list_ = nullptr;
    QLabel* picture_ = nullptr;
    QLabel* description_ = nullptr;
    QString chosen_;
};

}  // namespace corvane
