#pragma once
// The program's three message boxes. Headless code asks the user through this interface;
// the GUI installs a QMessageBox-backed implementation at start-up and tests install
// ScriptedMessageBoxes to answer and record what was asked.

#include <QString>
#include <QStringList>
#include <deque>

namespace corvane {

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Information icon, title "Information", OK button.
    virtual void showInformation(const QString& text) = 0;
    // Question icon with Yes and No; Yes is the default button.
    virtual bool askYesNo(const QString& text, const QString& title) = 0;
    // Question icon with Yes and No; No is the default button (deletes and archives).
    virtual bool askYesNoDefaultNo(const QString& text, const QString& title) = 0;
};

// Installs the implementation used by the free functions below; the caller keeps ownership.
// With none installed, information goes to stderr and every question is answered No.
void setMessageBoxes(MessageBoxes* boxes);
MessageBoxes* messageBoxes();

void ShowInformation(const QString& text);
bool AskYesNo(const QString& text, const QString& title);
bool AskYesNoDefaultNo(const QString& text, const QString& title);

// Records every box shown and answers questions from a queue (No when it runs dry).
class ScriptedMessageBoxes : public MessageBoxes {
  public:
    struct Shown {
        enum Kind { Information, YesNo, YesNoDefaultNo } kind;
        QString text;
        QString title;
    };

    void queueAnswer(bool yes) { answers_.push_back(yes); }
    const std::vector<Shown>& shown() const { return shown_; }
    QStringList texts() const;

    void showInformation(const QString& text) override;
    bool askYesNo(const QString& text, const QString& title) override;
    bool askYesNoDefaultNo(const QString& text, const QString& title) override;

  private:
    bool nextAnswer();
    std::deque<bool> answers_;
    std::vector<Shown> shown_;
};

// Installs a ScriptedMessageBoxes for the lifetime of the object (tests).
class ScopedScriptedMessageBoxes : public ScriptedMessageBoxes {
  public:
    ScopedScriptedMessageBoxes() : previous_(messageBoxes()) { setMessageBoxes(this); }
    ~ScopedScriptedMessageBoxes() override { setMessageBoxes(previous_); }

  private:
    MessageBoxes* previous_;
};

}  // namespace corvane
