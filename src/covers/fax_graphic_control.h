#pragma once
// The cover objects a template is made of: static and multi-line text, symbols, shapes,
// lines, monochrome pictures and the placeholders a cover page fills in (message box,
// importance line, field boxes). Each object is a plain value with its properties and draws
// itself onto a QPainter whose origin is the object's top-left corner, in design pixels at
// 96 pixels per inch. The designer's window hosts them; nothing here needs a widget.
//
// Objects are owned by a CoverObjectList in drawing order, back to front.

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "core/status.h"
#include "covers/cover_types.h"

namespace corvane {

class TFaxGraphicControl {
  public:
    virtual ~TFaxGraphicControl() = default;

    // The class name the template files store ("TFaxCoverLabel").
    virtual QString ClassName() const = 0;
    virtual std::unique_ptr<TFaxGraphicControl> Clone() const = 0;
    // True when every stored property equals the other object's (the name is not compared).
    virtual bool SameProperties(const TFaxGraphicControl& other) const;

    // Draws the object with the painter's origin at its top-left corner.
    virtual void Paint(QPainter& painter) const = 0;
    // Translates, clips to the bounds and paints: how a page draws its objects.
    void PaintOnPage(QPainter& painter) const;

    // Called whenever position or size may have changed; refits sizes that follow content.
    virtual void BoundsChanged();
    // While a stream is read into the object its bounds are taken as stored; ending the
    // loading state refits once, with every property in place.
    void SetLoading(bool loading);

    QString Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }
    qint32 Tag() const { return tag_; }
    void SetTag(qint32 tag) { tag_ = tag; }
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    QRect BoundsRect() const { return QRect(left_, top_, width_, height_); }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    void SetBounds(int left, int top, int width, int height);
    qint16 Cursor() const { return cursor_; }
    void SetCursor(qint16 cursor) { cursor_ = cursor; }
    QString Hint() const { return hint_; }
    void SetHint(const QString& hint) { hint_ = hint; }
    bool Locked() const { return locked_; }
    void SetLocked(bool v) { locked_ = v; }
    bool Unselectable() const { return unselectable_; }
    void SetUnselectable(bool v) { unselectable_ = v; }

    float Zoom() const { return zoom_; }
    // Rescales the bounds by z / Zoom (rounding half to even) and keeps z.
    void SetZoom(float z);
    // Takes z without rescaling (a page applying its zoom to objects just read).
    void AdoptZoom(float z) { zoom_ = z; }
    // Font sizes and pen widths as drawn at the current zoom.
    int ScaledFontSize(int points) const;
    int ScaledPenWidth(int width) const;

    // "Center Vertically" / "Center Horizontally" on a page of the given size.
    void CenterVertically(int pageHeight);
    void CenterHorizontally(int pageWidth);

  protected:
    TFaxGraphicControl(int width, int height) : width_(width), height_(height) {}
    TFaxGraphicControl(const TFaxGraphicControl&) = default;

  private:
    QString name_;
    qint32 tag_ = 0;
    int left_ = 0;
    int top_ = 0;
    int width_;
    int height_;
    qint16 cursor_ = 0;
    QString hint_;
    bool locked_ = false;
    bool unselectable_ = false;
    float zoom_ = 1.0f;
    bool inBoundsChanged_ = false;
    bool loading_ = false;
};

using CoverObjectList = std::vector<std::unique_ptr<TFaxGraphicControl>>;

// Creates a default object of a stored class name; null for a name that is not a cover class.
std::unique_ptr<TFaxGraphicControl> CreateCoverObject(const QString& className);

// Single-line text in one font: static text and the placeholders.
class TFaxCoverBaseLabel : public TFaxGraphicControl {
  public:
    bool SameProperties(const TFaxGraphicControl& other) const override;
    void Paint(QPainter& painter) const override;
    void BoundsChanged() override;

    QString Caption() const { return caption_; }
    // Both refit the box (a symbol follows its character).
    void SetCaption(const QString& caption);
    const CoverFont& Font() const { return font_; }
    void SetFont(const CoverFont& font);
    // Copies a font chosen for several objects at once.
    virtual void AssignFont(const CoverFont& font);
    // The font as drawn at the current zoom.
    QFont ScaledFont() const;
    // Widens the box to the caption plus one space and heightens it to the text height;
    // never shrinks it.
    void GrowToCaption();

  protected:
    TFaxCoverBaseLabel(const QString& caption) : TFaxGraphicControl(142, 33), caption_(caption) {}

  private:
    QString caption_;
    CoverFont font_;
};

class TFaxCoverLabel : public TFaxCoverBaseLabel {
  public:
    TFaxCoverLabel() : TFaxCoverBaseLabel(QStringLiteral("Text")) {}
    QString ClassName() const override { return QStringLiteral("TFaxCoverLabel"); }
    std::unique_ptr<TFaxGraphicControl> Clone() const override {
        return std::make_unique<TFaxCoverLabel>(*this);
    }
};

// One character of a symbol font; its box follows the character's size.
class TFaxCoverSymbol : public TFaxCoverBaseLabel {
  public:
    TFaxCoverSymbol();
    QString ClassName() const override { return QStringLiteral("TFaxCoverSymbol"); }
    std::unique_ptr<TFaxGraphicControl> Clone() const override {
        return std::make_unique<TFaxCoverSymbol>(*this);
    }
    void BoundsChanged() override;
};

// Where the fax's message goes; outlined with dots on the design page.
class TFaxCoverMessage : public TFaxCoverBaseLabel {
  public:
    TFaxCoverMessage();
    QString ClassName() const override { return QStringLiteral("TFaxCoverMessage"); }
    std::unique_ptr<TFaxGraphicControl> Clone() const override {
        return std::make_unique<TFaxCoverMessage>(*this);
    }
    void Paint(QPainter& painter) const override;
};

inline const QString kImportanceCaption = QStringLiteral(
    "[  ]Urgent     [  ]For Review     [  ]Please Comment     [  ]Please Reply     [  ]Please "
    "Recycle");

// The line of five importance boxes, marked on the cover by the fax's flags.
class TFaxCoverImportance : public TFaxCoverBaseLabel {
  public:
    TFaxCoverImportance() : TFaxCoverBaseLabel(kImportanceCaption) {}
    QString ClassName() const override { return QStringLiteral("TFaxCoverImportance"); }
    std::unique_ptr<TFaxGraphicControl> Clone() const override {
        return std::make_unique<TFaxCoverImportance>(*this);
    }
};

// A box replaced by one of the fax's values.
class TFaxCoverField : public TFaxCoverBaseLabel {
  public:
    TFaxCoverField() : TFaxCoverBaseLabel(QStringLiteral("[Date]")) {}
    QString ClassName() const override { return QStringLiteral("TFaxCoverField"); }
    std::unique_ptr<TFaxGraphicControl> Clone() const override {
        return std::make_unique<TFaxCoverField>(*this);
    }
    bool SameProperties(const TFaxGraphicControl& other) const override;

    TCoverFieldType CoverFieldType() const { return fieldType_; }
    void SetCoverFieldType(TCoverFieldType type) { fieldType_ = type; }
    // The designer's "Field" command: kind, bracketed caption, box grown to fit.
    void ChooseField(TCoverFieldType type);

  private:
    TCoverFieldType fieldType_ = cfDate;
};

class TFaxCoverShapes : public TFaxGraphicControl {
  public:
    TFaxCoverShapes() : TFaxGraphicControl(25, 25) {}
    QString ClassName() const override { return QStringLiteral("TFaxCoverShapes"); }
    std::unique_ptr<TFaxGraphicControl> Clone() const override {
        return std::make_unique<TFaxCoverShapes>(*this);
    }
    bool SameProperties(const TFaxGraphicControl& other) const override;
    void Paint(QPainter& painter) const override;

    TShapeFillType ShapeFilltype() const { return fill_; }
    void SetShapeFilltype(TShapeFillType fill) { fill_ = fill; }
    const CoverPen& Pen() const { return pen_; }
    void SetPen(const CoverPen& pen) { pen_ = pen; }
    int RoundPerc() const { return roundPerc_; }
    void SetRoundPerc(int perc) { roundPerc_ = perc; }
    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType shape) { shape_ = shape; }

  private:
    TShapeFillType fill_ = sftTransparent;
    CoverPen pen_;
    int roundPerc_ = 25;
    TShapeType shape_ = stRectangle;
};

class TFaxCoverLine : public TFaxGraphicControl {
  public:
    TFaxCoverLine() : TFaxGraphicControl(10, 10) {}
    QString ClassName() const override { return QStringLiteral("TFaxCoverLine"); }
    std::unique_ptr<TFaxGraphicControl> Clone() const override {
        return std::make_unique<TFaxCoverLine>(*this);
    }
    bool SameProperties(const TFaxGraphicControl& other) const override;
    void Paint(QPainter& painter) const override;

    TLineStyle LineStyle() const { return lineStyle_; }
    void SetLineStyle(TLineStyle style) { lineStyle_ = style; }
    const CoverPen& Pen() const { return pen_; }
    void SetPen(const CoverPen& pen) { pen_ = pen; }
    // "Stretch To Edges": horizontal lines span the page width, vertical ones its height.
    void StretchToEdges(int pageWidth, int pageHeight);

  private:
    TLineStyle lineStyle_ = stHorizontal;
    CoverPen pen_;
};

// A monochrome picture. A stored picture is always Format_Mono (0 black, 1 white).
class TFaxImage : public TFaxGraphicControl {
  public:
    TFaxImage() : TFaxGraphicControl(105, 105) {}
    QString ClassName() const override { return QStringLiteral("TFaxImage"); }
    std::unique_ptr<TFaxGraphicControl> Clone() const override {
        return std::make_unique<TFaxImage>(*this);
    }
    bool SameProperties(const TFaxGraphicControl& other) const override;
    void Paint(QPainter& painter) const override;
    void BoundsChanged() override;

    // AutoSize and Stretch exclude each other: setting one sets the other to the opposite.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style) { borderStyle_ = style; }
    const QImage& Picture() const { return picture_; }
    // Reduces any image to black and white first; a null image empties the picture.
    void SetPicture(const QImage& picture);
    bool Reverse() const { return reverse_; }
    void SetReverse(bool v) { reverse_ = v; }
    bool Flip() const { return flip_; }
    void SetFlip(bool v) { flip_ = v; }

    // "Load Image From Disk": reads a .BMP, .JPG/.JIF or .WMF file by its extension and keeps
    // it as a black and white picture. An unreadable file empties the picture.
    Status LoadPictureFile(const QString& path);
    // The object as displayed, at its own size: the picture stretched (flipped, reversed),
    // an empty picture as an outlined white box, the border on top.
    QImage RenderToBitmap() const;

  private:
    bool autoSize_ = false;
    TBorderStyle borderStyle_ = bsNone;
    QImage picture_;
    bool stretch_ = true;
    bool reverse_ = false;
    bool flip_ = false;
};

class TFaxMultiLineBaseLabel : public TFaxGraphicControl {
  public:
    bool SameProperties(const TFaxGraphicControl& other) const override;
    void Paint(QPainter& painter) const override;
    void BoundsChanged() override;

    const QStringList& Items() const { return items_; }
    void SetItems(const QStringList& items);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v) { autoSize_ = v; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a) { alignment_ = a; }
    const CoverFont& Font() const { return font_; }
    void SetFont(const CoverFont& font);
    void AssignFont(const CoverFont& font) { SetFont(font); }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);

    QFont ScaledFont() const;
    // Lays Items out at Width when WordWrap is on.
    void RewrapLines();
    // What is drawn: the wrapped lines with WordWrap, else Items.
    QStringList DisplayLines() const { return wordWrap_ ? wrapped_ : items_; }

  protected:
    TFaxMultiLineBaseLabel() : TFaxGraphicControl(190, 33) {}

  private:
    QStringList items_;
    QStringList wrapped_;
    bool autoSize_ = false;
    TAlignment alignment_ = taLeftJustify;
    CoverFont font_;
    bool wordWrap_ = false;
};

class TFaxMultiLineLabel : public TFaxMultiLineBaseLabel {
  public:
    QString ClassName() const override { return QStringLiteral("TFaxMultiLineLabel"); }
    std::unique_ptr<TFaxGraphicControl> Clone() const override {
        return std::make_unique<TFaxMultiLineLabel>(*this);
    }
};

}  // namespace corvane
