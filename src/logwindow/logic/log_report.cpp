#include "logwindow/logic/log_report.h"

#include <QDateTime>
#include <QTime>

#include "core/windows1252.h"
#include "logs/date_time_text.h"

namespace corvane {

namespace {

const char* const kFont = "Times New Roman";
constexpr double kMargin = 1.0;
constexpr double kColumnTitlesBelowTop = 0.8;
constexpr double kBodyBelowTop = 1.0;
constexpr double kBodyAboveBottom = 0.5;
constexpr double kBodyPoints = 9;
constexpr int kShadePercent = 5;

}  // namespace

QString ReportTimeText(const QString& storedTime) {
    const QString t = storedTime.trimmed();
    QTime time = QTime::fromString(t, "hh:mm");
    if (!time.isValid()) time = QTime::fromString(t, "h:mm");
    if (!time.isValid()) return t;
    int hour = time.hour() % 12;
    if (hour == 0) hour = 12;
    return QString("%1:%2%3")
        .arg(hour, 2, 10, QChar('0'))
        .arg(time.minute(), 2, 10, QChar('0'))
        .arg(time.hour() < 12 ? "am" : "pm");
}

ReportRecord ReadReportRecord(LogKind log, const xbase::XbaseTable& table) {
    ReportRecord r;
    const bool out = log == LogKind::Outgoing;
    const QDate date = table.fieldDate(out ? "DATESENT" : "DATEREC");
    const QString time = table.fieldText(out ? "TIMESENT" : "TIMEREC").trimmed();
    QStringList when;
    if (date.isValid()) when << date.toString("MM/dd/yyyy");
    if (!time.isEmpty()) when << ReportTimeText(time);
    r.when = when.join(", ");
    if (out && r.when.isEmpty()) r.when = "[not sent]";
    if (out) {
        r.party =
            table.fieldText("RECIPIENT").trimmed() + " at " + table.fieldText("PHONE").trimmed();
        r.about = table.fieldText("SUBJECT").trimmed();
        const struct {
            const char* label;
            const char* field;
        } extras[] = {{"Notes: ", "NOTES"}, {"Codes: ", "CODES"}, {"Last Result: ", "LASTRESULT"}};
        for (const auto& e : extras) {
            const QString value = table.fieldText(e.field).trimmed();
            if (!value.isEmpty()) r.extras << e.label + value;
        }
    } else {
        r.party = table.fieldText("FROM").trimmed();
        r.about = table.fieldText("NOTES").trimmed();
    }
    r.archived = table.fieldLogical("ARCHIVED");
    return r;
}

ReportColumns ReportColumnsFor(double pageWidth, double leftMargin) {
    const double share = (pageWidth - 8.5) / 2;
    ReportColumns c{{0, 0, 0}, {1.5, 2.75 + share, 2.25 + share}};
    c.left[0] = leftMargin;
    c.left[1] = c.left[0] + c.width[0];
    c.left[2] = c.left[1] + c.width[1];
    return c;
}

LogReport::LogReport(xbase::XbaseTable& table, LogKind log, ReportQuery query, bool shade,
                     QDate today, LocaleFormats formats)
    : table_(table),
      log_(log),
      query_(std::move(query)),
      shade_(shade),
      today_(today),
      formats_(std::move(formats)) {}

LogReport::~LogReport() {
    restore();
}

Status LogReport::select() {
    if (!selected_) {
        savedFilter_ = table_.filter();
        savedOrder_ = table_.indexOrd();
        savedRecno_ = table_.recNo();
        selected_ = true;
    }
    const auto count = table_.query(ToWindows1252(query_.filter));
    if (!count.ok()) return count.status();
    count_ = count.value();
    if (query_.dated && count_ == 0) return Status::Error(NoRecordsMessage());
    table_.setOrder(table_.tagArea(query_.sortTag.toStdString()));
    table_.goTop();
    return Status::Ok();
}

void LogReport::restore() {
    if (!selected_) return;
    selected_ = false;
    (void)table_.query(savedFilter_);  // it was valid when it was set
    table_.setOrder(savedOrder_);
    if (!table_.go(savedRecno_)) table_.goTop();
}

void LogReport::printHeader(ReportEngine& e) const {
    const double top = e.topMargin();
    e.setY(top);
    e.setFont(kFont, 12, true);
    e.printLeft(log_ == LogKind::Outgoing ? "Corvane Outgoing Faxes" : "Corvane Incoming Faxes");
    e.printRight("Page " + QString::number(e.pageNumber()));
    e.newLine();
    e.setFont(kFont, 10, false, true);
    e.printLeft(query_.heading);
    e.printRight(FormatDateTimeText(formats_.shortDate, QDateTime(today_, QTime(0, 0)), formats_));
    const double bodyBottom = e.pageHeight() - e.bottomMargin() - kBodyAboveBottom;
    if (query_.archivedCanAppear) {
        const double saved = e.y();
        e.setY(bodyBottom + 0.05);
        e.printLeft("(* archived faxes are shown in italic)");
        e.setY(saved);
    }
    e.setFont(kFont, 9, true);
    e.setY(top + kColumnTitlesBelowTop);
    e.rule(e.y());
    const ReportColumns c = ReportColumnsFor(e.pageWidth(), e.leftMargin());
    e.clearTabs();
    for (int i = 0; i < 3; ++i) e.setTab(c.left[i], c.width[i]);
    const bool out = log_ == LogKind::Outgoing;
    e.printTab("Date");
    e.printTab(out ? "Recipient" : "From");
    e.printTab(out ? "Subject" : "Notes");
    e.setY(top + kBodyBelowTop);
    e.rule(e.y());
    e.rule(bodyBottom);
    e.setBodyBottom(bodyBottom);
    e.setFont(kFont, kBodyPoints);
}

int LogReport::linesNeeded(ReportEngine& e, const ReportRecord& r) const {
    e.setFont(kFont, kBodyPoints, false, r.archived);
    const ReportColumns c = ReportColumnsFor(e.pageWidth(), e.leftMargin());
    const double padding = 0.1;  // the tab's text starts inside it and keeps clear of the next
    int lines = std::max({qsizetype(1), e.wrap(r.party, c.width[1] - padding).size(),
                          e.wrap(r.about, c.width[2] - padding).size()});
    for (const QString& extra : r.extras)
        lines += e.wrap(extra, c.width[1] + c.width[2] - padding).size();
    return lines;
}

void LogReport::printRecord(ReportEngine& e, const ReportRecord& r, bool shaded) const {
    e.setFont(kFont, kBodyPoints, false, r.archived);
    const ReportColumns c = ReportColumnsFor(e.pageWidth(), e.leftMargin());
    const double padding = 0.1;
    const int shade = shaded ? kShadePercent : 0;
    const QStringList party = e.wrap(r.party, c.width[1] - padding);
    const QStringList about = e.wrap(r.about, c.width[2] - padding);
    e.clearTabs();
    for (int i = 0; i < 3; ++i) e.setTab(c.left[i], c.width[i], ReportEngine::Justify::Left, shade);
    const qsizetype main = std::max({qsizetype(1), party.size(), about.size()});
    for (qsizetype i = 0; i < main; ++i) {
        e.printTab(i == 0 ? r.when : QString());
        e.printTab(party.value(i));
        e.printTab(about.value(i));
        e.newLine();
    }
    e.clearTabs();
    e.setTab(c.left[0], c.width[0], ReportEngine::Justify::Left, shade);
    e.setTab(c.left[1], c.width[1] + c.width[2], ReportEngine::Justify::Left, shade);
    for (const QString& extra : r.extras) {
        for (const QString& line : e.wrap(extra, c.width[1] + c.width[2] - padding)) {
            e.printTab();
            e.printTab(line);
            e.newLine();
        }
    }
}

Status LogReport::print(ReportEngine& engine) {
    engine.setMargins(kMargin, kMargin);
    engine.onPageHeader = [this](ReportEngine& e) { printHeader(e); };
    bool shaded = false;
    return engine.run([&](ReportEngine& e) {
        for (bool more = !table_.eof(); more && !table_.eof(); more = table_.skip(1)) {
            if (e.canceled()) return;
            const ReportRecord r = ReadReportRecord(log_, table_);
            const int needed = linesNeeded(e, r);
            // A record that does not fit starts a new page, unless the page is still empty
            // (a record longer than a page then runs off its end rather than loop).
            const bool pageEmpty = e.y() <= e.topMargin() + kBodyBelowTop + 1e-9;
            if (e.linesLeft() < needed && !pageEmpty) {
                if (!e.newPage().ok()) return;
                shaded = false;
            } else if (e.y() <= e.topMargin() + kBodyBelowTop + 1e-9) {
                shaded = false;
            }
            if (e.canceled()) return;
            printRecord(e, r, shade_ && shaded);
            shaded = !shaded;
        }
    });
}

}  // namespace corvane
