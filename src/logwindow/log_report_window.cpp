#include "logwindow/log_report_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/locale_formats.h"
#include "core/message_boxes.h"
#include "core/settings.h"
#include "logs/fax_data_module.h"
#include "logwindow/logic/log_report.h"
#include "logwindow/report_preview_window.h"
#include "uicommon/help_window.h"
#include "uicommon/window_placement.h"
#include "viewing/printer_selection.h"

namespace corvane {

namespace {

// A canceled report takes its job off the printer before the painter ends it.
class PrinterOutput : public PagedDeviceOutput {
  public:
    PrinterOutput(QPrinter& printer, QMarginsF unprintable)
        : PagedDeviceOutput(printer, unprintable), printer_(printer) {}
    void abort() override {
        if (painter_.isActive()) printer_.abort();
        PagedDeviceOutput::abort();
    }

  private:
    QPrinter& printer_;
};

}  // namespace

// ------------------------------------------------------------------ status window

ReportStatusWindow::ReportStatusWindow(ReportRunKind kind, QWidget* parent)
    : QDialog(parent), kind_(kind) {
    SetHelpTopic(this, "report");
    setWindowTitle(ReportStatusCaption(kind));
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    status = new QLabel;
    status->setMinimumWidth(260);
    layout->addWidget(status);
    button = new QPushButton(ReportStatusButton(kind));
    layout->addWidget(button, 0, Qt::AlignHCenter);
    connect(button, &QPushButton::clicked, this, [this] {
        if (!running_) {
            accept();
            return;
        }
        if (kind_ == ReportRunKind::Print && !AskYesNo("Cancel Printing?", "Cancel")) return;
        canceled_ = true;
    });
}

void ReportStatusWindow::setPage(int page) {
    page_ = page;
    status->setText(ReportPageStatus(page));
}

void ReportStatusWindow::finished(ReportRunEnd end) {
    running_ = false;
    status->setText(ReportPageStatus(page_) + "\n" + ReportEndStatus(kind_, end, page_));
    button->setText("OK");
}

// ------------------------------------------------------------------ the window

TReportForm::TReportForm(TFDM& fdm, QWidget* parent) : QDialog(parent), fdm_(fdm) {
    setWindowTitle("Fax Log Printer");
    auto* layout = new QVBoxLayout(this);
    printTo = new QLabel;
    layout->addWidget(printTo);

    auto* logBox = new QGroupBox("Fax Log");
    auto* logLayout = new QHBoxLayout(logBox);
    auto* logGroup = new QButtonGroup(this);
    const char* logs[] = {"Outgoing Fax Log", "Incoming Fax Log"};
    for (int i = 0; i < 2; ++i) {
        logButton[i] = new QRadioButton(logs[i]);
        logGroup->addButton(logButton[i], i);
        logLayout->addWidget(logButton[i]);
    }
    layout->addWidget(logBox);

    auto* printBox = new QGroupBox("Print");
    auto* printLayout = new QGridLayout(printBox);
    selectionBox = new QGroupBox;
    auto* selectionLayout = new QVBoxLayout(selectionBox);
    selections = new QStackedWidget;
    selectionLayout->addWidget(selections);
    auto addSelections = [this](LogKind log, QRadioButton** buttons) {
        auto* page = new QWidget;
        auto* pageLayout = new QVBoxLayout(page);
        auto* group = new QButtonGroup(this);
        const QStringList entries = ReportSelections(log);
        for (int i = 0; i < entries.size(); ++i) {
            buttons[i] = new QRadioButton(entries[i]);
            group->addButton(buttons[i], i);
            pageLayout->addWidget(buttons[i]);
        }
        pageLayout->addStretch();
        selections->addWidget(page);
        connect(group, &QButtonGroup::idClicked, this, [this](int) { readControls(); });
    };
    addSelections(LogKind::Outgoing, selectionOut);
    addSelections(LogKind::Incoming, selectionIn);
    printLayout->addWidget(selectionBox, 0, 0);

    auto* rangeBox = new QGroupBox("Select Date Range");
    auto* rangeLayout = new QVBoxLayout(rangeBox);
    auto* rangeGroup = new QButtonGroup(this);
    const char* ranges[] = {"All Dates", "All Faxes AFTER (date): ", "All Faxes BEFORE (date): ",
                            "All Faxes For Month:"};
    for (int i = 0; i < 4; ++i) {
        rangeButton[i] = new QRadioButton(ranges[i]);
        rangeGroup->addButton(rangeButton[i], i);
        rangeLayout->addWidget(rangeButton[i]);
    }
    printLayout->addWidget(rangeBox, 0, 1);

    calendarPanel = new QWidget;
    auto* calendarLayout = new QVBoxLayout(calendarPanel);
    calendarHeading = new QLabel;
    chosenDay = new QLabel;
    calendar = new QCalendarWidget;
    calendar->setNavigationBarVisible(false);
    calendarLayout->addWidget(calendarHeading);
    calendarLayout->addWidget(chosenDay);
    auto* steps = new QHBoxLayout;
    const struct {
        const char* caption;
        int years, months;
    } stepButtons[] = {
        {"<< Year", -1, 0}, {"< Month", 0, -1}, {"Month >", 0, 1}, {"Year >>", 1, 0}};
    for (const auto& s : stepButtons) {
        auto* b = new QPushButton(s.caption);
        connect(b, &QPushButton::clicked, this, [this, s] {
            calendar->setSelectedDate(
                calendar->selectedDate().addYears(s.years).addMonths(s.months));
        });
        steps->addWidget(b);
    }
    auto* today = new QPushButton("Today");
    connect(today, &QPushButton::clicked, this,
            [this] { calendar->setSelectedDate(QDate::currentDate()); });
    steps->addWidget(today);
    calendarLayout->addLayout(steps);
    calendarLayout->addWidget(calendar);
    printLayout->addWidget(calendarPanel, 1, 0, 1, 2);
    layout->addWidget(printBox);

    auto* optionsRow = new QHBoxLayout;
    auto* optionsBox = new QGroupBox("Other Options");
    auto* optionsLayout = new QVBoxLayout(optionsBox);
    shade = new QCheckBox("Shade Alternate Records");
    optionsLayout->addWidget(shade);
    optionsRow->addWidget(optionsBox);
    auto* sortBox = new QGroupBox("Sort Order");
    auto* sortLayout = new QVBoxLayout(sortBox);
    sort = new QComboBox;
    sortLayout->addWidget(sort);
    optionsRow->addWidget(sortBox);
    layout->addLayout(optionsRow);

    auto* buttons = new QHBoxLayout;
    printButton = new QPushButton("Print");
    previewButton = new QPushButton("Preview");
    setupButton = new QPushButton("Printer Setup");
    pdfButton = new QPushButton("Save as PDF...");
    auto* help = new QPushButton("Help");
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(this, "report"); });
    SetHelpTopic(this, "report");
    closeButton = new QPushButton("Close");
    for (QPushButton* b : {printButton, previewButton, setupButton, pdfButton, help, closeButton}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    connect(logGroup, &QButtonGroup::idClicked, this, [this](int) { readControls(); });
    connect(rangeGroup, &QButtonGroup::idClicked, this, [this](int) { readControls(); });
    connect(shade, &QCheckBox::toggled, this, [this] { readControls(); });
    connect(sort, &QComboBox::activated, this, [this] { readControls(); });
    connect(calendar, &QCalendarWidget::selectionChanged, this, [this] { readControls(); });
    connect(printButton, &QPushButton::clicked, this, &TReportForm::Print);
    connect(previewButton, &QPushButton::clicked, this, &TReportForm::Preview);
    connect(setupButton, &QPushButton::clicked, this, &TReportForm::PrinterSetup);
    connect(pdfButton, &QPushButton::clicked, this, &TReportForm::SaveAsPdf);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    askPdfName = [](QWidget* parent) {
        return QFileDialog::getSaveFileName(parent, "Save as PDF", "fax-log.pdf",
                                            "PDF files (*.pdf)");
    };
    printDialog = [](QPrinter& printer, QWidget* parent) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    waitForOk = [](ReportStatusWindow& status) { status.exec(); };
    showPreview = [this](std::vector<ReportPage> pages) {
        ReportPreviewWindow preview(std::move(pages), this);
        preview.setWindowModality(Qt::ApplicationModal);
        preview.exec();
    };
    printTo->setText(PrintToLabel(currentPrinter()));
    showState();
}

TReportForm::~TReportForm() = default;

QString TReportForm::currentPrinter() const {
    const QString chosen = SelectedPrinterName();
    return chosen.isEmpty() ? QPrinterInfo::defaultPrinterName() : chosen;
}

bool TReportForm::havePrinters() const {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

void TReportForm::showState() {
    filling_ = true;
    const ReportChoices& c = state_.choices;
    logButton[int(c.log)]->setChecked(true);
    selectionBox->setTitle(state_.selectionGroupTitle());
    selections->setCurrentIndex(int(c.log));
    selectionOut[qBound(0, c.selectionOut, 3)]->setChecked(true);
    selectionIn[qBound(0, c.selectionIn, 2)]->setChecked(true);
    rangeButton[int(c.range)]->setChecked(true);
    calendarPanel->setVisible(state_.calendarVisible());
    calendarHeading->setText(state_.calendarHeading());
    chosenDay->setText(state_.chosenDayText());
    if (calendar->selectedDate() != c.date) calendar->setSelectedDate(c.date);
    shade->setChecked(c.shade);
    const QStringList sorts = ReportSortEntries(c.log);
    if (sort->count() != sorts.size() || sort->itemText(0) != sorts[0] ||
        sort->itemText(sort->count() - 1) != sorts.last()) {
        sort->clear();
        sort->addItems(sorts);
    }
    sort->setCurrentIndex(qBound(0, c.sort, int(sorts.size()) - 1));
    filling_ = false;
}

void TReportForm::readControls() {
    if (filling_) return;
    ReportChoices& c = state_.choices;
    const LogKind log = logButton[1]->isChecked() ? LogKind::Incoming : LogKind::Outgoing;
    if (log != c.log)
        c.sort = 0;  // the other log has its own sort list
    else
        c.sort = sort->currentIndex();
    c.log = log;
    for (int i = 0; i < 4; ++i)
        if (selectionOut[i]->isChecked()) c.selectionOut = i;
    for (int i = 0; i < 3; ++i)
        if (selectionIn[i]->isChecked()) c.selectionIn = i;
    for (int i = 0; i < 4; ++i)
        if (rangeButton[i]->isChecked()) c.range = ReportRange(i);
    c.date = calendar->selectedDate();
    c.shade = shade->isChecked();
    showState();
}

void TReportForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (activated_) return;
    activated_ = true;
    xbase::XbaseTable* tables[] = {&fdm_.FaxTable, &fdm_.RecTable};
    for (int i = 0; i < 2; ++i) {
        noted_[i] = {tables[i]->filter(), tables[i]->indexOrd()};
        (void)tables[i]->query("");
    }
    state_.load(GlobalSettings());
    showState();
}

void TReportForm::done(int result) {
    if (activated_) {
        state_.store(GlobalSettings());
        if (const Status saved = SaveSettings(); !saved.ok()) ShowInformation(saved.message());
        xbase::XbaseTable* tables[] = {&fdm_.FaxTable, &fdm_.RecTable};
        for (int i = 0; i < 2; ++i) {
            (void)tables[i]->query(noted_[i].filter);
            tables[i]->setOrder(noted_[i].order);
        }
        activated_ = false;
    }
    QDialog::done(result);
}

ReportRunEnd TReportForm::runReport(ReportRunKind kind, ReportOutput& output) {
    const ReportChoices& c = state_.choices;
    xbase::XbaseTable& table = c.log == LogKind::Outgoing ? fdm_.FaxTable : fdm_.RecTable;
    LogReport report(table, c.log, BuildReportQuery(c, GlobalLocaleFormats()), c.shade,
                     QDate::currentDate(), GlobalLocaleFormats());
    if (const Status s = report.select(); !s.ok()) {
        ShowInformation(s.message());
        return ReportRunEnd::Canceled;
    }
    ReportStatusWindow status(kind, this);
    status.setWindowModality(Qt::ApplicationModal);
    status.show();
    if (onStatusWindow) onStatusWindow(status);
    ReportEngine engine(output);
    engine.onPage = [&](int page) {
        status.setPage(page);
        QApplication::processEvents();
        if (status.canceled()) kind == ReportRunKind::Print ? engine.cancel() : engine.stop();
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status printed = report.print(engine);
    QApplication::restoreOverrideCursor();
    report.restore();
    ReportRunEnd end = ReportRunEnd::Completed;
    if (engine.stopped())
        end = ReportRunEnd::Stopped;
    else if (!printed.ok())
        end = ReportRunEnd::Canceled;
    status.finished(end);
    if (!printed.ok() && !engine.canceled()) ShowInformation(printed.message());
    // A completed preview goes straight on to the pages.
    if (!(kind == ReportRunKind::Preview && end == ReportRunEnd::Completed)) waitForOk(status);
    return end;
}

void TReportForm::Print() {
    readControls();
    QPrinter printer(QPrinter::HighResolution);
    if (!choosePrinter(printer)) return;
    const QMarginsF unprintable = printer.pageLayout().margins(QPageLayout::Inch);
    PrinterOutput output(printer, unprintable);
    runReport(ReportRunKind::Print, output);
}

void TReportForm::Preview() {
    readControls();
    // Without a printer the preview shows US Letter pages: a preview needs no print queue.
    QSizeF size(8.5, 11);
    QMarginsF unprintable(0.25, 0.5, 0.25, 0.5);
    if (havePrinters()) {
        QPrinter printer(QPrinter::HighResolution);
        ApplySelectedPrinter(printer);
        size = printer.pageLayout().fullRect(QPageLayout::Inch).size();
        unprintable = printer.pageLayout().margins(QPageLayout::Inch);
    }
    KeptPages pages(size, unprintable);
    const ReportRunEnd end = runReport(ReportRunKind::Preview, pages);
    if (end != ReportRunEnd::Canceled && !pages.pages().empty()) showPreview(pages.pages());
}

void TReportForm::SaveAsPdf() {
    readControls();
    const QString path = askPdfName(this);
    if (path.isEmpty()) return;
    PdfFileOutput pdf(path);
    runReport(ReportRunKind::Print, pdf);
}

void TReportForm::PrinterSetup() {
    QPrinter printer(QPrinter::HighResolution);
    choosePrinter(printer);
}

bool TReportForm::choosePrinter(QPrinter& printer) {
    if (!havePrinters()) {
        ShowInformation(NoPrintersMessage());
        return false;
    }
    ApplySelectedPrinter(printer);
    if (!printDialog(printer, this)) return false;
    SelectPrinterName(printer.printerName());
    printTo->setText(PrintToLabel(currentPrinter()));
    return true;
}

void TReportForm::Run(TFDM& fdm, QWidget* parent) {
    TReportForm form(fdm, parent);
    CenterForm(&form);
    form.exec();
}

}  // namespace corvane
