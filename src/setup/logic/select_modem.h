#pragma once
// SelectModemLogic: the modem selection ("Please Select your Modem") without its window. With
// a modem name already known it decides at once; otherwise the dialog asks for an installed
// modem or a generic type and this object turns the answer into init strings.

#include <QString>
#include <QStringList>

namespace corvane {

struct SelectedModem {
    QString name;  // an installed modem's name, or empty (generic type, or none installed)
    QString sendingInit;
    QString receivingInit;
};

// The strings of a known modem's family, each "BLANK" made empty; no S7 rewrite.
SelectedModem SelectKnownModem(const QString& name);

class SelectModemLogic {
  public:
    explicit SelectModemLogic(const QStringList& installedModems);

    QStringList installedList() const { return shown_; }  // "Standard Modem" when none
    QStringList genericTexts() const;

    // The user's choices; Option 1 (installed modem) at first.
    bool useGenericType = false;
    int installedIndex = 0;
    int genericIndex = 0;
    bool hangUpBoxTicked = false;

    // The outcome of "Continue". The name is returned only for a modem that really is
    // installed: the "Standard Modem" stand-in of an empty list names no device to open.
    SelectedModem result() const;

  private:
    QStringList installed_;
    QStringList shown_;
};

}  // namespace corvane
