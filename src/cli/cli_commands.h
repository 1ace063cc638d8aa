#pragma once
// Entry points of corvane-cli's command groups. Each receives the arguments after the group
// name and returns the process exit status (0 success, 1 failure, 2 usage error).

#include <QStringList>

namespace corvane::cli {

int runSettingsCommand(const QStringList& args);
int runLogCommand(const QStringList& args);
int runApfCommand(const QStringList& args);
int runHeaderCommand(const QStringList& args);
int runModemCommand(const QStringList& args);
// `modem find`, `modem classes`, `modem suggest` (modem_setup_command.cpp); -1 for any other
// verb.
int runModemSetupCommand(const QStringList& args);
int runPhoneBookCommand(const QStringList& args);
int runCoverCommand(const QStringList& args);
int runFaxCommand(const QStringList& args);
// `log report ...` and `log cleanup ...`: reached through `log`.
int runLogMaintenanceCommand(const QString& verb, const QStringList& args);
int runPrinterCommand(const QStringList& args);

// Prints to stdout / stderr as UTF-8 with a newline.
void out(const QString& line);
void err(const QString& line);

}  // namespace corvane::cli

#include "core/status.h"

namespace corvane::cli {
// "WHERE: message (code text)" for a port that would not open (modem and fax commands).
QString DescribeOpenFailure(const QString& where, const Status& opened);
}  // namespace corvane::cli

namespace corvane::cli {
// `apf from-image ...`: reached through `apf`, implemented beside the converter.
int runApfFromImage(const QStringList& args);
// `fax new ...` and `fax edit RECNO ...` (args start with "new" or "edit"): reached through
// `fax`, beside the send and receive commands.
int runFaxNewOrEdit(const QStringList& args);
// `apf export FILE OUT.pdf [--page N]`: reached through `apf export`.
int runApfExportPdf(const QString& fax, const QString& target, int page);
}  // namespace corvane::cli
