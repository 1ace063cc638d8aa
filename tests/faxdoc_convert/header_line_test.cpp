#include "faxdoc/convert/header_line.h"

#include <gtest/gtest.h>

#include "core/settings.h"

namespace corvane {
namespace {

HeaderLineValues Values() {
    HeaderLineValues v;
    v.stationId = "+1 213 555 1212";
    v.sender = "John Q. Public";
    v.recipient = "Samuel Peabody";
    v.title = "";
    v.page = 2;
    v.pageCount = 3;
    v.now = QDateTime(QDate(2026, 12, 10), QTime(14, 5, 9));
    v.locale = QLocale(QLocale::German, QLocale::Germany);
    return v;
}

TEST(ExpandHeaderLine, Tokens) {
    struct Case {
        QString templateText;
        QString expected;
    };
    const Case cases[] = {
        {"Page $P of $N", "Page 2 of 3"},
        {"$F $I $R", "John Q. Public +1 213 555 1212 Samuel Peabody"},
        {"$f/$i", "John Q. Public"},  // the token runs to the next space: "/$i" goes with it
        {"[$S]", "["},
        {"$D $T", "10.12.26 14:05"},
        {"$D-$T done", "10.12.26 done"},  // date and time without a space: the date alone
        {"x $X y", "x  y"},               // unknown letter: removed
        {"a $ b $", "a  b "},             // lone "$": removed
        {"$Pages", "2"},                  // the rest of the token is dropped
        {"", ""},
        {"no tokens", "no tokens"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExpandHeaderLine(c.templateText, Values()), c.expected)
            << c.templateText.toStdString();
    }
}

TEST(ExpandHeaderLine, DefaultTemplate) {
    EXPECT_EQ(ExpandHeaderLine(kDefaultHeaderTemplate, Values()),
              "Sent by: John Q. Public             +1 213 555 1212                    10.12.26    "
              "14:05              Page 2 of 3");
}

TEST(ExpandHeaderLine, ReplacementsHoldingDollarSignsAreNotExpandedAgain) {
    HeaderLineValues v = Values();
    v.sender = "$F";            // would expand forever if searched again
    v.stationId = "$$$ $P $N";  // would pick up page numbers
    EXPECT_EQ(ExpandHeaderLine("$F by $I p$P", v), "$F by $$$ $P $N p2");
}

TEST(ExpandHeaderLine, GivenDateAndTimeTextsAndLengthLimit) {
    HeaderLineValues v = Values();
    v.dateText = "12/10/26";
    v.timeText = "2:05 pm";
    EXPECT_EQ(ExpandHeaderLine("$D $T", v), "12/10/26 2:05 pm");

    v.sender = QString(300, 'x');
    const QString expanded = ExpandHeaderLine("ab $F $P", v);
    EXPECT_EQ(expanded.size(), kMaxHeaderLineLength);
    EXPECT_TRUE(expanded.startsWith("ab xxx"));
    EXPECT_EQ(ExpandHeaderLine(QString(300, 'y') + " $P", Values()), QString(255, 'y'));
}

}  // namespace
}  // namespace corvane
