#pragma once
// A grid model over one fax log: one row per visible record in the table's current order and
// filter. Only the rows that are shown are read; they are kept in a window of consecutive
// rows, and rows outside it are reached by stepping from the nearest known position (the
// top, the bottom or the window), so a log of any size opens at the cost of one screen.
//
// The table's current record belongs to the window (the commands work on it); the model
// puts it back after every read.

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "core/locale_formats.h"
#include "logs/fax_data_module.h"

namespace corvane {

struct LogColumn {
    std::string field;  // empty for the calculated "Fax File" column
    QString label;
    int widthChars;  // expected text length in characters (digits for times and counts)
};

class LogTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    LogTableModel(TFDM& fdm, LogKind kind, QObject* parent = nullptr);

    static const std::vector<LogColumn>& ColumnsFor(LogKind kind);

    // Counts the rows again and forgets every row read: after a change of order, filter or
    // data. The one notification every change of a log goes through.
    // `knownCount` saves the counting pass when the caller has just counted the view.
    void Refresh(int knownCount = -1);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Width of the widest text a column is expected to show in `font`: a date in the locale's
    // short format, a time or a page count of its length in digits, otherwise its length in
    // average characters. The calculated path column is as wide as its length.
    int ContentWidth(int column, const QFontMetrics& font) const;

    // Record number shown in a row, 0 when the row does not exist.
    uint32_t recnoAt(int row) const;
    bool archivedAt(int row) const;
    // Row of the table's current record, -1 when it has none or it is not in the view.
    int rowOfCurrent() const;
    // Makes the record of a row the table's current record (EOF for no row).
    void makeCurrent(int row);

    LogKind kind() const { return kind_; }
    xbase::XbaseTable& table() const { return table_; }
    // Rows read from the table since creation (measured by the benchmarks).
    int64_t rowsRead() const { return rowsRead_; }

  private:
    struct Row {
        uint32_t recno = 0;
        QStringList texts;
        bool archived = false;
    };

    const Row* rowAt(int row) const;
    void fillWindow(int row) const;
    bool moveToRow(int row) const;
    Row readCurrent() const;
    void restoreCursor(uint32_t recno) const;

    TFDM& fdm_;
    LogKind kind_;
    xbase::XbaseTable& table_;
    const std::vector<LogColumn>& columns_;
    int count_ = 0;
    mutable int windowStart_ = 0;
    mutable std::vector<Row> window_;
    mutable int64_t rowsRead_ = 0;
};

}  // namespace corvane
