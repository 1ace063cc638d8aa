// The engines' data handling away from the line: received page data put into file order and
// checked, DLE shielding both ways, packed send data, and the hang-up report of each class.

#include <gtest/gtest.h>

#include <random>

#include "faxdoc/convert/header_renderer.h"
#include "faxdoc/t4_decoder.h"
#include "faxdoc/t4_encoder.h"
#include "transport/class2_commands.h"
#include "transport/received_page.h"
#include "transport/send_page_data.h"

namespace corvane::testing {
namespace {

std::vector<QByteArray> RandomTextRows(int rows, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<QByteArray> out;
    for (int y = 0; y < rows; ++y) {
        QByteArray row(216, '\0');
        for (int i = 0; i < 30; ++i) row[int(random() % 216)] = char(random());
        out.push_back(row);
    }
    return out;
}

QByteArray CodedPage(const std::vector<QByteArray>& rows) {
    QByteArray out;
    for (const QByteArray& r : rows)
        out += CompressRasterLine(reinterpret_cast<const uchar*>(r.constData()), 1728, 0);
    return out + MakeEndOfPage();
}

class Rows : public T4LineSink {
  public:
    std::vector<QByteArray> rows;
    void acceptLine(const uchar* data, int bytes) override {
        rows.emplace_back(reinterpret_cast<const char*>(data), bytes);
    }
};

std::vector<QByteArray> Decode(const QByteArray& data) {
    Rows sink;
    T4Decoder decoder(sink);
    decoder.reset();
    decoder.feed(reinterpret_cast<const uchar*>(data.constData()), size_t(data.size()));
    decoder.finish();
    return sink.rows;
}

TEST(ReceivedPage, EitherBitOrderEndsUpInFileOrder) {
    const auto rows = RandomTextRows(200, 7);
    const QByteArray page = CodedPage(rows);
    for (bool modemReverses : {false, true}) {
        QByteArray received = page;
        if (modemReverses) ReverseBitsInPlace(received);
        const ReceivedPageCheck check = PutIntoFileOrder(received);
        EXPECT_EQ(check.reversed, modemReverses);
        EXPECT_TRUE(check.decodable);
        EXPECT_EQ(check.lines, 200);
        EXPECT_EQ(received, page);
    }
}

// Lines of text in the fax font, `gap` white rows between them.
std::vector<QByteArray> TextRows(int textLines, int gap) {
    FaxFontHeaderRenderer renderer;
    renderer.LoadForPage(true);
    std::vector<QByteArray> out;
    for (int t = 0; t < textLines; ++t) {
        for (int row = 1; row <= renderer.RowCount(); ++row) {
            QByteArray raster(kHeaderRasterBufferSize, '\0');
            renderer.RenderTextRow(
                QStringLiteral("LINE %1 OF THE QUICK BROWN FOX 0123456789").arg(t), row,
                reinterpret_cast<std::uint8_t*>(raster.data()));
            out.push_back(raster.left(216));
        }
        for (int g = 0; g < gap; ++g) out.emplace_back(216, '\0');
    }
    return out;
}

std::vector<QByteArray> MostlyWhiteRows() {
    std::vector<QByteArray> out(300, QByteArray(216, '\0'));
    for (size_t y = 25; y < out.size(); y += 50) out[y][int(y % 216)] = char(0x18);
    return out;
}

struct BitOrderCase {
    const char* name;
    std::vector<QByteArray> rows;
};

// The received order is told from the page itself on pages of every kind, whichever order the
// modem claims; a modem that says one order and delivers the other is caught.
TEST(ReceivedPage, BitOrderIsToldFromThePageOfEveryKind) {
    const std::vector<BitOrderCase> cases{
        {"text", TextRows(6, 4)},
        {"mostly white", MostlyWhiteRows()},
        {"all black rows", std::vector<QByteArray>(120, QByteArray(216, char(0xFF)))},
        {"random marks", RandomTextRows(60, 5)},
    };
    for (const BitOrderCase& c : cases) {
        const QByteArray page = CodedPage(c.rows);
        for (bool delivered : {false, true}) {
            QByteArray received = page;
            if (delivered) ReverseBitsInPlace(received);
            EXPECT_EQ(DetectPageBitOrder(received),
                      delivered ? PageBitOrder::Reversed : PageBitOrder::FileOrder)
                << c.name;
            const ReceivedPageCheck check = PutIntoFileOrder(received, !delivered);
            EXPECT_EQ(check.reversed, delivered) << c.name;
            EXPECT_TRUE(check.decodable) << c.name;
            EXPECT_EQ(received, page) << c.name;
        }
    }
}

// A page of a few rows cannot show its order: no guess, the modem's own order is taken.
TEST(ReceivedPage, TooShortAPageKeepsTheModemsOrder) {
    const QByteArray page = CodedPage(std::vector<QByteArray>(3, QByteArray(216, '\0')));
    for (bool modemReverses : {false, true}) {
        QByteArray received = page;
        if (modemReverses) ReverseBitsInPlace(received);
        EXPECT_EQ(DetectPageBitOrder(received), PageBitOrder::Unknown);
        const ReceivedPageCheck check = PutIntoFileOrder(received, modemReverses);
        EXPECT_EQ(check.reversed, modemReverses);
        EXPECT_EQ(received, page);
    }
}

TEST(ReceivedPage, DataThatDoNotDecodeAreNotKeptAsGood) {
    std::mt19937 random(3);
    QByteArray noise(20000, '\0');
    for (char& c : noise) c = char(random());
    EXPECT_FALSE(PutIntoFileOrder(noise).decodable);
    QByteArray empty;
    EXPECT_FALSE(PutIntoFileOrder(empty).decodable);
    // A good page with a burst of damage in the middle is still mostly lines.
    QByteArray damaged = CodedPage(RandomTextRows(200, 9));
    for (int i = 0; i < 4000; ++i) damaged[2000 + i] = char(random());
    EXPECT_FALSE(PutIntoFileOrder(damaged).decodable);
}

TEST(ReceivedPage, DleShieldingIsRemovedAndDleEtxEndsThePage) {
    ReceivedPageCollector page;
    const QByteArray stream("\x01\x10\x10\x02\x10\x03\r\nOK\r\n", 11);
    // In two pieces, split between the DLE and what follows it.
    EXPECT_EQ(page.feed(stream.constData(), 2), 2);
    EXPECT_FALSE(page.ended());
    EXPECT_EQ(page.feed(stream.constData() + 2, 9), 4);
    EXPECT_TRUE(page.ended());
    EXPECT_EQ(page.data(), QByteArray("\x01\x10\x02", 3));
}

TEST(SendData, DleIsDoubled) {
    QByteArray out;
    AppendDleDoubled(out, QByteArray("\x10\x03\x10", 3));
    EXPECT_EQ(out, QByteArray("\x10\x10\x03\x10\x10", 5));
}

TEST(SendData, PackedLinesDecodeToTheSameRowsInFewerBytes) {
    const auto rows = RandomTextRows(300, 11);
    QByteArray records;
    QByteArray packed;
    LinePacker packer;
    for (const QByteArray& r : rows) {
        const QByteArray line =
            CompressRasterLine(reinterpret_cast<const uchar*>(r.constData()), 1728, 0);
        records += line;
        packer.add(line, packed);
    }
    packer.add(MakeEndOfPage(), packed);
    packed += packer.flush();
    EXPECT_LT(packed.size(), records.size());
    EXPECT_EQ(Decode(packed), rows);
}

TEST(HangupReport, Class2IsDecimalClass20IsHex) {
    struct Case {
        const char* line;
        bool hex;
        int code;
    } cases[] = {
        {"+FHNG:0", false, 0}, {"+FHNG:50", false, 50}, {"+FHNG: 100", false, 100},
        {"+FHS:00", true, 0},  {"+FHS:50", true, 0x50}, {"+FHS:A0", true, 0xA0},
        {"+FHS:ZZ", true, -1}, {"+FHNG:", false, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseHangupCode(c.line, c.hex), c.code) << c.line;
}

}  // namespace
}  // namespace corvane::testing
