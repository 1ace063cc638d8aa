#pragma once
// The help pages and the topics they answer. Each page is an HTML file; a topic is an element
// id "topic-NAME" inside one page (numeric names are the help numbers the windows use, such as
// "1016" for the send window). The index is read from the pages themselves, so a topic exists
// exactly when a page carries its anchor.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace corvane {

class HelpIndex {
  public:
    // Reads every *.html page of `folder` (a directory or a resource path such as ":/help").
    static HelpIndex load(const QString& folder);
    // The pages shipped with the program: the installed folder beside the executable
    // (../share/corvane/help) when there is one, otherwise the copy built into the program.
    static const HelpIndex& shipped();

    bool contains(const QString& topic) const { return pages_.contains(topic); }
    // The page and anchor of a topic; the contents page for a topic nobody wrote.
    QUrl url(const QString& topic) const;
    QString folder() const { return folder_; }
    QStringList pages() const { return files_; }
    QStringList topics() const { return pages_.keys(); }

  private:
    QString folder_;
    QStringList files_;
    QHash<QString, QString> pages_;  // topic -> page file name
};

}  // namespace corvane
