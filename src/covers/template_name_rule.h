#pragma once
// The rule a template's file name must follow in "Save fax cover template as", and the text
// that explains it there.

#include <QString>

namespace corvane {

inline const QString kTemplateNameRuleText = QStringLiteral(
    "The file name must start with a character (A-Z) and may contain characters, numbers or "
    "underscores. The file extension must be .FCS. File name can be up to 12 characters long.");

inline constexpr int kMaxTemplateNameLength = 12;

// 1 to 12 characters ending in ".FCS" (any letter case) whose part before the extension is an
// identifier: a letter or underscore, then letters, digits or underscores (ASCII only).
bool IsValidTemplateName(const QString& name);
// Whether "Ok " may be pressed: a valid name and a description that is not empty.
bool CanSaveTemplateAs(const QString& name, const QString& description);

}  // namespace corvane
