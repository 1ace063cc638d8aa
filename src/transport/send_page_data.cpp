#include "transport/send_page_data.h"

#include <array>

#include "faxdoc/convert/header_renderer.h"

namespace corvane {

namespace {

// A white scan line as one coded record: EOL, a white run of 1728 and fill.
constexpr std::array<char, 6> kWhiteLine{0x00, char(0x80), char(0xB2), 0x59, 0x01, 0x00};

void AppendLine(QByteArray& out, const QByteArray& line, int minLineBytes) {
    AppendDleDoubled(out, line);
    if (line.size() < minLineBytes) out.append(minLineBytes - line.size(), '\0');
}

}  // namespace

void AppendDleDoubled(QByteArray& out, const QByteArray& data) {
    out.reserve(out.size() + data.size() + data.size() / 64 + 16);
    for (char c : data) {
        out.append(c);
        if (c == kDle) out.append(kDle);
    }
}

QByteArray HeaderBandBytes(HeaderLineRenderer* renderer, const QString& headerText, bool fine,
                           int minLineBytes) {
    QByteArray out;
    const QByteArray white(kWhiteLine.data(), int(kWhiteLine.size()));
    for (int i = 0; i < kWhiteHeaderLines; ++i) AppendLine(out, white, minLineBytes);
    if (headerText.isEmpty() || !renderer) return out;
    renderer->LoadForPage(fine);
    for (const QByteArray& line : CodeHeaderLines(*renderer, headerText))
        AppendLine(out, line, minLineBytes);
    return out;
}

void SendPageReader::open(const QString& path, int n) {
    reader_.close();
    reader_.open(path, n, ApfPageLookup::Sending);
}

bool SendPageReader::nextEscaped(QByteArray& out, int minLineBytes) {
    out.clear();
    QByteArray piece;
    if (!reader_.next(piece)) return false;
    if (reader_.pageHeader().hasLineRecords()) {
        AppendLine(out, piece, minLineBytes);
        // Records are short; gather them up to a block so that one write moves a block.
        while (out.size() < kPageBlockSize && reader_.next(piece))
            AppendLine(out, piece, minLineBytes);
    } else {
        AppendDleDoubled(out, piece);
    }
    return true;
}

}  // namespace corvane
