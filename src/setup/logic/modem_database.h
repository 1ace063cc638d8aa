#pragma once
// The built-in modem database: model names as the telephony device list shows them, name
// fragments that stand for a family, the families with their recommended init strings, and the
// generic modem types a user may pick instead of an installed modem. The tables are constant
// data compiled into the program; nothing here talks to a modem.

#include <QString>
#include <span>

namespace corvane {

// In a family row, "BLANK" stands for no init string at all; UsableInitString turns it into an
// empty string, and every consumer goes through it.
inline const QString kBlankInitString = QStringLiteral("BLANK");
inline const QString kStandardModemFamily = QStringLiteral("Standard Modem");

struct ModemModelRow {
    const char* name;    // at most 50 characters; unique ignoring case
    const char* family;  // a name of ModemFamilies()
};

struct ModemNamePatternRow {
    const char* fragment;
    const char* family;
};

struct ModemFamilyRow {
    const char* name;
    const char* sendingInit;    // may be "BLANK"
    const char* receivingInit;  // equal to sendingInit in every row
};

struct GenericModemType {
    const char* text;  // what the list shows
    const char* family;
};

std::span<const ModemModelRow> ModemModels();
// In order: the first fragment that matches decides.
std::span<const ModemNamePatternRow> ModemNamePatterns();
std::span<const ModemFamilyRow> ModemFamilies();
std::span<const GenericModemType> GenericModemTypes();

struct ModemFamily {
    QString name;
    QString sendingInit;    // raw: may be "BLANK"
    QString receivingInit;  // raw: may be "BLANK"

    QString initString(bool sending) const { return sending ? sendingInit : receivingInit; }
};

// The family of a modem name: exact model (ignoring case, the name cut to 50 characters), else
// the first name fragment it contains, else "Standard Modem". Never fails.
ModemFamily LookupModemFamily(const QString& modemName);

// The init string a generic type entry carries: its family's string (found ignoring case) from
// the sending or receiving column; empty when the family is unknown.
QString GenericTypeInitString(const GenericModemType& type, bool sending);

// "BLANK" becomes empty; anything else is returned as it is.
QString UsableInitString(const QString& raw);

}  // namespace corvane
