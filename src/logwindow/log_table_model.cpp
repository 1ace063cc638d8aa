#include "logwindow/log_table_model.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <algorithm>
#include <cstdlib>

#include "logs/date_time_text.h"

namespace corvane {

namespace {

// Rows kept around the one asked for: a few screens, so scrolling reads in blocks.
constexpr int kWindowRows = 200;
constexpr int kRowsBeforeAsked = 50;

}  // namespace

const std::vector<LogColumn>& LogTableModel::ColumnsFor(LogKind kind) {
    static const std::vector<LogColumn> outgoing = {
        {"DATESENT", "Date Sent", 12}, {"TIMESENT", "Time Sent", 5},
        {"PHONE", "Fax#", 18},         {"RECIPIENT", "Recipient", 24},
        {"SUBJECT", "Subject", 24},    {"LASTRESULT", "Last Attempt", 50},
        {"", "Fax File", 100}};
    static const std::vector<LogColumn> incoming = {
        {"DATEREC", "Date Rec'd", 10}, {"TIMEREC", "Time Rec'd", 5}, {"FROM", "From Fax #", 20},
        {"PAGES", "Pages", 6},         {"NOTES", "Notes", 20},       {"", "Fax File", 100}};
    return kind == LogKind::Outgoing ? outgoing : incoming;
}

int LogTableModel::ContentWidth(int column, const QFontMetrics& font) const {
    if (column < 0 || size_t(column) >= columns_.size()) return 0;
    const LogColumn& c = columns_[size_t(column)];
    if (c.field == "DATESENT" || c.field == "DATEREC") {
        // Month and day names differ in width: the widest of a year's months, late in each.
        int widest = 0;
        for (int month = 1; month <= 12; ++month) {
            for (int day : {22, 28}) {
                const QDateTime at(QDate(2028, month, day), QTime(0, 0));
                widest = std::max(widest, font.horizontalAdvance(FormatDateTimeText(
                                              fdm_.Formats.shortDate, at, fdm_.Formats)));
            }
        }
        return widest;
    }
    if (c.field == "TIMESENT" || c.field == "TIMEREC" || c.field == "PAGES")
        return font.horizontalAdvance(QString(c.widthChars, QChar('0')));
    return c.widthChars * font.averageCharWidth();
}

LogTableModel::LogTableModel(TFDM& fdm, LogKind kind, QObject* parent)
    : QAbstractTableModel(parent),
      fdm_(fdm),
      kind_(kind),
      table_(kind == LogKind::Outgoing ? fdm.FaxTable : fdm.RecTable),
      columns_(ColumnsFor(kind)) {
    count_ = table_.isOpen() ? table_.queryRecCount() : 0;
}

void LogTableModel::Refresh(int knownCount) {
    beginResetModel();
    window_.clear();
    windowStart_ = 0;
    if (!table_.isOpen())
        count_ = 0;
    else
        count_ = knownCount >= 0 ? knownCount : std::max(0, table_.queryRecCount());
    endResetModel();
}

int LogTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

int LogTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant LogTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    // The rows have an indicator, not numbers.
    if (orientation != Qt::Horizontal || section < 0 || size_t(section) >= columns_.size())
        return {};
    if (role == Qt::DisplayRole) return columns_[size_t(section)].label;
    return {};
}

QVariant LogTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role != Qt::DisplayRole && role != Qt::ForegroundRole && role != Qt::TextAlignmentRole)
        return {};
    const Row* row = rowAt(index.row());
    if (!row) return {};
    switch (role) {
        case Qt::DisplayRole:
            return row->texts.value(index.column());
        case Qt::ForegroundRole:
            // Selected rows draw with the palette's highlighted text (white) instead.
            if (row->archived) return QBrush(Qt::red);
            return {};
        case Qt::TextAlignmentRole:
            if (columns_[size_t(index.column())].field == "PAGES")
                return int(Qt::AlignRight | Qt::AlignVCenter);
            return {};
    }
    return {};
}

uint32_t LogTableModel::recnoAt(int row) const {
    const Row* r = rowAt(row);
    return r ? r->recno : 0;
}

bool LogTableModel::archivedAt(int row) const {
    const Row* r = rowAt(row);
    return r && r->archived;
}

const LogTableModel::Row* LogTableModel::rowAt(int row) const {
    if (row < 0 || row >= count_) return nullptr;
    if (row < windowStart_ || row >= windowStart_ + int(window_.size())) fillWindow(row);
    const int i = row - windowStart_;
    if (i < 0 || i >= int(window_.size())) return nullptr;
    return &window_[size_t(i)];
}

LogTableModel::Row LogTableModel::readCurrent() const {
    Row r;
    r.recno = table_.recNo();
    r.archived = table_.fieldLogical("ARCHIVED");
    for (const LogColumn& c : columns_) {
        if (c.field.empty()) {
            // The path of the file as it is on the disk (the lookup ignores letter case).
            r.texts << (kind_ == LogKind::Outgoing ? fdm_.CalcFaxFile() : fdm_.CalcRecFaxfile());
        } else if (c.field == "DATESENT" || c.field == "DATEREC") {
            const QDate d = table_.fieldDate(c.field);
            r.texts << (d.isValid() ? FormatDateTimeText(fdm_.Formats.shortDate,
                                                         QDateTime(d, QTime(0, 0)), fdm_.Formats)
                                    : QString());
        } else if (c.field == "PAGES") {
            r.texts << QString::number(int(table_.fieldNumber(c.field)));
        } else {
            r.texts << table_.fieldText(c.field);
        }
    }
    ++rowsRead_;
    return r;
}

void LogTableModel::restoreCursor(uint32_t recno) const {
    // Past the last record means "no current record": go() leaves the table at EOF then.
    table_.go(recno);
}

// Positions the table on `row`, stepping from whichever known row is nearest.
bool LogTableModel::moveToRow(int row) const {
    int fromTop = row;
    int fromBottom = count_ - 1 - row;
    int fromWindow = -1;
    int anchor = -1;
    if (!window_.empty()) {
        const int first = windowStart_;
        const int last = windowStart_ + int(window_.size()) - 1;
        anchor = std::abs(row - first) < std::abs(row - last) ? first : last;
        fromWindow = std::abs(row - anchor);
    }
    if (fromWindow >= 0 && fromWindow < fromTop && fromWindow < fromBottom) {
        if (!table_.go(window_[size_t(anchor - windowStart_)].recno)) return false;
        return row == anchor || table_.skip(row - anchor);
    }
    if (fromTop <= fromBottom) return table_.goTop() && (fromTop == 0 || table_.skip(fromTop));
    return table_.goBottom() && (fromBottom == 0 || table_.skip(-fromBottom));
}

void LogTableModel::fillWindow(int row) const {
    const uint32_t saved = table_.recNo();
    const int start = std::max(0, std::min(row - kRowsBeforeAsked, count_ - kWindowRows));
    const int end = std::min(count_, start + kWindowRows);
    std::vector<Row> rows;
    rows.reserve(size_t(end - start));
    if (moveToRow(start)) {
        for (int r = start; r < end && !table_.eof(); ++r) {
            rows.push_back(readCurrent());
            if (r + 1 < end && !table_.skip(1)) break;
        }
    }
    window_ = std::move(rows);
    windowStart_ = start;
    restoreCursor(saved);
}

int LogTableModel::rowOfCurrent() const {
    if (table_.eof() || count_ == 0) return -1;
    const uint32_t current = table_.recNo();
    for (size_t i = 0; i < window_.size(); ++i)
        if (window_[i].recno == current) return windowStart_ + int(i);
    // Walk the view from both ends in turns, a block at a time, so that a record near either
    // end is found quickly; the table is put back on the record afterwards.
    constexpr int kBlock = 4096;
    int row = -1;
    int topRow = 0, bottomRow = count_ - 1;
    uint32_t topRecno = 0, bottomRecno = 0;
    if (table_.goTop()) topRecno = table_.recNo();
    if (table_.goBottom()) bottomRecno = table_.recNo();
    while (row < 0 && topRow <= bottomRow && topRecno && bottomRecno) {
        if (!table_.go(topRecno)) break;
        for (int n = 0; n < kBlock && topRow <= bottomRow; ++n, ++topRow) {
            if (table_.recNo() == current) {
                row = topRow;
                break;
            }
            if (!table_.skip(1) || table_.eof()) {
                topRow = bottomRow + 1;
                break;
            }
        }
        topRecno = table_.recNo();
        if (row >= 0 || topRow > bottomRow || !table_.go(bottomRecno)) break;
        for (int n = 0; n < kBlock && bottomRow >= topRow; ++n, --bottomRow) {
            if (table_.recNo() == current) {
                row = bottomRow;
                break;
            }
            if (!table_.skip(-1) || table_.bof()) {
                bottomRow = topRow - 1;
                break;
            }
        }
        bottomRecno = table_.recNo();
    }
    restoreCursor(current);
    return row;
}

void LogTableModel::makeCurrent(int row) {
    const uint32_t recno = recnoAt(row);
    restoreCursor(recno ? recno : table_.recCount() + 1);
}

}  // namespace corvane
