#include "sending/send_session_log.h"

#include <QSaveFile>

#include "core/app_folders.h"
#include "logs/date_time_text.h"

namespace corvane {

void SendLog::add(const QString& line) {
    if (!lines_.isEmpty() && lines_.back() == line) return;
    lines_ << line;
}

void SendLog::clear() {
    lines_.clear();
}

void SendLog::save(const QString& path) const {
    QSaveFile file(path.isEmpty() ? AppPath(kSendLogFileName) : path);
    if (!file.open(QIODevice::WriteOnly)) return;
    for (const QString& line : lines_) file.write((line + '\n').toUtf8());
    (void)file.commit();  // a log the user may read; failing to write it stops nothing
}

QString SendLogTimeStamp(const QDateTime& when) {
    const LocaleFormats& f = GlobalLocaleFormats();
    return FormatDateTimeText(f.longDate, when, f) + ' ' + FormatDateTimeText(f.longTime, when, f);
}

}  // namespace corvane
