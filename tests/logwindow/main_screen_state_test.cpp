#include <gtest/gtest.h>

#include "logwindow/main_screen_state.h"
#include "logwindow/page_range.h"

namespace corvane {
namespace {

// One row per situation: the inputs and the states that must come out. Fields not listed
// keep the defaults of ButtonStates (everything off, New on).
struct ButtonCase {
    const char* name;
    ButtonInputs in;
    bool send, newFax, edit, del, view, findOut, findIn, clone, archive, forward, exportFax, info,
        continueOut, continueIn;
    const char* archiveCaption;
};

TEST(SetButtons, EnabledStatesAndCaptionsFollowPageSelectionAndRecord) {
    using P = LogPage;
    const ButtonCase cases[] = {
        // name                      page           s0     s1    oArch  doc   iArch  srchO  srchI
        {"empty outgoing log",
         {P::Outgoing, false, false, false, false, false, false, false},
         false,
         true,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         "&Archive Selected Fax"},
        {"outgoing record with document",
         {P::Outgoing, true, false, false, true, false, false, false},
         true,
         true,
         true,
         true,
         true,
         true,
         false,
         true,
         true,
         false,
         true,
         true,
         false,
         false,
         "&Archive Selected Fax"},
        {"cover-only outgoing record cannot be exported",
         {P::Outgoing, true, true, false, false, false, false, false},
         true,
         true,
         true,
         true,
         true,
         true,
         false,
         true,
         true,
         false,
         false,
         true,
         false,
         false,
         "&Archive Selected Fax"},
        {"archived outgoing record offers UnArchive, search can continue",
         {P::Outgoing, true, false, true, true, false, true, true},
         true,
         true,
         true,
         true,
         true,
         true,
         false,
         true,
         true,
         false,
         true,
         true,
         true,
         false,
         "Un&Archive Selected Fax"},
        {"incoming record: no New, no Clone, Forward on",
         {P::Incoming, false, true, false, false, true, true, true},
         false,
         false,
         true,
         true,
         true,
         false,
         true,
         false,
         true,
         true,
         true,
         true,
         false,
         true,
         "Un&Archive Selected Fax"},
        {"empty incoming log",
         {P::Incoming, true, false, false, true, false, false, false},
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         false,
         "&Archive Selected Fax"},
    };
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ButtonStates b = SetButtonsFor(c.in, ButtonStates());
        EXPECT_EQ(b.send, c.send);
        EXPECT_EQ(b.mSendFax, c.send);
        EXPECT_EQ(b.newFax, c.newFax);
        EXPECT_EQ(b.mNewFax, c.newFax);
        EXPECT_EQ(b.edit, c.edit);
        EXPECT_EQ(b.mEdit, c.edit);
        EXPECT_EQ(b.del, c.del);
        EXPECT_EQ(b.mDelete, c.del);
        EXPECT_EQ(b.view, c.view);
        EXPECT_EQ(b.mView, c.view);
        EXPECT_EQ(b.findOut, c.in.page == P::Outgoing && c.findOut);
        EXPECT_EQ(b.mFindOut, c.findOut);
        EXPECT_EQ(b.mFindIn, c.findIn);
        EXPECT_EQ(b.mClone, c.clone);
        EXPECT_EQ(b.mArchive, c.archive);
        EXPECT_EQ(b.mForward, c.forward);
        EXPECT_EQ(b.iForward, c.forward);
        EXPECT_EQ(b.mExport, c.exportFax);
        EXPECT_EQ(b.mInfo, c.info);
        EXPECT_EQ(b.mContinueOut, c.continueOut);
        EXPECT_EQ(b.mContinueIn, c.continueIn);
        EXPECT_EQ(b.archiveCaption, c.archiveCaption);
        // The page's pop-up Archive item carries the same caption; the other keeps "Archive".
        EXPECT_EQ(c.in.page == P::Outgoing ? b.oArchiveCaption : b.iArchiveCaption,
                  c.archiveCaption);
        EXPECT_EQ(c.in.page == P::Outgoing ? b.iArchiveCaption : b.oArchiveCaption, "Archive");
    }
}

// View, Print and Export: the buttons, the Edit menu items and the page's pop-up items.
TEST(SetButtons, ViewPrintAndExportFollowTheSelectedRecordAndItsDocument) {
    using P = LogPage;
    struct Case {
        const char* name;
        ButtonInputs in;
        bool view, print, exportFax;
    };
    const Case cases[] = {
        // name                           page         s0     s1     oArch  doc
        {"outgoing, nothing selected",
         {P::Outgoing, false, true, false, false},
         false,
         false,
         false},
        {"outgoing with document", {P::Outgoing, true, false, false, true}, true, true, true},
        {"outgoing cover only: view and print",
         {P::Outgoing, true, false, false, false},
         true,
         true,
         false},
        {"incoming record, whatever FAXDOC says",
         {P::Incoming, false, true, false, false},
         true,
         true,
         true},
        {"incoming page, empty incoming log",
         {P::Incoming, true, false, false, true},
         false,
         false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ButtonStates b = SetButtonsFor(c.in, ButtonStates());
        const bool outgoing = c.in.page == P::Outgoing;
        EXPECT_EQ(b.view, c.view);
        EXPECT_EQ(b.mView, c.view);
        EXPECT_EQ(b.oView, c.view);  // both pop-up View items follow the View button
        EXPECT_EQ(b.iView, c.view);
        EXPECT_EQ(b.print, c.print);
        EXPECT_EQ(b.mPrint, c.print);
        EXPECT_EQ(outgoing ? b.oPrint : b.iPrint, c.print);
        EXPECT_EQ(b.mExport, c.exportFax);
        EXPECT_EQ(outgoing ? b.oExport : b.iExport, c.exportFax);
    }
}

TEST(SetButtons, IncomingPageLeavesSendAndOutgoingControlsAsThePageZeroRunSetThem) {
    ButtonInputs out{LogPage::Outgoing, true, true, false, true, false, false, false};
    const ButtonStates first = SetButtonsFor(out, ButtonStates());
    ButtonInputs in = out;
    in.page = LogPage::Incoming;
    const ButtonStates second = SetButtonsFor(in, first);
    EXPECT_TRUE(second.send);      // kept from page 0
    EXPECT_TRUE(second.mSendFax);  // follows the Send button
    EXPECT_TRUE(second.findOut);   // the page-0 Find button is not touched
    EXPECT_TRUE(second.oClone);    // nor the outgoing pop-up
    EXPECT_FALSE(second.mClone);   // but the Edit menu's Clone is off on page 1
    EXPECT_FALSE(second.mFindOut);

    in.s0 = false;  // even an outgoing log that became empty does not change Send on page 1
    EXPECT_TRUE(SetButtonsFor(in, first).send);
}

TEST(HandleGrids, EmptyViewsRunInRecordOrderAndViewsWithRecordsInTheirSortOrder) {
    EXPECT_EQ(HandleGridDecision(false, 1), GridOrderAction::SwitchOff);
    EXPECT_EQ(HandleGridDecision(false, 0), GridOrderAction::None);
    EXPECT_EQ(HandleGridDecision(true, 0), GridOrderAction::RestoreAndGoTop);
    EXPECT_EQ(HandleGridDecision(true, 3), GridOrderAction::None);
}

TEST(Selectors, ViewFiltersAndSortTags) {
    EXPECT_EQ(ViewFilter(LogPage::Outgoing, 0), "");
    EXPECT_EQ(ViewFilter(LogPage::Outgoing, 1), "empty(DATESENT) and not archived");
    EXPECT_EQ(ViewFilter(LogPage::Outgoing, 2), "(.not. empty(DATESENT)) and not archived");
    EXPECT_EQ(ViewFilter(LogPage::Outgoing, 3), "archived");
    EXPECT_EQ(ViewFilter(LogPage::Incoming, 1), "not archived");
    EXPECT_EQ(ViewFilter(LogPage::Incoming, 2), "archived");
    EXPECT_EQ(ViewEntries(LogPage::Incoming).value(2), "Only Archived Faxes");
    EXPECT_EQ(SortTag(LogPage::Outgoing, 2), "RECIPIENT");
    EXPECT_EQ(SortTag(LogPage::Incoming, 0), "DATETIME");
    EXPECT_EQ(SortTag(LogPage::Incoming, 1), "FROM");
    EXPECT_EQ(SortTag(LogPage::Incoming, 7), "");
}

TEST(FindExpression, FirstNonBlankFieldUpperCasedWithADelimiterTheTextDoesNotHold) {
    struct Case {
        QList<FindField> fields;
        QString expected;
    };
    const Case cases[] = {
        {{{"RECIPIENT", ""}, {"PHONE", "  "}, {"SUBJECT", "inv"}}, "\"INV\"$UPPER(SUBJECT)"},
        {{{"FROM", "Acme"}, {"NOTES", "x"}}, "\"ACME\"$UPPER(FROM)"},
        {{{"SUBJECT", "say \"hi\""}}, "'SAY \"HI\"'$UPPER(SUBJECT)"},
        {{{"SUBJECT", "it's \"x\""}}, "[IT'S \"X\"]$UPPER(SUBJECT)"},
        {{{"SUBJECT", "[a] 'b' \"c\""}}, "\"[A] 'B' C\"$UPPER(SUBJECT)"},
        {{{"SUBJECT", ""}, {"NOTES", ""}}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildFindExpression(c.fields), c.expected);
}

TEST(Questions, DeleteAndArchiveTexts) {
    EXPECT_EQ(DeleteQuestion(LogPage::Outgoing, "Invoice 12"),
              "Delete the current fax?\r\n(subject: \"Invoice 12\")");
    EXPECT_EQ(DeleteQuestion(LogPage::Incoming, "555 1234"),
              "Delete the current fax?\r\n(from: \"555 1234\")");
    EXPECT_EQ(ArchiveQuestion(LogPage::Outgoing, false, ""),
              "Archive the current fax?\r(no subject)");
    EXPECT_EQ(ArchiveQuestion(LogPage::Outgoing, true, "Plans"),
              "UnArchive the current fax?\r(subject: Plans)");
    EXPECT_EQ(ArchiveQuestion(LogPage::Incoming, false, ""), "Archive the current fax?\r");
    EXPECT_EQ(ArchiveQuestion(LogPage::Incoming, false, "ACME"),
              "Archive the current fax?\r(from: ACME)");
}

TEST(PageRange, ValidityTextsAndTheAllPagesFlag) {
    EXPECT_EQ(PageTotalText(1), "This fax file has a total of 1 page");
    EXPECT_EQ(PageTotalText(0), "This fax file has a total of 1 page");
    EXPECT_EQ(PageTotalText(4), "This fax file has a total of 4 pages");
    EXPECT_TRUE(ValidPageRange(1, 4, 4));
    EXPECT_TRUE(ValidPageRange(2, 2, 4));
    EXPECT_FALSE(ValidPageRange(0, 2, 4));
    EXPECT_FALSE(ValidPageRange(3, 2, 4));
    EXPECT_FALSE(ValidPageRange(2, 5, 4));
    EXPECT_TRUE(MakePageRange(1, 4, 4).allPages);
    EXPECT_FALSE(MakePageRange(1, 3, 4).allPages);
    EXPECT_EQ(PageChoiceText(MakePageRange(1, 4, 4), 4), "All 4 to be copied");
    EXPECT_EQ(PageChoiceText(MakePageRange(2, 3, 4), 4), "Page 2 to 3");
}

}  // namespace
}  // namespace corvane
