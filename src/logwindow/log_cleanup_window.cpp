#include "logwindow/log_cleanup_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "logs/date_time_text.h"
#include "logs/fax_data_module.h"
#include "uicommon/help_window.h"
#include "uicommon/window_placement.h"

namespace corvane {

namespace {

QString dayText(const QDate& d) {
    return FormatDateTimeText("dddd, mmmm d, yyyy", QDateTime(d, QTime(0, 0)));
}

// "Select Value for ...": the distinct values of a field; the picked one, or nothing.
std::optional<QString> pickFromList(QWidget* parent, const QString& title,
                                    const QStringList& values) {
    QDialog d(parent);
    d.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&d);
    auto* list = new QListWidget;
    list->addItems(values);
    if (!values.isEmpty()) list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &d, &QDialog::accept);
    layout->addWidget(buttons);
    if (d.exec() != QDialog::Accepted || !list->currentItem()) return std::nullopt;
    return list->currentItem()->text();
}

}  // namespace

// ------------------------------------------------------------------ date dialog

CleanupDateDialog::CleanupDateDialog(const QString& caption, const QDate& start, QWidget* parent)
    : QDialog(parent) {
    SetHelpTopic(this, "cleanup");
    setWindowTitle("Select Date");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(caption));
    dayText = new QLabel;
    dayText->setObjectName("DayText");
    layout->addWidget(dayText);
    calendar = new QCalendarWidget;
    calendar->setSelectedDate(start);
    layout->addWidget(calendar);
    auto* steps = new QHBoxLayout;
    const struct {
        const char* caption;
        int years, months;
    } buttons[] = {{"<< Year", -1, 0}, {"< Month", 0, -1}, {"Month >", 0, 1}, {"Year >>", 1, 0}};
    for (const auto& b : buttons) {
        auto* button = new QPushButton(b.caption);
        connect(button, &QPushButton::clicked, this, [this, b] { step(b.years, b.months); });
        steps->addWidget(button);
    }
    auto* today = new QPushButton("Today");
    connect(today, &QPushButton::clicked, this,
            [this] { calendar->setSelectedDate(QDate::currentDate()); });
    steps->addWidget(today);
    layout->addLayout(steps);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ok, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(ok);
    connect(calendar, &QCalendarWidget::activated, this, &QDialog::accept);
    connect(calendar, &QCalendarWidget::selectionChanged, this,
            [this] { dayText->setText(corvane::dayText(calendar->selectedDate())); });
    dayText->setText(corvane::dayText(start));
}

QDate CleanupDateDialog::date() const {
    return calendar->selectedDate();
}

void CleanupDateDialog::step(int years, int months) {
    calendar->setSelectedDate(calendar->selectedDate().addYears(years).addMonths(months));
    calendar->setCurrentPage(calendar->selectedDate().year(), calendar->selectedDate().month());
}

// ------------------------------------------------------------------ conditions dialog

CleanupConditionsDialog::CleanupConditionsDialog(LogCleanupSetup& setup, xbase::XbaseTable& table,
                                                 QWidget* parent)
    : QDialog(parent), setup_(setup), table_(table) {
    SetHelpTopic(this, "cleanup");
    setWindowTitle(setup.conditionsDialogCaption());
    fields_ = setup.log() == LogKind::Incoming ? 1 : 2;
    const TextConditionEntries& last = setup.lastEntries();
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    const char* tips[] = {setup.log() == LogKind::Incoming ? "Select from existing senders"
                                                           : "Select from existing recipients",
                          "Select from existing fax numbers"};
    for (int i = 0; i < fields_; ++i) {
        choice[i] = new QRadioButton;
        group->addButton(choice[i], i);
        text[i] = new QLineEdit(last.texts[i]);
        lookup[i] = new QPushButton("...");
        lookup[i]->setToolTip(tips[i]);
        auto* row = new QHBoxLayout;
        row->addWidget(text[i], 1);
        row->addWidget(lookup[i]);
        layout->addWidget(choice[i]);
        layout->addLayout(row);
        connect(lookup[i], &QPushButton::clicked, this, [this, i] { lookUp(i); });
    }
    choice[qBound(0, last.choice, fields_ - 1)]->setChecked(true);
    exact = new QCheckBox("Text must match exactly - (leave unchecked to allow partial matches)");
    exact->setChecked(last.exact);
    layout->addWidget(exact);
    connect(exact, &QCheckBox::toggled, this, &CleanupConditionsDialog::relabel);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CleanupConditionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    relabel();
}

void CleanupConditionsDialog::relabel() {
    const QStringList captions = setup_.choiceCaptions(exact->isChecked());
    for (int i = 0; i < fields_; ++i) choice[i]->setText(captions.value(i));
}

TextConditionEntries CleanupConditionsDialog::entries() const {
    TextConditionEntries e;
    e.choice = fields_ > 1 && choice[1]->isChecked() ? 1 : 0;
    for (int i = 0; i < fields_; ++i) e.texts[i] = text[i]->text();
    e.exact = exact->isChecked();
    return e;
}

void CleanupConditionsDialog::lookUp(int which) {
    const ValueLookup lookupOf = LookupFor(setup_.log(), which);
    const QStringList values = DistinctValues(table_, lookupOf);
    const auto picked =
        pick ? pick(lookupOf.title, values) : pickFromList(this, lookupOf.title, values);
    if (!picked) return;
    text[which]->setText(picked->trimmed());
    choice[which]->setChecked(true);
    // A recipient and a number are never asked for together.
    if (fields_ > 1) text[1 - which]->clear();
}

void CleanupConditionsDialog::accept() {
    const Status s = setup_.acceptConditions(entries());
    if (!s.ok()) {
        ShowInformation(s.message());
        return;
    }
    QDialog::accept();
}

// ------------------------------------------------------------------ the window

LogCleanupWindow::LogCleanupWindow(TFDM& fdm, std::function<void(LogKind)> view, QWidget* parent)
    : QDialog(parent), fdm_(fdm), view_(std::move(view)) {
    SetHelpTopic(this, "cleanup");
    setWindowTitle("Fax Log Cleanup (Delete, Archive, Unarchive)");
    auto* layout = new QVBoxLayout(this);
    pages = new QStackedWidget;
    pages->addWidget(buildSetupPage());
    pages->addWidget(buildProcessPage());
    layout->addWidget(pages);
    askDate = [](LogCleanupWindow& w) -> std::optional<QDate> {
        CleanupDateDialog d(w.setup_.dateDialogCaption(), w.setup_.lastDate(), &w);
        if (d.exec() != QDialog::Accepted) return std::nullopt;
        return d.date();
    };
    askConditions = [](LogCleanupWindow& w) {
        CleanupConditionsDialog d(w.setup_, w.table(), &w);
        return d.exec() == QDialog::Accepted;
    };
    showSetup();
}

LogCleanupWindow::~LogCleanupWindow() = default;

QWidget* LogCleanupWindow::buildSetupPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* logBox = new QGroupBox("1.");
    auto* logLayout = new QVBoxLayout(logBox);
    auto* logGroup = new QButtonGroup(this);
    const char* logs[] = {"Outgoing Faxes", "Incoming Faxes"};
    for (int i = 0; i < 2; ++i) {
        logButton[i] = new QRadioButton(logs[i]);
        logGroup->addButton(logButton[i], i);
        logLayout->addWidget(logButton[i]);
    }
    logButton[0]->setChecked(true);
    auto* actionBox = new QGroupBox("2.");
    auto* actionLayout = new QVBoxLayout(actionBox);
    auto* actionGroup = new QButtonGroup(this);
    const char* actions[] = {"Delete", "Archive", "Unarchive"};
    for (int i = 0; i < 3; ++i) {
        actionButton[i] = new QRadioButton(actions[i]);
        actionGroup->addButton(actionButton[i], i);
        actionLayout->addWidget(actionButton[i]);
    }
    actionButton[0]->setChecked(true);
    auto* row = new QHBoxLayout;
    row->addWidget(logBox);
    row->addWidget(actionBox);
    layout->addLayout(row);

    auto* subsetBox = new QGroupBox("3.");
    auto* subsetLayout = new QVBoxLayout(subsetBox);
    subsetLayout->addWidget(new QLabel("For faxes where..."));
    subset = new QComboBox;
    subsetLayout->addWidget(subset);
    conditionButton = new QPushButton;
    subsetLayout->addWidget(conditionButton);
    layout->addWidget(subsetBox);

    auto* runBox = new QGroupBox("4.");
    auto* runLayout = new QHBoxLayout(runBox);
    runButton = new QPushButton;
    runLayout->addWidget(runButton);
    layout->addWidget(runBox);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    auto* help = new QPushButton("Help");
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(this, "cleanup"); });
    bottom->addWidget(help);
    closeButton = new QPushButton("Close");
    bottom->addWidget(closeButton);
    layout->addLayout(bottom);

    connect(logGroup, &QButtonGroup::idClicked, this, [this](int id) {
        setup_.setLog(id == 0 ? LogKind::Outgoing : LogKind::Incoming);
        showSetup();
    });
    connect(actionGroup, &QButtonGroup::idClicked, this, [this](int id) {
        setup_.setAction(CleanupAction(id));
        showSetup();
    });
    connect(subset, &QComboBox::activated, this, [this](int index) {
        setup_.setSubset(index);
        showSetup();
    });
    connect(conditionButton, &QPushButton::clicked, this, &LogCleanupWindow::SetCondition);
    connect(runButton, &QPushButton::clicked, this, &LogCleanupWindow::RunNow);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    return page;
}

QWidget* LogCleanupWindow::buildRecordPanel(LogKind log) {
    auto* panel = new QWidget;
    auto* form = new QFormLayout(panel);
    const std::vector<std::pair<const char*, const char*>> rows =
        log == LogKind::Outgoing
            ? std::vector<std::pair<const char*, const char*>>{{"Recipient", "RECIPIENT"},
                                                               {"Fax #", "PHONE"},
                                                               {"Subject", "SUBJECT"},
                                                               {"Date Sent", "DATESENT"},
                                                               {"Time Sent", "TIMESENT"},
                                                               {"Archived?", "ISARCHIVED"},
                                                               {"Notes", "NOTES"},
                                                               {"Last Result", "LASTRESULT"}}
            : std::vector<std::pair<const char*, const char*>>{{"From", "FROM"},
                                                               {"Notes", "NOTES"},
                                                               {"Date Received", "DATEREC"},
                                                               {"Time Received", "TIMEREC"},
                                                               {"Archived?", "ISARCHIVED"}};
    for (const auto& [label, field] : rows) {
        auto* edit = new QLineEdit;
        edit->setReadOnly(true);
        form->addRow(label, edit);
        fields_[int(log)].push_back({field, edit});
    }
    return panel;
}

QWidget* LogCleanupWindow::buildProcessPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel("Processing....."));
    status = new QLabel;
    status->setObjectName("CleanupStatus");
    layout->addWidget(status);
    progress = new QProgressBar;
    progress->setRange(0, 100);
    progress->hide();
    layout->addWidget(progress);
    recordPanel = new QStackedWidget;
    recordPanel->addWidget(buildRecordPanel(LogKind::Outgoing));
    recordPanel->addWidget(buildRecordPanel(LogKind::Incoming));
    layout->addWidget(recordPanel);
    viewButton = new QPushButton("View");
    layout->addWidget(viewButton, 0, Qt::AlignLeft);
    auto* buttons = new QHBoxLayout;
    thisFaxButton = new QPushButton;
    remainingButton = new QPushButton;
    skipButton = new QPushButton("Skip this Fax");
    cancelButton = new QPushButton("Cancel Process");
    for (QPushButton* b : {thisFaxButton, remainingButton, skipButton, cancelButton})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(thisFaxButton, &QPushButton::clicked, this, [this] { decide(ReviewChoice::ThisFax); });
    connect(remainingButton, &QPushButton::clicked, this,
            [this] { decide(ReviewChoice::RemainingMatches); });
    connect(skipButton, &QPushButton::clicked, this, [this] { decide(ReviewChoice::Skip); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { decide(ReviewChoice::Cancel); });
    connect(viewButton, &QPushButton::clicked, this, [this] {
        if (view_) view_(setup_.log());
    });
    return page;
}

xbase::XbaseTable& LogCleanupWindow::table() {
    return setup_.log() == LogKind::Outgoing ? fdm_.FaxTable : fdm_.RecTable;
}

void LogCleanupWindow::showSetup() {
    subset->clear();
    subset->addItems(setup_.subsetTexts());
    subset->setCurrentIndex(setup_.subsetIndex());
    conditionButton->setVisible(setup_.conditionButtonVisible());
    conditionButton->setText(setup_.conditionButtonCaption());
    runButton->setText(setup_.runCaption());
    runButton->setEnabled(setup_.runEnabled());
    recordPanel->setCurrentIndex(int(setup_.log()));
}

void LogCleanupWindow::SetCondition() {
    if (setup_.subset() == CleanupSubset::Date) {
        if (const auto date = askDate(*this)) setup_.acceptDate(*date);
    } else if (setup_.subset() == CleanupSubset::Conditions) {
        askConditions(*this);
    }
    showSetup();
}

void LogCleanupWindow::showRecord() {
    const xbase::XbaseTable& t = table();
    for (const auto& [field, edit] : fields_[int(setup_.log())]) {
        const QString name = field;
        if (name == "ISARCHIVED")
            edit->setText(TFDM::IsArchivedText(t));
        else if (name.startsWith("DATE"))
            edit->setText(t.fieldDate(field).toString("MM/dd/yyyy"));
        else
            edit->setText(t.fieldText(field));
    }
}

void LogCleanupWindow::setReviewEnabled(bool on) {
    for (QPushButton* b : {thisFaxButton, remainingButton, skipButton, cancelButton, viewButton})
        b->setEnabled(on);
}

void LogCleanupWindow::decide(ReviewChoice choice) {
    choice_ = choice;
    if (waiting_) waiting_->quit();
}

void LogCleanupWindow::RunNow() {
    if (running_ || !setup_.runEnabled()) return;
    const QString action = CleanupActionName(setup_.action());
    if (!AskYesNo(setup_.runQuestion(), action)) return;
    running_ = true;
    pages->widget(0)->setEnabled(false);
    pages->setCurrentIndex(1);
    recordPanel->setCurrentIndex(int(setup_.log()));
    recordPanel->show();
    thisFaxButton->setText(setup_.thisFaxCaption());
    remainingButton->setText(setup_.remainingCaption());
    setReviewEnabled(false);
    status->setText("Searching...");
    progress->setValue(0);
    progress->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);

    CleanupScan scan(table(), setup_.log(), setup_.action(), setup_.condition(),
                     setup_.isDateCondition());
    scan.onProgress = [this](int percent) { progress->setValue(percent); };
    if (const Status s = scan.begin(); !s.ok()) {
        QApplication::restoreOverrideCursor();
        ShowInformation(s.message());
    } else {
        while (scan.nextMatch()) {
            showRecord();
            setReviewEnabled(true);
            status->setText(scan.reviewStatus());
            QApplication::setOverrideCursor(Qt::ArrowCursor);
            choice_.reset();
            QEventLoop loop;
            waiting_ = &loop;
            if (onReview) onReview(*this);
            if (!choice_) loop.exec();
            waiting_ = nullptr;
            QApplication::restoreOverrideCursor();
            setReviewEnabled(false);
            const ReviewChoice choice = choice_.value_or(ReviewChoice::Cancel);
            if (choice == ReviewChoice::RemainingMatches) recordPanel->hide();
            scan.choose(choice);
            QApplication::processEvents();
        }
        scan.finish();
        anyDeleted_ = anyDeleted_ || scan.anyDeleted();
        QApplication::restoreOverrideCursor();
        progress->hide();
        pages->setCurrentIndex(0);
        pages->widget(0)->setEnabled(true);
        running_ = false;
        ShowInformation(scan.error().isEmpty() ? scan.summary()
                                               : scan.summary() + "\n" + scan.error());
        showSetup();
        return;
    }
    progress->hide();
    pages->setCurrentIndex(0);
    pages->widget(0)->setEnabled(true);
    running_ = false;
}

void LogCleanupWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (activated_) return;
    activated_ = true;
    // The cleanup sees whole logs: the main window's view filters are off while it is open.
    xbase::XbaseTable* tables[] = {&fdm_.FaxTable, &fdm_.RecTable};
    for (int i = 0; i < 2; ++i) {
        notedFilter_[i] = tables[i]->filter();
        (void)tables[i]->query("");
    }
}

void LogCleanupWindow::done(int result) {
    if (running_) {
        // Closing in the middle of a review is a Cancel; the window stays.
        decide(ReviewChoice::Cancel);
        return;
    }
    xbase::XbaseTable* tables[] = {&fdm_.FaxTable, &fdm_.RecTable};
    for (int i = 0; activated_ && i < 2; ++i) (void)tables[i]->query(notedFilter_[i]);
    activated_ = false;
    QDialog::done(result);
}

bool LogCleanupWindow::Run(TFDM& fdm, std::function<void(LogKind)> view, QWidget* parent) {
    LogCleanupWindow window(fdm, std::move(view), parent);
    CenterForm(&window);
    window.exec();
    return window.anyDeleted();
}

}  // namespace corvane
