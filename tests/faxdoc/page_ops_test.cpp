// Page operations on whole APF files: join, append, extract, delete, trim to the pages
// that decode. No temporary file may survive any of them.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <functional>

#include "apf_fixtures.h"
#include "core/little_endian.h"
#include "faxdoc/apf_page_ops.h"
#include "faxdoc/apf_reader.h"
#include "faxdoc/fax_document_errors.h"
#include "faxdoc/file_error_throwers.h"
#include "fixtures/temp_home.h"

namespace corvane {
namespace {

using testing::BuildApf;
using testing::FixturePage;
using testing::ReadFile;
using testing::WriteFile;

// Page i of every fixture file is a checkerboard whose cell size identifies it.
FixturePage page(int id, quint16 flags = kApfHighRes) {
    return testing::RecordPage(testing::Checkerboard(1728, 2 + id % 3, id), flags);
}

QByteArray pageBytes(const FixturePage& p) {
    return BuildApf({p}).mid(64);
}

class PageOpsTest : public ::testing::Test {
  protected:
    testing::TempHome home;  // AppFolder for work files
    QString file(const QString& name) const { return home.file(name); }
    QString make(const QString& name, const std::vector<FixturePage>& pages,
                 const QString& station = "STATION") {
        WriteFile(file(name), BuildApf(pages, -1, station));
        return file(name);
    }
    QStringList entries() const { return QDir(home.path()).entryList(QDir::Files, QDir::Name); }
};

TEST_F(PageOpsTest, JoinKeepsTheFirstHeaderAndAddsTheCounts) {
    const QString a = make("a.apf", {page(1), page(2)}, "FIRST");
    const QString b = make("b.apf", {page(3), page(4), page(5)}, "SECOND");
    JoinApfFiles({a, b}, file("j.apf"));
    const QByteArray joined = ReadFile(file("j.apf"));
    EXPECT_EQ(joined.size(), ReadFile(a).size() + ReadFile(b).size() - 64);
    const ApfFileHeader h = ReadApfFileHeader(file("j.apf"));
    EXPECT_EQ(h.pageCount, 5);
    EXPECT_EQ(h.stationId(), "FIRST");
    EXPECT_EQ(joined.mid(64), ReadFile(a).mid(64) + ReadFile(b).mid(64));

    // A file of exactly 64 bytes adds nothing; a non-APF file fails and leaves no output.
    const QString empty = make("e.apf", {});
    JoinApfFiles({a, empty}, file("j2.apf"));
    EXPECT_EQ(ReadFile(file("j2.apf")), ReadFile(a));
    WriteFile(file("bad.apf"), QByteArray(100, 'x'));
    bool threw = false;
    try {
        JoinApfFiles({a, file("bad.apf")}, file("j3.apf"));
    } catch (const EFaxBadFormat&) {
        threw = true;
    }
    EXPECT_TRUE(threw);
    EXPECT_FALSE(QFile::exists(file("j3.apf")));

    // The destination may be one of the sources.
    JoinApfFiles({a, b}, a);
    EXPECT_EQ(ReadFile(a), joined);
    EXPECT_EQ(entries(), QStringList({"a.apf", "b.apf", "bad.apf", "e.apf", "j.apf", "j2.apf"}));
}

TEST_F(PageOpsTest, JoinTwoAndJoinListNeedTwoExistingFiles) {
    const QString a = make("a.apf", {page(1)});
    const QString b = make("b.apf", {page(2)});
    const QString missing = file("missing.apf");
    EXPECT_FALSE(JoinTwoApfFiles(file("d1.apf"), a, missing));
    EXPECT_FALSE(QFile::exists(file("d1.apf")));
    EXPECT_TRUE(JoinTwoApfFiles(file("d2.apf"), a, b));
    EXPECT_EQ(GetApfPageCount(file("d2.apf")), 2);
    EXPECT_FALSE(JoinApfFileList(file("d3.apf"), {missing, a, ""}));
    EXPECT_TRUE(JoinApfFileList(file("d4.apf"), {b, missing, a, b}));
    EXPECT_EQ(ReadFile(file("d4.apf")).mid(64),
              ReadFile(b).mid(64) + ReadFile(a).mid(64) + ReadFile(b).mid(64));
}

TEST_F(PageOpsTest, AppendNeedsPagesAndTheSameResolution) {
    QDir().mkpath(file("SEND"));
    const QString fine = make("SEND/fine.apf", {page(1), page(2)});
    const QString fine2 = make("fine2.apf", {page(3)});
    const QString standard = make("std.apf", {page(4, 0)});
    const QString empty = make("empty.apf", {});
    const QByteArray fineBefore = ReadFile(fine);

    EXPECT_FALSE(AppendApfFile(standard, fine, true));
    EXPECT_FALSE(AppendApfFile(empty, fine, true));
    EXPECT_FALSE(AppendApfFile(file("none.apf"), fine, true));
    EXPECT_EQ(ReadFile(fine), fineBefore);
    EXPECT_TRUE(QFile::exists(standard));

    EXPECT_TRUE(AppendApfFile(fine2, fine, false));
    EXPECT_EQ(GetApfPageCount(fine), 3);
    EXPECT_EQ(ReadFile(fine).mid(64), fineBefore.mid(64) + pageBytes(page(3)));
    EXPECT_TRUE(QFile::exists(fine2));
    EXPECT_TRUE(AppendApfFile(fine2, fine, true));
    EXPECT_FALSE(QFile::exists(fine2));
    EXPECT_EQ(GetApfPageCount(fine), 4);
    EXPECT_EQ(QDir(file("SEND")).entryList(QDir::Files), QStringList({"fine.apf"}));
    EXPECT_EQ(entries(), QStringList({"empty.apf", "std.apf"}));
}

TEST_F(PageOpsTest, ExtractAndDeletePages) {
    const QString four = make("four.apf", {page(1), page(2), page(3), page(4)});
    FixturePage zero = testing::StreamPage("");
    const QString withEmpty = make("z.apf", {page(1), zero, page(3)});
    struct Case {
        const char* name;
        QString source;
        int first, last;
        bool ok;
        std::vector<FixturePage> pages;
    } extracts[] = {
        {"2..-1", four, 2, -1, true, {page(2), page(3), page(4)}},
        {"2..9", four, 2, 9, true, {page(2), page(3), page(4)}},
        {"3..3", four, 3, 3, true, {page(3)}},
        {"empty page", withEmpty, 2, 2, true, {zero}},
        {"first 0", four, 0, 2, false, {}},
        {"last before first", four, 3, 2, false, {}},
        {"first beyond count", four, 5, -1, false, {}},
        {"missing source", file("none.apf"), 1, 1, false, {}},
    };
    for (const Case& c : extracts) {
        QFile::remove(file("out.apf"));
        EXPECT_EQ(ExtractApfPages(c.source, file("out.apf"), c.first, c.last), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(ReadFile(file("out.apf")), BuildApf(c.pages, -1, "STATION")) << c.name;
        } else {
            EXPECT_FALSE(QFile::exists(file("out.apf"))) << c.name;
        }
    }
    struct DeleteCase {
        const char* name;
        int first, last;
        bool ok;
        std::vector<FixturePage> pages;
    } deletes[] = {
        {"middle", 2, 3, true, {page(1), page(4)}},
        {"first", 1, 1, true, {page(2), page(3), page(4)}},
        {"beyond count", 3, 5, false, {}},
    };
    for (const DeleteCase& c : deletes) {
        QFile::remove(file("out.apf"));
        EXPECT_EQ(DeleteApfPages(four, file("out.apf"), c.first, c.last), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(ReadFile(file("out.apf")), BuildApf(c.pages, -1, "STATION")) << c.name;
        }
    }
    // A page chain that runs past the end of the file: the copy fails, nothing is left.
    FixturePage cut = page(2);
    cut.imageLength = cut.data.size() + 1000;
    const QString broken = make("broken.apf", {page(1), cut});
    QFile::remove(file("out.apf"));
    EXPECT_FALSE(ExtractApfPages(broken, file("out.apf"), 1, 2));
    EXPECT_FALSE(QFile::exists(file("out.apf")));
}

// The same file with its first page at offset 80: 16 filler bytes between header and page 1.
QByteArray WithFirstPageAt80(const QByteArray& file) {
    QByteArray out = file.left(64) + QByteArray(16, '\xEE') + file.mid(64);
    WriteLe32(out.data() + 34, 80);
    return out;
}

TEST_F(PageOpsTest, SourcesAreReadFromTheirOwnFirstPageOffset) {
    const std::vector<FixturePage> three = {page(1), page(2), page(3)};
    WriteFile(file("gap.apf"), WithFirstPageAt80(BuildApf(three, -1, "STATION")));
    const QString gap = file("gap.apf");
    const QString two = make("two.apf", {page(4), page(5)});

    // Every result is a plain file with its pages from offset 64.
    struct Case {
        const char* name;
        std::function<bool()> run;
        std::vector<FixturePage> pages;
    } cases[] = {
        {"extract 2..3",
         [&] { return ExtractApfPages(gap, file("out.apf"), 2, 3); },
         {page(2), page(3)}},
        {"delete 2..2",
         [&] { return DeleteApfPages(gap, file("out.apf"), 2, 2); },
         {page(1), page(3)}},
        {"join gap first",
         [&] { return JoinTwoApfFiles(file("out.apf"), gap, two); },
         {page(1), page(2), page(3), page(4), page(5)}},
        {"join gap second",
         [&] { return JoinTwoApfFiles(file("out.apf"), two, gap); },
         {page(4), page(5), page(1), page(2), page(3)}},
    };
    for (const Case& c : cases) {
        QFile::remove(file("out.apf"));
        ASSERT_TRUE(c.run()) << c.name;
        EXPECT_EQ(ReadFile(file("out.apf")), BuildApf(c.pages, -1, "STATION")) << c.name;
        EXPECT_EQ(CountDecodablePages(file("out.apf")), int(c.pages.size())) << c.name;
    }

    // Appending to such a target, and trimming one in place.
    WriteFile(file("target.apf"), WithFirstPageAt80(BuildApf({page(1)}, -1, "STATION")));
    const QString one = make("one.apf", {page(2)});
    ASSERT_TRUE(AppendApfFile(one, file("target.apf"), false));
    EXPECT_EQ(ReadFile(file("target.apf")), BuildApf({page(1), page(2)}, -1, "STATION"));
    WriteFile(file("trim.apf"), WithFirstPageAt80(BuildApf(three, 4, "STATION")));
    EXPECT_EQ(TrimToDecodablePages(file("trim.apf"), false), 3);
    EXPECT_EQ(ReadFile(file("trim.apf")), BuildApf(three, -1, "STATION"));
}

TEST_F(PageOpsTest, JoinRefusesAPageChainThatRunsPastTheEnd) {
    // Copying a cut page would hide every page of the files behind it inside its data.
    FixturePage cut = page(2);
    cut.imageLength = cut.data.size() + 1000;
    const QString broken = make("broken.apf", {page(1), cut});
    const QString good = make("good.apf", {page(3)});
    EXPECT_FALSE(JoinTwoApfFiles(file("out.apf"), broken, good));
    EXPECT_FALSE(QFile::exists(file("out.apf")));
}

TEST_F(PageOpsTest, TrimCutsADamagedReceptionToItsDecodablePages) {
    const testing::Raster text = testing::TextLikeRaster(1728, 80, 5);
    const QByteArray stream = testing::CodedStream(text);
    FixturePage good = testing::StreamPage(stream, kApfHighRes);
    FixturePage cut = good;
    cut.data = stream.left(stream.size() / 2);
    cut.imageLength = stream.size();  // the receiver stopped writing mid-page

    const QByteArray threeBytes = BuildApf({good, good, cut});
    WriteFile(file("three.apf"), threeBytes);
    int header = 0;
    EXPECT_EQ(CountDecodablePages(file("three.apf"), &header), 2);
    EXPECT_EQ(header, 3);
    EXPECT_EQ(TrimToDecodablePages(file("three.apf"), true), 2);
    EXPECT_EQ(ReadFile(file("three.apf")), BuildApf({good, good}));

    // The page count promises more pages than the file holds.
    WriteFile(file("over.apf"), BuildApf({good}, 4));
    EXPECT_EQ(TrimToDecodablePages(file("over.apf"), false), 1);
    EXPECT_EQ(GetApfPageCount(file("over.apf")), 1);

    const QByteArray firstCut = BuildApf({cut}, 2);
    WriteFile(file("first.apf"), firstCut);
    EXPECT_EQ(TrimToDecodablePages(file("first.apf"), false), 0);
    EXPECT_EQ(ReadFile(file("first.apf")), firstCut);
    EXPECT_EQ(TrimToDecodablePages(file("first.apf"), true), 0);
    EXPECT_FALSE(QFile::exists(file("first.apf")));

    WriteFile(file("whole.apf"), BuildApf({good, good}));
    EXPECT_EQ(TrimToDecodablePages(file("whole.apf"), true), 2);
    EXPECT_EQ(entries(), QStringList({"over.apf", "three.apf", "whole.apf"}));
}

TEST_F(PageOpsTest, CountingWalksAHugePageChainOnce) {
    // 65535 empty pages: counting them must not re-walk the chain for every page.
    std::vector<FixturePage> pages(65535, testing::StreamPage(""));
    WriteFile(file("many.apf"), BuildApf(pages));
    EXPECT_EQ(CountDecodablePages(file("many.apf")), 65535);
    WriteFile(file("many.apf"), BuildApf({page(1)}, 65535));
    EXPECT_EQ(TrimToDecodablePages(file("many.apf"), false), 1);
}

TEST_F(PageOpsTest, ResolutionQueries) {
    const QString fine = make("fine.apf", {page(1, kApfHighRes), page(2, 0)});
    const QString standard = make("std.apf", {page(1, 0)});
    EXPECT_TRUE(IsHighResApf(fine));
    EXPECT_FALSE(IsHighResApf(standard));
    EXPECT_FALSE(IsHighResApf(file("none.apf")));
    EXPECT_FALSE(SameApfResolution(fine, standard));
    EXPECT_TRUE(SameApfResolution(fine, fine));
    EXPECT_FALSE(SameApfResolution(fine, file("none.apf")));
}

}  // namespace
}  // namespace corvane
