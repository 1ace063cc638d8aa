#include "core/ini_file.h"

#include <QFile>
#include <QSaveFile>

namespace corvane {

namespace {
bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
}  // namespace

IniFile::IniFile(const QString& path) : path_(path) {
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) parse(f.readAll());
}

void IniFile::parse(const QByteArray& bytes) {
    sections_.clear();
    sections_.push_back(Section{});
    const QStringList lines = QString::fromUtf8(bytes).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith('\r')) line.chop(1);
        if (i == lines.size() - 1 && line.isEmpty()) break;  // the final newline
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
            sections_.push_back(Section{trimmed.mid(1, trimmed.size() - 2).trimmed(), {}});
            continue;
        }
        const int eq = line.indexOf('=');
        if (eq > 0 && !trimmed.startsWith(';')) {
            QString value = line.mid(eq + 1).trimmed();
            sections_.back().lines.push_back(Line{line.left(eq).trimmed(), value, line});
        } else {
            sections_.back().lines.push_back(Line{QString(), QString(), line});
        }
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
    sections_.push_back(Section{name, {}});
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
    QString v = l->value;
    // Quotes around a whole value are not part of it.
    if (v.size() >= 2 &&
        ((v.startsWith('"') && v.endsWith('"')) || (v.startsWith('\'') && v.endsWith('\''))))
        v = v.mid(1, v.size() - 2);
    return v;
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
            l.value = value;
            l.raw.clear();
            return;
        }
    }
    // New keys go after the section's last key, before trailing blank lines.
    auto pos = s.lines.end();
    while (pos != s.lines.begin() && std::prev(pos)->key.isEmpty() &&
           std::prev(pos)->raw.trimmed().isEmpty())
        --pos;
    s.lines.insert(pos, Line{key, value, QString()});
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
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
    QString text;
    for (const auto& s : sections_) {
        if (!s.name.isEmpty()) {
            // A blank line between sections, as profile writers do.
            if (!text.isEmpty() && !text.endsWith(QStringLiteral("\n\n"))) text += '\n';
            text += '[' + s.name + "]\n";
        }
        for (const auto& l : s.lines) {
            if (!l.key.isEmpty() && l.raw.isEmpty())
                text += l.key + '=' + l.value + '\n';
            else
                text += l.raw + '\n';
        }
    }
    return text.toUtf8();
}

bool IniFile::save() const {
    return saveAs(path_);
}

bool IniFile::saveAs(const QString& path) const {
    if (path.isEmpty()) return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = toBytes();
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

}  // namespace corvane
