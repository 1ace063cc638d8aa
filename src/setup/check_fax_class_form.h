#pragma once
// TCheckFaxClassForm: the fax class check's window. It runs the check
// (setup/logic/fax_class_check.h) when first shown and ends with the recommendation, a beep
// and its "Ok" button (Enter and Esc both press it). The caller reads the result afterwards.

#include <QDialog>
#include <array>
#include <memory>

class QLabel;
class QPushButton;

namespace corvane {

class FaxClassCheck;
class TapiDevice;
class TFxComPort;
struct FaxClassCheckRequest;

class TCheckFaxClassForm : public QDialog {
    Q_OBJECT
  public:
    TCheckFaxClassForm(TFxComPort& port, TapiDevice& tapi, const FaxClassCheckRequest& request,
                       QWidget* parent = nullptr);
    ~TCheckFaxClassForm() override;

    void runCheck();
    bool checked() const { return checked_; }
    int resultIndex() const;
    QString resultName() const;
    QLabel* classLabel(int row) const { return classes_[row]; }
    QLabel* statusLabel() const { return status_; }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void refresh();

    std::unique_ptr<FaxClassCheck> check_;
    std::array<QLabel*, 3> classes_{};
    QLabel* status_ = nullptr;
    QPushButton* ok_ = nullptr;
    bool checked_ = false;
};

// A "Check Fax Class" button: releases the telephony device first (and again afterwards) when
// `request.useTapi`, runs the check, and asks whether to take a class other than `chosenItem`
// (0 automatic, 1 Class 1, 2 Class 2, 3 Class 2.0). Returns the item to select.
int CheckFaxClass(QWidget* parent, TFxComPort& port, TapiDevice& tapi,
                  const FaxClassCheckRequest& request, int chosenItem);

}  // namespace corvane
