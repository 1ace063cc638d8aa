#pragma once
// The page data of one received page: collected from the modem's stream (DLE shielding
// removed, DLE ETX ends the page), then put into the APF file's bit order and checked by
// decoding before the page is kept.
//
// Modems differ in the bit order they deliver: most Class 2 modems put the first bit of the
// line in the highest bit of each byte, Class 2.0 modems (and APF files) in the lowest, and
// not every modem does what +FBOR/+FBO asks. The order is decided on the data itself: the
// one under which clearly more lines decode wins. A page too short to tell keeps the order
// the modem is expected to use.

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

enum class PageBitOrder { FileOrder, Reversed, Unknown };

// The bit order of coded page data; Unknown when the page has too few lines to tell, or both
// orders decode about as well.
PageBitOrder DetectPageBitOrder(const QByteArray& data);

struct ReceivedPageCheck {
    bool reversed = false;  // the bits of each byte were reversed into file order
    int lines = 0;          // lines that decoded
    int badCodes = 0;
    // Enough of the page decodes to keep it: some lines, and no more than one in ten lost.
    bool decodable = false;
};

// Decides the bit order, reverses `data` in place when needed and checks that it decodes.
// `modemReverses`: the order to assume when the data cannot tell (Class 2 delivers reversed).
ReceivedPageCheck PutIntoFileOrder(QByteArray& data, bool modemReverses = false);

void ReverseBitsInPlace(QByteArray& data);

}  // namespace corvane
