#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "apf_fixtures.h"
#include "faxdoc/apf_page_ops.h"
#include "faxdoc/apf_reader.h"
#include "log_fixture.h"

namespace corvane {
namespace {

using testing::OpenLogs;
using testing::WriteApf;

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

TEST(Delete, OutgoingRemovesExactlyTheFilesOfTheChoice) {
    struct Case {
        const char* name;
        bool doc, cover;
        std::optional<DeleteWhat> choice;  // for both present; else the Yes/No answer below
        bool yes;
        bool recordStays;
        QString docAfter, coverAfter;  // fields of the record when it stays
        QStringList filesAfter;
    };
    const QStringList all = {"COV00000.APF", "COV00000.fcd", "FAX00000.APF", "FAX00009.APF",
                             "OTHER.fcd"};
    const Case cases[] = {
        {"cover",
         true,
         true,
         DeleteWhat::Cover,
         false,
         true,
         "FAX00000.APF",
         "",
         {"FAX00000.APF", "FAX00009.APF", "OTHER.fcd"}},
        {"body",
         true,
         true,
         DeleteWhat::Body,
         false,
         true,
         "",
         "COV00000.APF",
         {"COV00000.APF", "COV00000.fcd", "FAX00009.APF", "OTHER.fcd"}},
        {"both", true, true, DeleteWhat::Both, false, false, "", "", {"FAX00009.APF", "OTHER.fcd"}},
        {"cancel", true, true, std::nullopt, false, true, "FAX00000.APF", "COV00000.APF", all},
        {"document only, yes",
         true,
         false,
         std::nullopt,
         true,
         false,
         "",
         "",
         {"COV00000.APF", "COV00000.fcd", "FAX00009.APF", "OTHER.fcd"}},
        {"cover only, yes",
         false,
         true,
         std::nullopt,
         true,
         false,
         "",
         "",
         {"FAX00000.APF", "FAX00009.APF", "OTHER.fcd"}},
        {"cover only, no", false, true, std::nullopt, false, true, "", "COV00000.APF", all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenLogs logs;
        for (const QString& f : all) WriteApf(logs.send(f), 1);
        logs.addOutgoing("Invoice 12", c.doc ? "fax00000.apf" : "", c.cover ? "COV00000.APF" : "");
        logs.dialogs.deleteAnswers.push_back(c.choice);
        logs.boxes.queueAnswer(c.yes);
        logs.commands.Delete(LogPage::Outgoing);

        EXPECT_EQ(logs.dialogs.deleteAsked, c.doc && c.cover ? 1 : 0);
        if (!(c.doc && c.cover)) {
            ASSERT_EQ(logs.boxes.shown().size(), 1u);
            EXPECT_EQ(logs.boxes.shown()[0].kind, ScriptedMessageBoxes::Shown::YesNoDefaultNo);
            EXPECT_EQ(logs.boxes.shown()[0].text,
                      "Delete the current fax?\r\n(subject: \"Invoice 12\")");
            EXPECT_EQ(logs.boxes.shown()[0].title, "Delete");
        }
        EXPECT_EQ(filesIn(logs.home.path() + "SEND"), c.filesAfter);
        xbase::XbaseTable& t = logs.fdm.FaxTable;
        EXPECT_EQ(t.queryRecCount(), c.recordStays ? 1 : 0);
        if (c.recordStays) {
            t.goTop();
            EXPECT_EQ(t.fieldText("FAXDOC").toUpper(), c.docAfter);
            EXPECT_EQ(t.fieldText("FAXCOVER"), c.coverAfter);
        } else {
            // HandleGrids: an empty view runs in record order.
            EXPECT_EQ(t.indexOrd(), 0);
        }
    }
}

TEST(Delete, IncomingRemovesTheFaxFileAndNotWhatAStoredNamePointsOutsideTheFolder) {
    OpenLogs logs;
    WriteApf(logs.received("FAX0001.APF"), 1);
    WriteApf(logs.received("FAX0002.APF"), 1);
    logs.home.write("x.apf", "keep");
    logs.addIncoming("555 1234", "../x.apf", 1);
    logs.addIncoming("ACME", "FAX0001.APF", 2);
    logs.fdm.RecTable.goTop();  // newest first: ACME
    ASSERT_EQ(logs.fdm.RecTable.fieldText("FROM"), "ACME");

    logs.boxes.queueAnswer(true);
    logs.commands.Delete(LogPage::Incoming);
    EXPECT_EQ(logs.boxes.texts().value(0), "Delete the current fax?\r\n(from: \"ACME\")");
    EXPECT_EQ(filesIn(logs.home.path() + "Receive"), QStringList{"FAX0002.APF"});

    logs.boxes.queueAnswer(true);
    logs.commands.Delete(LogPage::Incoming);
    EXPECT_TRUE(QFile::exists(logs.home.file("x.apf")));
    EXPECT_EQ(logs.fdm.RecTable.queryRecCount(), 0);

    // Nothing selected (or a call coming in): a beep and no question.
    logs.commands.Delete(LogPage::Incoming);
    EXPECT_EQ(logs.dialogs.beeps, 1);
    EXPECT_EQ(logs.boxes.shown().size(), 2u);
}

TEST(Archive, InvertsTheMarkAfterAskingAndRefusesDuringACall) {
    OpenLogs logs;
    logs.addOutgoing("");
    logs.addIncoming("ACME", "FAX0001.APF");
    logs.boxes.queueAnswer(true);
    logs.commands.Archive(LogPage::Outgoing);
    EXPECT_TRUE(logs.fdm.FaxTable.fieldLogical("ARCHIVED"));
    logs.boxes.queueAnswer(false);
    logs.commands.Archive(LogPage::Outgoing);
    EXPECT_TRUE(logs.fdm.FaxTable.fieldLogical("ARCHIVED"));
    EXPECT_EQ(logs.boxes.texts(), (QStringList{"Archive the current fax?\r(no subject)",
                                               "UnArchive the current fax?\r(no subject)"}));
    EXPECT_EQ(logs.boxes.shown()[0].title, "Archive");

    logs.state.ReceivingCall = true;
    logs.commands.Archive(LogPage::Incoming);
    EXPECT_EQ(logs.dialogs.beeps, 1);
    EXPECT_FALSE(logs.fdm.RecTable.fieldLogical("ARCHIVED"));
}

TEST(Views, OnlyArchivedWithNothingArchivedLeavesNoSelectedRecordUntilAnotherView) {
    OpenLogs logs;
    logs.addOutgoing("One");
    logs.addOutgoing("Two");
    logs.commands.SetView(LogPage::Outgoing, 3);
    EXPECT_EQ(logs.state.OutgoingFilter, "archived");
    EXPECT_FALSE(logs.commands.HasSelectedRecord(LogPage::Outgoing));
    EXPECT_EQ(logs.fdm.FaxTable.indexOrd(), 0);
    logs.commands.SetView(LogPage::Outgoing, 1);  // unsent
    EXPECT_TRUE(logs.commands.HasSelectedRecord(LogPage::Outgoing));
    EXPECT_EQ(logs.fdm.FaxTable.tagName(logs.fdm.FaxTable.indexOrd()), "DATESENT");
    logs.commands.SetSort(LogPage::Outgoing, 1);
    EXPECT_EQ(logs.fdm.FaxTable.tagName(logs.fdm.FaxTable.indexOrd()), "SUBJECT");
    logs.fdm.FaxTable.goTop();
    EXPECT_EQ(logs.fdm.FaxTable.fieldText("SUBJECT"), "One");

    logs.state.ReceivingCall = true;
    logs.commands.SetSort(LogPage::Incoming, 1);
    EXPECT_EQ(logs.dialogs.beeps, 1);
    EXPECT_EQ(logs.commands.SortEntry(LogPage::Incoming), 0);
}

TEST(Notes, EditsFromAndNotesOfTheSelectedReceivedFaxButNotDuringACall) {
    OpenLogs logs;
    logs.addIncoming("555 1234", "FAX0001.APF");
    logs.state.ReceivingCall = true;
    logs.commands.EditReceivedNotes();
    EXPECT_EQ(logs.boxes.texts(),
              QStringList{"You cannot edit received faxes while in Receive Mode"});
    logs.state.ReceivingCall = false;
    logs.dialogs.notesAnswer = std::make_pair(QString("ACME Sales"), QString("call back"));
    logs.commands.EditReceivedNotes();
    EXPECT_EQ(logs.dialogs.notesShown.first, "555 1234");
    EXPECT_EQ(logs.fdm.RecTable.fieldText("FROM"), "ACME Sales");
    EXPECT_EQ(logs.fdm.RecTable.fieldText("NOTES"), "call back");
}

TEST(Find, ContainsWithoutRegardToCaseThenNextUntilNotFound) {
    OpenLogs logs;
    logs.fdm.FaxTable.setOrder(logs.fdm.FaxTable.tagArea("SUBJECT"));
    logs.addOutgoing("Invoice 12");
    logs.addOutgoing("Letter");
    logs.addOutgoing("Old invoice 3");
    logs.state.IncomingSearch = "\"X\"$UPPER(FROM)";
    logs.dialogs.findAnswers.push_back(
        QList<FindField>{{"RECIPIENT", ""}, {"PHONE", ""}, {"SUBJECT", "inv"}});
    EXPECT_TRUE(logs.commands.Find(LogPage::Outgoing));
    EXPECT_EQ(logs.fdm.FaxTable.fieldText("SUBJECT"), "Invoice 12");
    EXPECT_EQ(logs.state.OutgoingSearch, "\"INV\"$UPPER(SUBJECT)");
    EXPECT_EQ(logs.state.IncomingSearch, "");  // the other log's search is cleared

    EXPECT_TRUE(logs.commands.FindNext(LogPage::Outgoing));
    EXPECT_EQ(logs.fdm.FaxTable.fieldText("SUBJECT"), "Old invoice 3");
    EXPECT_FALSE(logs.commands.FindNext(LogPage::Outgoing));
    EXPECT_EQ(logs.boxes.texts(), QStringList{"Not Found"});
    EXPECT_EQ(logs.state.OutgoingSearch, "");
    const ButtonStates b = SetButtonsFor({LogPage::Outgoing, true, false, false, false, false,
                                          !logs.state.OutgoingSearch.isEmpty(), false},
                                         ButtonStates());
    EXPECT_FALSE(b.findNextOut);

    // A blank dialog does nothing; a search for nothing there says so.
    logs.dialogs.findAnswers.push_back(QList<FindField>{{"SUBJECT", " "}});
    EXPECT_FALSE(logs.commands.Find(LogPage::Outgoing));
    EXPECT_EQ(logs.boxes.shown().size(), 1u);
    logs.dialogs.findAnswers.push_back(QList<FindField>{{"SUBJECT", "memo"}});
    EXPECT_FALSE(logs.commands.Find(LogPage::Outgoing));
    EXPECT_EQ(logs.boxes.shown().size(), 2u);
}

TEST(Clone, CopiesTheChosenPagesCoverAndCoverDataIntoANewRecord) {
    OpenLogs logs;
    WriteApf(logs.send("FAX00000.APF"), 3);
    WriteApf(logs.send("COV00000.APF"), 1);
    logs.home.write("SEND/COV00000.fcd", "cover data");
    logs.addOutgoing("Plans", "FAX00000.APF", "COV00000.APF", "Bob", "555 0101");
    logs.dialogs.onForwardOrClone = [](ForwardOrCloneRequest& r) {
        r.pages = MakePageRange(2, 3, r.pageCount);
        r.recipient = "Carol";
        return true;
    };
    logs.commands.Clone();
    ASSERT_EQ(logs.dialogs.requests.size(), 1u);
    const ForwardOrCloneRequest& shown = logs.dialogs.requests[0];
    EXPECT_EQ(shown.title, "Clone fax: (subject: \"Plans\")");
    EXPECT_EQ(shown.subject, "[clone of] Plans");
    EXPECT_EQ(shown.pageCount, 3);
    EXPECT_TRUE(shown.showPageChoice);
    EXPECT_TRUE(shown.showCoverChoice);

    xbase::XbaseTable& t = logs.fdm.FaxTable;
    EXPECT_EQ(t.queryRecCount(), 2);
    ASSERT_TRUE(t.locate("RECIPIENT = \"Carol\"", true, false));
    EXPECT_EQ(t.fieldText("SUBJECT"), "[clone of] Plans");
    EXPECT_EQ(t.fieldText("PHONE"), "555 0101");
    EXPECT_EQ(t.fieldText("FAXDOC"), "FAX00001.APF");
    EXPECT_EQ(t.fieldText("FAXCOVER"), "COV00001.APF");
    int headerCount = 0;
    EXPECT_EQ(CountDecodablePages(logs.send("FAX00001.APF"), &headerCount), 2);
    EXPECT_EQ(headerCount, 2);
    EXPECT_EQ(logs.home.read("SEND/COV00001.fcd"), "cover data");
}

TEST(Clone, NeedsTheDocumentOrTheCoverAndCopiesACoverWithoutDataAlone) {
    OpenLogs logs;
    logs.addOutgoing("Gone", "FAX00005.APF");
    logs.commands.Clone();
    EXPECT_EQ(logs.boxes.texts(), QStringList{"Error - fax file and/or cover file missing"});
    EXPECT_TRUE(logs.dialogs.requests.empty());

    WriteApf(logs.send("COV00000.APF"), 1);
    logs.addOutgoing("Cover only", "", "COV00000.APF");
    logs.dialogs.onForwardOrClone = [](ForwardOrCloneRequest&) { return true; };
    logs.commands.Clone();
    ASSERT_EQ(logs.dialogs.requests.size(), 1u);
    EXPECT_TRUE(logs.dialogs.requests[0].documentPath.isEmpty());  // no page box
    EXPECT_EQ(filesIn(logs.home.path() + "SEND"), (QStringList{"COV00000.APF", "COV00001.APF"}));
}

TEST(Forward, CopiesAllPagesOrTheChosenRangeIntoAnFwdFileAndLogsIt) {
    OpenLogs logs;
    WriteApf(logs.received("FAX0001.APF"), 3);
    WriteApf(logs.received("FAX0002.APF"), 1);
    logs.addIncoming("ACME", "FAX0001.APF", 1);
    logs.dialogs.onForwardOrClone = [](ForwardOrCloneRequest& r) {
        r.recipient = "Dave";
        r.faxNumber = "555 0199";
        r.subject = "FYI";
        return true;
    };
    logs.commands.Forward();
    ASSERT_EQ(logs.dialogs.requests.size(), 1u);
    EXPECT_EQ(logs.dialogs.requests[0].title, "Forward fax from: ACME");
    EXPECT_FALSE(logs.dialogs.requests[0].showCoverChoice);
    EXPECT_EQ(logs.home.read("SEND/FWD00000.APF"), logs.home.read("Receive/FAX0001.APF"));

    logs.dialogs.onForwardOrClone = [](ForwardOrCloneRequest& r) {
        r.pages = MakePageRange(2, 2, r.pageCount);
        return true;
    };
    logs.commands.Forward();
    EXPECT_EQ(CountDecodablePages(logs.send("FWD00001.APF")), 1);
    EXPECT_EQ(GetApfPageCount(logs.send("FWD00001.APF")), 1);

    xbase::XbaseTable& t = logs.fdm.FaxTable;
    EXPECT_EQ(t.queryRecCount(), 2);
    ASSERT_TRUE(t.locate("FAXDOC = \"FWD00000.APF\"", true, false));
    EXPECT_EQ(t.fieldText("RECIPIENT"), "Dave");
    EXPECT_EQ(t.fieldText("SUBJECT"), "FYI");
    EXPECT_EQ(t.fieldText("FAXCOVER"), "");

    // A one-page fax offers no page choice; receive mode refuses.
    logs.addIncoming("Bob", "FAX0002.APF", 2);
    logs.commands.Forward();
    EXPECT_FALSE(logs.dialogs.requests.back().showPageChoice);
    logs.state.InReceiveMode = true;
    const size_t asked = logs.dialogs.requests.size();
    logs.commands.Forward();
    EXPECT_EQ(logs.dialogs.requests.size(), asked);
    EXPECT_TRUE(logs.boxes.texts().last().startsWith("You are in currently receiving a fax."));
}

TEST(Information, SheetLinesForBothLogsAndAMissingReceivedFile) {
    OpenLogs logs;
    WriteApf(logs.send("FAX00000.APF"), 2);
    logs.addOutgoing("  Plans ", "FAX00000.APF", "", "Bob");
    const FaxInformation out = logs.commands.Information(LogPage::Outgoing);
    EXPECT_TRUE(out.fileExists);
    EXPECT_EQ(out.lines().value(0), "Fax File:   " + logs.send("FAX00000.APF"));
    EXPECT_EQ(out.lines().value(1), "To:         Bob");
    EXPECT_EQ(out.lines().value(2), "Subject:    Plans");
    EXPECT_EQ(out.lines().value(3), "Pages:      2 page(s)");
    EXPECT_EQ(out.lines().value(6), "Sent:       not sent");
    EXPECT_EQ(out.lines().size(), 8);

    logs.addIncoming("ACME", "FAX0009.APF");
    const FaxInformation in = logs.commands.Information(LogPage::Incoming);
    EXPECT_FALSE(in.fileExists);
    EXPECT_EQ(in.fileName, "(missing/none)");
    EXPECT_EQ(in.lines().value(0), "From:       ACME");
    EXPECT_EQ(in.lines().value(3), "Pages:      0 page(s)");
}

TEST(Information, CopyFaxFileRefusesItsOwnFolderAndCopiesElsewhere) {
    OpenLogs logs;
    WriteApf(logs.send("FAX00000.APF"), 1);
    EXPECT_EQ(LogCommands::CopyFaxFile(logs.send("FAX00000.APF"), logs.send("copy.apf")),
              "Cannot save to that directory");
    const QString target = logs.home.path() + "Copy of FAX00000.APF";
    EXPECT_EQ(LogCommands::CopyFaxFile(logs.send("FAX00000.APF"), target), "Copied to :" + target);
    EXPECT_EQ(logs.home.read("Copy of FAX00000.APF"), logs.home.read("SEND/FAX00000.APF"));
    EXPECT_EQ(LogCommands::CopyFaxFile(logs.send("NONE.APF"), logs.home.path() + "x.apf"),
              "Copy operation failed");
}

TEST(Reopen, NewRecordsShowAfterFaxTableCloseAndOpenWithTheFilterKept) {
    OpenLogs logs;
    logs.addOutgoing("Sent one");
    logs.commands.SetView(LogPage::Outgoing, 1);
    // Written by another program while the logs were closed.
    logs.fdm.CloseTables();
    {
        TFDM other;
        ASSERT_TRUE(other.OpenFaxLogs());
        OutgoingFaxFields f;
        f.subject = "From elsewhere";
        EXPECT_TRUE(other.AppendOutgoingFax(f));
        other.CloseTables();
    }
    logs.commands.FaxTableCloseAndOpen();
    EXPECT_EQ(logs.fdm.FaxTable.queryRecCount(), 2);
    EXPECT_EQ(logs.fdm.FaxTable.filter(), "empty(DATESENT) and not archived");

    logs.state.ReceivingCall = true;  // skipped while a call comes in
    logs.fdm.FaxTable.close();
    logs.commands.FaxTableCloseAndOpen();
    EXPECT_FALSE(logs.fdm.FaxTable.isOpen());
}

}  // namespace
}  // namespace corvane
