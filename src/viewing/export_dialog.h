#pragma once
// TExportFaxDialog ("Export Fax"): saves one page or all pages of a fax as TIFF, BMP, PCX,
// DCX or PDF. The choices live in ExportDialogState; the export itself in ExportFax.

#include <QDialog>
#include <functional>
#include <memory>

#include "viewing/logic/export_dialog_state.h"

class QLabel;
class QRadioButton;
class QSpinBox;

namespace corvane {

class TExportFaxDialog : public QDialog {
    Q_OBJECT
  public:
    TExportFaxDialog(const QString& fax, int pageCount, QWidget* parent = nullptr,
                     ExportDialogState::Pages pages = ExportDialogState::Pages::DocumentOnly);

    // Asks where to save (caption, start path, filter); tests answer it.
    using SaveNameAsker =
        std::function<QString(QWidget*, const QString&, const QString&, const QString&)>;
    static void setSaveNameAsker(SaveNameAsker asker);

    ExportDialogState& state() { return state_; }
    QRadioButton* rPageCurrent = nullptr;
    QRadioButton* rPageMulti = nullptr;
    QRadioButton* rTypeTIFF = nullptr;
    QRadioButton* rTypeBMP = nullptr;
    QRadioButton* rTypePCX = nullptr;
    QRadioButton* rTypeDCX = nullptr;
    QRadioButton* rTypePDF = nullptr;
    QSpinBox* PageNumber = nullptr;
    QLabel* ThisFax = nullptr;
    QLabel* ActionLabel = nullptr;

  public slots:
    // Asks for the file, exports and says "Export complete"; false when nothing was written.
    bool ExportNowClick();

  private:
    void showState();
    QRadioButton* buttonFor(ExportFormat format) const;

    QString fax_;
    ExportDialogState state_;
    bool showing_ = false;
};

// Shows the export dialog on `fax` when the file exists and has pages.
void OpenExportDialog(const QString& fax, QWidget* parent = nullptr,
                      ExportDialogState::Pages pages = ExportDialogState::Pages::DocumentOnly);

}  // namespace corvane
