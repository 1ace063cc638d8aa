#pragma once
// The designer's recent template files: at most five full paths, most recent first, kept in
// section "CDMRU" of QX.INI as keys F0, F1, ...

#include <QString>
#include <QStringList>

namespace corvane {

class IniFile;

inline const QString kRecentFilesSection = QStringLiteral("CDMRU");

class RecentFiles {
  public:
    static constexpr int kMaxFiles = 5;

    const QStringList& paths() const { return paths_; }
    // Moves or inserts `path` at the top; the oldest beyond five drops off.
    void add(const QString& path);
    void remove(const QString& path);

    // Reads F0, F1, ... until the first missing or empty key.
    void load(const IniFile& ini);
    // Erases the section and writes the list.
    void store(IniFile& ini) const;

    // The File menu's items: "&" + position from 1 + " " + path.
    QStringList menuCaptions() const;

  private:
    QStringList paths_;
};

}  // namespace corvane
