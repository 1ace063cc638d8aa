#pragma once
// "Select Fax To Append": the outgoing log in a read-only grid, sorted and filtered by the
// picker's own controls, archived faxes in red. It works on the outgoing log table itself and
// puts the table's order, filter and record back when it closes, so that the main window
// finds its view as it left it.

#include <QDialog>
#include <QString>
#include <cstdint>
#include <string>

class QCheckBox;
class QComboBox;
class QTableView;

namespace corvane {

class LogTableModel;
class TFDM;

class TSelectFaxToAppend : public QDialog {
    Q_OBJECT
  public:
    explicit TSelectFaxToAppend(TFDM& fdm, QWidget* parent = nullptr);
    ~TSelectFaxToAppend() override;

    // The FAXDOC of the fax chosen by "&Append this fax".
    QString chosenDocument() const { return chosen_; }

    QComboBox* sortBox() const { return sort_; }
    QCheckBox* unsentOnly() const { return unsent_; }
    QCheckBox* showArchived() const { return archived_; }
    QTableView* grid() const { return grid_; }
    LogTableModel* model() const { return model_; }
    void viewClicked();
    void appendClicked();

  private:
    void applyView();
    QString currentDocument() const;

    TFDM& fdm_;
    LogTableModel* model_ = nullptr;
    QComboBox* sort_ = nullptr;
    QCheckBox* unsent_ = nullptr;
    QCheckBox* archived_ = nullptr;
    QTableView* grid_ = nullptr;
    QString chosen_;
    // The table's view before the picker changed it.
    uint32_t recno_ = 0;
    int order_ = 0;
    std::string filter_;
};

}  // namespace corvane
