#include "logwindow/logic/log_cleanup_setup.h"

namespace corvane {

LogCleanupSetup::LogCleanupSetup(const QDate& today) : date_(today) {
    refreshCondition();
}

QStringList LogCleanupSetup::subsetTexts() const {
    QStringList texts;
    for (const CleanupSubsetEntry& e : CleanupSubsets(log_, action_)) texts << e.text;
    return texts;
}

CleanupSubset LogCleanupSetup::subset() const {
    const auto entries = CleanupSubsets(log_, action_);
    return entries.value(subsetIndex_, entries.first()).subset;
}

void LogCleanupSetup::setLog(LogKind log) {
    log_ = log;
    subsetIndex_ = 0;
    refreshCondition();
}

void LogCleanupSetup::setAction(CleanupAction action) {
    action_ = action;
    subsetIndex_ = 0;
    refreshCondition();
}

void LogCleanupSetup::setSubset(int index) {
    if (index < 0 || index >= CleanupSubsets(log_, action_).size()) return;
    subsetIndex_ = index;
    refreshCondition();
}

void LogCleanupSetup::refreshCondition() {
    condition_ = FixedSubsetExpression(log_, subset());
    dateCondition_ = false;
}

bool LogCleanupSetup::conditionButtonVisible() const {
    return subset() == CleanupSubset::Date || subset() == CleanupSubset::Conditions;
}

QString LogCleanupSetup::conditionButtonCaption() const {
    const QString what = subset() == CleanupSubset::Date ? "Date" : "Conditions";
    return (condition_.isEmpty() ? "Set " : "Revise ") + what;
}

QString LogCleanupSetup::runCaption() const {
    return CleanupActionName(action_) + " Now";
}

QString LogCleanupSetup::thisFaxCaption() const {
    return CleanupActionName(action_) + " this Fax";
}

QString LogCleanupSetup::remainingCaption() const {
    return CleanupActionName(action_) + " Remaining Matches";
}

QString LogCleanupSetup::runQuestion() const {
    return CleanupActionName(action_) + " now?";
}

QString LogCleanupSetup::dateDialogCaption() const {
    return CleanupActionName(action_) + " all before...";
}

void LogCleanupSetup::acceptDate(const QDate& date) {
    if (!date.isValid()) return;
    date_ = date;
    condition_ = DateConditionExpression(log_, date);
    dateCondition_ = true;
}

QString LogCleanupSetup::conditionsDialogCaption() const {
    return CleanupActionName(action_) + " all faxes where...";
}

QStringList LogCleanupSetup::choiceCaptions(bool exact) const {
    const QString wording = exact ? "is equal to:" : "contains the phrase:";
    if (log_ == LogKind::Incoming) return {"Fax FROM " + wording};
    return {"Fax RECIPIENT " + wording, (exact ? "Fax NUMBER " : "Fax PHONE ") + wording};
}

Status LogCleanupSetup::acceptConditions(const TextConditionEntries& entries) {
    const int choice = log_ == LogKind::Incoming ? 0 : qBound(0, entries.choice, 1);
    const QString text = entries.texts[choice];
    if (text.trimmed().isEmpty()) return Status::Error("Please enter a value");
    entries_ = entries;
    entries_.choice = choice;
    const char* field = LookupFor(log_, choice).field;
    condition_ = TextConditionExpression(field, text, entries.exact);
    dateCondition_ = false;
    return Status::Ok();
}

ValueLookup LookupFor(LogKind log, int choice) {
    if (log == LogKind::Incoming) return {"Select Value for FROM", "UFROM", "FROM"};
    if (choice == 1) return {"Select Value for Fax #", "UPHONE", "PHONE"};
    return {"Select Value for Recipient", "URECIP", "RECIPIENT"};
}

QStringList DistinctValues(xbase::XbaseTable& table, const ValueLookup& lookup) {
    const int order = table.indexOrd();
    const uint32_t recno = table.recNo();
    QStringList values;
    const int tag = table.tagArea(lookup.tag);
    if (tag != 0 && table.setOrder(tag)) {
        for (bool more = table.goTop(); more && !table.eof(); more = table.skip(1))
            values << table.fieldText(lookup.field).trimmed();
    }
    table.setOrder(order);
    table.go(recno);
    return values;
}

}  // namespace corvane
