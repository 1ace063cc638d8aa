#pragma once
// The send log: the lines one send adds, kept for the user in Lastsend.log in the data folder.
// A line equal to the one before it is kept once (the engine repeats its status lines).

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace corvane {

inline const QString kSendLogFileName = QStringLiteral("Lastsend.log");

class SendLog {
  public:
    // AddtoLastSendLog.
    void add(const QString& line);
    void clear();
    const QStringList& lines() const { return lines_; }

    // SaveLocalLog: replaces `path` (default: Lastsend.log in the data folder) with the lines,
    // one per line. A file that cannot be written is left as it was; the send goes on.
    void save(const QString& path = QString()) const;

  private:
    QStringList lines_;
};

// "Start:" and "Finish:" stamps: the long date and long time of the user's locale.
QString SendLogTimeStamp(const QDateTime& when);

}  // namespace corvane
