#include "logwindow/main_screen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

#include "core/logs/fax_data_module.h"
#include "core/logs/rebuild_indexes.h"
#include "core/settings.h"
#include "uicommon/window_placement.h"

namespace corvane {

namespace {

// Commands whose windows are not part of this build yet are shown disabled.
QAction* addPending(QMenu* menu, const QString& text, const QKeySequence& key = {}) {
    QAction* a = menu->addAction(text);
    if (!key.isEmpty()) a->setShortcut(key);
    a->setEnabled(false);
    return a;
}

}  // namespace

TMainScreen::TMainScreen(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainScreen");
    setWindowTitle("Corvane");
    SetMainWindow(this);
    buildMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildButtonBar());

    tabs_ = new QTabBar(central);
    tabs_->addTab("Outgoing Faxes");
    tabs_->addTab("Incoming Faxes");
    tabs_->setToolTip("Click here to view either the Outgoing or Incoming faxes");
    notebook_ = new QStackedWidget(central);
    notebook_->addWidget(buildLogPage(
        outgoing_,
        {"All Outgoing Faxes", "Only Unsent Faxes", "Only Sent Faxes", "Only Archived Faxes"},
        {"Date Sent", "Subject", "Recipient"}));
    notebook_->addWidget(buildLogPage(
        incoming_, {"All Received Faxes", "Only non-Archived Faxes", "Only Archived Faxes"},
        {"Date Received", "From"}));
    notebook_->widget(0)->setObjectName("Sent");
    notebook_->widget(1)->setObjectName("Received");
    layout->addWidget(tabs_);
    layout->addWidget(notebook_, 1);
    setCentralWidget(central);
    connect(tabs_, &QTabBar::currentChanged, notebook_, &QStackedWidget::setCurrentIndex);

    statusPanel_ = new QLabel(this);
    statusBar()->addWidget(statusPanel_, 1);

    // Creation: the outgoing grid stays hidden until the first activation is over.
    outgoing_.grid->hide();
    resize(760, 520);
    LoadFormPlacement(this);
    state_ = MainScreenState();
    tabs_->setCurrentIndex(0);
}

void TMainScreen::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    addPending(file, "&Send Fax", QKeySequence("Ctrl+S"));
    addPending(file, "&Receive Faxes", QKeySequence("Ctrl+R"));
    addPending(file, "Print Fax Logs");
    addPending(file, "Clean up old faxes (Fax Log Cleanup)");
    addPending(file, "Cover Sheet &Template Designer");
    addPending(file, "Manage &Phone Book");
    addPending(file, "Rebuild &Indexes");
    addPending(file, "Set P&references    (Options, Setup)");
    file->addSeparator();
    QAction* exit = file->addAction("E&xit");
    exit->setShortcut(QKeySequence("Ctrl+X"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu("&Edit");
    addPending(edit, "New Fax", QKeySequence("Ctrl+N"));
    addPending(edit, "&Edit Selected Fax", QKeySequence("Ctrl+E"));
    addPending(edit, "&Clone Selected Fax", QKeySequence("Ctrl+C"));
    addPending(edit, "&Delete Selected Fax", QKeySequence("Ctrl+D"));
    addPending(edit, "&Archive Selected Fax", QKeySequence("Ctrl+A"));
    addPending(edit, "For&ward Received Fax");
    addPending(edit, "Export Selected Fax   (TIF, BMP or PCX)");
    addPending(edit, "&View Selected Fax", QKeySequence("Ctrl+V"));
    addPending(edit, "Print Selected Fax");
    addPending(edit, "Information About Selected Fax");

    QMenu* search = menuBar()->addMenu("&Search");
    addPending(search, "Find Outgoing Fax");
    addPending(search, "Continue ");
    addPending(search, "Find Incoming Fax");
    addPending(search, "Continue");

    QMenu* help = menuBar()->addMenu("&Help");
    addPending(help, "Help &Contents");
    addPending(help, "&About");
}

QWidget* TMainScreen::buildButtonBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    for (const char* caption :
         {"&Receive", "&Send", "&New", "&Edit", "&Delete", "&Print", "&View", "Preferences"}) {
        auto* b = new QPushButton(QString::fromLatin1(caption), bar);
        b->setEnabled(false);
        row->addWidget(b);
    }
    row->addStretch(1);
    exitButton_ = new QPushButton("E&xit", bar);
    exitButton_->setObjectName("ExitButton");
    connect(exitButton_, &QPushButton::clicked, this, &QWidget::close);
    row->addWidget(exitButton_);
    return bar;
}

QWidget* TMainScreen::buildLogPage(LogPage& page, const QStringList& views,
                                   const QStringList& sorts) {
    auto* w = new QWidget(this);
    auto* col = new QVBoxLayout(w);
    auto* top = new QHBoxLayout;
    page.view = new QComboBox(w);
    page.view->addItems(views);
    page.sort = new QComboBox(w);
    page.sort->addItems(sorts);
    top->addWidget(new QLabel("View:", w));
    top->addWidget(page.view);
    top->addWidget(new QLabel("Sort by:", w));
    top->addWidget(page.sort);
    for (const char* caption : {"Find", "Find Next"}) {
        auto* b = new QPushButton(QString::fromLatin1(caption), w);
        b->setEnabled(false);
        top->addWidget(b);
    }
    top->addStretch(1);
    col->addLayout(top);
    page.grid = new QTableView(w);
    page.grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    page.grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    page.grid->horizontalHeader()->setStretchLastSection(true);
    col->addWidget(page.grid, 1);
    return w;
}

bool TMainScreen::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) FormActivate();
    return QMainWindow::event(e);
}

void TMainScreen::WidenToShowExitButton() {
    const int needed = exitButton_->mapTo(this, QPoint(exitButton_->sizeHint().width(), 0)).x() + 8;
    if (needed > width()) resize(needed, height());
}

void TMainScreen::FormActivate() {
    WidenToShowExitButton();
    if (!state_.FirstActivation) return;
    QApplication::processEvents();
    BringToFront();
    RebuildOldIndexes();
    outgoing_.grid->show();
    state_.FirstActivation = false;
}

// Logs made by older versions lack the tags "URECIP" and "UFROM"; they are rebuilt at once,
// with the progress shown in the status line.
void TMainScreen::RebuildOldIndexes() {
    if (!fdm_ || !fdm_->IndexesNeedRebuild()) return;
    RebuildIndexes rebuild;
    rebuild.onStatus = [this](const QString& text) {
        statusPanel_->setText(text);
        QApplication::processEvents();
    };
    rebuild.onGauge = [](int) { QApplication::processEvents(); };
    rebuild.run(*fdm_);
    statusPanel_->clear();
}

void TMainScreen::BringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void TMainScreen::closeEvent(QCloseEvent* e) {
    if (!state_.ConfirmClose()) {
        e->ignore();
        return;
    }
    QApplication::processEvents();
    SaveFormPlacement(this);
    SaveSettings();
    e->accept();
}

}  // namespace corvane
