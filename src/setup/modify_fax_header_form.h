#pragma once
// TModifyFaxHeaderForm ("Modify Fax Header Template"): the header line template with a live
// sample (setup/logic/header_sample.h). "Ok" sets FaxHeaderTemplate in the settings record
// given; the file is written by the next SaveSettings (Preferences' "&Save").

#include <QDialog>

class QLineEdit;
class QLabel;

namespace corvane {

class TModifyFaxHeaderForm : public QDialog {
    Q_OBJECT
  public:
    explicit TModifyFaxHeaderForm(const QString& headerTemplate, QWidget* parent = nullptr);

    QString templateText() const;
    QLineEdit* templateEdit() const { return template_; }
    QLabel* sampleLabel() const { return sample_; }
    QLineEdit* stationIdEdit() const { return stationId_; }
    QLineEdit* senderEdit() const { return sender_; }
    QLineEdit* recipientEdit() const { return recipient_; }
    QLineEdit* pageEdit() const { return page_; }
    QLineEdit* totalPagesEdit() const { return total_; }

    void restoreDefault();
    void useBlank();
    // "Ok": a blank template is taken only when the user says so.
    void okClicked();

  private:
    void updateSample();

    QLineEdit* template_ = nullptr;
    QLabel* sample_ = nullptr;
    QLineEdit* stationId_ = nullptr;
    QLineEdit* sender_ = nullptr;
    QLineEdit* recipient_ = nullptr;
    QLineEdit* page_ = nullptr;
    QLineEdit* total_ = nullptr;
};

}  // namespace corvane
