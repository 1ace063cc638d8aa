#include "arrival_sound.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace corvane {

QString ArrivalSoundPlayer() {
    for (const char* player : {"pw-play", "paplay", "aplay"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(player));
        if (!path.isEmpty()) return path;
    }
    return {};
}

bool PlayArrivalSound(const QString& wavFile) {
    if (wavFile.isEmpty() || !QFileInfo(wavFile).isFile()) return false;
    const QString player = ArrivalSoundPlayer();
    if (player.isEmpty()) return false;
    QStringList args;
    if (QFileInfo(player).fileName() == QLatin1String("aplay")) args << QStringLiteral("-q");
    args << wavFile;
    // Detached: the player's own failures (no device, a broken file) end in the player.
    QProcess process;
    process.setProgram(player);
    process.setArguments(args);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

}  // namespace corvane
