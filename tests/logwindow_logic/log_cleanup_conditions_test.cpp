// Text conditions of the log cleanup: whatever the user types matches as literal text, never
// as part of the expression; and the setup page's captions and subsets.

#include <gtest/gtest.h>

#include "core/windows1252.h"
#include "logs_fixture.h"
#include "logwindow/logic/log_cleanup_conditions.h"
#include "logwindow/logic/log_cleanup_setup.h"

namespace corvane {
namespace {

using testing::IncomingRecord;
using testing::LogsInHome;

// Every FROM in the log; a condition's matches are named by these.
const QStringList kSenders = {
    "ACME Corp",   "ACME", "say \"hi\"", "O'Brien & Co", "a .and. b",     "(x) or (y)",
    "Müller GmbH", "\"",   "'\"]",       "[50%] off",    "x\") .or. (\"", "ÉCOLE",
};

QStringList matching(LogsInHome& logs, const QString& expression) {
    auto& t = logs.fdm.RecTable;
    const auto count = t.query(ToWindows1252(expression));
    EXPECT_TRUE(count.ok()) << expression.toStdString() << ": " << count.message().toStdString();
    QStringList from;
    t.setOrder(0);
    for (bool ok = t.goTop(); ok && !t.eof(); ok = t.skip(1)) from << t.fieldText("FROM");
    (void)t.query("");
    return from;
}

TEST(CleanupTextCondition, AnyCharacterMatchesLiterally) {
    LogsInHome logs;
    for (const QString& from : kSenders) {
        IncomingRecord r;
        r.from = from;
        logs.add(r);
    }
    const struct {
        QString typed;
        bool exact;
        QStringList expected;
    } rows[] = {
        {"acme", false, {"ACME Corp", "ACME"}},
        {"  acme ", true, {"ACME"}},
        {"acme corp", true, {"ACME Corp"}},
        {"say \"hi\"", true, {"say \"hi\""}},
        {"\"hi\"", false, {"say \"hi\""}},
        {"\"", false, {"say \"hi\"", "\"", "'\"]", "x\") .or. (\""}},
        {"\"", true, {"\""}},
        {"o'brien", false, {"O'Brien & Co"}},
        {"'\"]", true, {"'\"]"}},
        {".and.", false, {"a .and. b"}},
        {"(x) or (y)", true, {"(x) or (y)"}},
        {"[50%]", false, {"[50%] off"}},
        {"müller", false, {"Müller GmbH"}},
        {"école", true, {"ÉCOLE"}},
        // Attempts to close the literal and widen the test match nothing, or only themselves.
        {"x\") .or. (\"", true, {"x\") .or. (\""}},
        {"\") .or. .t. .or. (\"", false, {}},
        {"') .or. .t. .or. ('", false, {}},
        {"] .or. .t. .or. [", false, {}},
        // No record can hold a character without a code page form.
        {"漢字", false, {}},
    };
    for (const auto& row : rows) {
        const QString expression = TextConditionExpression("FROM", row.typed, row.exact);
        EXPECT_EQ(matching(logs, expression), row.expected)
            << row.typed.toStdString() << (row.exact ? " (exact)" : " (partial)") << " -> "
            << expression.toStdString();
    }
}

TEST(CleanupTextCondition, LiteralOfQuotesIsBuiltFromQuotedPieces) {
    EXPECT_EQ(XbaseTextLiteral(""), "\"\"");
    EXPECT_EQ(XbaseTextLiteral("ACME"), "\"ACME\"");
    EXPECT_EQ(XbaseTextLiteral("A\"B"), "\"A\"+'\"'+\"B\"");
    EXPECT_EQ(XbaseTextLiteral("\"\"'"), "'\"\"'+\"'\"");
}

TEST(CleanupSetup, FollowsLogActionAndSubset) {
    LogCleanupSetup s(QDate(2024, 3, 15));
    EXPECT_EQ(s.runCaption(), "Delete Now");
    EXPECT_EQ(s.subsetTexts().first(), "Delete All Before A Particular Date");
    EXPECT_TRUE(s.conditionButtonVisible());
    EXPECT_EQ(s.conditionButtonCaption(), "Set Date");
    EXPECT_FALSE(s.runEnabled());
    EXPECT_EQ(s.dateDialogCaption(), "Delete all before...");
    EXPECT_EQ(s.lastDate(), QDate(2024, 3, 15));

    s.acceptDate(QDate(2024, 3, 1));
    EXPECT_EQ(s.condition(), "(DATESENT<CTOD(\"03/01/2024\"))");
    EXPECT_TRUE(s.isDateCondition());
    EXPECT_EQ(s.conditionButtonCaption(), "Revise Date");
    EXPECT_TRUE(s.runEnabled());

    s.setSubset(1);  // "Delete All Archived Faxes": fixed, no button
    EXPECT_EQ(s.condition(), "archived");
    EXPECT_FALSE(s.conditionButtonVisible());
    EXPECT_TRUE(s.runEnabled());

    s.setAction(CleanupAction::Unarchive);
    EXPECT_EQ(s.subsetIndex(), 0);
    EXPECT_EQ(s.runCaption(), "Unarchive Now");
    EXPECT_EQ(s.thisFaxCaption(), "Unarchive this Fax");
    EXPECT_EQ(s.remainingCaption(), "Unarchive Remaining Matches");
    EXPECT_EQ(s.condition(), "");                // a change clears the condition
    EXPECT_EQ(s.lastDate(), QDate(2024, 3, 1));  // the date dialog starts at the last date

    s.setLog(LogKind::Incoming);
    EXPECT_EQ(s.subsetTexts(), (QStringList{"UNArchive All Faxes Before A Particular Date",
                                            "UNArchive All Faxes Meeting Certain Conditions...",
                                            "UNArchive All Archived Faxes"}));
    s.setSubset(1);
    EXPECT_EQ(s.conditionButtonCaption(), "Set Conditions");
    EXPECT_EQ(s.conditionsDialogCaption(), "Unarchive all faxes where...");
    EXPECT_EQ(s.choiceCaptions(false), QStringList{"Fax FROM contains the phrase:"});

    TextConditionEntries blank;
    blank.texts[0] = "   ";
    EXPECT_EQ(s.acceptConditions(blank).message(), "Please enter a value");
    EXPECT_FALSE(s.runEnabled());
    TextConditionEntries acme;
    acme.texts[0] = " acme ";
    ASSERT_TRUE(s.acceptConditions(acme).ok());
    EXPECT_EQ(s.condition(), "\"ACME\"$ALLTRIM(UPPER(FROM))");
    EXPECT_EQ(s.lastEntries().texts[0], " acme ");  // shown again when the dialog reopens
    EXPECT_EQ(s.conditionButtonCaption(), "Revise Conditions");

    s.setLog(LogKind::Outgoing);
    s.setAction(CleanupAction::Archive);
    s.setSubset(2);
    TextConditionEntries number;
    number.choice = 1;
    number.texts[0] = "ignored recipient";
    number.texts[1] = "555";
    number.exact = true;
    ASSERT_TRUE(s.acceptConditions(number).ok());
    EXPECT_EQ(s.condition(), "ALLTRIM(UPPER(PHONE))==\"555\"");
}

TEST(CleanupSetup, SubsetListsOfEveryLogAndAction) {
    const struct {
        LogKind log;
        CleanupAction action;
        QList<CleanupSubset> subsets;
    } rows[] = {
        {LogKind::Outgoing,
         CleanupAction::Delete,
         {CleanupSubset::Date, CleanupSubset::Archived, CleanupSubset::Sent,
          CleanupSubset::Conditions, CleanupSubset::All}},
        {LogKind::Outgoing,
         CleanupAction::Archive,
         {CleanupSubset::Date, CleanupSubset::Sent, CleanupSubset::Conditions, CleanupSubset::All}},
        {LogKind::Outgoing,
         CleanupAction::Unarchive,
         {CleanupSubset::Date, CleanupSubset::Sent, CleanupSubset::Conditions,
          CleanupSubset::Archived}},
        {LogKind::Incoming,
         CleanupAction::Delete,
         {CleanupSubset::Date, CleanupSubset::Archived, CleanupSubset::Conditions,
          CleanupSubset::All}},
        {LogKind::Incoming,
         CleanupAction::Archive,
         {CleanupSubset::Date, CleanupSubset::Conditions, CleanupSubset::All}},
        {LogKind::Incoming,
         CleanupAction::Unarchive,
         {CleanupSubset::Date, CleanupSubset::Conditions, CleanupSubset::Archived}},
    };
    for (const auto& row : rows) {
        QList<CleanupSubset> got;
        for (const auto& e : CleanupSubsets(row.log, row.action)) got << e.subset;
        EXPECT_EQ(got, row.subsets) << CleanupActionName(row.action).toStdString();
    }
    EXPECT_EQ(FixedSubsetExpression(LogKind::Incoming, CleanupSubset::Sent),
              ".not. EMPTY(DATEREC)");
    EXPECT_EQ(FixedSubsetExpression(LogKind::Outgoing, CleanupSubset::All), ".true.");
}

}  // namespace
}  // namespace corvane
