#include "logwindow/phone_book_window.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "logs/fax_data_module.h"
#include "logs/fax_log_schema.h"
#include "logs/phone_book_csv.h"
#include "uicommon/help_window.h"

namespace corvane {

TPhoneBookEditor::TPhoneBookEditor(QWidget* parent) : QDialog(parent) {
    SetHelpTopic(this, "phonebook");
    setWindowTitle("Phone Book Editor");
    auto* form = new QFormLayout(this);
    name = new QLineEdit(this);
    name->setMaxLength(kPhoneBookNameWidth);
    name->setMinimumWidth(260);
    number = new QLineEdit(this);
    number->setMaxLength(kPhoneBookPhoneWidth);
    form->addRow("Name", name);
    form->addRow("Fax Number", number);
    auto* box = new QDialogButtonBox(this);
    box->addButton("&Accept", QDialogButtonBox::AcceptRole)->setDefault(true);
    box->addButton("Cance&l", QDialogButtonBox::RejectRole);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(box);
}

TPhoneBook::TPhoneBook(TFDM& fdm, Mode mode, QWidget* parent)
    : QDialog(parent), fdm_(fdm), mode_(mode), browser_(std::make_unique<PhoneBookBrowser>(fdm)) {
    SetHelpTopic(this, "phonebook");
    setWindowTitle("Phone Book Browser");
    auto* col = new QVBoxLayout(this);
    grid = new QTableWidget(0, 2, this);
    grid->setHorizontalHeaderLabels({"Name", "Fax #"});
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    const int ch = QFontMetrics(grid->font()).averageCharWidth();
    grid->setColumnWidth(0, 31 * ch);
    grid->setColumnWidth(1, 25 * ch);
    grid->setMinimumWidth(58 * ch + 40);
    col->addWidget(grid, 1);
    connect(grid, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { browser_->SetCurrentRow(row); });

    letters = new QTabBar(this);
    for (char c = 'A'; c <= 'Z'; ++c) letters->addTab(QString(QChar(c)));
    letters->setExpanding(false);
    letters->setUsesScrollButtons(true);
    letters->setToolTip("Click on a letter tab to find the first entry starting with that letter");
    connect(letters, &QTabBar::tabBarClicked, this, [this](int i) {
        if (i >= 0) clickLetter(QChar('A' + i));
    });
    col->addWidget(letters);

    auto* row = new QHBoxLayout;
    auto button = [&](const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setAutoDefault(false);
        row->addWidget(b);
        return b;
    };
    helpButton = button("&Help");
    connect(helpButton, &QPushButton::clicked, this, [this] { ShowHelpTopic(this, "phonebook"); });
    importButton = button("Import...");
    exportButton = button("Export...");
    row->addStretch(1);
    newButton = button("&New");
    editButton = button("&Edit");
    deleteButton = button("&Delete");
    acceptButton = button("&Accept");
    cancelButton = button("Cance&l");
    closeButton = button("C&lose");
    col->addLayout(row);
    connect(newButton, &QPushButton::clicked, this, &TPhoneBook::clickNew);
    connect(editButton, &QPushButton::clicked, this, &TPhoneBook::clickEdit);
    connect(deleteButton, &QPushButton::clicked, this, &TPhoneBook::clickDelete);
    connect(importButton, &QPushButton::clicked, this, &TPhoneBook::clickImport);
    connect(exportButton, &QPushButton::clicked, this, &TPhoneBook::clickExport);
    connect(acceptButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    const bool picking = mode == Mode::Picking;
    closeButton->setVisible(!picking);
    acceptButton->setVisible(picking);
    cancelButton->setVisible(picking);
    acceptButton->setDefault(picking);
    connect(grid, &QTableWidget::cellDoubleClicked, this, [this] {
        if (mode_ == Mode::Picking && acceptButton->isEnabled()) accept();
    });

    runEditor = [this](QString& name, QString& number) {
        TPhoneBookEditor editor(this);
        editor.name->setText(name.trimmed());
        editor.number->setText(number.trimmed());
        if (editor.exec() != QDialog::Accepted) return false;
        name = editor.name->text();
        number = editor.number->text();
        return true;
    };
    chooseCsvFile = [this](bool forSaving) {
        return forSaving ? QFileDialog::getSaveFileName(this, "Export Phone Book", "phonebook.csv",
                                                        "CSV files (*.csv)")
                         : QFileDialog::getOpenFileName(this, "Import Phone Book", {},
                                                        "CSV files (*.csv);;All files (*)");
    };
    refill();
    resize(sizeHint().width(), 420);
}

TPhoneBook::~TPhoneBook() = default;

void TPhoneBook::refill() {
    const auto& entries = browser_->entries();
    const QSignalBlocker block(grid);
    grid->setRowCount(int(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        grid->setItem(int(i), 0, new QTableWidgetItem(entries[i].name));
        grid->setItem(int(i), 1, new QTableWidgetItem(entries[i].phone));
    }
    const int row = browser_->currentRow();
    if (row >= 0) grid->setCurrentCell(row, 0);
    setButtons();
}

void TPhoneBook::setButtons() {
    const bool any = browser_->EditEnabled();
    editButton->setEnabled(any);
    deleteButton->setEnabled(any);
    acceptButton->setEnabled(any);
}

void TPhoneBook::clickLetter(QChar letter) {
    browser_->LetterTab(letter);
    const int row = browser_->currentRow();
    const QSignalBlocker block(grid);
    if (row >= 0) grid->setCurrentCell(row, 0);
}

void TPhoneBook::clickNew() {
    QString name, number;
    if (runEditor(name, number)) browser_->New(name, number);
    refill();
}

void TPhoneBook::clickEdit() {
    if (!browser_->EditEnabled()) {
        QApplication::beep();
        return;
    }
    const PhoneBookEntry current = browser_->Current();
    QString name = current.name, number = current.phone;
    if (runEditor(name, number)) browser_->Edit(name, number);
    refill();
}

void TPhoneBook::clickDelete() {
    if (!browser_->EditEnabled()) {
        QApplication::beep();
        return;
    }
    browser_->Delete();
    refill();
}

void TPhoneBook::clickImport() {
    const QString path = chooseCsvFile(false);
    if (path.isEmpty()) return;
    const auto report = ImportPhoneBookCsv(fdm_, path);
    // Adding entries takes the phone book for itself; it is opened for browsing again.
    fdm_.OpenPhoneBook(false);
    browser_->Reload();
    refill();
    if (!report) {
        ShowInformation(report.message());
        return;
    }
    QString text = QString("%1 entries added, %2 already in the phone book.")
                       .arg(report.value().added)
                       .arg(report.value().alreadyThere);
    if (!report.value().skipped.isEmpty())
        text += "\rSkipped:\r" + report.value().skipped.join('\r');
    ShowInformation(text);
}

void TPhoneBook::clickExport() {
    const QString path = chooseCsvFile(true);
    if (path.isEmpty()) return;
    const Status status = ExportPhoneBookCsv(fdm_, path);
    fdm_.OpenPhoneBook(false);
    browser_->Reload();
    refill();
    ShowInformation(status ? "Phone book exported to " + path : status.message());
}

void TPhoneBook::Manage(TFDM& fdm, QWidget* parent) {
    if (!fdm.OpenPhoneBook(false)) {
        fdm.ClosePhoneBook();
        return;
    }
    {
        TPhoneBook window(fdm, Mode::Managing, parent);
        window.exec();
    }
    fdm.ClosePhoneBook();
}

bool TPhoneBook::Pick(TFDM& fdm, QWidget* parent, QString& name, QString& number) {
    if (!fdm.OpenPhoneBook(false)) {
        fdm.ClosePhoneBook();
        return false;
    }
    bool picked = false;
    {
        TPhoneBook window(fdm, Mode::Picking, parent);
        if (window.exec() == QDialog::Accepted) {
            const PhoneBookEntry e = window.browser().Current();
            picked = e.recno != 0;
            name = e.name;
            number = e.phone;
        }
    }
    fdm.ClosePhoneBook();
    return picked;
}

}  // namespace corvane
