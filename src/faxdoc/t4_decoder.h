#pragma once
// Decoder for T.4 one-dimensional coded page data (first bit in the lowest bit of a byte).
//
// The acceptance rules the rest of the program relies on:
//  - everything before the first EOL is skipped (its runs are ignored);
//  - a line is accepted only when it fills exactly 216 or 256 whole bytes (1728..1735 or
//    2048..2055 pixels; pixels beyond the whole bytes are dropped); anything else between two
//    EOLs is discarded silently;
//  - a code that does not exist counts as a bad code, after which 1 bits are skipped up to
//    the next 0 bit;
//  - the page ends at three consecutive EOLs (only EOLs and bad codes between them), when
//    the data run out, or after the byte in which an abort was noticed;
//  - when the data run out, a line of exactly 216 or 256 whole bytes still pending is handed
//    on: coders that write no end-of-page code leave the last line without an EOL.
// Any run of eleven or more 0 bits followed by a 1 is an EOL: fill bits before an EOL are
// legal in T.4, and every record this program writes relies on them.
//
// Bytes may arrive in pieces of any size; the decoder keeps its state between them and
// never allocates.

#include <QtGlobal>
#include <cstddef>

namespace corvane {

inline constexpr int kDecodedLineBufferBytes = 512;  // room for 4096 pixels

class T4LineSink {
  public:
    virtual ~T4LineSink() = default;
    // An accepted line: 216 or 256 bytes, bit 7 of byte 0 leftmost, 1 = black. `data` is
    // valid only during the call.
    virtual void acceptLine(const uchar* data, int bytes) = 0;
};

class T4Decoder {
  public:
    explicit T4Decoder(T4LineSink& sink);

    // Starts a new page.
    void reset();
    // Decodes the next piece of the page. Returns false once the page has ended; further
    // data are then ignored.
    bool feed(const uchar* data, std::size_t size);
    // The data have run out: decodes what is left of the last bytes.
    void finish();
    // Ends the page after the byte being decoded (the sink may call this from acceptLine).
    void requestAbort() { abortRequested_ = true; }

    bool pageEnded() const { return ended_; }
    int badCodes() const { return badCodes_; }
    int acceptedLines() const { return acceptedLines_; }

  private:
    void run(bool final);
    void refill();
    void consume(int bits);
    void onRun(int run, bool terminating);
    void onEol();
    void handOnPendingLine();
    void stopAfterCurrentByte();

    T4LineSink& sink_;
    const uchar* in_ = nullptr;
    const uchar* inEnd_ = nullptr;
    quint64 acc_ = 0;  // next bits, first bit in bit 0
    int bits_ = 0;     // valid bits in acc_
    quint64 bitsLoaded_ = 0;
    bool black_ = false;
    bool waitForEol_ = true;
    bool skipOnes_ = false;
    bool inZeroRun_ = false;  // eleven or more 0 bits seen: an EOL is under way
    bool abortRequested_ = false;
    bool noMoreInput_ = false;
    bool ended_ = false;
    int consecutiveEols_ = 0;
    int badCodes_ = 0;
    int acceptedLines_ = 0;
    int bitPos_ = 0;
    // A run may end up to 7 bits past the 512th byte before the fit test stops it.
    uchar line_[kDecodedLineBufferBytes + 8];
};

}  // namespace corvane
