#pragma once
// TFindModemForm: the port finder's window. It runs the search (setup/logic/port_finder.h) when
// it is first shown, line by line, and ends with the advice, a beep and its OK button. The
// caller reads result() and namedResult() afterwards; the window stores nothing.

#include <QDialog>
#include <QList>
#include <memory>

class QLabel;
class QPushButton;

namespace corvane {

class PortFinder;
class TFxComPort;

class TFindModemForm : public QDialog {
    Q_OBJECT
  public:
    TFindModemForm(TFxComPort& port, const QString& resetString, QWidget* parent = nullptr);
    ~TFindModemForm() override;

    // Runs the search now (the window runs it by itself when first shown).
    void runSearch();
    bool searched() const { return searched_; }
    int result() const;
    QString namedResult() const;
    QLabel* infoLabel() const { return info_; }
    QPushButton* okButton() const { return ok_; }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void showLine(int index, const QString& text);

    TFxComPort& port_;
    std::unique_ptr<PortFinder> finder_;
    QList<QLabel*> lines_;
    QLabel* named_ = nullptr;
    QLabel* info_ = nullptr;
    QPushButton* ok_ = nullptr;
    bool searched_ = false;
};

// The "Find Modem Port" button of Preferences and quick setup: runs the search on `port` and,
// when a modem answered on another port than `chosenIndex` (0 = Com1), asks whether to take
// it. Returns the port index to select (unchanged when nothing is to change); the port's
// ComNumber is set back to the choice. `foundDevice` receives the first named device where a
// modem answered, for callers that offer the telephony choice.
int FindModemPort(QWidget* parent, TFxComPort& port, const QString& resetString, int chosenIndex,
                  QString* foundDevice = nullptr);

}  // namespace corvane
