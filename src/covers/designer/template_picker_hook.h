#pragma once
// The designer's way to the fax editor's template picker. The editor installs its picker here;
// until one is installed the designer falls back to a file dialog on Covers/ (Open) and a small
// list with the preview pictures (Preview Saved Templates).

#include <QString>
#include <functional>

class QWidget;

namespace corvane {

// "Select  Fax Cover Template" opened on `current` (viewOnly false): the chosen design file, or
// empty. With viewOnly, "Preview Fax Cover Templates" without an "Ok" button: the result is
// ignored.
using TemplatePicker =
    std::function<QString(QWidget* parent, const QString& current, bool viewOnly)>;

void SetTemplatePicker(TemplatePicker picker);
const TemplatePicker& InstalledTemplatePicker();

}  // namespace corvane
