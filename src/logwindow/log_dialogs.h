#pragma once
// The small dialogs of the log commands and the LogDialogs implementation that shows them.

#include <QDialog>
#include <functional>

#include "logwindow/log_commands.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace corvane {

// "Delete Fax": what to delete of a fax that has both a cover and a body.
class TDeleteWhat : public QDialog {
    Q_OBJECT
  public:
    explicit TDeleteWhat(QWidget* parent = nullptr);
    DeleteWhat choice() const;
    QRadioButton* cover;
    QRadioButton* body;
    QRadioButton* both;
};

// "Received Fax": the sender and the notes of a received fax.
class TEditReceiveNotes : public QDialog {
    Q_OBJECT
  public:
    explicit TEditReceiveNotes(QWidget* parent = nullptr);
    QLineEdit* from;
    QLineEdit* notes;
};

// "Find Outgoing Fax" / "Find Incoming (received) Fax": radio choices, each with a field;
// only the chosen field is editable, the others are cleared and greyed.
class FindFaxForm : public QDialog {
    Q_OBJECT
  public:
    explicit FindFaxForm(LogPage page, QWidget* parent = nullptr);
    // The fields in the order they are searched.
    QList<FindField> fields() const;
    QList<QRadioButton*> choices;
    QList<QLineEdit*> edits;

  private:
    void choose(int i);
    QStringList fieldNames_;
};

// "Select Pages From Fax".
class TSelectSpecificPagesForm : public QDialog {
    Q_OBJECT
  public:
    TSelectSpecificPagesForm(int pageCount, const PageRange& previous, QWidget* parent = nullptr);
    PageRange range() const;
    void accept() override;
    QSpinBox* FromSpinner;
    QSpinBox* ToSpinner;
    QLabel* description;
    QPushButton* allButton;

  private:
    int pageCount_;
};

// Forward and clone: recipient, number, subject, the page choice and the cover choice.
class TFaxForwardOrClone : public QDialog {
    Q_OBJECT
  public:
    TFaxForwardOrClone(ForwardOrCloneRequest& request, QWidget* parent = nullptr);
    void accept() override;
    QLineEdit* Recipient;
    QLineEdit* FaxNumber;
    QLineEdit* Subject;
    QGroupBox* PageOptionsBox;
    QLabel* pageChoice;
    QPushButton* selectPages;
    QCheckBox* cbIncludeFaxCover;
    QLabel* noCoverLabel;
    QPushButton* phonebook;
    // Fills recipient and number from the phone book; unset hides "&Phonebook".
    std::function<bool(QString& name, QString& number)> pickFromPhoneBook;

  private:
    ForwardOrCloneRequest& request_;
};

class GuiLogDialogs : public LogDialogs {
  public:
    explicit GuiLogDialogs(QWidget* parent, TFDM* fdm = nullptr) : parent_(parent), fdm_(fdm) {}
    std::optional<DeleteWhat> askDeleteWhat() override;
    bool editReceiveNotes(QString& from, QString& notes) override;
    std::optional<QList<FindField>> askFind(LogPage page) override;
    bool forwardOrClone(ForwardOrCloneRequest& request) override;
    void beep() override;

  private:
    QWidget* parent_;
    TFDM* fdm_;
};

}  // namespace corvane
