#pragma once
// "Delete Pages From Fax": the range of pages to cut from the document being edited. The
// dialog only chooses and confirms; DeleteWholeFax / DeletePageRange (edit_logic/
// delete_pages.h) do the cutting.

#include <QDialog>
#include <QString>

class QSpinBox;

namespace corvane {

class TDeleteSpecificPagesForm : public QDialog {
    Q_OBJECT
  public:
    TDeleteSpecificPagesForm(const QString& faxFile, int pageCount, QWidget* parent = nullptr);

    int from() const;
    int to() const;
    bool wholeFile() const { return wholeFile_; }
    QSpinBox* fromSpinner() const { return from_; }
    QSpinBox* toSpinner() const { return to_; }
    // "OK": an invalid range is refused, the whole file needs a yes to "Delete ALL pages?".
    void okClicked();

  private:
    QString file_;
    int pageCount_ = 0;
    QSpinBox* from_ = nullptr;
    QSpinBox* to_ = nullptr;
    bool wholeFile_ = false;
};

// The whole flow on `faxFile`: missing file, dialog, cutting, messages. True when pages
// were deleted.
bool DeletePagesFromFax(const QString& faxFile, QWidget* parent);

}  // namespace corvane
