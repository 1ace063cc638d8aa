#include "peer_tools.h"

#include <QProcess>
#include <QStandardPaths>

namespace corvane::testing {

bool HaveTool(const char* program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QByteArray RunTool(const QString& program, const QStringList& args, const QByteArray& input,
                   QString* error) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000)) {
        if (error) *error = program + " did not start";
        return {};
    }
    if (!input.isEmpty()) process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (error) *error = program + ": " + QString::fromLocal8Bit(process.readAllStandardError());
        return {};
    }
    return process.readAllStandardOutput();
}

namespace {

// Reads the next header number, skipping white space and comments.
int headerNumber(const QByteArray& data, int& at) {
    while (at < data.size()) {
        if (data[at] == '#') {
            while (at < data.size() && data[at] != '\n') ++at;
        } else if (QChar(data[at]).isSpace()) {
            ++at;
        } else {
            break;
        }
    }
    int value = 0;
    while (at < data.size() && data[at] >= '0' && data[at] <= '9')
        value = value * 10 + (data[at++] - '0');
    return value;
}

}  // namespace

PnmRaster ReadPnm(const QByteArray& data) {
    PnmRaster out;
    if (data.size() < 3 || data[0] != 'P') return out;
    const char kind = data[1];
    int at = 2;
    const int width = headerNumber(data, at);
    const int height = headerNumber(data, at);
    const bool bitmap = kind == '4' || kind == '1';
    const int maxValue = bitmap ? 1 : headerNumber(data, at);
    ++at;  // the single white-space character before the raster
    const int channels = (kind == '6' || kind == '3') ? 3 : 1;
    const int rowBytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            bool black = false;
            if (kind == '4') {
                const int byte = at + y * rowBytes + x / 8;
                if (byte >= data.size()) return {};
                black = (uchar(data[byte]) >> (7 - x % 8)) & 1;
            } else if (kind == '5' || kind == '6') {
                const int sample = at + (y * width + x) * channels;
                if (sample >= data.size()) return {};
                black = uchar(data[sample]) * 2 < maxValue;
            } else {
                return {};  // plain formats are not produced by the tools used here
            }
            if (black) row[x / 8] = char(uchar(row[x / 8]) | (0x80 >> (x % 8)));
        }
        out.rows.push_back(row);
    }
    out.width = width;
    return out;
}

}  // namespace corvane::testing
