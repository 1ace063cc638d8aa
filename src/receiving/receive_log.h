#pragma once
// ReceiveLog: the plain-text log of one receive run (Lastrec.log). Lines are kept in memory
// from the start of receive mode and written out whole, replacing the file, when the run
// stops, when it fails to start and after each call, so that the file always holds the run so
// far.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/status.h"

namespace corvane {

inline const QString kReceiveLogFileName = QStringLiteral("Lastrec.log");

class ReceiveLog {
  public:
    // AddtoLastRecLog: a line equal to the last one added is dropped; a stamped line is
    // "yyyy-mm-dd hh:nn:ss", two spaces and the text.
    void add(const QString& text, bool stamped = true);
    void clear();
    const QStringList& lines() const { return lines_; }

    // SaveLocalRecLog: every line to `path`, through a new file renamed into place.
    Status save(const QString& path) const;

    // Called with each line kept, as it is written to the file (the command line prints them).
    std::function<void(const QString&)> onLine;
    // The clock of the stamps (tests fix it).
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

  private:
    QStringList lines_;
    QString last_;
    bool haveLast_ = false;
};

}  // namespace corvane
