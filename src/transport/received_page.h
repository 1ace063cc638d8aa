#pragma once
// The page data of one received page: collected from the modem's stream (DLE shielding
// removed, DLE ETX ends the page), then put into the APF file's bit order and checked by
// decoding before the page is kept.
//
// Modems differ in the bit order they deliver: most Class 2 modems put the first bit of the
// line in the highest bit of each byte, Class 2.0 modems (and APF files) in the lowest. The
// order is decided on the data itself: the one under which more lines decode wins.

#include <QByteArray>

namespace corvane {

constexpr qint64 kMaxReceivedPageBytes = 16 * 1024 * 1024;

class ReceivedPageCollector {
  public:
    void reset();
    // Takes bytes from the modem. Returns how many were used; once the page has ended the
    // rest belongs to the replies that follow.
    int feed(const char* data, int size);
    bool ended() const { return ended_; }
    bool overflowed() const { return overflow_; }
    qint64 size() const { return data_.size(); }
    QByteArray& data() { return data_; }

  private:
    QByteArray data_;
    bool dle_ = false;
    bool ended_ = false;
    bool overflow_ = false;
};

struct ReceivedPageCheck {
    bool reversed = false;  // the bits of each byte were reversed into file order
    int lines = 0;          // lines that decoded
    int badCodes = 0;
    // Enough of the page decodes to keep it: some lines, and no more than one in ten lost.
    bool decodable = false;
};

// Decides the bit order, reverses `data` in place when needed and checks that it decodes.
ReceivedPageCheck PutIntoFileOrder(QByteArray& data);

void ReverseBitsInPlace(QByteArray& data);

}  // namespace corvane
