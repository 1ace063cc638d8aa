// The engines' data handling away from the line: received page data put into file order and
// checked, DLE shielding both ways, packed send data, and the hang-up report of each class.

#include <gtest/gtest.h>

#include <random>

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
