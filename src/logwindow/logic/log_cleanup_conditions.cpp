#include "logwindow/logic/log_cleanup_conditions.h"

#include "core/windows1252.h"
#include "xbase/text_encoding.h"

namespace corvane {

QString CleanupActionName(CleanupAction action) {
    switch (action) {
        case CleanupAction::Delete:
            return "Delete";
        case CleanupAction::Archive:
            return "Archive";
        case CleanupAction::Unarchive:
            return "Unarchive";
    }
    return {};
}

QList<CleanupSubsetEntry> CleanupSubsets(LogKind log, CleanupAction action) {
    using S = CleanupSubset;
    if (log == LogKind::Outgoing) {
        switch (action) {
            case CleanupAction::Delete:
                return {{"Delete All Before A Particular Date", S::Date},
                        {"Delete All Archived Faxes", S::Archived},
                        {"Delete All That Have Been Sent", S::Sent},
                        {"Delete All Faxes Meeting Certain Conditions...", S::Conditions},
                        {"Delete All Faxes", S::All}};
            case CleanupAction::Archive:
                return {{"Archive All Before A Particular Date", S::Date},
                        {"Archive All That Have Been Sent", S::Sent},
                        {"Archive All Faxes Meeting Certain Conditions...", S::Conditions},
                        {"Archive All Faxes", S::All}};
            case CleanupAction::Unarchive:
                return {{"UNArchive All Faxes Before A Particular Date", S::Date},
                        {"UNArchive All Faxes That Have Been Sent", S::Sent},
                        {"UNArchive All Faxes Meeting Certain Conditions...", S::Conditions},
                        {"UNArchive All Archived Faxes", S::Archived}};
        }
    }
    switch (action) {
        case CleanupAction::Delete:
            return {{"Delete All Faxes Before A Particular Date", S::Date},
                    {"Delete All Faxes Which Have Been Archived", S::Archived},
                    {"Delete All Faxes Meeting Certain Conditions...", S::Conditions},
                    {"Delete All Incoming Faxes", S::All}};
        case CleanupAction::Archive:
            return {{"Archive All Faxes Before A Particular Date", S::Date},
                    {"Archive All Faxes Meeting Certain Conditions...", S::Conditions},
                    {"Archive All Incoming Faxes", S::All}};
        case CleanupAction::Unarchive:
            return {{"UNArchive All Faxes Before A Particular Date", S::Date},
                    {"UNArchive All Faxes Meeting Certain Conditions...", S::Conditions},
                    {"UNArchive All Archived Faxes", S::Archived}};
    }
    return {};
}

QString CleanupDateField(LogKind log) {
    return log == LogKind::Outgoing ? "DATESENT" : "DATEREC";
}

QString FixedSubsetExpression(LogKind log, CleanupSubset subset) {
    switch (subset) {
        case CleanupSubset::Archived:
            return "archived";
        case CleanupSubset::Sent:
            return ".not. EMPTY(" + CleanupDateField(log) + ")";
        case CleanupSubset::All:
            return ".true.";
        case CleanupSubset::Date:
        case CleanupSubset::Conditions:
            break;
    }
    return {};
}

QString DateConditionExpression(LogKind log, const QDate& before) {
    return "(" + CleanupDateField(log) + "<CTOD(\"" + before.toString("MM/dd/yyyy") + "\"))";
}

QString XbaseTextLiteral(const QString& text) {
    if (text.isEmpty()) return "\"\"";
    // Runs of double quotes go between single quotes, everything else between double quotes.
    QStringList pieces;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool quotes = text[i] == '"';
        qsizetype j = i;
        while (j < text.size() && (text[j] == '"') == quotes) ++j;
        const QString run = text.mid(i, j - i);
        pieces << (quotes ? "'" + run + "'" : "\"" + run + "\"");
        i = j;
    }
    return pieces.join('+');
}

QString TextConditionExpression(const QString& field, const QString& text, bool exact) {
    const QString trimmed = text.trimmed();
    if (!FitsWindows1252(trimmed)) return ".F.";
    const QString value = FromWindows1252(xbase::UpperCase(ToWindows1252(trimmed)));
    const QString literal = XbaseTextLiteral(value);
    if (exact) return "ALLTRIM(UPPER(" + field + "))==" + literal;
    return literal + "$ALLTRIM(UPPER(" + field + "))";
}

QString ActionTest(CleanupAction action) {
    switch (action) {
        case CleanupAction::Delete:
            return ".not. DELETED()";
        case CleanupAction::Archive:
            return "(.not. ARCHIVED) .and. (.not. DELETED())";
        case CleanupAction::Unarchive:
            return "ARCHIVED .and. (.not. DELETED())";
    }
    return {};
}

QString CleanupMatchExpression(LogKind log, CleanupAction action, const QString& condition,
                               bool dateCondition) {
    QString expression = "(" + condition + ") .and. (" + ActionTest(action) + ")";
    if (dateCondition) expression += " .and. .not. EMPTY(" + CleanupDateField(log) + ")";
    return expression;
}

}  // namespace corvane
