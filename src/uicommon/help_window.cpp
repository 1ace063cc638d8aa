#include "uicommon/help_window.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "uicommon/help_index.h"

namespace corvane {

namespace {

class HelpWindow : public QDialog {
  public:
    explicit HelpWindow(QWidget* parent) : QDialog(parent) {
        setObjectName("HelpWindow");
        setWindowTitle("Corvane Help");
        setAttribute(Qt::WA_DeleteOnClose);
        resize(760, 620);
        auto* column = new QVBoxLayout(this);
        browser_ = new QTextBrowser(this);
        browser_->setObjectName("HelpBrowser");
        browser_->setOpenExternalLinks(true);
        const HelpIndex& index = HelpIndex::shipped();
        browser_->setSearchPaths({index.folder()});
        column->addWidget(browser_);
        auto* buttons = new QDialogButtonBox(this);
        auto* contents = buttons->addButton("&Contents", QDialogButtonBox::ActionRole);
        auto* back = buttons->addButton("&Back", QDialogButtonBox::ActionRole);
        auto* forward = buttons->addButton("&Forward", QDialogButtonBox::ActionRole);
        buttons->addButton(QDialogButtonBox::Close);
        connect(contents, &QPushButton::clicked, this, [this] { show("contents"); });
        connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
        connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
        connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
        connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
        back->setEnabled(false);
        forward->setEnabled(false);
        column->addWidget(buttons);
    }

    void show(const QString& topic) {
        browser_->setSource(HelpIndex::shipped().url(topic));
        QDialog::show();
        raise();
        activateWindow();
    }

  private:
    QTextBrowser* browser_;
};

QPointer<HelpWindow> g_helpWindow;

}  // namespace

void ShowHelpTopic(QWidget* parent, const QString& topic) {
    // The window outlives the dialog that asked for it, so it hangs off that dialog's top
    // level window only while none exists yet; closing it deletes it.
    if (!g_helpWindow) g_helpWindow = new HelpWindow(parent ? parent->window() : nullptr);
    g_helpWindow->show(topic);
}

void InstallHelpKey(QWidget* window, const QString& topic) {
    auto* key = new QShortcut(QKeySequence::HelpContents, window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window,
                     [window, topic] { ShowHelpTopic(window, topic); });
}

}  // namespace corvane
