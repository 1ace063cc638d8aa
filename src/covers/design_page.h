#pragma once
// DesignPage: the logic of the designer's page (TFaxCoverPanelX) without a screen. It owns the
// cover objects in drawing order (back to front, which is also their order in the template
// files), the selection, the current tool, zoom and grid, and carries out the page's commands:
// placing objects, selecting, dragging the selection frame, the clipboard file, ordering,
// aligning, centring, locking. The widget paints what it holds and forwards pointer and keys.
//
// Coordinates are page pixels at the current zoom, as the objects hold them. Every command
// that changes the template calls `onChange` (the designer's "changes made").

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "covers/fax_graphic_control.h"
#include "covers/selection_frame.h"

namespace corvane {

// The page's tools; every tool but psPointing places one object and then gives way to it.
enum TLPanelState {
    psPointing,
    psLabel,
    psSymbolLabel,
    psRectangle,
    psEllipse,
    psRoundRectangle,
    psLine,
    psMessage,
    psImportance,
    psField,
    psImage,
    psMultiLineLabel
};
enum TGridSize { gs4x4, gs8x8 };

inline constexpr float kMinZoom = 0.5f;
inline constexpr float kMaxZoom = 1.5f;
inline constexpr float kZoomStep = 0.1f;
// A paste this soon after the previous one is taken for a repeated key and ignored.
inline constexpr qint64 kPasteRepeatMilliseconds = 1000;
// Paste puts the copies this far right and down of where they were copied; Clone this far down.
inline constexpr int kPasteOffset = 15;
inline constexpr int kCloneOffset = 25;
// The colours of the selection marks: a single selection, a multiple one.
inline constexpr unsigned kSelectionColor = 0x000000;
inline constexpr unsigned kSecondarySelectionColor = 0x808080;

// Zoom steps in single precision: in while not above 150 %, out while at least 50 %. The
// sums of 0.1 in floats stop exactly at the captions "150%" and "50%".
float ZoomedIn(float zoom);
float ZoomedOut(float zoom);
// Round(zoom x 100) and "%".
QString ZoomCaption(float zoom);

class DesignPage {
  public:
    explicit DesignPage(QString clipboardPath);

    // --- objects ----------------------------------------------------------------------------
    const CoverObjectList& objects() const { return objects_; }
    // Removes every object (and the selection).
    void clear();
    // Takes objects read from a file (at zoom 1): renamed, scaled to the page's zoom, text grown
    // to its caption. Not a change: the window itself fills the page.
    void setObjects(CoverObjectList objects);
    // The objects for saving; `objects()` is empty until they are given back with setObjects.
    CoverObjectList& mutableObjects() { return objects_; }
    int indexOf(const TFaxGraphicControl* o) const;
    // Removes and destroys one object.
    void remove(TFaxGraphicControl* o);

    // --- tool, grid, size -------------------------------------------------------------------
    TLPanelState PanelState() const { return state_; }
    void SetPanelState(TLPanelState s) { state_ = s; }
    bool Pointing() const { return state_ == psPointing; }
    bool ShowGrid = false;
    bool SnapToGrid = false;
    TGridSize GridSize = gs4x4;
    int gridPitch() const { return GridSize == gs8x8 ? 8 : 4; }
    // The frame's GridX and GridY: the pitch while snapping, else 1.
    int frameGrid() const { return SnapToGrid ? gridPitch() : 1; }
    QSize size() const { return size_; }

    // --- zoom -------------------------------------------------------------------------------
    float Zoom() const { return zoom_; }
    // Both clear the selection and rescale the page and every object; false at the limit.
    bool ZoomIn();
    bool ZoomOut();
    void SetZoom(float zoom);

    // --- selection --------------------------------------------------------------------------
    const std::vector<TFaxGraphicControl*>& selection() const { return selection_; }
    bool isSelected(const TFaxGraphicControl* o) const;
    void clearSelection() { selection_.clear(); }
    // A click on an object: alone, or added with Shift.
    void clickObject(TFaxGraphicControl* o, bool shift);
    // The topmost object under `p` that takes clicks; null over empty page.
    TFaxGraphicControl* objectAt(const QPoint& p) const;
    // Every object whose bounds meet the band: the new selection, or toggled with Shift.
    void bandSelect(const QRect& band, bool shift);
    // Shift+click on the frame: the selected objects under `p` leave the selection.
    void deselectAt(const QPoint& p);
    void selectAll();

    // --- the selection frame ----------------------------------------------------------------
    // The frame round the selection; none while nothing is selected.
    std::optional<QRect> frame() const;
    ResizeMode modeAt(const QPoint& p) const;
    // The end of a mouse drag on the frame started in `mode`, `d` pixels away after
    // `milliseconds`. A short press or no displacement moves nothing. True when the
    // objects changed.
    bool finishDrag(ResizeMode mode, const QPoint& d, qint64 milliseconds);
    // Gives the frame new bounds: each unlocked selected object changes by the same amounts
    // (never below 1 x 1); locked objects keep their bounds.
    void applyFrame(const QRect& newFrame);

    // --- placing ----------------------------------------------------------------------------
    // Creates the current tool's object over a dragged rectangle (normalised; narrower than 25
    // becomes 50 wide, lower than 15 becomes 15 high), names it "Special" + the smallest free
    // number, gives it the page's zoom and returns to the pointer tool. The caller runs the
    // creation dialog; null with the pointer tool.
    TFaxGraphicControl* placeObject(const QRect& dragged);

    // --- commands on the selection or on one object's menu ----------------------------------
    // The objects a command acts on: the selection, or the object whose menu was used when it
    // is not selected.
    std::vector<TFaxGraphicControl*> targets(TFaxGraphicControl* menuObject = nullptr) const;
    void bringToFront(const std::vector<TFaxGraphicControl*>& objects);
    void sendToBack(const std::vector<TFaxGraphicControl*>& objects);
    void deleteObjects(const std::vector<TFaxGraphicControl*>& objects);
    void alignLefts();
    void alignRights();
    void alignTops();
    void alignBottoms();
    void centerVertically(const std::vector<TFaxGraphicControl*>& objects);
    void centerHorizontally(const std::vector<TFaxGraphicControl*>& objects);
    void lockAll(bool locked);
    // "Mark All Selectable" (false) and "Mark All Unselectable" (true).
    void markAllUnselectable(bool unselectable);
    // The object menu's "Unselectable": set, and out of the selection.
    void makeUnselectable(TFaxGraphicControl* o);
    void applyFont(const CoverFont& font);

    // --- clipboard file ---------------------------------------------------------------------
    const QString& clipboardPath() const { return clipboardPath_; }
    bool clipboardExists() const;
    Status copy(const std::vector<TFaxGraphicControl*>& objects);
    Status cut(const std::vector<TFaxGraphicControl*>& objects);
    // Adds the clipboard's objects 15 pixels right and down of where they were copied and
    // selects them. Nothing without a clipboard file or within a second of the last paste.
    Status paste();
    // A copy 25 pixels below, selected alone.
    TFaxGraphicControl* clone(TFaxGraphicControl* o);

    // Tells the designer the template changed.
    std::function<void()> onChange;
    // Milliseconds of a steady clock (tests set their own).
    std::function<qint64()> clock;

  private:
    void changed();
    TFaxGraphicControl* adopt(std::unique_ptr<TFaxGraphicControl> o, const QString& prefix,
                              int first);
    bool nameTaken(const QString& name) const;
    void moveToEnd(const std::vector<TFaxGraphicControl*>& objects, bool front);

    QString clipboardPath_;
    CoverObjectList objects_;
    std::vector<TFaxGraphicControl*> selection_;
    TLPanelState state_ = psPointing;
    float zoom_ = 1.0f;
    QSize size_;
    std::optional<qint64> lastPaste_;
};

}  // namespace corvane
