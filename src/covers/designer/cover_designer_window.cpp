#include "covers/designer/cover_designer_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <iterator>

#include "core/app_folders.h"
#include "core/ini_file.h"
#include "core/message_boxes.h"
#include "core/settings.h"
#include "covers/cover_template_files.h"
#include "covers/designer/design_page_widget.h"
#include "covers/designer/object_dialogs.h"
#include "covers/designer/object_menu.h"
#include "covers/designer/save_as_dialog.h"
#include "covers/designer/template_picker_hook.h"
#include "uicommon/help_window.h"
#include "uicommon/window_placement.h"

namespace corvane {

namespace {

TemplatePicker& PickerSlot() {
    static TemplatePicker picker;
    return picker;
}

const char* const kQuickTips[] = {
    "Placing objects",         "Selecting and moving",  "Resizing with the handles",
    "The grid and snapping",   "Aligning and centring", "Fields and the message box",
    "Images on a cover sheet", "Saving your template",
};

const char* const kQuickTipTexts[] = {
    "Press a tool button, then drag a rectangle on the page. The pointer tool comes back once "
    "the object is placed.",
    "Click an object to select it, Shift+click to add more, or drag a band round several. Drag "
    "the selection to move it; the arrow keys move it one pixel at a time.",
    "With one object selected, drag one of its eight handles. Shift+arrow keys resize it one "
    "pixel at a time.",
    "Show Grid draws a dot every 4 or 8 pixels; Snap To Grid puts what you drag on it.",
    "Right-click the page for Align Left, Right, Tops and Bottoms and for centring the "
    "selection.",
    "Field boxes, the importance line and the message box are filled in with each fax's "
    "values when the cover page is made.",
    "An image is shown as the fax will show it: black and white only.",
    "Save As asks for a file name ending in .FCS and a description; the fax editor lists "
    "your template by that description.",
};

QIcon ToolIcon(const QString& name) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    QFont f("Arial");
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    const QRect box(4, 5, 16, 14);
    if (name == "Pointerbutton") {
        QPainterPath arrow;
        arrow.moveTo(7, 3);
        arrow.lineTo(7, 19);
        arrow.lineTo(11, 15);
        arrow.lineTo(14, 21);
        arrow.lineTo(16, 20);
        arrow.lineTo(13, 14);
        arrow.lineTo(18, 14);
        arrow.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(arrow);
    } else if (name == "DrawLabelButton") {
        p.drawText(pm.rect(), Qt::AlignCenter, "A");
    } else if (name == "DrawMLTextButton") {
        for (int y : {6, 10, 14, 18}) p.drawLine(4, y, y == 18 ? 14 : 20, y);
    } else if (name == "DrawSymbolButton") {
        p.drawText(pm.rect(), Qt::AlignCenter, QString(QChar(0x263A)));
    } else if (name == "DrawRectanglebutton") {
        p.drawRect(box);
    } else if (name == "DrawEllipseButton") {
        p.drawEllipse(box);
    } else if (name == "DrawRoundrectbutton") {
        p.drawRoundedRect(box, 5, 5);
    } else if (name == "DrawLinebutton") {
        p.drawLine(4, 20, 20, 4);
    } else if (name == "FieldBoxButton") {
        p.drawRect(box);
        f.setPixelSize(9);
        p.setFont(f);
        p.drawText(box, Qt::AlignCenter, "[F]");
    } else if (name == "DrawMessageButton") {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(box);
        p.setPen(QPen(Qt::black, 1));
        for (int y : {9, 13}) p.drawLine(7, y, 17, y);
    } else if (name == "DrawImportanceButton") {
        p.drawRect(3, 8, 7, 7);
        p.drawRect(14, 8, 7, 7);
        p.drawLine(15, 11, 17, 14);
        p.drawLine(17, 14, 22, 6);
    } else if (name == "ImageButton") {
        p.drawRect(box);
        QPainterPath hill;
        hill.moveTo(4, 19);
        hill.lineTo(10, 11);
        hill.lineTo(14, 16);
        hill.lineTo(16, 13);
        hill.lineTo(20, 19);
        p.setBrush(Qt::black);
        p.drawPath(hill);
    } else if (name == "ZoomInbutton" || name == "ZoomOutbutton") {
        p.drawEllipse(QRect(3, 3, 13, 13));
        p.drawLine(14, 14, 21, 21);
        p.drawLine(6, 9, 13, 9);
        if (name == "ZoomInbutton") p.drawLine(9, 6, 9, 13);
    } else if (name == "ShowGrid" || name == "SnapToGrid") {
        p.setPen(QPen(QColor(0, 0x80, 0), 2));
        for (int y = 4; y <= 20; y += 4)
            for (int x = 4; x <= 20; x += 4) p.drawPoint(x, y);
        if (name == "SnapToGrid") {
            p.setPen(QPen(Qt::black, 1.5));
            p.drawRect(8, 8, 8, 8);
        }
    }
    return QIcon(pm);
}

}  // namespace

void SetTemplatePicker(TemplatePicker picker) {
    PickerSlot() = std::move(picker);
}

const TemplatePicker& InstalledTemplatePicker() {
    return PickerSlot();
}

CoverDesignerWindow::CoverDesignerWindow(QWidget* parent) : QDialog(parent), designer_(*this) {
    setObjectName("CoverDesigner");
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(0, 0, 0, 4);
    col->setSpacing(2);
    auto* menuBar = new QMenuBar(this);
    col->setMenuBar(menuBar);
    fileMenu_ = menuBar->addMenu("&File");

    auto* bar = new QToolBar(this);
    bar->setIconSize(QSize(24, 24));
    buildToolBar(bar);
    col->addWidget(bar);

    scroll_ = new QScrollArea(this);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    pageWidget_ = new TFaxCoverPanelX(designer_.page());
    auto* holder = new QWidget;
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(12, 12, 12, 12);
    holderLayout->addWidget(pageWidget_, 0, Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setWidget(holder);
    scroll_->setWidgetResizable(true);
    col->addWidget(scroll_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 0, 8, 0);
    zoomLabel_ = new QLabel(this);
    zoomLabel_->setObjectName("ZoomLabel");
    buttons->addWidget(new QLabel("Zoom:", this));
    buttons->addWidget(zoomLabel_);
    buttons->addStretch(1);
    auto* help = new QPushButton("Help", this);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(this, "designer"); });
    SetHelpTopic(this, "designer");
    auto* tips = new QPushButton("Quick tips", this);
    auto* tipsMenu = new QMenu(tips);
    for (size_t i = 0; i < std::size(kQuickTips); ++i)
        connect(tipsMenu->addAction(kQuickTips[i]), &QAction::triggered, this,
                [i] { ShowInformation(kQuickTipTexts[i]); });
    tips->setMenu(tipsMenu);
    saveButton_ = new QPushButton("&Save", this);
    saveButton_->setObjectName("SaveButton");
    connect(saveButton_, &QPushButton::clicked, this,
            [this] { designer_.path().isEmpty() ? designer_.saveAs() : designer_.save(); });
    cancelButton_ = new QPushButton("&Cancel", this);
    cancelButton_->setObjectName("CancelButton");
    connect(cancelButton_, &QPushButton::clicked, this, [this] { designer_.cancelChanges(); });
    auto* closeButton = new QPushButton("C&lose", this);
    closeButton->setObjectName("CloseButton");
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    for (QPushButton* b : {help, tips, saveButton_, cancelButton_, closeButton}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    col->addLayout(buttons);

    buildMenu();
    buildPageMenu();

    connect(pageWidget_, &TFaxCoverPanelX::objectPlaced, this, &CoverDesignerWindow::objectPlaced);
    connect(pageWidget_, &TFaxCoverPanelX::selectionChanged, this, [this] {
        if (designer_.page().Pointing()) tools_["Pointerbutton"]->setChecked(true);
    });
    connect(pageWidget_, &TFaxCoverPanelX::pageMenuRequested, this,
            &CoverDesignerWindow::showPageMenu);
    connect(pageWidget_, &TFaxCoverPanelX::objectMenuRequested, this,
            [this](TFaxGraphicControl* o, const QPoint& at) {
                ObjectMenuContext c{this, &designer_.page(), &imageFolder_,
                                    [this] { pageWidget_->update(); }};
                ShowObjectMenu(c, o, at);
                pageWidget_->update();
            });
    connect(pageWidget_, &TFaxCoverPanelX::zoomInRequested, this, &CoverDesignerWindow::zoomIn);
    connect(pageWidget_, &TFaxCoverPanelX::zoomOutRequested, this, &CoverDesignerWindow::zoomOut);
    connect(pageWidget_, &TFaxCoverPanelX::copyRequested, this,
            [this] { report(designer_.page().copy(designer_.page().selection())); });
    connect(pageWidget_, &TFaxCoverPanelX::cutRequested, this, [this] {
        report(designer_.page().cut(designer_.page().selection()));
        pageWidget_->update();
    });
    connect(pageWidget_, &TFaxCoverPanelX::pasteRequested, this, [this] {
        report(designer_.page().paste());
        pageWidget_->update();
    });
    connect(pageWidget_, &TFaxCoverPanelX::deleteRequested, this, [this] {
        designer_.page().deleteObjects(designer_.page().selection());
        pageWidget_->update();
    });

    designer_.onStateChanged = [this] { refreshState(); };
    designer_.loadSettings(IniFile(SettingsFileName()));
    imageFolder_ = GlobalSettings().LastUsedImageFilePath;
    if (imageFolder_.isEmpty()) imageFolder_ = AppFolder();
    resize(900, 700);
    LoadFormPlacement(this);
    refreshState();
}

CoverDesignerWindow::~CoverDesignerWindow() {
    designer_.onStateChanged = nullptr;
}

void CoverDesignerWindow::report(const Status& s) {
    if (!s.ok()) ShowInformation(s.message());
}

// --- building -------------------------------------------------------------------------------

void CoverDesignerWindow::buildToolBar(QToolBar* bar) {
    struct Tool {
        const char* name;
        const char* tip;
        TLPanelState state;
    } toolRows[] = {
        {"Pointerbutton", "Select, move and resize", psPointing},
        {"DrawLabelButton", "Text", psLabel},
        {"DrawMLTextButton", "Multi-line text", psMultiLineLabel},
        {"DrawSymbolButton", "Symbol", psSymbolLabel},
        {"DrawRectanglebutton", "Rectangle", psRectangle},
        {"DrawEllipseButton", "Ellipse", psEllipse},
        {"DrawRoundrectbutton", "Rounded rectangle", psRoundRectangle},
        {"DrawLinebutton", "Line", psLine},
        {"FieldBoxButton", "Field box", psField},
        {"DrawMessageButton", "Message box", psMessage},
        {"DrawImportanceButton", "Importance boxes", psImportance},
        {"ImageButton", "Image", psImage},
    };
    auto* group = new QActionGroup(this);
    for (const Tool& t : toolRows) {
        QAction* a = bar->addAction(ToolIcon(t.name), t.tip);
        a->setCheckable(true);
        group->addAction(a);
        const TLPanelState state = t.state;
        connect(a, &QAction::triggered, this, [this, state] { setTool(state); });
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
        button->setObjectName(t.name);
        tools_[t.name] = button;
        if (state == psPointing) a->setChecked(true);
    }
    bar->addSeparator();
    QAction* in =
        bar->addAction(ToolIcon("ZoomInbutton"), "Zoom in", this, &CoverDesignerWindow::zoomIn);
    QAction* out =
        bar->addAction(ToolIcon("ZoomOutbutton"), "Zoom out", this, &CoverDesignerWindow::zoomOut);
    bar->addSeparator();
    QAction* grid = bar->addAction(ToolIcon("ShowGrid"), "Show grid");
    grid->setCheckable(true);
    connect(grid, &QAction::toggled, this, [this](bool on) {
        designer_.page().ShowGrid = on;
        pageWidget_->update();
    });
    QAction* snap = bar->addAction(ToolIcon("SnapToGrid"), "Snap to grid");
    snap->setCheckable(true);
    connect(snap, &QAction::toggled, this, [this](bool on) { designer_.page().SnapToGrid = on; });
    QAction* pitch = bar->addAction("4 x 4");
    pitch->setToolTip("Grid size: 4 or 8 pixels");
    connect(pitch, &QAction::triggered, this, [this, pitch] {
        DesignPage& page = designer_.page();
        page.GridSize = page.GridSize == gs4x4 ? gs8x8 : gs4x4;
        pitch->setText(page.GridSize == gs4x4 ? "4 x 4" : "8 x 8");
        pageWidget_->update();
    });
    const std::pair<QAction*, const char*> named[] = {{in, "ZoomInbutton"},
                                                      {out, "ZoomOutbutton"},
                                                      {grid, "ShowGrid"},
                                                      {snap, "SnapToGrid"},
                                                      {pitch, "GridSizeButton"}};
    for (const auto& [a, name] : named) {
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
        button->setObjectName(name);
        tools_[name] = button;
    }
}

void CoverDesignerWindow::buildMenu() {
    QMenu* m = fileMenu_;
    connect(m->addAction("&New"), &QAction::triggered, this, [this] { designer_.newTemplate(); });
    connect(m->addAction("&Open"), &QAction::triggered, this, [this] { designer_.open(); });
    connect(m->addAction("&Delete"), &QAction::triggered, this,
            &CoverDesignerWindow::chooseDeleteFile);
    saveAction_ = m->addAction("Save");
    saveAction_->setShortcut(QKeySequence("Ctrl+S"));
    connect(saveAction_, &QAction::triggered, this, [this] { designer_.save(); });
    // While the menu item is disabled (no file yet) Ctrl+S still answers, with a beep.
    saveWithoutFile_ = new QShortcut(QKeySequence("Ctrl+S"), this);
    connect(saveWithoutFile_, &QShortcut::activated, this, [this] { designer_.save(); });
    connect(m->addAction("Save &As..."), &QAction::triggered, this, [this] { designer_.saveAs(); });
    connect(m->addAction("Preview Saved Templates"), &QAction::triggered, this,
            &CoverDesignerWindow::previewTemplates);
    defaultFontAction_ = m->addAction("&Default Font - ");
    connect(defaultFontAction_, &QAction::triggered, this, &CoverDesignerWindow::chooseDefaultFont);
    connect(m->addAction("E&xit"), &QAction::triggered, this, &QWidget::close);
}

void CoverDesignerWindow::buildPageMenu() {
    pageMenu_ = new QMenu(this);
    pageMenu_->setObjectName("PageMenu");
    DesignPage& page = designer_.page();
    auto add = [this](const QString& text, std::function<void()> run) {
        QAction* a = pageMenu_->addAction(text);
        connect(a, &QAction::triggered, this, [this, run] {
            run();
            pageWidget_->update();
        });
        pageActions_[text] = a;
    };
    add("Bring To Front", [&page] { page.bringToFront(page.selection()); });
    add("Send To Back", [&page] { page.sendToBack(page.selection()); });
    pageMenu_->addSeparator();
    add("Cut", [this, &page] { report(page.cut(page.selection())); });
    add("Copy", [this, &page] { report(page.copy(page.selection())); });
    add("Paste", [this, &page] { report(page.paste()); });
    pageMenu_->addSeparator();
    add("Delete", [&page] { page.deleteObjects(page.selection()); });
    pageMenu_->addSeparator();
    add("Align Left", [&page] { page.alignLefts(); });
    add("Align Right", [&page] { page.alignRights(); });
    add("Align Tops", [&page] { page.alignTops(); });
    add("Align Bottoms", [&page] { page.alignBottoms(); });
    pageMenu_->addSeparator();
    add("Center Vertically", [&page] { page.centerVertically(page.selection()); });
    add("Center Horizontally", [&page] { page.centerHorizontally(page.selection()); });
    pageMenu_->addSeparator();
    add("Lock All", [&page] { page.lockAll(true); });
    add("Unlock All", [&page] { page.lockAll(false); });
    pageMenu_->addSeparator();
    add("Mark All Selectable", [&page] { page.markAllUnselectable(false); });
    add("Mark All Unselectable", [&page] { page.markAllUnselectable(true); });
    add("Select All", [&page] { page.selectAll(); });
    pageMenu_->addSeparator();
    add("Font", [this] { pageFont(); });
}

QMenu* CoverDesignerWindow::preparedPageMenu() {
    const DesignPage& page = designer_.page();
    const bool selected = !page.selection().empty();
    for (const char* item :
         {"Bring To Front", "Send To Back", "Cut", "Copy", "Delete", "Align Left", "Align Right",
          "Align Tops", "Align Bottoms", "Center Vertically", "Center Horizontally", "Font"})
        pageActions_[item]->setEnabled(selected);
    pageActions_["Paste"]->setEnabled(page.clipboardExists());
    pageActions_["Lock All"]->setEnabled(!page.objects().empty());
    pageActions_["Unlock All"]->setEnabled(!page.objects().empty());
    return pageMenu_;
}

void CoverDesignerWindow::showPageMenu(const QPoint& globalPos) {
    preparedPageMenu()->exec(globalPos);
    pageWidget_->update();
}

// --- state ----------------------------------------------------------------------------------

void CoverDesignerWindow::refreshState() {
    setWindowTitle(designer_.caption());
    saveButton_->setVisible(designer_.saveButtonVisible());
    saveButton_->setText(designer_.saveButtonCaption());
    cancelButton_->setVisible(designer_.cancelVisible());
    saveAction_->setEnabled(designer_.saveMenuEnabled());
    saveWithoutFile_->setEnabled(!designer_.saveMenuEnabled());
    defaultFontAction_->setText(designer_.defaultFontCaption());
    zoomLabel_->setText(ZoomCaption(designer_.page().Zoom()));
    rebuildRecentMenu();
    pageWidget_->refresh();
}

void CoverDesignerWindow::rebuildRecentMenu() {
    for (QAction* a : recentActions_) {
        fileMenu_->removeAction(a);
        a->deleteLater();
    }
    recentActions_.clear();
    const QStringList captions = designer_.recentFiles().menuCaptions();
    if (captions.isEmpty()) return;
    recentActions_ << fileMenu_->addSeparator();
    for (int i = 0; i < captions.size(); ++i) {
        QAction* a = fileMenu_->addAction(captions[i]);
        // Queued: the menu being rebuilt is the one that sent the signal.
        connect(a, &QAction::triggered, this, [this, i] {
            QMetaObject::invokeMethod(
                this, [this, i] { designer_.openRecent(i); }, Qt::QueuedConnection);
        });
        recentActions_ << a;
    }
}

void CoverDesignerWindow::setTool(TLPanelState state) {
    designer_.page().SetPanelState(state);
    if (state != psPointing) {
        designer_.page().clearSelection();
        pageWidget_->update();
    }
}

void CoverDesignerWindow::zoomIn() {
    pageWidget_->setPaintSuspended(true);
    designer_.page().ZoomIn();
    pageWidget_->setPaintSuspended(false);
    refreshState();
}

void CoverDesignerWindow::zoomOut() {
    pageWidget_->setPaintSuspended(true);
    designer_.page().ZoomOut();
    pageWidget_->setPaintSuspended(false);
    refreshState();
}

// --- objects --------------------------------------------------------------------------------

void CoverDesignerWindow::objectPlaced(TFaxGraphicControl* o) {
    tools_["Pointerbutton"]->defaultAction()->setChecked(true);
    if (auto* label = dynamic_cast<TFaxCoverLabel*>(o)) {
        EditLabelText(this, *label);
    } else if (auto* symbol = dynamic_cast<TFaxCoverSymbol*>(o)) {
        ChooseSymbol(this, *symbol);
    } else if (auto* image = dynamic_cast<TFaxImage*>(o)) {
        // An image without a picture does not stay on the page.
        if (!LoadImageFromDisk(this, *image, imageFolder_)) designer_.page().remove(o);
    } else if (auto* multi = dynamic_cast<TFaxMultiLineLabel*>(o)) {
        EditMultiLineText(this, *multi);
        multi->SetWordWrap(true);
    }
    pageWidget_->update();
}

void CoverDesignerWindow::pageFont() {
    if (auto font = ChooseCoverFont(this, designer_.defaultFont(), false))
        designer_.page().applyFont(*font);
}

void CoverDesignerWindow::chooseDefaultFont() {
    if (auto font = ChooseCoverFont(this, designer_.defaultFont(), false)) {
        designer_.setDefaultFont(*font);
        IniFile ini(SettingsFileName());
        designer_.storeDefaultFont(ini);
        report(ini.save());
    }
}

// --- files ----------------------------------------------------------------------------------

QString CoverDesignerWindow::pickTemplate(const QString& current) {
    if (const TemplatePicker& picker = InstalledTemplatePicker())
        return picker(this, current, false);
    return QFileDialog::getOpenFileName(this, "Select  Fax Cover Template",
                                        current.isEmpty() ? CoversFolder() : current,
                                        "Fax Cover Template (*.FCS *.fcs)");
}

std::optional<SaveAsChoice> CoverDesignerWindow::saveAs(const QString& name,
                                                        const QString& description) {
    SaveTemplateAsDialog d(name, description, this);
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return SaveAsChoice{d.name(), d.description()};
}

void CoverDesignerWindow::beep() {
    QApplication::beep();
}

void CoverDesignerWindow::chooseDeleteFile() {
    const QString path = QFileDialog::getOpenFileName(
        this, "Delete Fax Cover Template File", CoversFolder(), "Fax Cover Template (*.FCS *.fcs)");
    if (!path.isEmpty()) designer_.deleteTemplate(path);
}

void CoverDesignerWindow::previewTemplates() {
    if (const TemplatePicker& picker = InstalledTemplatePicker()) {
        picker(this, designer_.path(), true);
        return;
    }
    QDialog d(this);
    d.setWindowTitle("Preview Fax Cover Templates");
    auto* row = new QHBoxLayout(&d);
    auto* list = new QListWidget(&d);
    auto* picture = new QLabel(&d);
    picture->setFixedSize(408, 528);
    picture->setAlignment(Qt::AlignCenter);
    auto* description = new QLabel(&d);
    for (const TemplateEntry& t : ListTemplates(CoversFolder())) {
        auto* item = new QListWidgetItem(QFileInfo(t.designPath).fileName(), list);
        item->setData(Qt::UserRole, t.designPath);
        item->setData(Qt::UserRole + 1, t.description);
    }
    connect(list, &QListWidget::currentItemChanged, &d, [=](QListWidgetItem* item) {
        if (!item) return;
        const QString path = item->data(Qt::UserRole).toString();
        const QImage preview(CompanionPath(path, ".bmp"));
        picture->setPixmap(QPixmap::fromImage(
            preview.scaled(picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        description->setText(item->data(Qt::UserRole + 1).toString());
    });
    auto* side = new QVBoxLayout;
    side->addWidget(list, 1);
    side->addWidget(description);
    auto* close = new QPushButton("Close", &d);
    connect(close, &QPushButton::clicked, &d, &QDialog::accept);
    side->addWidget(close);
    row->addLayout(side);
    row->addWidget(picture);
    if (list->count() > 0) list->setCurrentRow(0);
    d.exec();
}

// --- life -----------------------------------------------------------------------------------

void CoverDesignerWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (activated_) return;
    activated_ = true;
    designer_.start();
}

void CoverDesignerWindow::reject() {
    close();  // Escape closes as "C&lose" does, with its question
}

void CoverDesignerWindow::closeEvent(QCloseEvent* e) {
    if (!designer_.close()) {
        e->ignore();
        return;
    }
    IniFile ini(SettingsFileName());
    designer_.storeDefaultFont(ini);
    (void)ini.save();  // the font is a convenience; the templates are saved already
    (void)SaveFormPlacement(this);
    GlobalSettings().LastUsedImageFilePath = imageFolder_;
    e->accept();
    QDialog::done(QDialog::Accepted);
}

void ShowCoverDesigner(QWidget* parent) {
    LoadSettings();
    CoverDesignerWindow window(parent);
    window.exec();
    (void)SaveSettings();
}

}  // namespace corvane
