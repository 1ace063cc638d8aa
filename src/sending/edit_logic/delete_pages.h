#pragma once
// Deleting pages from the document being edited ("Delete Pages From Fax"), without widgets:
// which ranges are accepted, when the whole file goes, and how a failed cut is undone.

#include <QString>

namespace corvane {

enum class PageDeletion {
    Invalid,    // "Invalid Page Range"; the dialog stays open
    WholeFile,  // pages 1..n: asked "Delete ALL pages?" first
    Range,      // some of the pages
};

PageDeletion CheckPageDeletion(int from, int to, int pageCount);

// Deletes the file; empty on success, else "Error: Unable to delete entire file".
QString DeleteWholeFax(const QString& path);
// Cuts pages from..to out of the file, working from a safety copy that is put back when the
// cut fails; empty on success, else "Error: Unable to delete selected pages".
QString DeletePageRange(const QString& path, int from, int to);

}  // namespace corvane
