#include "covers/template_name_rule.h"

namespace corvane {

namespace {

bool IsLetterOrUnderscore(QChar c) {
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_');
}

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

}  // namespace

bool IsValidTemplateName(const QString& name) {
    static const QString kExtension = QStringLiteral(".FCS");
    if (name.isEmpty() || name.size() > kMaxTemplateNameLength) return false;
    if (!name.endsWith(kExtension, Qt::CaseInsensitive)) return false;
    const QString base = name.left(name.size() - kExtension.size());
    if (base.isEmpty() || !IsLetterOrUnderscore(base.front())) return false;
    for (QChar c : base)
        if (!IsLetterOrUnderscore(c) && !IsDigit(c)) return false;
    return true;
}

bool CanSaveTemplateAs(const QString& name, const QString& description) {
    return IsValidTemplateName(name) && !description.isEmpty();
}

}  // namespace corvane
