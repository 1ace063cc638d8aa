#pragma once
// What the fax log cleanup can pick: the action, the subsets each log and action offer, and
// the xBase expressions they stand for. Text typed by the user enters an expression only as a
// literal built by XbaseTextLiteral, so any character matches as itself.

#include <QDate>
#include <QString>
#include <QStringList>

#include "logs/fax_data_module.h"

namespace corvane {

enum class CleanupAction { Delete, Archive, Unarchive };
enum class CleanupSubset { Date, Archived, Sent, Conditions, All };

// "Delete", "Archive", "Unarchive".
QString CleanupActionName(CleanupAction action);

struct CleanupSubsetEntry {
    QString text;
    CleanupSubset subset;
};
// The subset list of a log and action, in the order it is offered.
QList<CleanupSubsetEntry> CleanupSubsets(LogKind log, CleanupAction action);

// The log's date field: DATESENT or DATEREC.
QString CleanupDateField(LogKind log);

// The expression of a fixed subset (archived, sent, all); empty for date and conditions.
QString FixedSubsetExpression(LogKind log, CleanupSubset subset);
// "(D<CTOD("mm/dd/yyyy"))".
QString DateConditionExpression(LogKind log, const QDate& before);

// An expression whose value is exactly `text` (code page 1252 as the logs store it). Text
// holding double quotes is written as quoted pieces joined with "+", each piece in delimiters
// it does not contain, so no character of the text can end a literal early.
QString XbaseTextLiteral(const QString& text);

// The text condition of the conditions dialog: the field (FROM, RECIPIENT or PHONE), the text
// and whether it must match exactly. The text is trimmed and upper-cased the way UPPER() does
// it in the tables; text the logs cannot hold (no code page 1252 form) matches no record.
QString TextConditionExpression(const QString& field, const QString& text, bool exact);

// The test every record must pass for the action besides the condition.
QString ActionTest(CleanupAction action);

// The whole test a record must pass: condition, the action's test and, for a date condition,
// a date that is not empty (a fax never sent has no date and is never "before" anything).
QString CleanupMatchExpression(LogKind log, CleanupAction action, const QString& condition,
                               bool dateCondition);

}  // namespace corvane
