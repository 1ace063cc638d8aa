#pragma once
// "Rebuild Indexes": a small progress window without a close box that packs and reindexes
// the tables as soon as it is shown, then closes itself.

#include <QDialog>

class QLabel;
class QProgressBar;

namespace corvane {

class TFDM;

class RebuildIndexesWindow : public QDialog {
    Q_OBJECT
  public:
    RebuildIndexesWindow(TFDM& fdm, QWidget* parent = nullptr);
    // Shows the window, runs the rebuild and closes; false when a log could not be rebuilt.
    static bool Run(TFDM& fdm, QWidget* parent);

    QProgressBar* gauge;
    QLabel* status;
    QStringList statusTexts;  // every status line shown, in order

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    TFDM& fdm_;
    bool running_ = false;
    bool ok_ = false;
};

}  // namespace corvane
