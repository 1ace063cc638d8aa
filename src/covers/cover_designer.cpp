#include "covers/cover_designer.h"

#include <QDir>
#include <QFileInfo>

#include "core/app_folders.h"
#include "core/ini_file.h"
#include "core/message_boxes.h"
#include "covers/cover_template_files.h"

namespace corvane {

CoverDesigner::CoverDesigner(DesignerDialogs& dialogs, QString clipboardPath)
    : dialogs_(dialogs),
      page_(clipboardPath.isEmpty() ? AppPath(kClipboardFileName) : std::move(clipboardPath)) {
    page_.onChange = [this] { pageChanged(); };
}

void CoverDesigner::notify() {
    if (onStateChanged) onStateChanged();
}

void CoverDesigner::pageChanged() {
    if (rearranging_ > 0) return;
    changesMade_ = true;
    notify();
}

// --- what the window shows ------------------------------------------------------------------

QString CoverDesigner::caption() const {
    if (description_.isEmpty()) return kDesignerCaption;
    return kDesignerCaption + QStringLiteral(" - ") + description_;
}

QString CoverDesigner::saveButtonCaption() const {
    return path_.isEmpty() ? QStringLiteral("&Save As") : QStringLiteral("&Save");
}

void CoverDesigner::setDefaultFont(const CoverFont& font) {
    defaultFont_ = font;
    notify();
}

QString CoverDesigner::defaultFontCaption() const {
    QString caption =
        QStringLiteral("Default Font: %1, %2 pt ").arg(defaultFont_.name).arg(defaultFont_.size);
    if (defaultFont_.bold) caption += QStringLiteral(", bold");
    if (defaultFont_.italic) caption += QStringLiteral(", italic");
    return caption;
}

// --- settings -------------------------------------------------------------------------------

void CoverDesigner::loadSettings(const IniFile& ini) {
    CoverFont font;
    font.name = ini.readString(kDefaultFontSection, QStringLiteral("Name"), font.name).trimmed();
    if (font.name.isEmpty()) font.name = CoverFont().name;
    font.size = ini.readInteger(kDefaultFontSection, QStringLiteral("Size"), font.size);
    if (font.size <= 0) font.size = CoverFont().size;
    font.bold = ini.readBool(kDefaultFontSection, QStringLiteral("Bold"), false);
    font.italic = ini.readBool(kDefaultFontSection, QStringLiteral("Italic"), false);
    font.underline = ini.readBool(kDefaultFontSection, QStringLiteral("Underline"), false);
    defaultFont_ = font;
    recent_.load(ini);
    notify();
}

void CoverDesigner::storeDefaultFont(IniFile& ini) const {
    ini.writeString(kDefaultFontSection, QStringLiteral("Name"), defaultFont_.name);
    ini.writeInteger(kDefaultFontSection, QStringLiteral("Size"), defaultFont_.size);
    ini.writeBool(kDefaultFontSection, QStringLiteral("Bold"), defaultFont_.bold);
    ini.writeBool(kDefaultFontSection, QStringLiteral("Italic"), defaultFont_.italic);
    ini.writeBool(kDefaultFontSection, QStringLiteral("Underline"), defaultFont_.underline);
}

void CoverDesigner::storeRecentFiles() const {
    IniFile ini(SettingsFileName());
    recent_.store(ini);
    (void)ini.save();  // a settings file that cannot be written only loses the list
}

void CoverDesigner::remember(const QString& path) {
    recent_.add(path);
    storeRecentFiles();
}

// --- file commands --------------------------------------------------------------------------

void CoverDesigner::start() {
    if (!recent_.paths().isEmpty() && QFileInfo(recent_.paths().front()).isFile())
        openFile(recent_.paths().front());
}

bool CoverDesigner::offerToSave() {
    if (!changesMade_) return true;
    if (!AskYesNo(QStringLiteral("Save changes?"), QStringLiteral("Save"))) return true;
    return path_.isEmpty() ? saveAs() : save();
}

void CoverDesigner::newTemplate() {
    // Unsaved work is offered for saving first, as when closing.
    if (!offerToSave()) return;
    page_.clear();
    path_.clear();
    description_.clear();
    changesMade_ = false;
    notify();
}

void CoverDesigner::open() {
    const QString chosen = dialogs_.pickTemplate(path_);
    if (chosen.isEmpty()) return;
    if (!offerToSave()) return;
    if (openFile(chosen)) remember(chosen);
}

bool CoverDesigner::openFile(const QString& path) {
    ++rearranging_;
    page_.clear();
    Result<CoverObjectList> read = LoadTemplate(path);
    bool ok = read.ok();
    if (ok) {
        page_.setObjects(std::move(read).value());
        path_ = path;
        description_ = ReadDescription(path);
    } else {
        path_.clear();
        description_.clear();
    }
    changesMade_ = false;
    --rearranging_;
    notify();
    if (!ok) ShowInformation(read.message());
    return ok;
}

bool CoverDesigner::saveTo(const QString& path, const QString& description) {
    page_.clearSelection();
    QDir().mkpath(QFileInfo(path).absolutePath());
    Status s = SaveTemplate(path, page_.mutableObjects(), description);
    notify();
    if (!s.ok()) {
        ShowInformation(s.message());
        return false;
    }
    path_ = path;
    description_ = description;
    changesMade_ = false;
    remember(path);
    notify();
    return true;
}

bool CoverDesigner::save() {
    if (path_.isEmpty()) {
        dialogs_.beep();
        return false;
    }
    QString description = ReadDescription(path_);
    if (description.isEmpty()) description = kMissingDescription;
    return saveTo(path_, description);
}

bool CoverDesigner::saveAs() {
    QString name;
    QString description;
    if (path_.isEmpty()) {
        name = ProposeTemplateName(CoversFolder());
        description = kDefaultDescription;
    } else {
        name = QFileInfo(path_).fileName();
        description = ReadDescription(path_);
        if (description.isEmpty()) description = kMissingDescription;
    }
    const std::optional<SaveAsChoice> choice = dialogs_.saveAs(name, description);
    if (!choice) return false;
    return saveTo(ResolveName(CoversFolder(), choice->name), choice->description);
}

void CoverDesigner::deleteTemplate(const QString& path) {
    if (QFileInfo(path).suffix().compare(QLatin1String("FCS"), Qt::CaseInsensitive) != 0) {
        ShowInformation(QStringLiteral("Must be a FCS (Fax Cover Template) file"));
        return;
    }
    if (!AskYesNoDefaultNo(QStringLiteral("Delete ") + path + QLatin1Char('?'),
                           QStringLiteral("CONFIRM")))
        return;
    (void)DeleteTemplate(path);  // refused only for other extensions, checked above
}

void CoverDesigner::cancelChanges() {
    if (!AskYesNo(QStringLiteral("Cancel all changes?"), QStringLiteral("CANCEL"))) return;
    page_.clear();
    if (!path_.isEmpty()) {
        openFile(path_);
        return;
    }
    changesMade_ = false;
    notify();
}

void CoverDesigner::openRecent(int index) {
    if (index < 0 || index >= recent_.paths().size()) return;
    const QString path = recent_.paths()[index];
    recent_.remove(path);
    storeRecentFiles();
    notify();
    if (!offerToSave()) return;
    if (!QFileInfo(path).isFile()) {
        ShowInformation(path + QStringLiteral(" no longer exists"));
        return;
    }
    if (openFile(path)) remember(path);
    notify();
}

bool CoverDesigner::close() {
    return offerToSave();
}

}  // namespace corvane
