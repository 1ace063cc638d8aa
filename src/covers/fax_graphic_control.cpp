#include "covers/fax_graphic_control.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <cmath>
#include <tuple>

#include "covers/cover_drawing.h"
#include "covers/cover_text.h"
#include "covers/mono_reduce.h"
#include "faxdoc/bmp_file.h"

namespace corvane {

namespace {

// Pictures larger than this are refused: a design page is 768 x 960 pixels.
constexpr int kMaxPictureSide = 8192;

int RoundHalfEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

template <typename T>
const T* As(const TFaxGraphicControl& other) {
    return dynamic_cast<const T*>(&other);
}

bool SameImage(const QImage& a, const QImage& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
    if (a.size() != b.size()) return false;
    const QImage ma = a.convertToFormat(QImage::Format_RGB32);
    const QImage mb = b.convertToFormat(QImage::Format_RGB32);
    return ma == mb;
}

}  // namespace

int CoverFont::height() const {
    // As the screen stores a point size: -MulDiv(size, 96, 72).
    return -static_cast<int>(std::lround(size * double(kScreenPixelsPerInch) / 72.0));
}

void CoverFont::setHeight(int h) {
    // A positive height is a cell height; both come back to points the same way.
    const int pixels = h < 0 ? -h : h;
    size = static_cast<int>(std::lround(pixels * 72.0 / kScreenPixelsPerInch));
}

// --- TFaxGraphicControl ---------------------------------------------------------------------

bool TFaxGraphicControl::SameProperties(const TFaxGraphicControl& o) const {
    return ClassName() == o.ClassName() &&
           std::tie(tag_, left_, top_, width_, height_, cursor_, hint_, locked_, unselectable_) ==
               std::tie(o.tag_, o.left_, o.top_, o.width_, o.height_, o.cursor_, o.hint_, o.locked_,
                        o.unselectable_);
}

void TFaxGraphicControl::PaintOnPage(QPainter& painter) const {
    painter.save();
    painter.translate(left_, top_);
    painter.setClipRect(QRect(0, 0, width_, height_), Qt::IntersectClip);
    Paint(painter);
    painter.restore();
}

void TFaxGraphicControl::BoundsChanged() {}

void TFaxGraphicControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (inBoundsChanged_ || loading_) return;
    inBoundsChanged_ = true;
    BoundsChanged();
    inBoundsChanged_ = false;
}

void TFaxGraphicControl::SetLoading(bool loading) {
    loading_ = loading;
    if (!loading) SetBounds(left_, top_, width_, height_);
}

void TFaxGraphicControl::SetZoom(float z) {
    if (z == zoom_ || z <= 0.0f) return;
    const double r = double(z) / double(zoom_);
    zoom_ = z;
    SetBounds(RoundHalfEven(left_ * r), RoundHalfEven(top_ * r), RoundHalfEven(width_ * r),
              RoundHalfEven(height_ * r));
}

int TFaxGraphicControl::ScaledFontSize(int points) const {
    if (zoom_ == 1.0f) return points;
    return static_cast<int>(std::trunc(points * double(zoom_)));
}

int TFaxGraphicControl::ScaledPenWidth(int width) const {
    if (zoom_ == 1.0f) return width;
    return RoundHalfEven(width * double(zoom_));
}

void TFaxGraphicControl::CenterVertically(int pageHeight) {
    SetTop(pageHeight / 2 - height_ / 2);
}

void TFaxGraphicControl::CenterHorizontally(int pageWidth) {
    SetLeft(pageWidth / 2 - width_ / 2);
}

std::unique_ptr<TFaxGraphicControl> CreateCoverObject(const QString& className) {
    if (className == QLatin1String("TFaxCoverLabel")) return std::make_unique<TFaxCoverLabel>();
    if (className == QLatin1String("TFaxCoverSymbol")) return std::make_unique<TFaxCoverSymbol>();
    if (className == QLatin1String("TFaxCoverMessage")) return std::make_unique<TFaxCoverMessage>();
    if (className == QLatin1String("TFaxCoverImportance"))
        return std::make_unique<TFaxCoverImportance>();
    if (className == QLatin1String("TFaxCoverField")) return std::make_unique<TFaxCoverField>();
    if (className == QLatin1String("TFaxCoverShapes")) return std::make_unique<TFaxCoverShapes>();
    if (className == QLatin1String("TFaxCoverLine")) return std::make_unique<TFaxCoverLine>();
    if (className == QLatin1String("TFaxImage")) return std::make_unique<TFaxImage>();
    if (className == QLatin1String("TFaxMultiLineLabel"))
        return std::make_unique<TFaxMultiLineLabel>();
    return nullptr;
}

// --- text classes ---------------------------------------------------------------------------

bool TFaxCoverBaseLabel::SameProperties(const TFaxGraphicControl& other) const {
    const auto* o = As<TFaxCoverBaseLabel>(other);
    return o && TFaxGraphicControl::SameProperties(other) && caption_ == o->caption_ &&
           font_ == o->font_;
}

QFont TFaxCoverBaseLabel::ScaledFont() const {
    return CoverQFont(font_.name, ScaledFontSize(font_.size), font_.bold, font_.italic,
                      font_.underline, font_.strikeOut);
}

void TFaxCoverBaseLabel::Paint(QPainter& painter) const {
    DrawCoverText(painter, ScaledFont(), 0, 0, caption_);
}

void TFaxCoverBaseLabel::BoundsChanged() {
    if (Width() <= 0 || Height() <= 0)
        SetBounds(Left(), Top(), std::max(1, Width()), std::max(1, Height()));
}

void TFaxCoverBaseLabel::SetCaption(const QString& caption) {
    caption_ = caption;
    SetBounds(Left(), Top(), Width(), Height());
}

void TFaxCoverBaseLabel::SetFont(const CoverFont& font) {
    font_ = font;
    SetBounds(Left(), Top(), Width(), Height());
}

void TFaxCoverBaseLabel::AssignFont(const CoverFont& font) {
    SetFont(font);
}

void TFaxCoverBaseLabel::GrowToCaption() {
    const QFontMetrics metrics(ScaledFont());
    const int textWidth = metrics.horizontalAdvance(caption_ + QLatin1Char(' '));
    const int textHeight = metrics.height();
    SetBounds(Left(), Top(), std::max(Width(), textWidth), std::max(Height(), textHeight));
}

TFaxCoverSymbol::TFaxCoverSymbol() : TFaxCoverBaseLabel(QStringLiteral("[")) {
    CoverFont font;
    font.name = QStringLiteral("WingDings");
    font.size = 24;
    SetFont(font);
    BoundsChanged();
}

void TFaxCoverSymbol::BoundsChanged() {
    const QFontMetrics metrics(ScaledFont());
    const int w = static_cast<int>(std::trunc(1.1 * metrics.horizontalAdvance(Caption())));
    const int h = static_cast<int>(std::trunc(1.1 * metrics.height()));
    if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
    TFaxCoverBaseLabel::BoundsChanged();
}

TFaxCoverMessage::TFaxCoverMessage()
    : TFaxCoverBaseLabel(QStringLiteral(
          "[Fax Message - note: this is for short messages - it will not continue onto a 2nd "
          "page]")) {}

void TFaxCoverMessage::Paint(QPainter& painter) const {
    TFaxCoverBaseLabel::Paint(painter);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(0, 0, Width() - 1, Height() - 1));
    painter.restore();
}

bool TFaxCoverField::SameProperties(const TFaxGraphicControl& other) const {
    const auto* o = As<TFaxCoverField>(other);
    return o && TFaxCoverBaseLabel::SameProperties(other) && fieldType_ == o->fieldType_;
}

void TFaxCoverField::ChooseField(TCoverFieldType type) {
    fieldType_ = type;
    SetCaption(QLatin1Char('[') + QLatin1String(kCoverFieldMenuCaptions[type]) + QLatin1Char(']'));
    GrowToCaption();
}

// --- shapes and lines -----------------------------------------------------------------------

bool TFaxCoverShapes::SameProperties(const TFaxGraphicControl& other) const {
    const auto* o = As<TFaxCoverShapes>(other);
    return o && TFaxGraphicControl::SameProperties(other) &&
           std::tie(fill_, pen_, roundPerc_, shape_) ==
               std::tie(o->fill_, o->pen_, o->roundPerc_, o->shape_);
}

void TFaxCoverShapes::Paint(QPainter& painter) const {
    int w = ScaledPenWidth(pen_.width);
    if (w <= 0 && pen_.width > 0) w = 1;
    const int h = w / 2;
    const int k = static_cast<int>(std::trunc(roundPerc_ * 0.01 * std::max(Width(), Height())));
    DrawCoverShape(painter, shape_, fill_, h, h, Width() - w + h + 1, Height() - w + h + 1, w, k);
}

bool TFaxCoverLine::SameProperties(const TFaxGraphicControl& other) const {
    const auto* o = As<TFaxCoverLine>(other);
    return o && TFaxGraphicControl::SameProperties(other) &&
           std::tie(lineStyle_, pen_) == std::tie(o->lineStyle_, o->pen_);
}

void TFaxCoverLine::Paint(QPainter& painter) const {
    const int w = ScaledPenWidth(pen_.width);
    const int h = w / 2;
    switch (lineStyle_) {
        case stHorizontal:
            DrawCoverLine(painter, h, h, Width() + h - w + 1, h, w);
            break;
        case stVertical:
            DrawCoverLine(painter, h, h, h, Height() + h - w + 1, w);
            break;
        case stAngleSlopingUp:
            DrawCoverLine(painter, Width(), 0, 0, Height(), w);
            break;
        case stAngleSlopingDown:
            DrawCoverLine(painter, 0, 0, Width(), Height(), w);
            break;
    }
}

void TFaxCoverLine::StretchToEdges(int pageWidth, int pageHeight) {
    if (lineStyle_ == stHorizontal)
        SetBounds(0, Top(), pageWidth, Height());
    else if (lineStyle_ == stVertical)
        SetBounds(Left(), 0, Width(), pageHeight);
}

// --- images ---------------------------------------------------------------------------------

bool TFaxImage::SameProperties(const TFaxGraphicControl& other) const {
    const auto* o = As<TFaxImage>(other);
    return o && TFaxGraphicControl::SameProperties(other) &&
           std::tie(autoSize_, borderStyle_, stretch_, reverse_, flip_) ==
               std::tie(o->autoSize_, o->borderStyle_, o->stretch_, o->reverse_, o->flip_) &&
           SameImage(picture_, o->picture_);
}

void TFaxImage::SetAutoSize(bool v) {
    autoSize_ = v;
    stretch_ = !v;
    SetBounds(Left(), Top(), Width(), Height());
}

void TFaxImage::SetStretch(bool v) {
    stretch_ = v;
    autoSize_ = !v;
    SetBounds(Left(), Top(), Width(), Height());
}

void TFaxImage::SetPicture(const QImage& picture) {
    if (picture.isNull()) {
        picture_ = QImage();
    } else if (picture.format() == QImage::Format_Mono ||
               picture.format() == QImage::Format_MonoLSB) {
        picture_ = ThresholdToMonochrome(picture);
    } else {
        picture_ = ReduceToMonochrome(picture);
    }
    SetBounds(Left(), Top(), Width(), Height());
}

void TFaxImage::BoundsChanged() {
    if (autoSize_ && picture_.width() > 0 && picture_.height() > 0) {
        const int w = RoundHalfEven(picture_.width() * double(Zoom()));
        const int h = RoundHalfEven(picture_.height() * double(Zoom()));
        if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
    }
}

Status TFaxImage::LoadPictureFile(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toUpper();
    QImage loaded;
    if (ext == QLatin1String("BMP")) {
        loaded = ReadBmpFile(path).value_or(QImage());
    } else if (ext == QLatin1String("JPG") || ext == QLatin1String("JIF")) {
        QImageReader reader(path, "jpeg");
        loaded = reader.read();
    } else {
        // Metafiles have no renderer on this platform; other types are not pictures.
        loaded = QImage();
    }
    if (loaded.isNull() || loaded.width() > kMaxPictureSide || loaded.height() > kMaxPictureSide) {
        SetPicture(QImage());
        return Status::Error(QStringLiteral("Error loading file!"));
    }
    SetPicture(ReduceToMonochrome(loaded));
    return Status::Ok();
}

QImage TFaxImage::RenderToBitmap() const {
    const int w = Width();
    const int h = Height();
    if (w <= 0 || h <= 0 || w > kMaxPictureSide || h > kMaxPictureSide) return {};
    QImage canvas(w, h, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (!picture_.isNull()) {
        if (flip_ || reverse_) {
            const QImage mirrored = picture_.mirrored(reverse_, flip_);
            painter.drawImage(QRect(0, 0, w, h), mirrored);
        } else {
            painter.drawImage(QRect(0, 0, w, h), picture_);
        }
    } else {
        painter.setPen(Qt::black);
        painter.setBrush(Qt::white);
        painter.drawRect(QRect(0, 0, w - 1, h - 1));
    }
    if (borderStyle_ == bsSingle) {
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(0, 0, w - 1, h - 1));
    }
    painter.end();
    return ThresholdToMonochrome(canvas);
}

void TFaxImage::Paint(QPainter& painter) const {
    const QImage bitmap = RenderToBitmap();
    if (!bitmap.isNull()) painter.drawImage(QRect(0, 0, Width(), Height()), bitmap);
}

// --- multi-line text ------------------------------------------------------------------------

bool TFaxMultiLineBaseLabel::SameProperties(const TFaxGraphicControl& other) const {
    const auto* o = As<TFaxMultiLineBaseLabel>(other);
    return o && TFaxGraphicControl::SameProperties(other) &&
           std::tie(items_, autoSize_, alignment_, font_, wordWrap_) ==
               std::tie(o->items_, o->autoSize_, o->alignment_, o->font_, o->wordWrap_);
}

QFont TFaxMultiLineBaseLabel::ScaledFont() const {
    return CoverQFont(font_.name, ScaledFontSize(font_.size), font_.bold, font_.italic,
                      font_.underline, font_.strikeOut);
}

void TFaxMultiLineBaseLabel::SetItems(const QStringList& items) {
    items_ = items;
    RewrapLines();
}

void TFaxMultiLineBaseLabel::SetFont(const CoverFont& font) {
    font_ = font;
    RewrapLines();
}

void TFaxMultiLineBaseLabel::SetWordWrap(bool v) {
    wordWrap_ = v;
    RewrapLines();
}

void TFaxMultiLineBaseLabel::RewrapLines() {
    if (!wordWrap_) {
        wrapped_.clear();
        return;
    }
    wrapped_ = WrapLines(items_, Width(), QFontMetrics(ScaledFont()));
}

void TFaxMultiLineBaseLabel::BoundsChanged() {
    RewrapLines();
}

void TFaxMultiLineBaseLabel::Paint(QPainter& painter) const {
    QStringList lines = DisplayLines();
    if (lines.isEmpty() || (lines.size() == 1 && lines[0].trimmed().isEmpty()))
        lines = QStringList{QStringLiteral("<blank>")};
    const QFont font = ScaledFont();
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.height();
    int y = 0;
    for (const QString& line : lines) {
        const int lineWidth = metrics.horizontalAdvance(line);
        int x = 0;
        if (alignment_ == taRightJustify)
            x = Width() - lineWidth - 1;
        else if (alignment_ == taCenter)
            x = Width() / 2 - lineWidth / 2;
        DrawCoverText(painter, font, x, y, line);
        y += lineHeight;
        if (y > Height()) break;
    }
}

}  // namespace corvane
