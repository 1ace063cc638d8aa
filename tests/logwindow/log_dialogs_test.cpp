#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "log_fixture.h"
#include "logwindow/log_dialogs.h"
#include "logwindow/main_screen.h"
#include "logwindow/rebuild_indexes_window.h"

namespace corvane {
namespace {

using testing::OpenLogs;

TEST(Dialogs, PageRangeRefusesAnInvalidRangeAndStaysOpen) {
    ScopedScriptedMessageBoxes boxes;
    TSelectSpecificPagesForm form(4, PageRange{-1, -1, true});
    EXPECT_EQ(form.description->text(), "This fax file has a total of 4 pages");
    EXPECT_EQ(form.FromSpinner->value(), 1);
    EXPECT_EQ(form.ToSpinner->value(), 4);
    form.show();
    form.FromSpinner->setValue(3);
    form.ToSpinner->setValue(2);
    form.accept();
    EXPECT_EQ(boxes.texts(), QStringList{"Invalid Page Range"});
    EXPECT_TRUE(form.isVisible());
    form.allButton->click();
    EXPECT_TRUE(form.range().allPages);
    form.FromSpinner->setValue(2);
    form.accept();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.range().from, 2);
    EXPECT_FALSE(form.range().allPages);
}

TEST(Dialogs, FindFormEditsOnlyTheChosenFieldAndReturnsThemInSearchOrder) {
    FindFaxForm form(LogPage::Outgoing);
    EXPECT_EQ(form.windowTitle(), "Find Outgoing Fax");
    EXPECT_TRUE(form.choices[0]->isChecked());  // SUBJECT preselected
    form.edits[0]->setText("inv");
    form.choices[1]->setChecked(true);
    EXPECT_TRUE(form.edits[0]->text().isEmpty());
    EXPECT_FALSE(form.edits[0]->isEnabled());
    form.edits[1]->setText("acme");
    const QList<FindField> fields = form.fields();
    ASSERT_EQ(fields.size(), 3);
    EXPECT_EQ(fields[0].fieldName, "RECIPIENT");
    EXPECT_EQ(fields[1].fieldName, "PHONE");
    EXPECT_EQ(fields[2].fieldName, "SUBJECT");
    EXPECT_EQ(BuildFindExpression(fields), "\"ACME\"$UPPER(RECIPIENT)");
    EXPECT_EQ(FindFaxForm(LogPage::Incoming).windowTitle(), "Find Incoming (received) Fax");
}

TEST(Dialogs, ForwardOrCloneShowsThePageAndCoverChoicesItIsGiven) {
    ForwardOrCloneRequest clone;
    clone.title = "Clone fax: (subject: \"Plans\")";
    clone.subject = "[clone of] Plans";
    clone.documentPath = "/x/FAX00000.APF";
    clone.pageCount = 3;
    clone.showPageChoice = true;
    clone.showNoCoverLabel = true;
    clone.pages = MakePageRange(1, 3, 3);
    TFaxForwardOrClone dialog(clone);
    EXPECT_EQ(dialog.windowTitle(), clone.title);
    EXPECT_EQ(dialog.pageChoice->text(), "All 3 to be copied");
    EXPECT_TRUE(dialog.selectPages->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.cbIncludeFaxCover->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.noCoverLabel->isVisibleTo(&dialog));
    dialog.Recipient->setText("Carol");
    dialog.accept();
    EXPECT_EQ(clone.recipient, "Carol");
    EXPECT_EQ(clone.subject, "[clone of] Plans");

    ForwardOrCloneRequest forward;  // a one-page received fax
    forward.documentPath = "/x/FAX0001.APF";
    forward.pageCount = 1;
    TFaxForwardOrClone single(forward);
    EXPECT_FALSE(single.PageOptionsBox->isVisibleTo(&single));
}

TEST(RebuildIndexes, WindowPacksEveryTableAndShowsEachStep) {
    OpenLogs logs;
    logs.addOutgoing("Keep");
    logs.addOutgoing("Drop");
    EXPECT_TRUE(logs.fdm.FaxTable.deleteRecord());
    EXPECT_TRUE(logs.fdm.FaxTable.commit());
    logs.fdm.AddPhoneBookEntry("Adams", "555 0100");
    RebuildIndexesWindow window(logs.fdm);
    window.exec();
    EXPECT_EQ(
        window.statusTexts,
        (QStringList{
            "Removing FAX file records marked for deletion", "Rebuilding FAX file indexes",
            "Removing RECEIVE file records marked for deletion", "Rebuilding RECEIVE file indexes",
            "Removing PHONE file records marked for deletion", "Rebuilding PHONE file indexes"}));
    EXPECT_EQ(logs.fdm.FaxTable.recCount(), 1u);
    EXPECT_EQ(logs.fdm.FaxTable.tagCount(), 8);
    EXPECT_FALSE(logs.fdm.PhoneTable.isOpen());
}

TEST(TMainScreen, PrivateMessageClosesTheWindow) {
    OpenLogs logs;
    TMainScreen window;
    window.show();
    QCoreApplication::postEvent(&window, new QEvent(QEvent::Type(kCloseMessage)));
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace corvane
