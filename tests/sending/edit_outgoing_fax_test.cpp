// The editor window's wiring: pages, refusals with their focus, attaching by button and by
// drop, the template picker, and New / Edit in the main window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBrush>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QUrl>

#include "apf_fixtures.h"
#include "core/settings.h"
#include "covers/shipped_templates.h"
#include "faxdoc/apf_reader.h"
#include "import_fixtures.h"
#include "log_fixture.h"
#include "logwindow/log_table_model.h"
#include "logwindow/main_screen.h"
#include "sending/append_fax_picker.h"
#include "sending/delete_pages_dialog.h"
#include "sending/edit_outgoing_fax.h"
#include "sending/template_picker.h"
#include "viewing/show_viewer.h"
#include "viewing/viewer_window_base.h"

namespace corvane::testing {
namespace {

QLineEdit* Edit(TEditAddFaxForm& form, const char* name) {
    return qobject_cast<QLineEdit*>(form.control(name));
}

TEST(EditOutgoingFax, NewFaxIsRefusedUntilCompleteThenSavedWithAttachedPages) {
    OpenLogs logs;
    ASSERT_TRUE(InstallShippedTemplates().ok());
    WriteTextPdf(logs.home.file("letter.pdf"), 2);
    TEditAddFaxForm form(logs.fdm, true);
    ASSERT_TRUE(form.openStatus().ok());
    EXPECT_EQ(form.windowTitle(), "Create New Fax");
    EXPECT_EQ(form.currentPage(), EditPage::Recipient);
    EXPECT_TRUE(form.button("Recipient")->font().bold());
    EXPECT_FALSE(form.button("Sender")->font().bold());
    EXPECT_EQ(Edit(form, "Recipient")->maxLength(), 35);
    EXPECT_EQ(Edit(form, "Voicenumber")->maxLength(), 20);

    form.showPage(EditPage::FaxPages);
    form.SaveClick();
    EXPECT_EQ(logs.boxes.texts().value(0), "Please enter a recipient");
    EXPECT_EQ(form.currentPage(), EditPage::Recipient);
    Edit(form, "Recipient")->setText("Acme Ltd");
    Edit(form, "RecipientFax")->setText("555 0100");
    form.SaveClick();
    EXPECT_EQ(logs.boxes.texts().value(1),
              "You must have either a Fax Cover Page or a Fax Document or both");
    EXPECT_EQ(form.currentPage(), EditPage::FaxPages);
    EXPECT_EQ(form.docStatus()->text(), "Fax pages: No fax pages");
    EXPECT_FALSE(form.button("Delete one or more pages from this Fax ")->isEnabled());

    form.SetFileAsker([&](QWidget*) { return QStringList{logs.home.file("letter.pdf")}; });
    form.button("Attach a document...")->click();
    EXPECT_EQ(form.docStatus()->text(), "Fax pages: Fax has 2 pages");
    EXPECT_TRUE(form.button("Delete one or more pages from this Fax ")->isEnabled());
    qobject_cast<QPlainTextEdit*>(form.control("FaxMessage"))->setPlainText("Hello Ann");
    qobject_cast<QCheckBox*>(form.control("cUrgent"))->setChecked(true);
    form.SaveClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    xbase::XbaseTable& t = logs.fdm.FaxTable;
    EXPECT_EQ(t.fieldText("RECIPIENT"), "Acme Ltd");
    EXPECT_EQ(GetApfPageCount(logs.send(t.fieldText("FAXDOC"))), 2);
    EXPECT_TRUE(ReadFile(logs.send("COV00000.FCD")).startsWith("qx0001.fct\r\nX    \r\nHello Ann"));
}

TEST(EditOutgoingFax, DroppedFilesAreAttachedAndEditReopensTheFax) {
    OpenLogs logs;
    ASSERT_TRUE(InstallShippedTemplates().ok());
    WriteTextPdf(logs.home.file("a.pdf"), 1);
    WritePbm(logs.home.file("b.pbm"), PatternPicture(1728, 300, 4));
    {
        TEditAddFaxForm form(logs.fdm, true);
        form.showPage(EditPage::FaxPages);
        QWidget* page = form.control("FaxPagesPage");
        ASSERT_NE(page, nullptr);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(logs.home.file("a.pdf")),
                      QUrl::fromLocalFile(logs.home.file("b.pbm"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(page, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(page, &drop);
        EXPECT_EQ(form.docStatus()->text(), "Fax pages: Fax has 2 pages");
        Edit(form, "Recipient")->setText("Bob");
        Edit(form, "RecipientFax")->setText("555 0123");
        Edit(form, "Notes")->setText("by drop");
        form.SaveClick();
        ASSERT_EQ(form.result(), QDialog::Accepted);
    }
    TEditAddFaxForm again(logs.fdm, false);
    ASSERT_TRUE(again.openStatus().ok());
    EXPECT_EQ(again.windowTitle(), "Edit Fax");
    EXPECT_EQ(Edit(again, "Recipient")->text(), "Bob");
    EXPECT_EQ(Edit(again, "Notes")->text(), "by drop");
    EXPECT_EQ(again.docStatus()->text(), "Fax pages: Fax has 2 pages");
    EXPECT_TRUE(
        qobject_cast<QPlainTextEdit*>(again.control("FaxMessage"))->toPlainText().isEmpty());
}

TEST(EditOutgoingFax, TemplatePickerSelectsTheCurrentTemplateAndShowsItsPicture) {
    OpenLogs logs;
    ASSERT_TRUE(InstallShippedTemplates().ok());
    TSelectCoverTemplate picker(CoversFolder(), "qx0002.fct");
    EXPECT_EQ(picker.windowTitle(), "Select  Fax Cover Template");
    ASSERT_GE(picker.list()->count(), 3);
    EXPECT_EQ(picker.list()->currentItem()->text().toUpper(), "QX0002.FCS");
    EXPECT_FALSE(picker.picture()->pixmap().isNull());
    // A template without its picture says so.
    QFile::remove(ResolveName(CoversFolder(), "QX0003.bmp"));
    picker.list()->setCurrentRow(2);
    EXPECT_EQ(picker.picture()->text(), "Image not available");
    picker.okClicked();
    EXPECT_EQ(QFileInfo(picker.chosen()).fileName().toUpper(), "QX0003.FCS");

    TEditAddFaxForm form(logs.fdm, true);
    form.session().chooseTemplate(picker.chosen());
    EXPECT_TRUE(form.session().templateLabel().endsWith(".fct"));
}

// With CORVANE_SCREENSHOT_DIR set, the editor and its preview are saved there as PNG files.
void Screenshot(QWidget& window, const QString& name) {
    const QString folder = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    window.grab().save(QDir(folder).filePath(name));
}

QString gPreviewStatus;

bool GrabPreview(QWidget* window) {
    if (auto* viewer = qobject_cast<ViewerWindowBase*>(window)) {
        window->resize(620, 760);
        window->show();
        QCoreApplication::processEvents();
        gPreviewStatus = viewer->statusText();
        // The attached PDF's page follows the cover.
        viewer->NextPageClick();
        QCoreApplication::processEvents();
        Screenshot(*window, "editor-preview.png");
    }
    return false;
}

TEST(EditOutgoingFax, PreviewShowsTheCoverAndTheAttachedPdfAsOneFax) {
    OpenLogs logs;
    ASSERT_TRUE(InstallShippedTemplates().ok());
    WriteTextPdf(logs.home.file("letter.pdf"), 1, QPageSize(QPageSize::A4), QPageLayout::Portrait,
                 12, 40);
    TEditAddFaxForm form(logs.fdm, true);
    Edit(form, "Recipient")->setText("Acme Ltd");
    Edit(form, "RecipientFax")->setText("+1 555 0100");
    Edit(form, "Regarding")->setText("Quarterly figures");
    Edit(form, "Name")->setText("Ann Example");
    Edit(form, "FaxNumber")->setText("+1 555 0199");
    qobject_cast<QPlainTextEdit*>(form.control("FaxMessage"))
        ->setPlainText("Dear Ann,\nthe figures you asked for follow.");
    form.SetFileAsker([&](QWidget*) { return QStringList{logs.home.file("letter.pdf")}; });
    form.button("Attach a document...")->click();
    form.showPage(EditPage::FaxPages);
    form.show();
    QCoreApplication::processEvents();
    Screenshot(form, "editor-fax-pages.png");
    form.showPage(EditPage::CoverPage);
    Screenshot(form, "editor-cover-page.png");

    SetViewerWindowHook(&GrabPreview);
    gPreviewStatus.clear();
    form.PreviewClick();
    SetViewerWindowHook(nullptr);
    EXPECT_EQ(gPreviewStatus, "Copy of fax being edited: Page 1 of 2");
}

TEST(EditOutgoingFax, AppendPickerFiltersTellsWhyAndPutsTheLogsViewBack) {
    OpenLogs logs;
    WriteApf(logs.send("FAX00001.APF"), 2);
    logs.addOutgoing("cover only", "", "COV00009.APF");
    logs.addOutgoing("missing file", "FAX00404.APF");
    logs.addOutgoing("good", "FAX00001.APF");
    const uint32_t archived = logs.addOutgoing("archived", "FAX00001.APF");
    xbase::XbaseTable& t = logs.fdm.FaxTable;
    ASSERT_TRUE(t.replaceLogical("ARCHIVED", true).ok());
    ASSERT_TRUE(t.commit().ok());
    const uint32_t sent = logs.addOutgoing("sent", "FAX00001.APF");
    ASSERT_TRUE(t.replaceDate("DATESENT", QDate(2026, 3, 1)).ok());
    ASSERT_TRUE(t.commit().ok());
    // The main window's view: by subject, only "good", on record 3.
    t.setOrder(t.tagArea("SUBJECT"));
    ASSERT_TRUE(t.query("SUBJECT = \"good\"").ok());
    ASSERT_TRUE(t.go(3));
    {
        TSelectFaxToAppend picker(logs.fdm);
        EXPECT_EQ(picker.windowTitle(), "Select Fax To Append");
        EXPECT_EQ(picker.sortBox()->currentText(), "Sort by Date Sent");
        EXPECT_EQ(picker.model()->rowCount(), 4);  // not archived
        picker.unsentOnly()->setChecked(true);
        EXPECT_EQ(picker.model()->rowCount(), 3);
        picker.showArchived()->setChecked(true);
        EXPECT_EQ(picker.model()->rowCount(), 4);
        picker.unsentOnly()->setChecked(false);
        EXPECT_EQ(picker.model()->rowCount(), 5);
        picker.sortBox()->setCurrentIndex(1);  // by subject: archived, cover only, good, ...
        EXPECT_EQ(picker.model()->recnoAt(0), archived);
        EXPECT_EQ(picker.model()->data(picker.model()->index(0, 0), Qt::ForegroundRole),
                  QVariant(QBrush(Qt::red)));
        EXPECT_EQ(picker.model()->recnoAt(4), sent);

        picker.grid()->selectRow(1);
        picker.appendClicked();
        picker.grid()->selectRow(3);
        picker.appendClicked();
        ASSERT_EQ(logs.boxes.texts().size(), 2);
        EXPECT_EQ(logs.boxes.texts()[0], "No Fax document here - only a cover file");
        EXPECT_TRUE(
            logs.boxes.texts()[1].startsWith("Oops! That fax file appears to be missing...\r("))
            << logs.boxes.texts()[1].toStdString();
        picker.grid()->selectRow(2);
        logs.boxes.queueAnswer(true);
        picker.appendClicked();
        EXPECT_EQ(logs.boxes.shown().back().text, "Append this fax file?");
        EXPECT_EQ(logs.boxes.shown().back().title, "ATTACH");
        EXPECT_EQ(picker.result(), QDialog::Accepted);
        EXPECT_EQ(picker.chosenDocument(), "FAX00001.APF");
    }
    EXPECT_EQ(t.tagName(t.indexOrd()), "SUBJECT");
    EXPECT_EQ(t.filter(), "SUBJECT = \"good\"");
    EXPECT_EQ(t.recNo(), 3u);
}

TEST(EditOutgoingFax, PageDeletionDialogRefusesBadRangesAndConfirmsAll) {
    OpenLogs logs;
    WriteApf(logs.send("doc.apf"), 3);
    TDeleteSpecificPagesForm form(logs.send("doc.apf"), 3);
    EXPECT_EQ(form.windowTitle(), "Delete Pages From Fax");
    EXPECT_EQ(form.from(), 1);
    EXPECT_EQ(form.to(), 3);
    form.fromSpinner()->setValue(3);
    form.toSpinner()->setValue(2);
    form.okClicked();
    EXPECT_EQ(logs.boxes.texts().value(0), "Invalid Page Range");
    EXPECT_NE(form.result(), QDialog::Accepted);
    form.fromSpinner()->setValue(1);
    form.toSpinner()->setValue(3);
    form.okClicked();  // "Delete ALL pages?" answered No: the dialog stays
    EXPECT_EQ(logs.boxes.shown().back().text, "Delete ALL pages?");
    EXPECT_EQ(logs.boxes.shown().back().title, "DELETE");
    EXPECT_NE(form.result(), QDialog::Accepted);
    logs.boxes.queueAnswer(true);
    form.okClicked();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(form.wholeFile());

    // Without the file there is no dialog at all.
    EXPECT_FALSE(DeletePagesFromFax(logs.send("gone.apf"), nullptr));
    EXPECT_EQ(logs.boxes.texts().back(), "Error: Fax file original is missing");
}

TEST(EditOutgoingFax, MainWindowOpensTheEditorForNewAndForTheSelectedOutgoingFax) {
    OpenLogs logs;
    logs.addOutgoing("Existing");
    TMainScreen window;
    window.SetDataModule(&logs.fdm);
    window.SetDialogs(&logs.dialogs);
    window.show();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activate);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.button("&New")->isEnabled());
    std::vector<bool> opened;
    window.SetFaxEditor([&](bool isNew) {
        opened.push_back(isNew);
        return false;
    });
    EXPECT_TRUE(window.button("&New")->isEnabled());
    EXPECT_TRUE(window.button("&Edit")->isEnabled());
    window.button("&New")->click();
    window.button("&Edit")->click();
    EXPECT_EQ(opened, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace corvane::testing

namespace corvane::testing {
namespace {

// Runs `step` on the editor once it is shown modally.
void WhenEditorOpens(std::function<void(TEditAddFaxForm&)> step) {
    QTimer::singleShot(0, [step] {
        auto* form = qobject_cast<TEditAddFaxForm*>(QApplication::activeModalWidget());
        if (!form) {
            ADD_FAILURE() << "no editor window";
            return;
        }
        step(*form);
        if (form->isVisible()) form->reject();
    });
}

// What a new user does: New, a recipient, a template, a message, a PDF, save; the fax is in
// the outgoing log, and Edit shows it again as saved.
TEST(EditOutgoingFax, NewFromTheMainWindowLandsInTheLogAndEditShowsItAgain) {
    OpenLogs logs;
    ASSERT_TRUE(InstallShippedTemplates().ok());
    WriteTextPdf(logs.home.file("letter.pdf"), 1);
    TMainScreen window;
    window.SetDataModule(&logs.fdm);
    window.SetDialogs(&logs.dialogs);
    window.SetFaxEditor([&](bool isNew) { return EditOutgoingFax(logs.fdm, isNew, &window); });
    window.show();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activate);
    QCoreApplication::processEvents();
    ASSERT_EQ(window.model(LogPage::Outgoing)->rowCount(), 0);

    WhenEditorOpens([&](TEditAddFaxForm& form) {
        Edit(form, "Recipient")->setText("Acme Ltd");
        Edit(form, "RecipientFax")->setText("555 0100");
        form.session().chooseTemplate(CoversFolder() + "QX0002.FCS");
        qobject_cast<QPlainTextEdit*>(form.control("FaxMessage"))->setPlainText("See attached");
        form.SetFileAsker([&](QWidget*) { return QStringList{logs.home.file("letter.pdf")}; });
        form.button("Attach a document...")->click();
        form.SaveClick();
    });
    window.button("&New")->click();
    ASSERT_EQ(window.model(LogPage::Outgoing)->rowCount(), 1);
    EXPECT_EQ(GlobalSettings().LastUsedCoversheetTemplate, "QX0002.fct");

    QString shownRecipient, shownMessage, shownStatus, shownTemplate;
    WhenEditorOpens([&](TEditAddFaxForm& form) {
        shownRecipient = Edit(form, "Recipient")->text();
        shownMessage = qobject_cast<QPlainTextEdit*>(form.control("FaxMessage"))->toPlainText();
        shownStatus = form.docStatus()->text();
        shownTemplate = form.templateLabel()->text();
    });
    window.grid(LogPage::Outgoing)->selectRow(0);
    window.EditSelected();
    EXPECT_EQ(shownRecipient, "Acme Ltd");
    EXPECT_EQ(shownMessage, "See attached");
    EXPECT_EQ(shownStatus, "Fax pages: Fax has 1 pages");
    EXPECT_EQ(shownTemplate, "Template: QX0002.fct");
    // Cancel leaves the stored fax as it was; the working copies are gone.
    EXPECT_FALSE(QFile::exists(logs.send("_tempdoc.apf")));
    EXPECT_FALSE(QFile::exists(logs.send("_tempcov.apf")));
    GlobalSettings() = Settings();
}

}  // namespace
}  // namespace corvane::testing
