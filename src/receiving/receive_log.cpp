#include "receive_log.h"

#include <QSaveFile>

namespace corvane {

void ReceiveLog::add(const QString& text, bool stamped) {
    if (haveLast_ && text == last_) return;
    last_ = text;
    haveLast_ = true;
    lines_ << (stamped ? now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                             QStringLiteral("  ") + text
                       : text);
    if (onLine) onLine(lines_.last());
}

void ReceiveLog::clear() {
    lines_.clear();
    last_.clear();
    haveLast_ = false;
}

Status ReceiveLog::save(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return Status::Error("Cannot write " + path + ": " + file.errorString());
    for (const QString& line : lines_) file.write((line + '\n').toUtf8());
    if (!file.commit()) return Status::Error("Cannot write " + path + ": " + file.errorString());
    return Status::Ok();
}

}  // namespace corvane
