#pragma once
// The system information report of the About window and of Help, Configuration Information:
// what a person asking for help is asked about (operating system, library versions, processor,
// memory, display, language, printers, the data folder and its files, the modem settings), as
// one plain text to copy, save or print.

#include <QString>

namespace corvane {

struct Settings;

// The report for the running program, the given settings and the data folder AppFolder().
QString SystemInformationReport(const Settings& settings);

}  // namespace corvane
