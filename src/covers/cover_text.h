#pragma once
// Fonts and line breaking shared by the design page, the render-file writer and the cover
// renderer, so that a text wraps the same way when a template is saved and when a cover is
// generated.

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QStringList>

namespace corvane {

// Largest font size a cover draws with. Sizes come from template files a user can fill with
// anything, and a glyph of thousands of points would take hundreds of megabytes to rasterise.
inline constexpr int kMaxCoverFontPoints = 400;

// A font of `points` points on a 96 pixels-per-inch surface (sizes are clamped to
// 1..kMaxCoverFontPoints). Covers are black and white, so text is drawn without grey edges.
QFont CoverQFont(const QString& family, int points, bool bold, bool italic, bool underline,
                 bool strikeOut = false);

// Breaks each of `lines` at spaces so that no line is wider than `width` pixels, except a
// single word that is wider on its own. Every input line starts a new output line; an empty
// input line stays an empty line.
QStringList WrapLines(const QStringList& lines, int width, const QFontMetrics& metrics);

// Splits text at CR LF, LF or CR into lines; a final line break does not add an empty line.
QStringList SplitTextLines(const QString& text);

}  // namespace corvane
