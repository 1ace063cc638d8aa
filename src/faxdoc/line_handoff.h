#pragma once
// What happens to each decoded line before a consumer sees it: inversion for bitmap targets,
// doubling or halving of standard-resolution lines, whitespace compression, and servicing the
// event queue while long pages decode.

#include <QtGlobal>
#include <functional>

#include "faxdoc/t4_decoder.h"

namespace corvane {

class UnpackedLineConsumer {
  public:
    virtual ~UnpackedLineConsumer() = default;
    // One line: `bytes` bytes, bit 7 of byte 0 leftmost. bytes == 0 is a blank line made by
    // whitespace compression (data is then null).
    virtual void line(const uchar* data, int bytes) = 0;
};

struct LineHandoffOptions {
    bool invert = false;        // ink becomes 0 (bitmap targets)
    bool doubleHeight = false;  // standard-resolution pages only; the caller decides
    bool halfWidth = false;     // likewise; never together with doubleHeight
    int whitespaceFrom = 0;     // a run of at least From blank lines becomes To lines;
    int whitespaceTo = 0;       // off unless both are non-zero
    bool yield = false;         // service the event queue every 16 lines handed on
    // Polled after every line handed on; true ends the page after the current byte.
    std::function<bool()> abortRequested;
};

class LineHandoff : public T4LineSink {
  public:
    LineHandoff(const LineHandoffOptions& options, UnpackedLineConsumer& consumer);
    void attach(T4Decoder& decoder) { decoder_ = &decoder; }

    void acceptLine(const uchar* data, int bytes) override;
    // The page has ended: hands on the blank lines still pending.
    void finishPage();

    int linesHandedOn() const { return handedOn_; }

  private:
    void compress(const uchar* data, int bytes, bool white);
    void flushBlankLines();
    void handOn(const uchar* data, int bytes);

    LineHandoffOptions options_;
    UnpackedLineConsumer& consumer_;
    T4Decoder* decoder_ = nullptr;
    bool compressing_ = false;
    int pendingBlank_ = 0;
    int handedOn_ = 0;
};

}  // namespace corvane
