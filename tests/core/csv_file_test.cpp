#include <gtest/gtest.h>

#include "core/csv_file.h"
#include "fixtures/spreadsheet_csv.h"

namespace corvane {
namespace {

using testing::kSpreadsheetCsv;

TEST(Csv, ParsesSpreadsheetQuotingAndLineNumbers) {
    const auto records = ParseCsv(DecodeCsvText(QByteArray(kSpreadsheetCsv)));
    ASSERT_TRUE(records.ok()) << records.message().toStdString();
    const auto& r = records.value();
    ASSERT_EQ(r.size(), 10u);
    EXPECT_EQ(r[1].fields, (QStringList{"Smith, John", "555 0100"}));
    EXPECT_EQ(r[2].fields, (QStringList{"The \"Best\" Shop", "555 0101"}));
    EXPECT_EQ(r[3].fields, (QStringList{"Two\nLines", "555 0102"}));
    EXPECT_EQ(r[5].fields[0], QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC"));
    EXPECT_EQ(r[4].line, 6);  // the quoted line break counts
    EXPECT_EQ(r[9].line, 11);
    EXPECT_EQ(r[9].fields, (QStringList{"Smith Again", "555 0106"}));

    // Windows-1252 bytes (0x80 is the euro sign) when the file is not UTF-8.
    EXPECT_EQ(DecodeCsvText("Caf\xE9 \x80"), QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC"));
    const auto open = ParseCsv("a,\"b\nc");
    ASSERT_FALSE(open.ok());
    EXPECT_TRUE(open.message().startsWith("line 1:"));
}

}  // namespace
}  // namespace corvane
