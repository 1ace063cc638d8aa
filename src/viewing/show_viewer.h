#pragma once
// The entry points the rest of the program uses to view, print and export faxes.
//
//   ShowFaxViewer(title, file, panel)          the chosen viewer, modal, on one file
//   ViewCoverAndDocument(title, cover, doc, panel)  cover pages first, then the document
//   PrintSelectedFax(...)                      print_front_ends.h
//   OpenExportDialog(file)                     export_dialog.h

#include <QString>

class QLabel;
class QWidget;

namespace corvane {

// Shows the regular or the alternate viewer (setting UseAlternateFaxViewer) on `file` with
// `title` as status prefix and print header, switching between them as the user asks. The
// status panel, when given, is cleared after each showing.
void ShowFaxViewer(const QString& title, const QString& file, QLabel* statusPanel = nullptr,
                   QWidget* parent = nullptr);

// Views cover and document joined into a work file (deleted afterwards), or whichever of
// the two exists.
void ViewCoverAndDocument(const QString& title, const QString& cover, const QString& document,
                          QLabel* statusPanel = nullptr, QWidget* parent = nullptr);

// Hook for tests: called with each viewer window just before it is shown modally; when it
// returns false the window is not run.
using ViewerWindowHook = bool (*)(QWidget* window);
void SetViewerWindowHook(ViewerWindowHook hook);

}  // namespace corvane
