#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableWidget>

#include "logs/fax_data_module.h"
#include "core/message_boxes.h"
#include "fixtures/temp_home.h"
#include "logwindow/phone_book_window.h"

namespace corvane {
namespace {

using testing::TempHome;

struct PhoneBookFixture {
    TempHome home;
    ScopedScriptedMessageBoxes boxes;
    TFDM fdm;
    explicit PhoneBookFixture(const QStringList& names = {}) {
        for (const QString& n : names) fdm.AddPhoneBookEntry(n, "555 " + n.left(3));
        EXPECT_TRUE(fdm.OpenPhoneBook(false));
    }
};

TEST(PhoneBook, LetterTabFindsTheFirstNameWithoutRegardToCaseAndKeepsTheEntryWhenNone) {
    PhoneBookFixture pb({"Moore", "Adams", "miller"});
    TPhoneBook window(pb.fdm, TPhoneBook::Mode::Managing);
    ASSERT_EQ(window.grid->rowCount(), 3);
    EXPECT_EQ(window.grid->item(0, 0)->text(), "Adams");
    window.clickLetter('M');
    EXPECT_EQ(window.browser().Current().name.trimmed(), "miller");
    EXPECT_EQ(window.grid->currentRow(), 1);
    window.clickLetter('Q');
    EXPECT_EQ(window.browser().Current().name.trimmed(), "miller");
    EXPECT_TRUE(window.closeButton->isVisibleTo(&window));
    EXPECT_FALSE(window.acceptButton->isVisibleTo(&window));
}

TEST(PhoneBook, NewEditDeleteAndTheButtonsOfAnEmptyBookInPickingMode) {
    PhoneBookFixture pb;
    TPhoneBook window(pb.fdm, TPhoneBook::Mode::Picking);
    EXPECT_TRUE(window.acceptButton->isVisibleTo(&window));
    EXPECT_FALSE(window.closeButton->isVisibleTo(&window));
    EXPECT_FALSE(window.editButton->isEnabled());
    EXPECT_FALSE(window.acceptButton->isEnabled());

    QStringList answers = {"Zed Corp", "555 9000"};
    window.runEditor = [&](QString& name, QString& number) {
        EXPECT_TRUE(name.isEmpty() || name.trimmed() == "Zed Corp");
        name = answers[0];
        number = answers[1];
        return true;
    };
    window.clickNew();
    EXPECT_EQ(window.grid->rowCount(), 1);
    EXPECT_TRUE(window.editButton->isEnabled());
    EXPECT_TRUE(window.deleteButton->isEnabled());
    EXPECT_TRUE(window.acceptButton->isEnabled());
    answers = {"Zed Corporation", "555 9001"};
    window.clickEdit();
    EXPECT_EQ(window.grid->item(0, 0)->text(), "Zed Corporation");
    // Picking returns the values as stored: padded to the field widths.
    EXPECT_EQ(window.browser().Current().phone, QString("555 9001").leftJustified(25));

    pb.boxes.queueAnswer(false);
    window.clickDelete();
    EXPECT_EQ(window.grid->rowCount(), 1);
    pb.boxes.queueAnswer(true);
    window.clickDelete();
    EXPECT_EQ(pb.boxes.texts().value(0), "Delete the current phone book entry?:\rZed Corporation");
    EXPECT_EQ(window.grid->rowCount(), 0);
    EXPECT_FALSE(window.editButton->isEnabled());
    EXPECT_FALSE(window.deleteButton->isEnabled());
    EXPECT_FALSE(window.acceptButton->isEnabled());
}

}  // namespace
}  // namespace corvane
