#pragma once
// "Phone Book Browser" (TPhoneBook), in managing and picking mode, and its one-entry editor
// "Phone Book Editor" (TPhoneBookEditor).

#include <QDialog>
#include <memory>

#include "logwindow/phone_book.h"

class QLineEdit;
class QPushButton;
class QTabBar;
class QTableWidget;

namespace corvane {

class TFDM;

class TPhoneBookEditor : public QDialog {
    Q_OBJECT
  public:
    explicit TPhoneBookEditor(QWidget* parent = nullptr);
    QLineEdit* name;
    QLineEdit* number;
};

class TPhoneBook : public QDialog {
    Q_OBJECT
  public:
    enum class Mode { Managing, Picking };
    // The phone book must be open (TFDM::OpenPhoneBook).
    TPhoneBook(TFDM& fdm, Mode mode, QWidget* parent = nullptr);
    ~TPhoneBook() override;

    // Opens the phone book shared, shows the window modally and closes the phone book. Nothing
    // is shown when the phone book cannot be opened.
    static void Manage(TFDM& fdm, QWidget* parent);
    // The same in picking mode; true with the picked NAME and PHONE (as stored) on "&Accept".
    static bool Pick(TFDM& fdm, QWidget* parent, QString& name, QString& number);

    PhoneBookBrowser& browser() { return *browser_; }
    // Editor hooks: tests answer them without a screen; by default the editor is shown.
    std::function<bool(QString& name, QString& number)> runEditor;
    std::function<QString(bool forSaving)> chooseCsvFile;

    void clickLetter(QChar letter);
    void clickNew();
    void clickEdit();
    void clickDelete();
    void clickImport();
    void clickExport();

    QTableWidget* grid;
    QTabBar* letters;
    QPushButton* helpButton;
    QPushButton* closeButton;
    QPushButton* cancelButton;
    QPushButton* newButton;
    QPushButton* editButton;
    QPushButton* deleteButton;
    QPushButton* acceptButton;
    QPushButton* importButton;
    QPushButton* exportButton;

  private:
    void refill();
    void setButtons();
    TFDM& fdm_;
    Mode mode_;
    std::unique_ptr<PhoneBookBrowser> browser_;
};

}  // namespace corvane
