#pragma once
// The "Cover Sheet Template Designer" window: tool bar, the design page in a scroll area, the
// File menu with the recent files, the page's context menu, and the buttons. Its logic is
// CoverDesigner (covers/cover_designer.h); this class shows that state and forwards commands.

#include <QDialog>
#include <QMap>

#include "covers/cover_designer.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QShortcut;
class QToolBar;
class QToolButton;

namespace corvane {

class TFaxCoverPanelX;

class CoverDesignerWindow : public QDialog, private DesignerDialogs {
    Q_OBJECT
  public:
    explicit CoverDesignerWindow(QWidget* parent = nullptr);
    ~CoverDesignerWindow() override;

    CoverDesigner& designer() { return designer_; }
    TFaxCoverPanelX* pageWidget() { return pageWidget_; }
    // The tool buttons by their names ("Pointerbutton", "DrawLabelButton", ...).
    QToolButton* toolButton(const QString& name) const { return tools_.value(name); }
    // The page's context menu with its items enabled as they would be now.
    QMenu* preparedPageMenu();
    void zoomIn();
    void zoomOut();

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

  private:
    // DesignerDialogs
    QString pickTemplate(const QString& current) override;
    std::optional<SaveAsChoice> saveAs(const QString& name, const QString& description) override;
    void beep() override;

    void buildMenu();
    void buildToolBar(QToolBar* bar);
    void buildPageMenu();
    void refreshState();
    void rebuildRecentMenu();
    void objectPlaced(TFaxGraphicControl* o);
    void showPageMenu(const QPoint& globalPos);
    void chooseDefaultFont();
    void chooseDeleteFile();
    void previewTemplates();
    void pageFont();
    void setTool(TLPanelState state);
    void report(const Status& s);

    CoverDesigner designer_;
    TFaxCoverPanelX* pageWidget_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QMap<QString, QToolButton*> tools_;
    QMenu* fileMenu_ = nullptr;
    QAction* saveAction_ = nullptr;
    QShortcut* saveWithoutFile_ = nullptr;
    QAction* defaultFontAction_ = nullptr;
    QList<QAction*> recentActions_;
    QMenu* pageMenu_ = nullptr;
    QMap<QString, QAction*> pageActions_;
    QLabel* zoomLabel_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QString imageFolder_;
    bool activated_ = false;
    bool closing_ = false;
};

// Opens the designer over `parent` (the main window's command) and keeps the settings it
// changes.
void ShowCoverDesigner(QWidget* parent);

}  // namespace corvane
