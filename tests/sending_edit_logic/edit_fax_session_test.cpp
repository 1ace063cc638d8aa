// The outgoing fax editor's decisions: what is opened, what is refused, and exactly which
// files a save writes, keeps and deletes.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <set>

#include "apf_fixtures.h"
#include "core/app_folders.h"
#include "logs/fax_data_module.h"
#include "core/message_boxes.h"
#include "core/settings.h"
#include "covers/shipped_templates.h"
#include "faxdoc/apf_reader.h"
#include "fixtures/temp_home.h"
#include "import_fixtures.h"
#include "sending/edit_logic/delete_pages.h"
#include "sending/edit_logic/edit_fax_session.h"
#include "sending/import/document_import.h"

namespace corvane::testing {
namespace {

class EditFaxSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GlobalSettings() = Settings();
        QDir().mkpath(SendFolder());
        ASSERT_TRUE(InstallShippedTemplates().ok());
        ASSERT_TRUE(fdm_.OpenFaxLogs());
    }

    QString send(const QString& name) const { return SendFolder() + name; }
    // A fine APF of `pages` pages; low resolution when `fine` is false.
    void writeApf(const QString& name, int pages, bool fine = true) {
        std::vector<FixturePage> list;
        for (int i = 0; i < pages; ++i)
            list.push_back(
                RecordPage(TextLikeRaster(1728, 30 + i, unsigned(i + 3)), fine ? kApfHighRes : 0));
        WriteFile(send(name), BuildApf(list));
    }
    std::set<QString> sendFiles() const {
        const QStringList names = QDir(SendFolder()).entryList(QDir::Files);
        return {names.begin(), names.end()};
    }
    quint32 addFax(const QString& doc, const QString& cover) {
        OutgoingFaxFields f{"Quarterly figures", "Acme Ltd", "555 0100", doc, cover, "n", "c"};
        EXPECT_TRUE(fdm_.AppendOutgoingFax(f));
        return fdm_.FaxTable.recNo();
    }
    void writeFcd(const QString& name, const QByteArray& bytes) { WriteFile(send(name), bytes); }

    TempHome home_;
    ScopedScriptedMessageBoxes boxes_;
    TFDM fdm_;
};

TEST_F(EditFaxSessionTest, SaveWritesExactlyTheFilesOfWhatTheFaxHas) {
    struct Row {
        bool message, document;
        std::set<QString> files;  // in SEND/ after saving and closing
        QString faxCover, faxDoc;
    };
    const Row rows[] = {
        {true,
         true,
         {"COV00000.APF", "COV00000.FCD", "FAX00000.APF", "pages.apf"},
         "COV00000.APF",
         "FAX00000.APF"},
        {true, false, {"COV00000.APF", "COV00000.FCD"}, "COV00000.APF", ""},
        {false, true, {"FAX00000.APF", "pages.apf"}, "", "FAX00000.APF"},
        {false, false, {}, "", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(
            QStringLiteral("message %1 document %2").arg(r.message).arg(r.document).toStdString());
        for (const QString& name : sendFiles()) QFile::remove(send(name));
        const quint32 records = fdm_.FaxTable.recCount();
        EditFaxSession session(fdm_, true);
        ASSERT_TRUE(session.open().ok());
        session.fields.Recipient = "Acme Ltd";
        session.fields.RecipientFax = "555 0100";
        session.fields.Regarding = "Figures";
        if (r.message) session.fields.FaxMessage = "Please find the figures attached.\nThanks";
        if (r.document) {
            writeApf("pages.apf", 2);
            ASSERT_EQ(session.appendFax("pages.apf"), "");
            EXPECT_EQ(session.pageCount(), 2);
        }
        const auto refusal = session.validate();
        if (!r.message && !r.document) {
            ASSERT_TRUE(refusal.has_value());
            EXPECT_EQ(refusal->message,
                      "You must have either a Fax Cover Page or a Fax Document or both");
            EXPECT_EQ(refusal->page, EditPage::FaxPages);
            session.close();
            EXPECT_EQ(sendFiles(), r.files);
            EXPECT_EQ(fdm_.FaxTable.recCount(), records);
            continue;
        }
        ASSERT_FALSE(refusal.has_value()) << refusal->message.toStdString();
        ASSERT_TRUE(session.save().ok());
        session.close();
        EXPECT_EQ(sendFiles(), r.files);
        EXPECT_EQ(fdm_.FaxTable.recCount(), records + 1);
        ASSERT_TRUE(fdm_.FaxTable.go(session.recordNumber()));
        EXPECT_EQ(fdm_.FaxTable.fieldText("FAXCOVER"), r.faxCover);
        EXPECT_EQ(fdm_.FaxTable.fieldText("FAXDOC"), r.faxDoc);
        EXPECT_EQ(fdm_.FaxTable.fieldText("RECIPIENT"), "Acme Ltd");
        EXPECT_EQ(fdm_.FaxTable.fieldText("PHONE"), "555 0100");
        EXPECT_EQ(fdm_.FaxTable.fieldText("SUBJECT"), "Figures");
        if (r.document) {
            EXPECT_EQ(GetApfPageCount(send("FAX00000.APF")), 2);
        }
        // The record's files are removed again so the next row starts from the same names.
        ASSERT_TRUE(fdm_.FaxTable.deleteRecord().ok());
        ASSERT_TRUE(fdm_.FaxTable.commit().ok());
    }
}

TEST_F(EditFaxSessionTest, ValidationRefusesInOrderAndJudgesTheMessageByItsLines) {
    struct Row {
        QString recipient, fax, message;
        bool document;
        QString refusal;  // empty: accepted
        EditPage page;
        QString focus;
    };
    const Row rows[] = {
        {"", "", "", false, "Please enter a recipient", EditPage::Recipient, "Recipient"},
        {"Acme", "", "", false, "Please enter a recipient fax number", EditPage::Recipient,
         "RecipientFax"},
        {"Acme", "555", "", false,
         "You must have either a Fax Cover Page or a Fax Document or both", EditPage::FaxPages, ""},
        // A message of spaces and empty lines is blank.
        {"Acme", "555", "   \n\n  ", false,
         "You must have either a Fax Cover Page or a Fax Document or both", EditPage::FaxPages, ""},
        {"Acme", "555", "   \n\n  ", true, "", EditPage::Recipient, ""},
        {"Acme", "555", "\n  Hello", false, "", EditPage::Recipient, ""},
        // The entries count as typed: a recipient of spaces is one.
        {" ", " ", "Hello", false, "", EditPage::Recipient, ""},
        // Only a script can type past a field's width; it is told which.
        {QString(36, 'x'), "555", "Hello", false, "Recipient takes at most 35 characters",
         EditPage::Recipient, "Recipient"},
    };
    writeApf("doc.apf", 1);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.refusal.toStdString() + " / " + r.message.toStdString());
        EditFaxSession session(fdm_, true);
        ASSERT_TRUE(session.open().ok());
        session.fields.Recipient = r.recipient;
        session.fields.RecipientFax = r.fax;
        session.fields.FaxMessage = r.message;
        if (r.document) {
            ASSERT_EQ(session.appendFax("doc.apf"), "");
        }
        const auto refusal = session.validate();
        if (r.refusal.isEmpty()) {
            EXPECT_FALSE(refusal.has_value());
            continue;
        }
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->message, r.refusal);
        EXPECT_EQ(refusal->page, r.page);
        EXPECT_EQ(refusal->focus, r.focus);
    }
}

TEST_F(EditFaxSessionTest, EditingShowsTheCoverDataAndWritesItBack) {
    writeApf("COV00007.APF", 1);
    writeApf("FAX00007.APF", 3);
    writeFcd("COV00007.FCD", "qx0002.fcs\r\nX  X \r\nDear Sir,\r\n\r\n  see below\r\n");
    addFax("FAX00007.APF", "COV00007.APF");
    EditFaxSession session(fdm_, false);
    ASSERT_TRUE(session.open().ok());
    EXPECT_EQ(session.caption(), "Edit Fax");
    // A name not ending in "t" is the design file's; the render file is meant.
    EXPECT_EQ(session.templateName(), "qx0002.fct");
    EXPECT_EQ(session.fields.flags, (ImportanceFlags{true, false, false, true, false}));
    EXPECT_EQ(session.fields.FaxMessage, "Dear Sir,\n\n  see below");
    EXPECT_EQ(session.fields.Recipient, "Acme Ltd");
    EXPECT_EQ(session.fields.Notes, "n");
    EXPECT_EQ(session.pageCount(), 3);
    EXPECT_EQ(session.docStatusText(), "Fax pages: Fax has 3 pages");
    EXPECT_TRUE(QFile::exists(session.workingCover()));

    session.fields.flags = {false, true, false, false, true};
    session.fields.FaxMessage = "New text\nsecond line";
    session.chooseTemplate("/somewhere/QX0003.FCS");
    EXPECT_EQ(session.templateLabel(), "Template: QX0003.fct");
    const QByteArray documentBefore = ReadFile(send("FAX00007.APF"));
    ASSERT_TRUE(session.save().ok());
    session.close();
    // The cover is regenerated under its own name; the unchanged document is not touched.
    EXPECT_EQ(ReadFile(send("COV00007.FCD")), "QX0003.fct\r\n X  X\r\nNew text\r\nsecond line\r\n");
    EXPECT_EQ(ReadFile(send("FAX00007.APF")), documentBefore);
    EXPECT_EQ(sendFiles(), (std::set<QString>{"COV00007.APF", "COV00007.FCD", "FAX00007.APF"}));
    EXPECT_EQ(fdm_.FaxTable.fieldText("FAXCOVER"), "COV00007.APF");
}

TEST_F(EditFaxSessionTest, CoverDataFileOddities) {
    struct Row {
        const char* name;
        QByteArray fcd;  // empty: no cover data file
        ImportanceFlags flags;
        QString message;
        QString templateName;
    };
    const Row rows[] = {
        {"second line too long", "qx0001.fct\r\nXXXXXX\r\nHi\r\n", {}, "Hi", "qx0001.fct"},
        {"second line too short", "qx0001.fct\r\nXX\r\nHi\r\n", {}, "Hi", "qx0001.fct"},
        {"no cover data file", "", {}, "", "qx0001.fct"},
        {"lower case flags are clear",
         "qx0002.fct\r\nx X x\r\n",
         {false, false, true, false, false},
         "",
         "qx0002.fct"},
    };
    GlobalSettings().LastUsedCoversheetTemplate = "qx0001.fct";
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        writeApf("COV00001.APF", 1);
        QFile::remove(send("COV00001.FCD"));
        if (!r.fcd.isEmpty()) writeFcd("COV00001.FCD", r.fcd);
        addFax("", "COV00001.APF");
        EditFaxSession session(fdm_, false);
        ASSERT_TRUE(session.open().ok());
        EXPECT_EQ(session.fields.flags, r.flags);
        EXPECT_EQ(session.fields.FaxMessage, r.message);
        EXPECT_EQ(session.templateName(), r.templateName);
    }
}

TEST_F(EditFaxSessionTest, ClearingTheMessageOrEveryPageRemovesThoseFiles) {
    writeApf("COV00003.APF", 1);
    writeFcd("COV00003.FCD", "qx0001.fct\r\n     \r\nHello\r\n");
    writeApf("FAX00003.APF", 2);
    addFax("FAX00003.APF", "COV00003.APF");
    {
        // Clearing the message: no cover, no cover data file, FAXCOVER empty.
        EditFaxSession session(fdm_, false);
        ASSERT_TRUE(session.open().ok());
        session.fields.FaxMessage = "  ";
        ASSERT_FALSE(session.validate().has_value());
        ASSERT_TRUE(session.save().ok());
    }
    EXPECT_EQ(sendFiles(), (std::set<QString>{"FAX00003.APF"}));
    EXPECT_EQ(fdm_.FaxTable.fieldText("FAXCOVER"), "");
    EXPECT_EQ(fdm_.FaxTable.fieldText("FAXDOC"), "FAX00003.APF");
    {
        // Deleting every page, with a message so that the fax is still something.
        EditFaxSession session(fdm_, false);
        ASSERT_TRUE(session.open().ok());
        ASSERT_TRUE(QFile::remove(session.workingDocument()));
        session.documentEdited();
        EXPECT_EQ(session.docStatusText(), "Fax pages: No fax pages");
        EXPECT_FALSE(session.canDeletePages());
        session.fields.FaxMessage = "Only the cover now";
        ASSERT_TRUE(session.save().ok());
    }
    EXPECT_EQ(sendFiles(), (std::set<QString>{"COV00000.APF", "COV00000.FCD"}));
    EXPECT_EQ(fdm_.FaxTable.fieldText("FAXDOC"), "");
    EXPECT_EQ(fdm_.FaxTable.fieldText("FAXCOVER"), "COV00000.APF");
}

TEST_F(EditFaxSessionTest, CancellingAfterAppendingLeavesTheStoredFaxAlone) {
    writeApf("FAX00004.APF", 2);
    writeApf("OTHER.APF", 1);
    writeApf("LOWRES.APF", 1, false);
    addFax("FAX00004.APF", "");
    const QByteArray before = ReadFile(send("FAX00004.APF"));
    {
        EditFaxSession session(fdm_, false);
        ASSERT_TRUE(session.open().ok());
        EXPECT_EQ(session.appendFax("LOWRES.APF"), "Unable to work with lower resolution faxes");
        EXPECT_EQ(session.appendFax("OTHER.APF"), "");
        EXPECT_EQ(session.pageCount(), 3);
        EXPECT_TRUE(session.documentChanged());
        EXPECT_EQ(GetApfPageCount(session.workingDocument()), 3);
        // Cancel: the window closes without save.
    }
    EXPECT_EQ(ReadFile(send("FAX00004.APF")), before);
    EXPECT_EQ(sendFiles(), (std::set<QString>{"FAX00004.APF", "OTHER.APF", "LOWRES.APF"}));
}

TEST_F(EditFaxSessionTest, AttachedDocumentsJoinTheWorkingDocumentOrChangeNothing) {
    writeApf("FAX00005.APF", 1);
    addFax("FAX00005.APF", "");
    const QString pdf = home_.file("letter.pdf");
    WriteTextPdf(pdf, 2);
    const QString broken = home_.write("broken.pdf", "%PDF-1.4\nnothing else");
    EditFaxSession session(fdm_, false);
    ASSERT_TRUE(session.open().ok());
    const QByteArray before = ReadFile(session.workingDocument());
    DocumentImport import;
    const Status failed = session.attachDocuments({pdf, broken}, import);
    EXPECT_FALSE(failed.ok());
    EXPECT_TRUE(failed.message().contains("broken.pdf")) << failed.message().toStdString();
    EXPECT_EQ(ReadFile(session.workingDocument()), before);
    EXPECT_FALSE(session.documentChanged());

    ASSERT_TRUE(session.attachDocuments({pdf}, import).ok());
    EXPECT_EQ(session.pageCount(), 3);
    ASSERT_TRUE(session.save().ok());
    session.close();
    EXPECT_EQ(GetApfPageCount(send("FAX00005.APF")), 3);
    EXPECT_EQ(sendFiles(), (std::set<QString>{"FAX00005.APF"}));
}

TEST_F(EditFaxSessionTest, LeftOverWorkingCopiesNeverBecomeANewFaxsPages) {
    writeApf("_tempdoc.apf", 4);
    writeApf("_tempcov.apf", 1);
    EditFaxSession session(fdm_, true);
    ASSERT_TRUE(session.open().ok());
    EXPECT_EQ(session.caption(), "Create New Fax");
    EXPECT_EQ(session.pageCount(), 0);
    EXPECT_FALSE(QFile::exists(session.workingDocument()));
    EXPECT_FALSE(QFile::exists(session.workingCover()));
}

TEST_F(EditFaxSessionTest, PreviewNeedsSomethingAndGeneratesTheCoverIntoTheWorkingCopy) {
    EditFaxSession session(fdm_, true);
    ASSERT_TRUE(session.open().ok());
    const Result<QStringList> nothing = session.preparePreview();
    ASSERT_FALSE(nothing.ok());
    EXPECT_EQ(nothing.message(), "No cover message and no fax document - nothing to preview");
    session.fields.FaxMessage = "Hello";
    const Result<QStringList> files = session.preparePreview();
    ASSERT_TRUE(files.ok());
    EXPECT_EQ(files.value(), QStringList{session.workingCover()});
    EXPECT_EQ(GetApfPageCount(session.workingCover()), 1);
    session.close();
    EXPECT_TRUE(sendFiles().empty());
}

TEST_F(EditFaxSessionTest, PhoneBookAndSenderDefaults) {
    EditFaxSession session(fdm_, true);
    ASSERT_TRUE(session.open().ok());
    session.fields.Recipient = "Acme Ltd";
    EXPECT_EQ(session.addToPhoneBook(),
              "Nothing to add - please fill in the receipient and fax number fields");
    session.fields.RecipientFax = "555 0100";
    EXPECT_EQ(session.addToPhoneBook(), "Added to phone book");
    EXPECT_EQ(session.addToPhoneBook(), "Entry already in phone book");

    session.fields.Name = "Ann";
    session.fields.Company = "Acme";
    session.fields.FaxNumber = "555 0199";
    session.fields.Voicenumber = "555 0198";
    ASSERT_TRUE(session.saveSenderAsDefault().ok());
    EXPECT_TRUE(home_.read("QX.INI").contains("Name=Ann"));
    session.fields.Name = "changed";
    session.restoreSenderFromDefault();
    EXPECT_EQ(session.fields.Name, "Ann");
    EXPECT_EQ(session.fields.Voicenumber, "555 0198");
}

TEST_F(EditFaxSessionTest, DeletingPagesFromTheWorkingDocument) {
    struct Row {
        int from, to, pages;
        PageDeletion check;
    };
    const Row checks[] = {
        {1, 4, 4, PageDeletion::WholeFile}, {1, 1, 1, PageDeletion::WholeFile},
        {2, 3, 4, PageDeletion::Range},     {4, 4, 4, PageDeletion::Range},
        {0, 2, 4, PageDeletion::Invalid},   {3, 2, 4, PageDeletion::Invalid},
        {2, 5, 4, PageDeletion::Invalid},
    };
    for (const Row& r : checks)
        EXPECT_EQ(CheckPageDeletion(r.from, r.to, r.pages), r.check) << r.from << ".." << r.to;

    writeApf("FAX00006.APF", 4);
    addFax("FAX00006.APF", "");
    EditFaxSession session(fdm_, false);
    ASSERT_TRUE(session.open().ok());
    EXPECT_EQ(DeletePageRange(session.workingDocument(), 2, 3), "");
    session.documentEdited();
    EXPECT_EQ(session.pageCount(), 2);
    // A range the file does not have fails and leaves the file as it was.
    const QByteArray before = ReadFile(session.workingDocument());
    EXPECT_EQ(DeletePageRange(session.workingDocument(), 3, 5),
              "Error: Unable to delete selected pages");
    EXPECT_EQ(ReadFile(session.workingDocument()), before);
    EXPECT_EQ(DeleteWholeFax(session.workingDocument()), "");
    session.documentEdited();
    EXPECT_EQ(session.pageCount(), 0);
    // No safety copy is left in the data folder.
    EXPECT_TRUE(QDir(AppFolder()).entryList({"_tmp*"}, QDir::Files).isEmpty());
}

}  // namespace
}  // namespace corvane::testing
