#include "logwindow/main_screen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QTime>
#include <QVBoxLayout>
#include <utility>

#include "core/message_boxes.h"
#include "core/settings.h"
#include "covers/designer/cover_designer_window.h"
#include "logs/fax_data_module.h"
#include "logs/rebuild_indexes.h"
#include "logwindow/about_window.h"
#include "logwindow/fax_info_form.h"
#include "logwindow/log_cleanup_window.h"
#include "logwindow/log_dialogs.h"
#include "logwindow/log_report_window.h"
#include "logwindow/log_table_model.h"
#include "logwindow/phone_book_window.h"
#include "logwindow/rebuild_indexes_window.h"
#include "logwindow/system_information_window.h"
#include "receiving/arrival_sound.h"
#include "receiving/receive_session.h"
#include "sending/fax_error_form.h"
#include "sending/intake/printer_intake.h"
#include "sending/send_fax_form.h"
#include "sending/send_fax_form_port_choice.h"
#include "sending/send_session_record.h"
#include "setup/preferences_form.h"
#include "uicommon/help_window.h"
#include "uicommon/window_placement.h"
#include "viewing/export_dialog.h"
#include "viewing/print_front_ends.h"
#include "viewing/show_viewer.h"

namespace corvane {

namespace {

constexpr int kMinLastColumnWidth = 500;

// Texts of the menu items (also their lookup keys).
const char* const kSendFax = "&Send Fax";
const char* const kReceiveFaxes = "&Receive Faxes";
const char* const kStopReceiving = "Stop Receiving Faxes";
const char* const kReceiveCaption = "&Receive";
const char* const kPhoneBook = "Manage &Phone Book";
const char* const kRebuild = "Rebuild &Indexes";
const char* const kPrintLogs = "Print Fax Logs";
const char* const kCleanUp = "Clean up old faxes (Fax Log Cleanup)";
const char* const kPreferences = "Set P&references    (Options, Setup)";
const char* const kNewFax = "New Fax";
const char* const kEditFax = "&Edit Selected Fax";
const char* const kCloneFax = "&Clone Selected Fax";
const char* const kDeleteFax = "&Delete Selected Fax";
const char* const kArchiveFax = "&Archive Selected Fax";
const char* const kForwardFax = "For&ward Received Fax";
const char* const kExportFax = "Export Selected Fax   (TIF, BMP or PCX)";
const char* const kViewFax = "&View Selected Fax";
const char* const kPrintFax = "Print Selected Fax";
// Beyond the printers: a fax printed into a PDF file, for machines without one.
const char* const kPrintFaxToPdf = "Print Selected Fax to PD&F...";
const char* const kInfoFax = "Information About Selected Fax";
const char* const kConfigurationInformation = "Configuration Information";
const char* const kVisitWebsite = "Visit Our Internet Website";
// The Help menu's items and the help topics they open.
const std::pair<const char*, const char*> kHelpMenuTopics[] = {
    {"Help &Contents", "contents"},
    {"Quick Start Instructions!", "quick-start"},
    {"Technical Help", "10000"},
    {"How to Contact Technical Support", "support"},
    {"Frequently Asked Questions (FAQ)", "faq"},
    {"Backing Up or Transferring Your Data", "backup"},
};
const char* const kFindOut = "Find Outgoing Fax";
const char* const kContinueOut = "Continue ";
const char* const kFindIn = "Find Incoming Fax";
const char* const kContinueIn = "Continue";

// Pop-up items in menu order.
const QStringList kOutgoingPopup = {"Archive",
                                    "Delete Selected Fax",
                                    "Edit Selected Fax",
                                    "Clone Selected Fax (make a copy)",
                                    "View Selected Fax",
                                    "Print Selected Fax",
                                    "Send Selected Fax",
                                    "Information About  Selected Fax",
                                    "Export  Selected Fax (TIF, BMP, PCX)"};
const QStringList kIncomingPopup = {"Archive",
                                    "Delete Selected Fax",
                                    "Edit Selected Fax",
                                    "View Selected Fax",
                                    "Print Selected Fax",
                                    "Forward Selected Fax",
                                    "Information About Selected Fax",
                                    "Export Selected Fax (TIF, BMP, PCX)"};

}  // namespace

TMainScreen::TMainScreen(QWidget* parent) : QMainWindow(parent) {
    SetHelpTopic(this, "contents");
    setObjectName("MainScreen");
    setWindowTitle("Corvane");
    SetMainWindow(this);
    buildMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 2, 4, 0);
    layout->setSpacing(2);
    layout->addWidget(buildButtonBar());

    tabs_ = new QTabBar(central);
    tabs_->addTab("Outgoing Faxes");
    tabs_->addTab("Incoming Faxes");
    tabs_->setToolTip("Click here to view either the Outgoing or Incoming faxes");
    tabs_->setExpanding(false);
    tabs_->setDrawBase(false);
    notebook_ = new QStackedWidget(central);
    notebook_->setFrameShape(QFrame::StyledPanel);
    notebook_->addWidget(buildLogPage(LogPage::Outgoing));
    notebook_->addWidget(buildLogPage(LogPage::Incoming));
    notebook_->widget(0)->setObjectName("Sent");
    notebook_->widget(1)->setObjectName("Received");
    layout->addWidget(tabs_);
    layout->addWidget(notebook_, 1);
    setCentralWidget(central);
    buildPopups();
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        notebook_->setCurrentIndex(index);
        SetButtons();
        HandleGrids();
    });

    statusPanel_ = new QLabel(this);
    statusPanel_->setObjectName("StatusPanel");
    statusBar()->addWidget(statusPanel_, 1);

    // Without logs the commands have nothing to work on.
    ownDialogs_ = std::make_unique<GuiLogDialogs>(this);
    dialogs_ = ownDialogs_.get();
    applyButtonStates();

    // Creation: the outgoing grid stays hidden until the first activation is over.
    outgoing_.grid->hide();
    resize(900, 560);
    LoadFormPlacement(this);
    state_ = MainScreenState();
    tabs_->setCurrentIndex(0);
}

TMainScreen::~TMainScreen() = default;

void TMainScreen::buildMenus() {
    auto add = [this](QMenu* menu, const QString& text, const QKeySequence& key = {}) {
        QAction* a = menu->addAction(text);
        if (!key.isEmpty()) a->setShortcut(key);
        actions_ << a;
        return a;
    };
    QMenu* file = menuBar()->addMenu("&File");
    connect(add(file, kSendFax, QKeySequence("Ctrl+S")), &QAction::triggered, this,
            &TMainScreen::SendSelected);
    receiveAction_ = add(file, kReceiveFaxes, QKeySequence("Ctrl+R"));
    receiveAction_->setObjectName("ReceiveMenuItem");
    connect(receiveAction_, &QAction::triggered, this, &TMainScreen::ReceiveButtonClick);
    connect(add(file, kPrintLogs), &QAction::triggered, this, &TMainScreen::PrintFaxLogs);
    connect(add(file, kCleanUp), &QAction::triggered, this, &TMainScreen::CleanUpLogs);
    connect(add(file, "Cover Sheet &Template Designer"), &QAction::triggered, this,
            [this] { ShowCoverDesigner(this); });
    connect(add(file, kPhoneBook), &QAction::triggered, this, &TMainScreen::ManagePhoneBook);
    connect(add(file, kRebuild), &QAction::triggered, this, &TMainScreen::RebuildIndexes);
    // Reopens both logs: shows records other programs added while the logs were closed.
    connect(add(file, "Re&fresh", QKeySequence(Qt::Key_F5)), &QAction::triggered, this,
            &TMainScreen::Refresh);
    connect(add(file, kPreferences), &QAction::triggered, this, &TMainScreen::OpenPreferences);
    file->addSeparator();
    connect(add(file, "E&xit", QKeySequence("Ctrl+X")), &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu("&Edit");
    connect(add(edit, kNewFax, QKeySequence("Ctrl+N")), &QAction::triggered, this,
            &TMainScreen::NewFax);
    connect(add(edit, kEditFax, QKeySequence("Ctrl+E")), &QAction::triggered, this,
            &TMainScreen::EditSelected);
    connect(add(edit, kCloneFax, QKeySequence("Ctrl+C")), &QAction::triggered, this,
            &TMainScreen::CloneSelected);
    connect(add(edit, kDeleteFax, QKeySequence("Ctrl+D")), &QAction::triggered, this,
            &TMainScreen::DeleteSelected);
    QAction* archive = add(edit, kArchiveFax, QKeySequence("Ctrl+A"));
    archive->setObjectName("ArchiveMenuItem");
    connect(archive, &QAction::triggered, this, &TMainScreen::ArchiveSelected);
    connect(add(edit, kForwardFax), &QAction::triggered, this, &TMainScreen::ForwardSelected);
    connect(add(edit, kExportFax), &QAction::triggered, this, &TMainScreen::ExportSelected);
    connect(add(edit, kViewFax, QKeySequence("Ctrl+V")), &QAction::triggered, this,
            &TMainScreen::ViewSelected);
    connect(add(edit, kPrintFax), &QAction::triggered, this, &TMainScreen::PrintSelected);
    connect(add(edit, kPrintFaxToPdf), &QAction::triggered, this, &TMainScreen::PrintSelectedToPdf);
    connect(add(edit, kInfoFax), &QAction::triggered, this, &TMainScreen::ShowInformation);

    QMenu* search = menuBar()->addMenu("&Search");
    connect(add(search, kFindOut), &QAction::triggered, this, [this] { Find(LogPage::Outgoing); });
    connect(add(search, kContinueOut), &QAction::triggered, this,
            [this] { FindNext(LogPage::Outgoing); });
    connect(add(search, kFindIn), &QAction::triggered, this, [this] { Find(LogPage::Incoming); });
    connect(add(search, kContinueIn), &QAction::triggered, this,
            [this] { FindNext(LogPage::Incoming); });

    QMenu* help = menuBar()->addMenu("&Help");
    for (const auto& [caption, topic] : kHelpMenuTopics)
        connect(add(help, caption), &QAction::triggered, this,
                [this, topic = topic] { ShowHelpTopic(this, topic); });
    connect(add(help, kConfigurationInformation), &QAction::triggered, this, [this] {
        SystemInformationWindow window(this);
        window.exec();
    });
    connect(add(help, "&About"), &QAction::triggered, this, &TMainScreen::About);
    // There is no web site: the item leads to the help page on getting help.
    connect(add(help, kVisitWebsite), &QAction::triggered, this,
            [this] { ShowHelpTopic(this, "support"); });
}

QWidget* TMainScreen::buildButtonBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 2, 0, 2);
    for (const char* caption :
         {"&Receive", "&Send", "&New", "&Edit", "&Delete", "&Print", "&View", "Preferences"}) {
        auto* b = new QPushButton(QString::fromLatin1(caption), bar);
        b->setFocusPolicy(Qt::TabFocus);
        buttonList_ << b;
        row->addWidget(b);
    }
    connect(button("&Send"), &QPushButton::clicked, this, &TMainScreen::SendSelected);
    connect(button("&New"), &QPushButton::clicked, this, &TMainScreen::NewFax);
    receiveButton_ = button(kReceiveCaption);
    receiveButton_->setObjectName("ReceiveButton");
    receiveButton_->setToolTip("Start receiving faxes");
    connect(receiveButton_, &QPushButton::clicked, this, &TMainScreen::ReceiveButtonClick);
    connect(button("&Edit"), &QPushButton::clicked, this, &TMainScreen::EditSelected);
    connect(button("&Delete"), &QPushButton::clicked, this, &TMainScreen::DeleteSelected);
    connect(button("&Print"), &QPushButton::clicked, this, &TMainScreen::PrintSelected);
    connect(button("&View"), &QPushButton::clicked, this, &TMainScreen::ViewSelected);
    connect(button("Preferences"), &QPushButton::clicked, this, &TMainScreen::OpenPreferences);
    row->addStretch(1);
    exitButton_ = new QPushButton("E&xit", bar);
    exitButton_->setObjectName("ExitButton");
    connect(exitButton_, &QPushButton::clicked, this, &QWidget::close);
    row->addWidget(exitButton_);
    return bar;
}

QWidget* TMainScreen::buildLogPage(LogPage which) {
    LogPageWidgets& p = page(which);
    auto* w = new QWidget(this);
    auto* col = new QVBoxLayout(w);
    col->setContentsMargins(4, 4, 4, 4);
    col->setSpacing(4);
    auto* top = new QHBoxLayout;
    p.view = new QComboBox(w);
    p.view->addItems(ViewEntries(which));
    p.view->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    p.sort = new QComboBox(w);
    p.sort->addItems(SortEntries(which));
    p.sort->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    top->addWidget(new QLabel("View:", w));
    top->addWidget(p.view);
    top->addSpacing(12);
    top->addWidget(new QLabel("Sort by:", w));
    top->addWidget(p.sort);
    top->addSpacing(12);
    p.find = new QPushButton("Find", w);
    p.findNext = new QPushButton("Find Next", w);
    top->addWidget(p.find);
    top->addWidget(p.findNext);
    top->addStretch(1);
    col->addLayout(top);
    connect(p.view, &QComboBox::activated, this, [this, which](int entry) {
        if (commands_) commands_->SetView(which, entry);
        syncGrids();
    });
    connect(p.sort, &QComboBox::activated, this, [this, which](int entry) {
        if (commands_) {
            commands_->SetSort(which, entry);
            // A refused sort (a call is coming in) puts the selector back.
            page(which).sort->setCurrentIndex(commands_->SortEntry(which));
        }
        syncGrids();
    });
    connect(p.find, &QPushButton::clicked, this, [this, which] { Find(which); });
    connect(p.findNext, &QPushButton::clicked, this, [this, which] { FindNext(which); });

    p.grid = new QTableView(w);
    p.grid->setObjectName(which == LogPage::Outgoing ? "OutgoingGrid" : "IncomingGrid");
    p.grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    p.grid->setSelectionMode(QAbstractItemView::SingleSelection);
    p.grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    p.grid->setShowGrid(true);
    p.grid->setWordWrap(false);
    p.grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    p.grid->verticalHeader()->setDefaultSectionSize(p.grid->fontMetrics().height() + 6);
    p.grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    p.grid->verticalHeader()->setFixedWidth(14);  // the row indicator
    p.grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    p.grid->horizontalHeader()->setHighlightSections(false);
    p.grid->setContextMenuPolicy(Qt::CustomContextMenu);
    // Selected rows stay visible without focus; archived rows turn white when selected.
    QPalette pal = p.grid->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Active, QPalette::HighlightedText, Qt::white);
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    p.grid->setPalette(pal);
    p.grid->installEventFilter(this);
    // The last column follows the width the grid has once laid out, also for the page that
    // was hidden when the logs were loaded.
    p.grid->viewport()->installEventFilter(this);
    col->addWidget(p.grid, 1);
    connect(p.grid, &QTableView::doubleClicked, this, [this] {
        if (buttons_.edit) ShowInformation();
    });
    connect(p.grid, &QWidget::customContextMenuRequested, this, [this, which](const QPoint& at) {
        page(which).popup->popup(page(which).grid->viewport()->mapToGlobal(at));
    });
    return w;
}

void TMainScreen::buildPopups() {
    outgoing_.popup = new QMenu(this);
    for (const QString& text : kOutgoingPopup) outgoing_.popup->addAction(text);
    incoming_.popup = new QMenu(this);
    for (const QString& text : kIncomingPopup) incoming_.popup->addAction(text);
    const auto out = outgoing_.popup->actions();
    connect(out[0], &QAction::triggered, this, &TMainScreen::ArchiveSelected);
    connect(out[1], &QAction::triggered, this, &TMainScreen::DeleteSelected);
    connect(out[2], &QAction::triggered, this, &TMainScreen::EditSelected);
    connect(out[3], &QAction::triggered, this, &TMainScreen::CloneSelected);
    connect(out[4], &QAction::triggered, this, &TMainScreen::ViewSelected);
    connect(out[5], &QAction::triggered, this, &TMainScreen::PrintSelected);
    connect(out[6], &QAction::triggered, this, &TMainScreen::SendSelected);
    connect(out[7], &QAction::triggered, this, &TMainScreen::ShowInformation);
    connect(out[8], &QAction::triggered, this, &TMainScreen::ExportSelected);
    const auto in = incoming_.popup->actions();
    connect(in[0], &QAction::triggered, this, &TMainScreen::ArchiveSelected);
    connect(in[1], &QAction::triggered, this, &TMainScreen::DeleteSelected);
    connect(in[2], &QAction::triggered, this, &TMainScreen::EditSelected);
    connect(in[3], &QAction::triggered, this, &TMainScreen::ViewSelected);
    connect(in[4], &QAction::triggered, this, &TMainScreen::PrintSelected);
    connect(in[5], &QAction::triggered, this, &TMainScreen::ForwardSelected);
    connect(in[6], &QAction::triggered, this, &TMainScreen::ShowInformation);
    connect(in[7], &QAction::triggered, this, &TMainScreen::ExportSelected);
}

void TMainScreen::makeCommands() {
    commands_ = std::make_unique<LogCommands>(*fdm_, state_, *dialogs_);
    commands_->changed = [this](LogKind kind) {
        page(kind == LogKind::Outgoing ? LogPage::Outgoing : LogPage::Incoming).dirty = true;
    };
    commands_->showPage = [this](LogPage p) { tabs_->setCurrentIndex(int(p)); };
    commands_->busy = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
}

void TMainScreen::SetDataModule(TFDM* fdm) {
    fdm_ = fdm;
    if (!fdm_) return;
    const bool own = dialogs_ == ownDialogs_.get();
    ownDialogs_ = std::make_unique<GuiLogDialogs>(this, fdm_);
    if (own) dialogs_ = ownDialogs_.get();
    makeCommands();
    setupReceiveSession();
    for (LogPage p : {LogPage::Outgoing, LogPage::Incoming}) {
        LogPageWidgets& w = page(p);
        delete w.model;
        w.model = new LogTableModel(
            *fdm_, p == LogPage::Outgoing ? LogKind::Outgoing : LogKind::Incoming, this);
        w.grid->setModel(w.model);
        connectGrid(p);
        SizeColumns(p);
        w.dirty = false;  // a new model has just counted its rows
    }
    HandleGrids();
}

void TMainScreen::SetDialogs(LogDialogs* dialogs) {
    dialogs_ = dialogs ? dialogs : ownDialogs_.get();
    if (fdm_) makeCommands();
}

void TMainScreen::connectGrid(LogPage which) {
    LogPageWidgets& w = page(which);
    connect(w.grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, which](const QModelIndex& current) {
                if (syncing_) return;
                page(which).model->makeCurrent(current.isValid() ? current.row() : -1);
                SetButtons();
            });
}

LogTableModel* TMainScreen::model(LogPage p) const {
    return page(p).model;
}
QTableView* TMainScreen::grid(LogPage p) const {
    return page(p).grid;
}
QComboBox* TMainScreen::viewSelector(LogPage p) const {
    return page(p).view;
}
QComboBox* TMainScreen::sortSelector(LogPage p) const {
    return page(p).sort;
}
QPushButton* TMainScreen::findButton(LogPage p) const {
    return page(p).find;
}
QPushButton* TMainScreen::findNextButton(LogPage p) const {
    return page(p).findNext;
}
QMenu* TMainScreen::popupMenu(LogPage p) const {
    return page(p).popup;
}

QPushButton* TMainScreen::button(const QString& caption) const {
    if (exitButton_ && caption == exitButton_->text()) return exitButton_;
    for (QPushButton* b : buttonList_)
        if (b->text() == caption) return b;
    return nullptr;
}

QAction* TMainScreen::menuAction(const QString& text) const {
    for (QAction* a : actions_)
        if (a->text() == text) return a;
    // The archive item changes its caption with the selected record.
    if (text == kArchiveFax || text == "Un&Archive Selected Fax")
        return findChild<QAction*>("ArchiveMenuItem");
    return nullptr;
}

LogPage TMainScreen::currentPage() const {
    return tabs_->currentIndex() == 1 ? LogPage::Incoming : LogPage::Outgoing;
}

// Brings the grids in line with their tables: refreshes the models of changed logs and puts
// each grid's cursor on its table's current record.
void TMainScreen::syncGrids() {
    if (!commands_) {
        SetButtons();
        return;
    }
    syncing_ = true;
    for (LogPage p : {LogPage::Outgoing, LogPage::Incoming}) {
        LogPageWidgets& w = page(p);
        if (!w.model) continue;
        if (w.dirty) {
            w.dirty = false;
            w.model->Refresh(commands_->TakeKnownCount(w.model->kind()));
            StretchLastColumn(p);
        }
        int row = w.model->rowOfCurrent();
        if (row < 0 && w.model->rowCount() > 0) {
            row = 0;
            w.model->makeCurrent(0);
        }
        if (row >= 0) {
            const QModelIndex index = w.model->index(row, 0);
            w.grid->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            w.grid->scrollTo(index);
        } else {
            w.grid->selectionModel()->clear();
        }
        w.grid->setEnabled(LogCommands::HasSelectedRecord(w.model->table()));
    }
    syncing_ = false;
    SetButtons();
}

void TMainScreen::SetButtons() {
    statusPanel_->clear();
    ButtonInputs in;
    in.page = currentPage();
    if (commands_) {
        auto& out = fdm_->FaxTable;
        auto& rec = fdm_->RecTable;
        in.s0 = LogCommands::HasSelectedRecord(out);
        in.s1 = LogCommands::HasSelectedRecord(rec);
        in.outArchived = in.s0 && out.fieldLogical("ARCHIVED");
        in.outHasDocument = in.s0 && !out.fieldText("FAXDOC").trimmed().isEmpty();
        in.inArchived = in.s1 && rec.fieldLogical("ARCHIVED");
        in.outSearchActive = !state_.OutgoingSearch.isEmpty();
        in.inSearchActive = !state_.IncomingSearch.isEmpty();
    }
    buttons_ = SetButtonsFor(in, buttons_);
    applyButtonStates();
}

// Commands whose windows are not part of this build stay disabled whatever their rule says.
void TMainScreen::applyButtonStates() {
    const ButtonStates& b = buttons_;
    const bool incoming = currentPage() == LogPage::Incoming;
    auto setButton = [this](const char* caption, bool on) {
        if (QPushButton* p = button(caption)) p->setEnabled(on);
    };
    receiveButton_->setEnabled(receive_ != nullptr);
    setButton("&Send", b.send && commands_);
    const bool editor = bool(faxEditor_) && commands_;
    setButton("&New", b.newFax && editor);
    setButton("&Edit", b.edit && (incoming || editor));
    setButton("&Delete", b.del);
    setButton("&Print", b.print);
    setButton("&View", b.view);
    auto setAction = [this](const char* text, bool on) {
        if (QAction* a = menuAction(text)) a->setEnabled(on);
    };
    for (QAction* a : actions_) a->setEnabled(false);
    for (const char* always : {"E&xit", kPhoneBook, kRebuild, kPrintLogs, kCleanUp, "Re&fresh",
                               "&About", "Cover Sheet &Template Designer", kPreferences})
        setAction(always, true);
    setAction(kSendFax, b.mSendFax && commands_);
    for (const auto& [caption, topic] : kHelpMenuTopics) setAction(caption, true);
    setAction(kConfigurationInformation, true);
    setAction(kVisitWebsite, !state_.InReceiveMode);  // refused while a call may come in
    setAction(kEditFax, b.mEdit && (incoming || editor));
    setAction(kNewFax, b.mNewFax && editor);
    receiveAction_->setEnabled(receive_ != nullptr);
    setAction(kCloneFax, b.mClone);
    setAction(kDeleteFax, b.mDelete);
    setAction(kForwardFax, b.mForward);
    setAction(kInfoFax, b.mInfo);
    setAction(kViewFax, b.mView);
    setAction(kPrintFax, b.mPrint);
    setAction(kPrintFaxToPdf, b.mPrint);
    setAction(kExportFax, b.mExport);
    setAction(kFindOut, b.mFindOut);
    setAction(kContinueOut, b.mContinueOut);
    setAction(kFindIn, b.mFindIn);
    setAction(kContinueIn, b.mContinueIn);
    if (QAction* archive = findChild<QAction*>("ArchiveMenuItem")) {
        archive->setText(b.archiveCaption);
        archive->setEnabled(b.mArchive);
    }
    // The Continue item that can go on has F3.
    menuAction(kContinueOut)
        ->setShortcut(b.mContinueOut ? QKeySequence(Qt::Key_F3) : QKeySequence());
    menuAction(kContinueIn)->setShortcut(b.mContinueIn ? QKeySequence(Qt::Key_F3) : QKeySequence());

    outgoing_.find->setEnabled(b.findOut);
    outgoing_.findNext->setEnabled(b.findNextOut);
    incoming_.find->setEnabled(b.findIn);
    incoming_.findNext->setEnabled(b.findNextIn);

    const auto out = outgoing_.popup->actions();
    const bool outState[] = {b.oArchive, b.oDelete, b.oEdit && editor, b.oClone, b.oView,
                             b.oPrint,   b.oSend,   b.oInfo,           b.oExport};
    for (int i = 0; i < out.size(); ++i) out[i]->setEnabled(outState[i]);
    out[0]->setText(b.oArchiveCaption);
    const auto in = incoming_.popup->actions();
    const bool inState[] = {b.iArchive, b.iDelete,  b.iEdit, b.iView,
                            b.iPrint,   b.iForward, b.iInfo, b.iExport};
    for (int i = 0; i < in.size(); ++i) in[i]->setEnabled(inState[i]);
    in[0]->setText(b.iArchiveCaption);
    if (!commands_) {
        // A window without logs offers nothing that works on them.
        for (const char* text : {kPhoneBook, kRebuild, kPrintLogs, kCleanUp, "Re&fresh"})
            setAction(text, false);
    }
}

void TMainScreen::HandleGrids() {
    statusPanel_->clear();
    if (!commands_) return;
    commands_->HandleGrids();
    syncGrids();
}

void TMainScreen::FaxTableCloseAndOpen() {
    if (!commands_) return;
    commands_->FaxTableCloseAndOpen();
    syncGrids();
}

void TMainScreen::LogChanged(LogKind kind) {
    page(kind == LogKind::Outgoing ? LogPage::Outgoing : LogPage::Incoming).dirty = true;
    if (!state_.FirstActivation && commands_) {
        commands_->HandleGrids();
        syncGrids();
    }
}

// The Send command: the checks, the send window, and the result stored in the record.
void TMainScreen::SendSelected() {
    if (!commands_) return;
    Settings& settings = GlobalSettings();
    if (state_.InReceiveMode) {
        corvane::ShowInformation(kSendInReceiveModeMessage);
        return;
    }
    if (settings.PortUnconfigured && !settings.UseTAPI && !RunFirstModemSetup(settings, this))
        return;
    xbase::XbaseTable& table = fdm_->FaxTable;
    switch (CheckSendCommand(false, currentPage() == LogPage::Incoming,
                             LogCommands::HasSelectedRecord(table))) {
        case SendCommandCheck::IncomingTab:
            corvane::ShowInformation(kSwitchToOutgoingMessage);
            return;
        case SendCommandCheck::NoRecord:
            dialogs_->beep();
            return;
        default:
            break;
    }
    const uint32_t recno = table.recNo();
    statusPanel_->setText("Preparing fax files...");
    const Result<OutgoingFaxToSend> fax = ReadFaxToSend(table);
    if (!fax.ok()) {
        statusPanel_->clear();
        corvane::ShowInformation(fax.message());
        return;
    }
    statusPanel_->setText("Preparing Send Fax form...");
    QString number;
    SendOutcome outcome;
    {
        TSendFaxForm form(fax.value(), settings, this);
        statusPanel_->clear();
        form.exec();
        const SendFaxFormState& left = form.state();
        left.storeDialing(settings);
        number = left.number;
        outcome = form.outcome();
    }
    if (const Status saved = SaveSettings(); !saved.ok()) corvane::ShowInformation(saved.message());
    if (const Status stored = StoreSendResult(table, recno, number, outcome); !stored.ok())
        corvane::ShowInformation(stored.message());
    LogChanged(LogKind::Outgoing);
}

void TMainScreen::DeleteSelected() {
    if (!commands_) return;
    commands_->Delete(currentPage());
    syncGrids();
}

void TMainScreen::ArchiveSelected() {
    if (!commands_) return;
    commands_->Archive(currentPage());
    syncGrids();
}

void TMainScreen::SetFaxEditor(FaxEditor editor) {
    faxEditor_ = std::move(editor);
    applyButtonStates();
}

void TMainScreen::NewFax() {
    openFaxEditor(true);
}

void TMainScreen::EditSelected() {
    if (!commands_) return;
    if (currentPage() == LogPage::Outgoing) {
        openFaxEditor(false);
        return;
    }
    commands_->EditReceivedNotes();
    syncGrids();
}

void TMainScreen::openFaxEditor(bool isNew) {
    if (!commands_ || !faxEditor_ || !fdm_) return;
    if (!isNew && !LogCommands::HasSelectedRecord(fdm_->FaxTable)) return;
    // The preview's viewer may change the print settings.
    LoadPrintSettings();
    const bool saved = faxEditor_(isNew);
    (void)SavePrintSettings();
    if (saved && isNew)
        FaxTableCloseAndOpen();
    else
        HandleGrids();
}

void TMainScreen::CloneSelected() {
    if (!commands_) return;
    commands_->Clone();
    syncGrids();
}

void TMainScreen::ForwardSelected() {
    if (!commands_) return;
    commands_->Forward();
    syncGrids();
}

void TMainScreen::ShowInformation() {
    if (!commands_ || !isVisible()) return;
    const FaxInformation info = commands_->Information(currentPage());
    if (info.text.isEmpty()) return;
    TShowFaxInfoForm form(info, this);
    form.exec();
}

void TMainScreen::ViewSelected() {
    if (!commands_ || !isVisible()) return;
    const LogPage p = currentPage();
    const SelectedFaxFiles fax = commands_->SelectedFax(p);
    if (fax.title.isEmpty()) return;
    if (p == LogPage::Incoming) {
        // A record without a file name has nothing to show; say so rather than stay silent.
        if (fax.document.isEmpty())
            corvane::ShowInformation("Fax file is missing");
        else
            ShowFaxViewer(fax.title, fax.document, statusPanel_, this);
    } else {
        ViewCoverAndDocument(fax.title, fax.cover, fax.document, statusPanel_, this);
    }
    statusPanel_->clear();
}

void TMainScreen::PrintSelected() {
    if (!commands_) return;
    const SelectedFaxFiles fax = commands_->SelectedFax(currentPage());
    if (fax.title.isEmpty()) return;
    PrintSelectedFax(this, fax.title, fax.cover, fax.document, statusPanel_);
}

void TMainScreen::PrintSelectedToPdf() {
    if (!commands_) return;
    const SelectedFaxFiles fax = commands_->SelectedFax(currentPage());
    if (fax.title.isEmpty()) return;
    const bool haveDocument = QFileInfo(fax.document).isFile();
    if (!haveDocument && !QFileInfo(fax.cover).isFile()) {
        corvane::ShowInformation("Error - fax file missing");  // before asking for a name
        return;
    }
    const QString named = haveDocument ? fax.document : fax.cover;
    const QString suggested = QFileInfo(named).completeBaseName() + ".pdf";
    const QString pdf = askPdfName_ ? askPdfName_(this, suggested)
                                    : QFileDialog::getSaveFileName(this, "Print to PDF", suggested,
                                                                   "PDF File (*.pdf)");
    if (pdf.isEmpty()) return;
    PrintSelectedFax(this, fax.title, fax.cover, fax.document, statusPanel_, pdf);
}

void TMainScreen::ExportSelected() {
    if (!commands_ || !isVisible() || !commands_->HasSelectedRecord(currentPage())) return;
    const QString file = commands_->ExportFile(currentPage());
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        corvane::ShowInformation("Fax file is missing");
        return;
    }
    OpenExportDialog(file, this);
}

void TMainScreen::Find(LogPage p) {
    if (!commands_) return;
    commands_->Find(p);
    syncGrids();
}

void TMainScreen::FindNext(LogPage p) {
    if (!commands_ || currentPage() != p) return;
    commands_->FindNext(p);
    syncGrids();
}

bool TMainScreen::refusedInReceiveMode() {
    if (!state_.InReceiveMode) return false;
    corvane::ShowInformation(ReceiveModeRefusal());
    return true;
}

void TMainScreen::OpenPreferences() {
    if (refusedInReceiveMode()) return;
    RunPreferences(this);
}

void TMainScreen::RebuildIndexes() {
    if (!commands_ || refusedInReceiveMode()) return;
    outgoing_.grid->setUpdatesEnabled(false);
    RebuildIndexesWindow::Run(*fdm_, this);
    commands_->ApplyFilters();
    outgoing_.grid->setUpdatesEnabled(true);
    syncGrids();
}

TMainScreen::NotedPlaces TMainScreen::notePlaces() const {
    return {{fdm_->FaxTable.indexOrd(), fdm_->RecTable.indexOrd()},
            {fdm_->FaxTable.recNo(), fdm_->RecTable.recNo()}};
}

void TMainScreen::returnTo(const NotedPlaces& noted) {
    xbase::XbaseTable* tables[] = {&fdm_->FaxTable, &fdm_->RecTable};
    for (int i = 0; i < 2; ++i) {
        tables[i]->setOrder(noted.order[i]);
        tables[i]->go(noted.recno[i]);  // a record that is gone leaves the log at its end
    }
    commands_->ApplyFilters();
    syncGrids();
}

void TMainScreen::viewCurrentOf(LogKind kind) {
    const LogPage p = kind == LogKind::Outgoing ? LogPage::Outgoing : LogPage::Incoming;
    const SelectedFaxFiles fax = commands_->SelectedFax(p);
    if (fax.title.isEmpty()) return;
    if (p == LogPage::Outgoing)
        ViewCoverAndDocument(fax.title, fax.cover, fax.document, nullptr, this);
    else if (fax.document.isEmpty())
        corvane::ShowInformation("Fax file is missing");
    else
        ShowFaxViewer(fax.title, fax.document, nullptr, this);
}

void TMainScreen::CleanUpLogs() {
    if (!commands_ || refusedInReceiveMode()) return;
    const NotedPlaces noted = notePlaces();
    const bool deleted = LogCleanupWindow::Run(
        *fdm_, [this](LogKind kind) { viewCurrentOf(kind); }, this);
    if (deleted) {
        outgoing_.grid->setUpdatesEnabled(false);
        RebuildIndexesWindow::Run(*fdm_, this);
        outgoing_.grid->setUpdatesEnabled(true);
    }
    returnTo(noted);
}

void TMainScreen::PrintFaxLogs() {
    if (!commands_) return;
    const NotedPlaces noted = notePlaces();
    outgoing_.grid->setUpdatesEnabled(false);
    incoming_.grid->setUpdatesEnabled(false);
    TReportForm::Run(*fdm_, this);
    outgoing_.grid->setUpdatesEnabled(true);
    incoming_.grid->setUpdatesEnabled(true);
    returnTo(noted);
}

void TMainScreen::ManagePhoneBook() {
    if (!fdm_) return;
    TPhoneBook::Manage(*fdm_, this);
}

void TMainScreen::Refresh() {
    if (!commands_) return;
    commands_->ReopenLogs();
    syncGrids();
}

void TMainScreen::setupReceiveSession() {
    if (receive_ && receive_->InReceiveMode()) receive_->StopReceivingNow();
    receive_ = std::make_unique<ReceiveSession>(*fdm_);
    ReceiveSession::Hooks& h = receive_->hooks;
    h.status = [this](const QString& text) { statusPanel_->setText(text); };
    h.showError = [this](const FaxErrorRequest& e) {
        return ShowFaxError(e, this, receiveErrorAutoCloseMs_);
    };
    h.modeChanged = [this] { receiveModeChanged(); };
    h.busy = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    h.logChanged = [this] { LogChanged(LogKind::Incoming); };
    h.playSound = [this] {
        QApplication::postEvent(this, new QEvent(QEvent::Type(kPlaySoundMessage)));
    };
    h.printFax = [](const ReceivedFaxInfo& fax, const std::function<void(const QString&)>& log) {
        const QLocale locale;
        PrintReceivedFax(fax.file, fax.remoteId,
                         locale.toString(QDate::currentDate(), QLocale::ShortFormat),
                         locale.toString(QTime::currentTime(), QLocale::ShortFormat), log);
    };
    h.ended = [this](int) { receiveModeChanged(); };
}

// Captions, hints and the buttons follow receive mode; the status line keeps what receive
// mode last said.
void TMainScreen::receiveModeChanged() {
    const bool on = receive_ && receive_->InReceiveMode();
    const bool wasOn = state_.InReceiveMode;
    state_.InReceiveMode = on;
    state_.ReceivingCall = on && receive_->ReceivingCall();
    receiveButton_->setText(on ? "STOP" : kReceiveCaption);
    receiveButton_->setToolTip(on ? "Stop receiving faxes" : "Start receiving faxes");
    receiveAction_->setText(on ? kStopReceiving : kReceiveFaxes);
    if (on && !wasOn) tabs_->setCurrentIndex(int(LogPage::Incoming));
    const QString status = statusPanel_->text();
    SetButtons();
    statusPanel_->setText(status);
}

void TMainScreen::ReceiveButtonClick() {
    if (!receive_ || receive_->ResettingModem()) return;
    if (receive_->InReceiveMode()) {
        receive_->StopReceivingNow();
    } else {
        // No modem set up yet: the quick setup first, and no receive mode without it.
        Settings& settings = GlobalSettings();
        if (settings.PortUnconfigured && !RunFirstModemSetup(settings, this)) return;
        // Receive mode reads the settings as they are when it starts.
        receive_->options = ReceiveOptions::FromSettings(GlobalSettings());
        receive_->StartReceivingNow();
    }
    const QString status = statusPanel_->text();
    SetButtons();
    HandleGrids();
    statusPanel_->setText(status);
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void TMainScreen::About() {
    AboutWindow about(this);
    about.exec();
}

// Each column fits its header and the widest text it is expected to show, with the margins
// the style draws around header and cell texts.
void TMainScreen::SizeColumns(LogPage which) {
    LogPageWidgets& w = page(which);
    QHeaderView* header = w.grid->horizontalHeader();
    const int headerMargins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin) + 4;
    const int cellMargins =
        2 * (w.grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 4;
    const QFontMetrics cellFont = w.grid->fontMetrics();
    const QFontMetrics headerFont = header->fontMetrics();
    for (int c = 0; c < w.model->columnCount(); ++c) {
        const QString label = w.model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        w.grid->setColumnWidth(c, std::max(headerFont.horizontalAdvance(label) + headerMargins,
                                           w.model->ContentWidth(c, cellFont) + cellMargins));
    }
}

void TMainScreen::StretchLastColumn(LogPage which) {
    LogPageWidgets& w = page(which);
    if (!w.model || w.model->columnCount() == 0) return;
    const int last = w.model->columnCount() - 1;
    int others = 0;
    for (int c = 0; c < last; ++c) others += w.grid->columnWidth(c);
    // The viewport already excludes the scroll bar, the border and the row indicator.
    const int available = w.grid->viewport()->width() - others;
    w.grid->setColumnWidth(last, std::max(kMinLastColumnWidth, available));
}

void TMainScreen::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (!isVisible()) return;
    StretchLastColumn(LogPage::Outgoing);
    StretchLastColumn(LogPage::Incoming);
}

bool TMainScreen::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Resize) {
        for (LogPage p : {LogPage::Outgoing, LogPage::Incoming})
            if (watched == page(p).grid->viewport()) StretchLastColumn(p);
    }
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete &&
        (watched == outgoing_.grid || watched == incoming_.grid)) {
        if (QAction* del = menuAction(kDeleteFax); del && del->isEnabled()) DeleteSelected();
        return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

bool TMainScreen::event(QEvent* e) {
    switch (int(e->type())) {
        case QEvent::WindowActivate:
            FormActivate();
            break;
        case kCloseMessage:
            close();
            return true;
        case kPlaySoundMessage:
            // Played without waiting; a missing player or file is not worth a message.
            PlayArrivalSound(GlobalSettings().Wav);
            return true;
        case kResetReceiveMessage:
            if (receive_) receive_->StopResetStartReceiving();
            return true;
    }
    return QMainWindow::event(e);
}

void TMainScreen::WidenToShowExitButton() {
    // The width the layout needs to show every button up to Exit, never wider than the screen.
    int needed = minimumSizeHint().width();
    if (const QScreen* s = screen()) needed = std::min(needed, s->availableGeometry().width());
    if (needed > width()) resize(needed, height());
}

void TMainScreen::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // Without a window manager, or with one that does not hand focus to new windows, the window
    // is shown but never activated: what a person sees must not wait for focus, so the first
    // activation's work also runs once the window is first shown.
    if (!state_.FirstActivation) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (state_.FirstActivation && isVisible()) FormActivate();
        },
        Qt::QueuedConnection);
}

void TMainScreen::FormActivate() {
    WidenToShowExitButton();
    if (!state_.FirstActivation) {
        TakeInPrintJobs();
        SetButtons();
        HandleGrids();
        return;
    }
    QApplication::processEvents();
    if (!isVisible()) return;  // closed while the events ran
    const uint32_t printed = TakeInPrintJobs();
    BringToFront();
    RebuildOldIndexes();
    if (printed && fdm_) fdm_->FaxTable.go(printed);
    SetButtons();
    // Nobody is told when the printer's hand-over file cannot be written.
    if (fdm_) (void)WriteDriverSettings(QCoreApplication::applicationFilePath());
    HandleGrids();
    outgoing_.grid->show();
    StretchLastColumn(LogPage::Outgoing);
    StretchLastColumn(LogPage::Incoming);
    state_.FirstActivation = false;
    if (receive_ && GlobalSettings().AtStartup) {
        // Once the window is up; a failure to start shows itself and leaves the window as it is.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!state_.InReceiveMode) ReceiveButtonClick();
            },
            Qt::QueuedConnection);
    }
}

uint32_t TMainScreen::TakeInPrintJobs() {
    // While a dialog is open (the editor, say) the log stays as it is; the jobs wait for the
    // next activation.
    if (!fdm_ || !commands_ || QApplication::activeModalWidget()) return 0;
    PrinterIntake intake(*fdm_);
    if (!intake.ProcessExtraPDFaxFiles()) return 0;
    // Reopening keeps the current record: the one added last.
    FaxTableCloseAndOpen();
    return intake.recordsAdded() > 0 ? fdm_->FaxTable.recNo() : 0;
}

// Logs made by older versions lack the tags "URECIP" and "UFROM"; they are rebuilt at once.
void TMainScreen::RebuildOldIndexes() {
    if (!fdm_ || !fdm_->IndexesNeedRebuild()) return;
    RebuildIndexesWindow::Run(*fdm_, this);
    if (commands_) commands_->ApplyFilters();
}

void TMainScreen::BringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
    // A desktop that keeps the focus where it is sends no activation; the jobs of the fax
    // printer that asked for the window are still taken in.
    if (!state_.FirstActivation && TakeInPrintJobs()) {
        SetButtons();
        HandleGrids();
    }
}

void TMainScreen::closeEvent(QCloseEvent* e) {
    if (receive_) state_.ReceivingCall = receive_->ReceivingCall();
    if (!state_.ConfirmClose()) {
        e->ignore();
        return;
    }
    if (receive_ && receive_->InReceiveMode()) receive_->StopReceivingNow();
    QApplication::processEvents();
    (void)SaveFormPlacement(this);  // the same file: SaveSettings reports why it failed
    if (const Status saved = SaveSettings(); !saved.ok()) corvane::ShowInformation(saved.message());
    e->accept();
}

}  // namespace corvane
