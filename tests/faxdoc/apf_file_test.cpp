// APF file and page headers, the page walk and the writer.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QDir>
#include <QTemporaryDir>
#include <csignal>

#include "apf_fixtures.h"
#include "core/little_endian.h"
#include "faxdoc/apf_page_data.h"
#include "faxdoc/apf_reader.h"
#include "faxdoc/apf_receive_writer.h"
#include "faxdoc/apf_writer.h"
#include "faxdoc/fax_document_errors.h"
#include "faxdoc/fax_unpacker.h"
#include "faxdoc/file_error_throwers.h"
#include "faxdoc/t4_encoder.h"

namespace corvane {
namespace {

using testing::BuildApf;
using testing::WriteFile;

// The text of the EFaxError a call throws, or "" when it does not throw.
template <typename F>
QString errorText(F&& call) {
    try {
        call();
    } catch (const EFaxError& e) {
        return e.text();
    }
    return {};
}

struct TempFolder {
    QTemporaryDir dir;
    QString file(const QString& name) const { return dir.filePath(name); }
};

TEST(ApfHeaders, RoundTripAndLayout) {
    ApfFileHeader h = ApfFileHeader::makeNew();
    h.pageCount = 513;
    h.setStationId("+1 555 0100");
    h.setFileDate(QDateTime(QDate(2024, 2, 29), QTime(13, 45, 58)));
    const QByteArray bytes = h.toBytes();
    ASSERT_EQ(bytes.size(), 64);
    EXPECT_EQ(bytes.left(6), QByteArray("APF10\x1A"));
    EXPECT_EQ(ReadLe16(bytes.constData() + 32), 513);
    EXPECT_EQ(ReadLe32(bytes.constData() + 34), 64u);
    EXPECT_EQ(bytes[10], char(11));
    EXPECT_EQ(bytes.mid(11, 20), QByteArray("+1 555 0100         "));
    // 13:45:58 -> 29 seconds/2, 45 minutes, 13 hours; 29.2.2024 -> year 44.
    EXPECT_EQ(ReadLe32(bytes.constData() + 6),
              ((29u | 2u << 5 | 44u << 9) << 16) | (29u | 45u << 5 | 13u << 11));
    EXPECT_EQ(ApfFileHeader::fromBytes(bytes.constData()).toBytes(), bytes);

    EXPECT_EQ(DosPackedDateTime(QDateTime(QDate(1979, 12, 31), QTime(23, 0))), 0u);
    EXPECT_EQ(DosPackedDateTime(QDateTime(QDate(2100, 1, 1), QTime(0, 0))), 0u);

    struct StationCase {
        QString given;
        int lengthByte;
        QByteArray stored;
        bool padded;
    } stations[] = {
        {"ABCDEFGHIJKLMNOPQRSTUVWXY", 20, "ABCDEFGHIJKLMNOPQRST", false},
        {"12345", 5, "12345               ", false},
        {"12345", 20, "12345               ", true},
    };
    for (const StationCase& c : stations) {
        ApfFileHeader s;
        c.padded ? s.setStationIdPadded(c.given) : s.setStationId(c.given);
        const QByteArray b = s.toBytes();
        EXPECT_EQ(int(uchar(b[10])), c.lengthByte) << c.given.toStdString();
        EXPECT_EQ(b.mid(11, 20), c.stored) << c.given.toStdString();
    }
}

TEST(ApfReader, RejectsWhatIsNotAnApfFile) {
    TempFolder t;
    const QByteArray good = BuildApf({testing::RecordPage(testing::Checkerboard(1728, 4, 8))});
    for (int i = 0; i < 6; ++i) {
        QByteArray bad = good;
        bad[i] = char(bad[i] ^ 0x20);
        WriteFile(t.file("bad.apf"), bad);
        EXPECT_EQ(errorText([&] { ReadApfFileHeader(t.file("bad.apf")); }),
                  "File is not an APF file")
            << "byte " << i;
    }
    WriteFile(t.file("short.apf"), good.left(63));
    struct Case {
        const char* name;
        QString path;
        const char* text;
    } cases[] = {
        {"empty name", "", "File not found"},
        {"missing file", t.file("none.apf"), "File not found"},
        {"missing folder", t.file("nofolder/none.apf"), "Path not found"},
        {"cut short", t.file("short.apf"), "Attempt to read beyond end of file"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorText([&] { ReadApfFileHeader(c.path); }), c.text) << c.name;
    EXPECT_EQ(GetApfPageCount(t.file("none.apf")), 0);
}

TEST(ApfReader, WalksThePageChainAndGuardsItsEnds) {
    TempFolder t;
    const testing::Raster small = testing::Checkerboard(1728, 3, 4);
    std::vector<testing::FixturePage> pages = {testing::RecordPage(small),
                                               testing::StreamPage("\x01\x02\x03", kApfHighRes),
                                               testing::RecordPage(small, kApfHighRes)};
    WriteFile(t.file("three.apf"), BuildApf(pages));
    QFile f(t.file("three.apf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const qint64 second = 64 + 16 + pages[0].data.size();
    EXPECT_EQ(LocateApfPage(f, 1), 64);
    EXPECT_EQ(LocateApfPage(f, 2), second);
    EXPECT_EQ(LocateApfPage(f, 3), second + 16 + 3);
    EXPECT_EQ(ReadApfPageHeader(t.file("three.apf"), 2).imageFlags, kApfHighRes);

    EXPECT_EQ(errorText([&] { LocateApfPage(f, 4); }), "File is not an APF file");
    EXPECT_EQ(errorText([&] { LocateApfPage(f, 0); }), "File is not an APF file");
    EXPECT_EQ(errorText([&] { LocateApfPage(f, 4, ApfPageLookup::Sending); }),
              "Attempt to read beyond end of file");

    // Hostile chains: a page count above the pages present, an ImageLength past the end.
    WriteFile(t.file("overcount.apf"), BuildApf(pages, 9));
    EXPECT_EQ(errorText([&] { ReadApfPageHeader(t.file("overcount.apf"), 5); }),
              "Attempt to read beyond end of file");
    pages[0].imageLength = 0xFFFFFFF0;
    WriteFile(t.file("huge.apf"), BuildApf(pages));
    EXPECT_EQ(errorText([&] { ReadApfPageHeader(t.file("huge.apf"), 2); }),
              "Attempt to read beyond end of file");

    WriteFile(t.file("empty.apf"), BuildApf({}));
    EXPECT_EQ(GetApfPageCount(t.file("empty.apf")), 0);
    EXPECT_EQ(errorText([&] { ReadApfPageHeader(t.file("empty.apf"), 1); }),
              "File is not an APF file");
}

TEST(ApfPageData, ReadsRecordsAndStreamsWithinThePage) {
    TempFolder t;
    QByteArray longRecord(5000, 'x');
    const QByteArray data =
        testing::RecordData({QByteArray("abc"), longRecord, QByteArray("tail")});
    const QByteArray stream(9000, 's');
    WriteFile(t.file("p.apf"),
              BuildApf({testing::FixturePage{kApfLineRecords, data}, testing::StreamPage(stream),
                        testing::StreamPage("next")}));
    ApfPageDataReader reader;
    reader.open(t.file("p.apf"), 1);
    std::vector<QByteArray> pieces;
    QByteArray piece;
    while (reader.next(piece)) pieces.push_back(piece);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], "abc");
    EXPECT_EQ(pieces[1], longRecord.left(4096));  // cut to 4096, the rest skipped
    EXPECT_EQ(pieces[2], "tail");
    EXPECT_EQ(reader.bytesConsumed(), data.size());

    reader.open(t.file("p.apf"), 2);
    QByteArray all;
    while (reader.next(piece)) {
        EXPECT_LE(piece.size(), 4096);
        all += piece;
    }
    EXPECT_EQ(all, stream);

    // A record claiming more than its page holds stops at the page end.
    QByteArray overlong = testing::RecordData({QByteArray("ab")});
    overlong[0] = char(0xFF);
    WriteFile(t.file("o.apf"), BuildApf({testing::FixturePage{kApfLineRecords, overlong},
                                         testing::StreamPage("NEXTPAGE")}));
    reader.open(t.file("o.apf"), 1);
    ASSERT_TRUE(reader.next(piece));
    EXPECT_EQ(piece, "ab");
    EXPECT_FALSE(reader.next(piece));

    // Data ending before ImageLength bytes: "File is not an APF file".
    testing::FixturePage cut = testing::StreamPage(stream);
    cut.imageLength = stream.size() + 100;
    WriteFile(t.file("cut.apf"), BuildApf({cut}));
    reader.open(t.file("cut.apf"), 1);
    EXPECT_EQ(errorText([&] {
                  while (reader.next(piece)) {
                  }
              }),
              "File is not an APF file");
}

TEST(ApfWriter, WritesAConsistentFile) {
    TempFolder t;
    const QString path = t.file("out.apf");
    const testing::Raster fine = testing::TextLikeRaster(1728, 2156, 3);
    const testing::Raster wide = testing::Checkerboard(2048, 5, 3);
    ApfWriter w;
    w.CreateApfFile(path);
    w.StartPage(kApfHighRes);
    for (const QByteArray& rec : testing::CodedRecords(fine, false)) w.WriteLineRecord(rec);
    // One record longer than the buffer goes through the block path.
    w.WriteLineRecord(QByteArray(9000, '\0'));
    w.FinishPage();
    w.StartPage(kApfWideWidth);
    for (const QByteArray& rec : testing::CodedRecords(wide, false)) w.WriteLineRecord(rec);
    w.FinishPage();
    w.CloseApfFile("ABCDEFGHIJKLMNOPQRSTUVWXYZ", QDateTime(QDate(2025, 1, 2), QTime(3, 4, 6)));
    EXPECT_FALSE(w.IsOpen());

    const ApfFileHeader header = ReadApfFileHeader(path);
    EXPECT_EQ(header.pageCount, 2);
    EXPECT_EQ(header.stationId(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_NE(header.fileDate, 0u);
    const quint16 flags[] = {kApfLineRecords | kApfHighRes, kApfLineRecords | kApfWideWidth};
    const int records[] = {2156 + 1 + 1, 5 + 1};
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    qint64 pos = 64;
    for (int page = 0; page < 2; ++page) {
        const ApfPageHeader ph = ReadApfPageHeaderAt(f, pos);
        EXPECT_EQ(ph.imageFlags, flags[page]);
        // ImageLength is the sum of 2 + count over the records, the last the end of page.
        qint64 sum = 0;
        int count = 0;
        QByteArray last;
        f.seek(pos + 16);
        while (sum < ph.imageLength) {
            const quint16 n = ReadLe16(f.read(2).constData());
            last = f.read(n);
            sum += 2 + n;
            ++count;
        }
        EXPECT_EQ(sum, ph.imageLength);
        EXPECT_EQ(count, records[page]);
        EXPECT_EQ(last, MakeEndOfPage());
        pos += 16 + ph.imageLength;
    }
    EXPECT_EQ(pos, f.size());  // the chain ends exactly at the end of the file
}

TEST(ApfWriter, LeavesNoFileBehindOnFailureOrAbandon) {
    TempFolder t;
    {
        ApfWriter w;
        EXPECT_EQ(errorText([&] { w.CreateApfFile(t.file("missing/x.apf")); }), "Path not found");
    }
    {
        ApfWriter w;
        w.CreateApfFile(t.file("a.apf"));
        w.WriteLineRecord(MakeEndOfPage());
        w.AbandonApfFile();
        EXPECT_FALSE(QFile::exists(t.file("a.apf")));
    }
    {
        ApfWriter w;
        w.CreateApfFile(t.file("b.apf"));
        w.WriteLineRecord(MakeEndOfPage());
    }  // destroyed while open: abandoned
    EXPECT_FALSE(QFile::exists(t.file("b.apf")));
    EXPECT_TRUE(QDir(t.dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(ApfWriter, AWriteErrorDeletesThePartialFile) {
    TempFolder t;
    // A file-size limit makes writes past 100000 bytes fail, as a full disk would.
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100000;
    setrlimit(RLIMIT_FSIZE, &small);
    ApfWriter w;
    QString text;
    try {
        w.CreateApfFile(t.file("big.apf"));
        const QByteArray record = CompressRasterLine(
            reinterpret_cast<const uchar*>(QByteArray(216, char(0x55)).constData()), 1728, 0);
        for (int i = 0; i < 1000; ++i) w.WriteLineRecord(record);
        w.FinishPage();
        w.CloseApfFile("");
    } catch (const EFaxError& e) {
        text = e.text();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(text, "Disk write error");
    EXPECT_FALSE(w.IsOpen());
    EXPECT_FALSE(QFile::exists(t.file("big.apf")));
}

TEST(ApfReceiveWriter, WritesStreamsAndKeepsTheFileConsistentAfterEveryPage) {
    TempFolder t;
    const QString path = t.file("rx.apf");
    const QByteArray stream = testing::CodedStream(testing::TextLikeRaster(1728, 40, 17));
    {
        ApfReceiveWriter w;
        w.CreateFile(path, "+49 30 1234");
        w.StartPage(true, false);
        // Data arrive in pieces.
        for (int at = 0; at < stream.size(); at += 700)
            w.WritePageData(stream.constData() + at, std::min<int>(700, stream.size() - at));
        w.EndPage();
        EXPECT_EQ(GetApfPageCount(path), 1);  // already visible while the call goes on
        w.StartPage(false, true);
        w.WritePageData(stream.constData(), 100);
    }  // closed with page 2 unfinished: it is cut off
    const QByteArray bytes = testing::ReadFile(path);
    const ApfFileHeader header = ReadApfFileHeader(path);
    EXPECT_EQ(header.pageCount, 1);
    EXPECT_EQ(bytes.mid(10, 21), QByteArray("\x14+49 30 1234         "));
    EXPECT_NE(header.fileDate, 0u);
    EXPECT_EQ(bytes.size(), 64 + 16 + stream.size());
    const ApfPageHeader page = ReadApfPageHeader(path, 1);
    EXPECT_EQ(page.imageFlags, kApfHighRes);
    EXPECT_EQ(page.imageLength, quint32(stream.size()));
    TFxFaxUnpacker unpacker;
    unpacker.setInFileName(path);
    EXPECT_EQ(unpacker.UnpackPageToBitmap(1).height(), 40);
}

}  // namespace
}  // namespace corvane
