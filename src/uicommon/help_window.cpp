#include "uicommon/help_window.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "uicommon/help_index.h"

namespace corvane {

namespace {

class HelpWindow : public QDialog {
  public:
    explicit HelpWindow(QWidget* parent) : QDialog(parent) {
        SetHelpTopic(this, "contents");
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

constexpr const char* kHelpTopicProperty = "corvaneHelpTopic";

// F1 for every window of the application, so that no window can be left without it. It
// watches key presses before any widget sees them; an F1 that nothing else uses reaches it.
class HelpKeyFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(target);
        if (!widget || !key->matches(QKeySequence::HelpContents)) return false;
        ShowHelpTopic(widget, HelpTopicFor(widget));
        return true;
    }
};

}  // namespace

void ShowHelpTopic(QWidget* parent, const QString& topic) {
    // The window outlives the dialog that asked for it, so it hangs off that dialog's top
    // level window only while none exists yet; closing it deletes it.
    if (!g_helpWindow) g_helpWindow = new HelpWindow(parent ? parent->window() : nullptr);
    g_helpWindow->show(topic);
}

QString HelpTopicFor(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant topic = w->property(kHelpTopicProperty);
        if (topic.isValid()) return topic.toString();
    }
    return "contents";
}

void SetHelpTopic(QWidget* window, const QString& topic) {
    window->setProperty(kHelpTopicProperty, topic);
    static HelpKeyFilter* filter = nullptr;
    if (!filter && QCoreApplication::instance()) {
        filter = new HelpKeyFilter(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(filter);
    }
}

}  // namespace corvane
