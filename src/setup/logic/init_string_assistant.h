#pragma once
// InitStringAssistantLogic: the decisions of the init-string assistant ("Modem Initialization
// String Helper") without its window. The dialog fills its controls from this object, writes
// the user's choices back into it, and asks it for the result on "Ok".

#include <QString>
#include <QStringList>

namespace corvane {

enum class InitStringOption {
    FromInstalledModem = 1,  // Option 1: by the family of a modem found in this computer
    GenericType = 2,         // Option 2: by a generic modem type
    Blank = 3,               // Option 3: no init string
    KeepCurrent = 4,         // Option 4: the current string as it is
};

class InitStringAssistantLogic {
  public:
    // `installedModems`: the telephony device names in their order; `callerIndex`: the modem
    // chosen in the caller's list, or -1.
    InitStringAssistantLogic(const QString& current, bool forSending,
                             const QStringList& installedModems, int callerIndex);

    // What the dialog shows.
    QStringList installedList() const { return installed_; }  // "Standard Modem" when none
    QStringList genericTexts() const;
    bool keepOptionVisible() const { return !current_.trimmed().isEmpty(); }
    // "Option 4: ..." with the current string on a second line, each "&" doubled so that a
    // label shows it as typed.
    QString keepOptionCaption() const;
    bool hangUpBoxVisible() const { return forSending_; }

    // The user's choices (start as the preparation sets them).
    InitStringOption option = InitStringOption::Blank;
    int installedIndex = 0;
    int genericIndex = 0;
    bool hangUpBoxTicked = false;

    // The new init string for "Ok".
    QString result() const;

  private:
    QString current_;
    bool forSending_;
    QStringList installed_;
};

}  // namespace corvane
