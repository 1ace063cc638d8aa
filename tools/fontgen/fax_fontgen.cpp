// Builds the 16384-byte fax font block from a scalable monospaced font.
//
// Fax pixels at standard resolution are about twice as tall as they are wide (204 x 98 dpi),
// so each glyph is drawn on a grid of square pixels twice as tall as the stored cell and every
// pair of rows is folded into one: a stored pixel is ink when the pair's mean coverage passes
// the threshold. A thin horizontal stroke covers half a pair and so survives the fold. On fine
// pages the loader doubles the rows again, which gives back the square-pixel shape.
//
// Block layout: small font (12 x 8 cells, 2 bytes per row, 16 bytes per glyph) at offset 0,
// standard font (20 x 16 cells, 3 bytes per row, 48 bytes per glyph) at offset 4096; 256
// glyphs each, rows top to bottom, bit 7 of a row's first byte is the leftmost pixel, 1 = ink.

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <vector>

#include "faxdoc/convert/fax_font_charset.h"

namespace {

struct FontParams {
    const char* name;
    int cellWidth;
    int cellHeight;  // stored rows (standard resolution)
    int bytesPerRow;
    int offset;
    QString family;
    double pixelSize;  // on the square grid of cellWidth x 2 * cellHeight
    QFont::Weight weight;
    double threshold;  // mean ink coverage of a folded pair of rows, 0..1
    int stretch;       // 0: draw on the square grid and fold; else draw on the stored grid
                       // with the font this wide (percent), baseline above row `baselineRow`
    int baselineRow;
};

constexpr int kBlockSize = 16384;

// Ink coverage 0..1 of every pixel of one glyph drawn on the square grid.
std::vector<double> DrawGlyph(const FontParams& params, char16_t ch) {
    const int w = params.cellWidth;
    const int h = params.stretch ? params.cellHeight : params.cellHeight * 2;
    std::vector<double> coverage(static_cast<size_t>(w * h), 0.0);
    if (ch == 0 || ch == u' ' || ch == 0xA0) return coverage;

    // Room below the cell for marks that hang under the baseline (see the shift below).
    const int below = h / 2;
    QImage image(w, h + below, QImage::Format_Grayscale8);
    image.fill(255);
    QFont font(params.family);
    font.setPixelSize(static_cast<int>(params.pixelSize));
    font.setWeight(params.weight);
    if (params.stretch) font.setStretch(params.stretch);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    const QFontMetricsF metrics(font);
    const QString text = QString(QChar(ch));
    const double advance = metrics.horizontalAdvance(text);
    const double x = std::floor((w - advance) / 2.0 + 0.5);
    const double lineHeight = metrics.ascent() + metrics.descent();
    const double baseline = params.stretch
                                ? params.baselineRow
                                : std::floor((h - lineHeight) / 2.0 + metrics.ascent() + 0.5);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(x, baseline), text);
    painter.end();

    // A glyph that lies mostly below the cell (the underscore on the small font's single
    // descender row) is lifted until its lowest ink sits on the last row; descenders of
    // letters keep the common baseline and are cut.
    double inside = 0;
    double total = 0;
    int lowestInkRow = -1;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int px = 0; px < w; ++px) {
            const double ink = (255 - line[px]) / 255.0;
            total += ink;
            if (y < h) inside += ink;
            if (ink >= params.threshold) lowestInkRow = y;
        }
    }
    const int shift = inside < total / 2 && lowestInkRow >= h ? lowestInkRow - (h - 1) : 0;
    for (int y = 0; y < h; ++y) {
        const uchar* line = image.constScanLine(y + shift);
        for (int px = 0; px < w; ++px)
            coverage[static_cast<size_t>(y * w + px)] = (255 - line[px]) / 255.0;
    }
    return coverage;
}

// Stored rows of one glyph: pairs of square rows folded.
QByteArray FoldGlyph(const FontParams& params, const std::vector<double>& coverage) {
    QByteArray rows(params.cellHeight * params.bytesPerRow, '\0');
    for (int r = 0; r < params.cellHeight; ++r) {
        for (int px = 0; px < params.cellWidth; ++px) {
            double ink = coverage[static_cast<size_t>(r * params.cellWidth + px)];
            if (!params.stretch) {
                const double top = coverage[static_cast<size_t>((2 * r) * params.cellWidth + px)];
                const double bottom =
                    coverage[static_cast<size_t>((2 * r + 1) * params.cellWidth + px)];
                ink = (top + bottom) / 2.0;
            }
            if (ink >= params.threshold) {
                rows[r * params.bytesPerRow + px / 8] =
                    static_cast<char>(rows[r * params.bytesPerRow + px / 8] | (0x80 >> (px % 8)));
            }
        }
    }
    return rows;
}

bool Ink(const QByteArray& block, const FontParams& params, int glyph, int row, int px) {
    const int bytesPerGlyph = params.bytesPerRow * params.cellHeight;
    const auto byte = static_cast<uchar>(
        block[params.offset + glyph * bytesPerGlyph + row * params.bytesPerRow + px / 8]);
    return (byte & (0x80 >> (px % 8))) != 0;
}

// A 16 x 16 sheet of all glyphs as they look on paper: each stored row drawn `rowRepeat` times
// (2 = a standard page seen at its true aspect, or a fine page after the loader's doubling),
// magnified by `zoom`, with a grey grid between cells.
QImage Sheet(const QByteArray& block, const FontParams& params, int rowRepeat, int zoom) {
    const int cw = params.cellWidth + 1;
    const int ch = params.cellHeight * rowRepeat + 1;
    QImage sheet(16 * cw * zoom, 16 * ch * zoom, QImage::Format_RGB32);
    sheet.fill(QColor(200, 200, 200));
    QPainter painter(&sheet);
    for (int g = 0; g < 256; ++g) {
        const int ox = (g % 16) * cw * zoom;
        const int oy = (g / 16) * ch * zoom;
        painter.fillRect(ox, oy, params.cellWidth * zoom, params.cellHeight * rowRepeat * zoom,
                         Qt::white);
        for (int r = 0; r < params.cellHeight; ++r) {
            for (int px = 0; px < params.cellWidth; ++px) {
                if (!Ink(block, params, g, r, px)) continue;
                painter.fillRect(ox + px * zoom, oy + r * rowRepeat * zoom, zoom, rowRepeat * zoom,
                                 Qt::black);
            }
        }
    }
    return sheet;
}

// A sample line at 1:1 fax pixels, rows doubled (fine page), for judging legibility.
QImage Sample(const QByteArray& block, const FontParams& params, const QString& text) {
    QImage image(static_cast<int>(text.size()) * params.cellWidth + 8, params.cellHeight * 2 + 8,
                 QImage::Format_Grayscale8);
    image.fill(255);
    for (int i = 0; i < text.size(); ++i) {
        const auto glyph = corvane::faxfont::GlyphOfCharacter(text[i].unicode()).value_or('?');
        for (int r = 0; r < params.cellHeight * 2; ++r) {
            uchar* line = image.scanLine(4 + r);
            for (int px = 0; px < params.cellWidth; ++px) {
                if (Ink(block, params, glyph, r / 2, px)) line[4 + i * params.cellWidth + px] = 0;
            }
        }
    }
    return image;
}

QString CppArray(const QByteArray& block, const QString& fontDescription) {
    QString text;
    QTextStream out(&text);
    out << "// Generated by tools/fontgen/fax_fontgen.cpp from " << fontDescription << ".\n"
        << "// Do not edit: change the generator and run it again.\n\n"
        << "#include \"faxdoc/convert/fax_font_data.h\"\n\n"
        << "namespace corvane {\n\n"
        << "extern const unsigned char kFaxFontBlock[kFaxFontBlockSize] = {\n";
    for (int i = 0; i < block.size(); i += 16) {
        out << "   ";
        for (int j = i; j < i + 16; ++j) {
            out << " 0x" << QString::number(static_cast<uchar>(block[j]), 16).rightJustified(2, '0')
                << ",";
        }
        out << "\n";
    }
    out << "};\n\n}  // namespace corvane\n";
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"out", "Write the C++ array to <file>.", "file"});
    parser.addOption({"bin", "Write the raw 16384-byte block to <file>.", "file"});
    parser.addOption({"preview", "Write glyph sheets and samples (PNG) into <dir>.", "dir"});
    parser.addOption({"family", "Font family.", "family", "DejaVu Sans Mono"});
    parser.process(app);

    const QString family = parser.value("family");
    if (!QFontDatabase::families().contains(family)) {
        std::fprintf(stderr, "font family not installed: %s\n", qPrintable(family));
        return 1;
    }
    // Eight rows are too few to fold well: the small font is hinted for its own grid instead,
    // 9 px high and twice as wide, baseline above the last row.
    const FontParams fonts[] = {
        {"small", 12, 8, 2, 0, family, 9, QFont::Bold, 0.4, 200, 7},
        {"standard", 20, 16, 3, 4096, family, 26, QFont::Bold, 0.45, 0, 0},
    };

    QByteArray block(kBlockSize, '\0');
    for (const FontParams& params : fonts) {
        const int bytesPerGlyph = params.bytesPerRow * params.cellHeight;
        for (int g = 0; g < 256; ++g) {
            const QByteArray rows =
                FoldGlyph(params, DrawGlyph(params, corvane::faxfont::CharacterOfGlyph(g)));
            block.replace(params.offset + g * bytesPerGlyph, bytesPerGlyph, rows);
        }
    }

    if (parser.isSet("out")) {
        QFile file(parser.value("out"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
        file.write(CppArray(block, family).toUtf8());
    }
    if (parser.isSet("bin")) {
        QFile file(parser.value("bin"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
        file.write(block);
    }
    if (parser.isSet("preview")) {
        const QDir dir(parser.value("preview"));
        QDir().mkpath(dir.path());
        const QString sample = QString::fromUtf8(
            "Sent by: Jane Doe  +44 20 7946 0958  12/10/2026 14:05  Page 2 of 3 "
            "ÄÖÜ äöü ß é € “q” – {x}|@#$%&*");
        for (const FontParams& params : fonts) {
            const QString name = QString::fromLatin1(params.name);
            Sheet(block, params, 1, 4).save(dir.filePath(name + "_sheet_stored.png"));
            Sheet(block, params, 2, 3).save(dir.filePath(name + "_sheet_paper.png"));
            Sample(block, params, sample).save(dir.filePath(name + "_sample.png"));
        }
    }
    return 0;
}
