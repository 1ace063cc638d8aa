#include "faxdoc/line_handoff.h"

#include <QCoreApplication>
#include <array>
#include <cstring>

namespace corvane {

namespace {

constexpr int kYieldEveryLines = 16;

// Two raster bytes of 8 pixels each become one: a pixel pair is black when either is.
const std::array<uchar, 256>& pairMergeTable() {
    static const std::array<uchar, 256> table = [] {
        std::array<uchar, 256> t{};
        for (int b = 0; b < 256; ++b) {
            int merged = 0;
            for (int pair = 0; pair < 4; ++pair)
                if (b & (0xC0 >> (2 * pair))) merged |= 0x8 >> pair;
            t[b] = static_cast<uchar>(merged);
        }
        return t;
    }();
    return table;
}

bool isWhite(const uchar* data, int bytes) {
    for (int i = 0; i < bytes; ++i)
        if (data[i]) return false;
    return true;
}

}  // namespace

LineHandoff::LineHandoff(const LineHandoffOptions& options, UnpackedLineConsumer& consumer)
    : options_(options), consumer_(consumer) {
    compressing_ = options_.whitespaceFrom != 0 && options_.whitespaceTo != 0;
}

void LineHandoff::acceptLine(const uchar* data, int bytes) {
    uchar line[kDecodedLineBufferBytes];
    const bool white = isWhite(data, bytes);
    if (options_.halfWidth) {
        const auto& merge = pairMergeTable();
        for (int i = 0; i < bytes / 2; ++i)
            line[i] = static_cast<uchar>((merge[data[2 * i]] << 4) | merge[data[2 * i + 1]]);
        bytes /= 2;
    } else {
        std::memcpy(line, data, bytes);
    }
    if (options_.invert)
        for (int i = 0; i < bytes; ++i) line[i] = static_cast<uchar>(~line[i]);
    compress(line, bytes, white);
    if (options_.doubleHeight) compress(line, bytes, white);
}

void LineHandoff::compress(const uchar* data, int bytes, bool white) {
    if (compressing_) {
        if (white) {
            ++pendingBlank_;
            return;
        }
        flushBlankLines();
    }
    handOn(data, bytes);
}

void LineHandoff::flushBlankLines() {
    const int count =
        pendingBlank_ >= options_.whitespaceFrom ? options_.whitespaceTo : pendingBlank_;
    pendingBlank_ = 0;
    for (int i = 0; i < count; ++i) handOn(nullptr, 0);
}

void LineHandoff::finishPage() {
    if (compressing_ && options_.whitespaceFrom != options_.whitespaceTo) flushBlankLines();
    pendingBlank_ = 0;
}

void LineHandoff::handOn(const uchar* data, int bytes) {
    consumer_.line(data, bytes);
    ++handedOn_;
    if (options_.yield && handedOn_ % kYieldEveryLines == 0 && QCoreApplication::instance())
        QCoreApplication::processEvents();
    if (decoder_ && options_.abortRequested && options_.abortRequested()) decoder_->requestAbort();
}

}  // namespace corvane
