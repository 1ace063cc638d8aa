#pragma once
// The program's side of the fax printer: it tells the printer where to leave its jobs
// (QXPD.INI) and takes finished jobs in. A job is two files of one base name in SEND/: the
// pages as an APF file and a job file (".JFD") of up to three CR LF lines. A new-fax job
// becomes a record of the outgoing log whose FAXDOC names the APF file; an "APPENDTO" job adds
// its pages to an existing fax file. The presence of job files is the queue: nothing is kept
// between runs, and a job that cannot be taken now stays for the next activation.
//
//   PrinterIntake intake(fdm);
//   if (intake.ProcessExtraPDFaxFiles()) reloadOutgoingLog();  // the new record is current
//
// Runs on the caller's thread over the TFDM it is given; the outgoing log must be open.

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "core/status.h"

namespace corvane {

class TFDM;

// The keyword of line 1 that makes a job an append job (compared exactly, case and all).
inline constexpr char kAppendToKeyword[] = "APPENDTO";

// The three lines of a job file, read by position; a missing line reads as empty.
struct PrintJobLines {
    QString line1, line2, line3;
    bool isAppend() const { return line1 == QLatin1String(kAppendToKeyword); }
};
// Lines end in CR LF (a bare LF is taken too); nothing else is trimmed. UTF-8, or
// Windows-1252 for bytes that are not valid UTF-8.
PrintJobLines ParseJobFile(const QByteArray& bytes);
// The job file's bytes for the given lines (CR LF after each line, UTF-8).
QByteArray FormatJobFile(const PrintJobLines& lines);

// $XDG_CONFIG_HOME/corvane/QXPD.INI (default ~/.config/corvane/QXPD.INI).
QString DriverSettingsFileName();
// The section and keys of QXPD.INI.
inline constexpr char kDriverSection[] = "Location";
inline constexpr char kDriverOutPathKey[] = "QXOutPath";
inline constexpr char kDriverExecutableKey[] = "QXExecutable";

// Writes QXOutPath (SendFolder()) and QXExecutable (`executable`, the program the printer
// starts) into QXPD.INI, keeping whatever else the file holds. The caller may ignore a failure.
Status WriteDriverSettings(const QString& executable);

class PrinterIntake {
  public:
    explicit PrinterIntake(TFDM& fdm) : fdm_(fdm) {}

    // Takes in every job whose job file is in SEND/ (by name order, so that the printer's
    // numbered jobs come in as they were printed). True when at least one job file was found;
    // the caller then reloads the outgoing log, on which the last record added is current.
    bool ProcessExtraPDFaxFiles();
    // Takes in the job of one fax file (full path to its ".APF"). Silent: a job that cannot be
    // taken now is left as it is.
    void ProcessPDFaxFile(const QString& faxFile);

    // Records added by this object so far; the record number of the last (0 for none).
    int recordsAdded() const { return recordsAdded_; }
    uint32_t lastRecordAdded() const { return lastRecord_; }

  private:
    TFDM& fdm_;
    int recordsAdded_ = 0;
    uint32_t lastRecord_ = 0;
};

}  // namespace corvane
