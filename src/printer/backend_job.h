#pragma once
// What a print job asks of the corvane-fax backend, from the arguments CUPS gives every
// backend: job-id user title copies options [file]. The options string is CUPS's
// "name=value name2='quoted value'" list; the fax fields travel as options:
//
//   lp -d Corvane-Fax -o fax-number=5551234 -o fax-to='Acme Ltd' -t 'Invoice 12' letter.pdf
//   lp -d Corvane-Fax -o append-to=FAX00003.APF more-pages.pdf
//
// The job title becomes the fax's subject.

#include <QMap>
#include <QString>
#include <QStringList>

#include "core/status.h"

namespace corvane {

// CUPS's option list: names and values, quotes and backslash escapes removed. A bare name
// reads as "true" ("noname" as name = "false", as CUPS has it).
QMap<QString, QString> ParseCupsOptions(const QString& options);

struct BackendJob {
    QString jobId;
    QString user;
    QString title;
    QString file;  // empty: the document comes on standard input
    QString faxNumber, recipient, appendTo;
};

// From argv[1..]: 5 or 6 arguments. Fails on any other count, or when append-to is not a bare
// file name (it names a fax in the user's own SEND folder).
Result<BackendJob> ParseBackendArguments(const QStringList& args);

// A value as it may stand on one line of a job file: line ends and other controls become
// spaces, since the job file is read by line.
QString OneLine(const QString& value);

}  // namespace corvane
