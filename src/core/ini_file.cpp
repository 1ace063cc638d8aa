#include "core/ini_file.h"

#include <QFile>
#include <QSaveFile>

#include "core/windows1252.h"

namespace corvane {

namespace {
bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Quotes around a whole value are not part of it.
QString unquoted(const QString& v) {
    if (v.size() >= 2 &&
        ((v.startsWith('"') && v.endsWith('"')) || (v.startsWith('\'') && v.endsWith('\''))))
        return v.mid(1, v.size() - 2);
    return v;
}
}  // namespace

IniFile::IniFile(const QString& path) : path_(path) {
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) parse(f.readAll());
}

void IniFile::parse(const QByteArray& bytes) {
    sections_.clear();
    sections_.push_back(Section{});
    qsizetype start = 0;
    bool newlineSeen = false;
    while (start < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', start);
        const qsizetype end = nl < 0 ? bytes.size() : nl;
        QByteArray raw = bytes.mid(start, end - start);
        QByteArray eol = nl < 0 ? QByteArray() : QByteArray("\n");
        if (raw.endsWith('\r') && nl >= 0) {
            raw.chop(1);
            eol = "\r\n";
        }
        if (!newlineSeen && !eol.isEmpty()) {
            newline_ = eol;
            newlineSeen = true;
        }
        start = end + 1;

        // Each line decodes on its own: a file edited by hand may mix encodings line by line.
        // A byte-order mark some editors put first is kept, but is no part of the line.
        const QByteArray kBom("\xEF\xBB\xBF");
        const bool bom =
            sections_.size() == 1 && sections_[0].lines.empty() && raw.startsWith(kBom);
        const QString line = DecodeUtf8OrWindows1252(bom ? raw.mid(kBom.size()) : raw);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
            sections_.push_back(
                Section{trimmed.mid(1, trimmed.size() - 2).trimmed(), raw, eol, {}});
            continue;
        }
        const int eq = line.indexOf('=');
        if (eq > 0 && !trimmed.startsWith(';'))
            sections_.back().lines.push_back(
                Line{line.left(eq).trimmed(), line.mid(eq + 1).trimmed(), raw, eol});
        else
            sections_.back().lines.push_back(Line{QString(), QString(), raw, eol});
    }
}

const IniFile::Section* IniFile::findSection(const QString& name) const {
    for (const auto& s : sections_)
        if (!s.name.isEmpty() && sameName(s.name, name)) return &s;
    return nullptr;
}

IniFile::Section& IniFile::sectionForWrite(const QString& name) {
    for (auto& s : sections_)
        if (!s.name.isEmpty() && sameName(s.name, name)) return s;
    if (sections_.empty()) sections_.push_back(Section{});
    sections_.push_back(Section{name, QByteArray(), QByteArray(), {}});
    return sections_.back();
}

const IniFile::Line* IniFile::findKey(const QString& section, const QString& key) const {
    const Section* s = findSection(section);
    if (!s) return nullptr;
    for (const auto& l : s->lines)
        if (!l.key.isEmpty() && sameName(l.key, key)) return &l;
    return nullptr;
}

bool IniFile::hasSection(const QString& section) const {
    return findSection(section) != nullptr;
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    return findKey(section, key) != nullptr;
}

QStringList IniFile::sections() const {
    QStringList out;
    for (const auto& s : sections_)
        if (!s.name.isEmpty()) out << s.name;
    return out;
}

QStringList IniFile::keys(const QString& section) const {
    QStringList out;
    if (const Section* s = findSection(section))
        for (const auto& l : s->lines)
            if (!l.key.isEmpty()) out << l.key;
    return out;
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    const Line* l = findKey(section, key);
    if (!l) return defaultValue;
    return unquoted(l->value);
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    const Line* l = findKey(section, key);
    if (!l) return defaultValue;
    bool ok = false;
    const int v = l->value.toInt(&ok, 10);
    return ok ? v : defaultValue;
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    const Line* l = findKey(section, key);
    if (!l) return defaultValue;
    bool ok = false;
    const qlonglong v = l->value.toLongLong(&ok, 10);
    return ok ? v != 0 : defaultValue;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    Section& s = sectionForWrite(section);
    for (auto& l : s.lines) {
        if (!l.key.isEmpty() && sameName(l.key, key)) {
            // Writing back what was read leaves the line as it stands.
            if (l.value == value || (!l.raw.isEmpty() && unquoted(l.value) == value)) return;
            l.value = value;
            l.raw.clear();
            if (l.eol.isEmpty()) l.eol = newline_;
            return;
        }
    }
    // New keys go after the section's last key, before trailing blank lines.
    auto pos = s.lines.end();
    while (pos != s.lines.begin() && std::prev(pos)->key.isEmpty() &&
           std::prev(pos)->raw.trimmed().isEmpty())
        --pos;
    // A last line without its end gets one, since a line now follows it.
    if (pos != s.lines.begin() && std::prev(pos)->eol.isEmpty()) std::prev(pos)->eol = newline_;
    s.lines.insert(pos, Line{key, value, QByteArray(), newline_});
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    // A number that reads as the same value ("+5", "05") is not a change.
    if (hasKey(section, key) && readInteger(section, key, ~value) == value) return;
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    // Any non-zero number reads as true and is kept as it stands.
    if (hasKey(section, key) && readBool(section, key, !value) == value) return;
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::eraseSection(const QString& section) {
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        if (!it->name.isEmpty() && sameName(it->name, section)) {
            sections_.erase(it);
            return;
        }
    }
}

void IniFile::eraseKey(const QString& section, const QString& key) {
    for (auto& s : sections_) {
        if (s.name.isEmpty() || !sameName(s.name, section)) continue;
        for (auto it = s.lines.begin(); it != s.lines.end(); ++it) {
            if (!it->key.isEmpty() && sameName(it->key, key)) {
                s.lines.erase(it);
                return;
            }
        }
    }
}

QByteArray IniFile::toBytes() const {
    QByteArray out;
    auto endLastLine = [&] {
        // A file that ended without a line end and now goes on.
        if (!out.isEmpty() && !out.endsWith('\n')) out += newline_;
    };
    for (const auto& s : sections_) {
        if (!s.name.isEmpty()) {
            endLastLine();
            if (s.raw.isEmpty()) {
                // A section the program adds is set off by a blank line, as profile writers do.
                if (!out.isEmpty() && !out.endsWith(newline_ + newline_)) out += newline_;
                out += '[' + s.name.toUtf8() + ']' + newline_;
            } else {
                out += s.raw + s.eol;
            }
        }
        for (const auto& l : s.lines) {
            endLastLine();
            out += l.rewritten() ? (l.key + '=' + l.value).toUtf8() : l.raw;
            out += l.eol;
        }
    }
    return out;
}

Status IniFile::save() const {
    return saveAs(path_);
}

Status IniFile::saveAs(const QString& path) const {
    if (path.isEmpty()) return Status::Error(QStringLiteral("Settings file has no name"));
    QSaveFile f(path);
    auto failed = [&] {
        return Status::Error(
            QStringLiteral("Cannot write settings file %1: %2").arg(path, f.errorString()));
    };
    if (!f.open(QIODevice::WriteOnly)) return failed();
    const QByteArray bytes = toBytes();
    if (f.write(bytes) != bytes.size()) {
        const Status error = failed();
        f.cancelWriting();
        return error;
    }
    if (!f.commit()) return failed();
    return Status::Ok();
}

}  // namespace corvane
