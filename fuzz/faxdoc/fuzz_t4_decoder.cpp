// The decoder on arbitrary bytes, fed in pieces whose sizes the input chooses; lines handed
// on must always be 216 or 256 bytes, and piecewise feeding must not change the result.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "faxdoc/t4_decoder.h"

namespace {

struct Sink : corvane::T4LineSink {
    std::vector<uint8_t> digest;
    int lines = 0;
    void acceptLine(const uchar* data, int bytes) override {
        if (bytes != 216 && bytes != 256) std::abort();
        uint8_t x = 0;
        for (int i = 0; i < bytes; ++i) x = uint8_t(x * 31 + data[i]);
        digest.push_back(x);
        ++lines;
    }
};

Sink decode(const uint8_t* data, size_t size, size_t piece) {
    Sink sink;
    corvane::T4Decoder decoder(sink);
    for (size_t at = 0; at < size; at += piece)
        if (!decoder.feed(data + at, std::min(piece, size - at))) break;
    decoder.finish();
    if (decoder.acceptedLines() != sink.lines) std::abort();
    return sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t piece = 1 + data[0] % 17;
    const Sink whole = decode(data + 1, size - 1, size);
    const Sink pieces = decode(data + 1, size - 1, piece);
    if (whole.digest != pieces.digest) std::abort();
    return 0;
}
