#include "covers/cover_text.h"

#include <algorithm>
#include <cmath>

#include "covers/cover_types.h"

namespace corvane {

QFont CoverQFont(const QString& family, int points, bool bold, bool italic, bool underline,
                 bool strikeOut) {
    QFont font(family);
    const int clamped = std::clamp(points, 1, kMaxCoverFontPoints);
    // Pixel size as the screen computes a point size: rounded points x 96 / 72.
    font.setPixelSize(
        std::max(1, static_cast<int>(std::lround(clamped * double(kScreenPixelsPerInch) / 72.0))));
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setKerning(false);
    return font;
}

QStringList WrapLines(const QStringList& lines, int width, const QFontMetrics& metrics) {
    QStringList out;
    for (const QString& line : lines) {
        const QStringList words = line.split(QLatin1Char(' '));
        QString current;
        bool started = false;
        for (const QString& word : words) {
            if (!started) {
                current = word;
                started = true;
                continue;
            }
            const QString candidate = current + QLatin1Char(' ') + word;
            if (metrics.horizontalAdvance(candidate) <= width) {
                current = candidate;
            } else {
                out << current;
                current = word;
            }
        }
        out << current;
    }
    return out;
}

QStringList SplitTextLines(const QString& text) {
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (normal.isEmpty()) return {};
    if (normal.endsWith(QLatin1Char('\n'))) normal.chop(1);
    return normal.split(QLatin1Char('\n'));
}

}  // namespace corvane
