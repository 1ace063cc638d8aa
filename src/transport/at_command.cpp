#include "transport/at_command.h"

namespace corvane {

QString AtCommandLine(const QString& text) {
    const QString command = text.trimmed();
    if (command.startsWith(QLatin1String("AT"), Qt::CaseInsensitive)) return command;
    return QLatin1String("AT") + command;
}

}  // namespace corvane
