#pragma once
// An INI file read into memory and written back whole. Section and key names compare without
// regard to case. Every line the program does not change is written back byte for byte (its
// spacing, case, comments, line ending and encoding), and a changed value is written back in
// its place. Values are read as UTF-8, or as Windows-1252 when a line is not valid UTF-8 (files
// written on the program's original platform); changed lines are written in UTF-8. Saving
// writes a new file and renames it over the old one, so a crash mid-write cannot leave a
// truncated file.

#include <QString>
#include <QStringList>
#include <vector>

#include "core/status.h"

namespace corvane {

class IniFile {
  public:
    IniFile() = default;
    // Reads `path`; a missing or unreadable file gives an empty IniFile.
    explicit IniFile(const QString& path);

    const QString& path() const { return path_; }

    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // Missing keys give the default. Integers are decimal (optional sign); anything else reads
    // as the default. Truth values are numbers, non-zero meaning true.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    void eraseSection(const QString& section);
    void eraseKey(const QString& section, const QString& key);

    QByteArray toBytes() const;
    // Writes to path() (or `path`); a file that cannot be written is left as it was and the
    // error names it and why.
    Status save() const;
    Status saveAs(const QString& path) const;

  private:
    struct Line {
        QString key;  // empty for comments and blank lines
        QString value;
        QByteArray raw;  // the line as read, without its end; empty once the program set it
        QByteArray eol;  // "\n", "\r\n", or empty for a last line without one
        bool rewritten() const { return !key.isEmpty() && raw.isEmpty(); }
    };
    struct Section {
        QString name;    // empty for lines before the first section header
        QByteArray raw;  // the header line as read; empty for a section the program added
        QByteArray eol;
        std::vector<Line> lines;
    };

    const Section* findSection(const QString& name) const;
    Section& sectionForWrite(const QString& name);
    const Line* findKey(const QString& section, const QString& key) const;
    void parse(const QByteArray& bytes);

    QString path_;
    QByteArray newline_ = "\n";  // the file's own line end, used for lines the program adds
    std::vector<Section> sections_;
};

}  // namespace corvane
