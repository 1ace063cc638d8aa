#include "transport/send_page_data.h"

#include <algorithm>
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

QByteArray TakeFlowControl(const QByteArray& bytes, bool& paused) {
    QByteArray rest;
    for (char c : bytes) {
        if (c == kXoff)
            paused = true;
        else if (c == kXon)
            paused = false;
        else
            rest.append(c);
    }
    return rest;
}

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
    packer_.reset();
    reader_.close();
    reader_.open(path, n, ApfPageLookup::Sending);
}

bool SendPageReader::nextEscaped(QByteArray& out, int minLineBytes) {
    out.clear();
    QByteArray piece;
    if (!reader_.next(piece)) {
        if (packer_.pending()) AppendDleDoubled(out, packer_.flush());
        return !out.isEmpty();
    }
    if (!reader_.pageHeader().hasLineRecords()) {
        AppendDleDoubled(out, piece);
        return true;
    }
    // Records are short; gather them up to a block so that one write moves a block.
    QByteArray block;
    do {
        if (minLineBytes > 0) {
            // A minimum line length wants every line padded, not packed.
            AppendLine(block, piece, minLineBytes);
        } else {
            packer_.add(piece, block);
        }
    } while (block.size() < kPageBlockSize && reader_.next(piece));
    if (minLineBytes > 0)
        out = block;
    else
        AppendDleDoubled(out, block);
    return true;
}

void LinePacker::reset() {
    acc_ = 0;
    bits_ = 0;
}

void LinePacker::put(int bit, QByteArray& out) {
    acc_ |= bit << bits_;
    if (++bits_ == 8) {
        out.append(char(acc_));
        acc_ = 0;
        bits_ = 0;
    }
}

void LinePacker::add(const QByteArray& record, QByteArray& out) {
    const int total = int(record.size()) * 8;
    auto bit = [&](int i) { return (uchar(record[i / 8]) >> (i % 8)) & 1; };
    int first = 0;
    while (first < total && !bit(first)) ++first;
    int last = total - 1;
    while (last >= 0 && !bit(last)) --last;
    int from = 0;
    int to = total;
    if (first - 0 >= kEolZeros && first < total) {
        // The record opens with an EOL: fill zeros before it carry nothing.
        from = first - kEolZeros;
        to = std::min(total, last + 1 + kKeptTrailingZeros);
    }
    for (int i = from; i < to; ++i) put(bit(i), out);
}

QByteArray LinePacker::flush() {
    QByteArray out;
    if (bits_ > 0) out.append(char(acc_));
    reset();
    return out;
}

}  // namespace corvane
