#pragma once
// CoverDesigner: the logic of the "Cover Sheet Template Designer" window without a screen. It
// owns the design page and the window's state (the current design file and description,
// "changes made", the default font, the recent files) and runs the file commands: New, Open,
// Save, Save As, Delete, Cancel, the recent files and closing. Questions go through the
// message-box interface (core/message_boxes.h); the pickers and the Save As dialog through
// DesignerDialogs, which the window implements and tests script.

#include <QString>
#include <functional>
#include <optional>

#include "covers/cover_types.h"
#include "covers/design_page.h"
#include "covers/recent_files.h"

namespace corvane {

class IniFile;

inline const QString kDesignerCaption = QStringLiteral("Cover Sheet Template Designer");
inline const QString kDefaultFontSection = QStringLiteral("CD Default Font");
inline const QString kClipboardFileName = QStringLiteral("Clipbrd.tmp");
// The description a saved template falls back to when its ".DES" file is missing.
inline const QString kMissingDescription = QStringLiteral("[description]");

struct SaveAsChoice {
    QString name;  // a file name in CoversFolder ("MYCOVER.FCS")
    QString description;
};

class DesignerDialogs {
  public:
    virtual ~DesignerDialogs() = default;
    // "Select  Fax Cover Template" opened on `current`: the chosen design file, or empty.
    virtual QString pickTemplate(const QString& current) = 0;
    // "Save fax cover template as" with the initial name and description; none on Cancel.
    virtual std::optional<SaveAsChoice> saveAs(const QString& name, const QString& description) = 0;
    // "Save" without a file.
    virtual void beep() = 0;
};

class CoverDesigner {
  public:
    // `clipboardPath` defaults to AppFolder + "Clipbrd.tmp".
    explicit CoverDesigner(DesignerDialogs& dialogs, QString clipboardPath = QString());

    DesignPage& page() { return page_; }
    const DesignPage& page() const { return page_; }

    // --- what the window shows --------------------------------------------------------------
    const QString& path() const { return path_; }
    const QString& description() const { return description_; }
    bool changesMade() const { return changesMade_; }
    QString caption() const;
    // "&Save" / "&Save As" and "&Cancel" show only while there are unsaved changes.
    bool saveButtonVisible() const { return changesMade_; }
    QString saveButtonCaption() const;
    bool cancelVisible() const { return changesMade_; }
    // The menu's "Save" needs a file.
    bool saveMenuEnabled() const { return !path_.isEmpty(); }
    const CoverFont& defaultFont() const { return defaultFont_; }
    void setDefaultFont(const CoverFont& font);
    // "Default Font: Arial, 10 pt " + ", bold" + ", italic" as they apply.
    QString defaultFontCaption() const;
    const RecentFiles& recentFiles() const { return recent_; }

    // Called after anything the window shows may have changed.
    std::function<void()> onStateChanged;

    // --- settings ---------------------------------------------------------------------------
    // Reads the default font and the recent files.
    void loadSettings(const IniFile& ini);
    void storeDefaultFont(IniFile& ini) const;

    // --- file commands ----------------------------------------------------------------------
    // The first activation: the most recent file when it still exists.
    void start();
    void newTemplate();
    void open();
    // Loads a design file; on failure the page is empty, the file forgotten and the user told.
    bool openFile(const QString& path);
    // False when nothing was saved (no file: a beep; or the files could not be written).
    bool save();
    bool saveAs();
    // "Delete": a design file the user chose; asks first.
    void deleteTemplate(const QString& path);
    void cancelChanges();
    // The recent file at `index` (0 = most recent).
    void openRecent(int index);
    // Closing: offers to save unsaved changes; false when the window should stay open (the
    // save was wanted but did not happen).
    bool close();

    // The page's change event; ignored while the window rearranges the page itself.
    void pageChanged();

  private:
    // Asks "Save changes?" when there are some; false when a wanted save did not happen.
    bool offerToSave();
    bool saveTo(const QString& path, const QString& description);
    void remember(const QString& path);
    void storeRecentFiles() const;
    void notify();

    DesignerDialogs& dialogs_;
    DesignPage page_;
    QString path_;
    QString description_;
    bool changesMade_ = false;
    int rearranging_ = 0;
    CoverFont defaultFont_;
    RecentFiles recent_;
};

}  // namespace corvane
