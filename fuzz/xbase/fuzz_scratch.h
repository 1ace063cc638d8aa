#pragma once
// A per-process scratch folder for fuzz inputs that must be files.

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QString>

inline QString FuzzScratch(const QString& name) {
    static const QString dir = [] {
        const QString d = QDir::tempPath() + QString("/corvane-fuzz-%1").arg(::getpid());
        QDir().mkpath(d);
        return d;
    }();
    return dir + "/" + name;
}

inline void WriteFile(const QString& path, const uint8_t* data, size_t size) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(reinterpret_cast<const char*>(data), qint64(size));
}
