#include "covers/design_stream.h"

#include <QtEndian>
#include <functional>

#include "covers/stored_picture.h"
#include "covers/tagged_values.h"
#include "faxdoc/bmp_file.h"

namespace corvane {

namespace {

constexpr int kMaxChildNesting = 8;
const char* const kBitmapClass = "TBitmap";

// --- writing --------------------------------------------------------------------------------

void WriteColor(TaggedWriter& w, CoverColor color) {
    if (color == clBlack)
        w.ident(QStringLiteral("clBlack"));
    else if (color == clWhite)
        w.ident(QStringLiteral("clWhite"));
    else
        w.integer(color);
}

QStringList StyleNames(const CoverFont& f) {
    QStringList names;
    if (f.bold) names << QStringLiteral("fsBold");
    if (f.italic) names << QStringLiteral("fsItalic");
    if (f.underline) names << QStringLiteral("fsUnderline");
    if (f.strikeOut) names << QStringLiteral("fsStrikeOut");
    return names;
}

void WriteFont(TaggedWriter& w, const CoverFont& f) {
    w.name(QStringLiteral("Font.Color"));
    WriteColor(w, f.color);
    w.name(QStringLiteral("Font.Height"));
    w.integer(f.height());
    if (!f.name.isEmpty()) {
        w.name(QStringLiteral("Font.Name"));
        w.string(f.name);
    }
    if (f.pitch != fpDefault) {
        w.name(QStringLiteral("Font.Pitch"));
        w.ident(QLatin1String(kFontPitchNames[f.pitch]));
    }
    w.name(QStringLiteral("Font.Style"));
    w.set(StyleNames(f));
}

void WritePen(TaggedWriter& w, const CoverPen& p) {
    const CoverPen def;
    if (p.color != def.color) {
        w.name(QStringLiteral("Pen.Color"));
        WriteColor(w, p.color);
    }
    if (p.mode != def.mode) {
        w.name(QStringLiteral("Pen.Mode"));
        w.ident(p.mode);
    }
    if (p.style != def.style) {
        w.name(QStringLiteral("Pen.Style"));
        w.ident(p.style);
    }
    if (p.width != def.width) {
        w.name(QStringLiteral("Pen.Width"));
        w.integer(p.width);
    }
}

void Prop(TaggedWriter& w, const char* name) {
    w.name(QLatin1String(name));
}

QByteArray PictureData(const QImage& picture) {
    const QByteArray bmp = EncodeMonoBmp(picture);
    QByteArray data;
    data.append(static_cast<char>(qstrlen(kBitmapClass)));
    data.append(kBitmapClass);
    char count[4];
    qToLittleEndian<quint32>(static_cast<quint32>(bmp.size()), count);
    data.append(count, 4);
    data.append(bmp);
    return data;
}

void WriteObject(TaggedWriter& w, const TFaxGraphicControl& o) {
    w.raw(QByteArray(kDesignObjectSignature));
    w.name(o.ClassName());
    w.name(o.Name());
    if (o.Tag() != 0) {
        Prop(w, "Tag");
        w.integer(o.Tag());
    }
    Prop(w, "Left");
    w.integer(o.Left());
    Prop(w, "Top");
    w.integer(o.Top());
    Prop(w, "Width");
    w.integer(o.Width());
    Prop(w, "Height");
    w.integer(o.Height());
    if (o.Cursor() != 0) {
        Prop(w, "Cursor");
        w.integer(o.Cursor());
    }
    if (!o.Hint().isEmpty()) {
        Prop(w, "Hint");
        w.string(o.Hint());
    }
    Prop(w, "Locked");
    w.boolean(o.Locked());
    Prop(w, "Unselectable");
    w.boolean(o.Unselectable());

    if (const auto* label = dynamic_cast<const TFaxCoverBaseLabel*>(&o)) {
        if (!label->Caption().isEmpty()) {
            Prop(w, "Caption");
            w.string(label->Caption());
        }
        WriteFont(w, label->Font());
        if (const auto* field = dynamic_cast<const TFaxCoverField*>(&o)) {
            Prop(w, "CoverFieldType");
            w.ident(QLatin1String(kCoverFieldTypeNames[field->CoverFieldType()]));
        }
    } else if (const auto* shape = dynamic_cast<const TFaxCoverShapes*>(&o)) {
        Prop(w, "ShapeFilltype");
        w.ident(QLatin1String(kShapeFillTypeNames[shape->ShapeFilltype()]));
        WritePen(w, shape->Pen());
        if (shape->RoundPerc() != 25) {
            Prop(w, "RoundPerc");
            w.integer(shape->RoundPerc());
        }
        if (shape->Shape() != stRectangle) {
            Prop(w, "Shape");
            w.ident(QLatin1String(kShapeTypeNames[shape->Shape()]));
        }
    } else if (const auto* line = dynamic_cast<const TFaxCoverLine*>(&o)) {
        if (line->LineStyle() != stHorizontal) {
            Prop(w, "LineStyle");
            w.ident(QLatin1String(kLineStyleNames[line->LineStyle()]));
        }
        WritePen(w, line->Pen());
    } else if (const auto* image = dynamic_cast<const TFaxImage*>(&o)) {
        if (image->AutoSize()) {
            Prop(w, "AutoSize");
            w.boolean(true);
        }
        Prop(w, "BorderStyle");
        w.ident(QLatin1String(kBorderStyleNames[image->BorderStyle()]));
        if (!image->Picture().isNull()) {
            Prop(w, "Picture.Data");
            w.binary(PictureData(image->Picture()));
        }
        if (!image->Stretch()) {
            Prop(w, "Stretch");
            w.boolean(false);
        }
        Prop(w, "Reverse");
        w.boolean(image->Reverse());
        Prop(w, "Flip");
        w.boolean(image->Flip());
    } else if (const auto* multi = dynamic_cast<const TFaxMultiLineBaseLabel*>(&o)) {
        if (!multi->Items().isEmpty()) {
            Prop(w, "Items.Strings");
            w.beginList();
            for (const QString& line : multi->Items()) w.string(line);
            w.endList();
        }
        Prop(w, "AutoSize");
        w.boolean(multi->AutoSize());
        if (multi->Alignment() != taLeftJustify) {
            Prop(w, "Alignment");
            w.ident(QLatin1String(kAlignmentNames[multi->Alignment()]));
        }
        WriteFont(w, multi->Font());
        if (multi->WordWrap()) {
            Prop(w, "WordWrap");
            w.boolean(true);
        }
    }
    w.endList();  // properties
    w.endList();  // children
}

// --- reading --------------------------------------------------------------------------------

template <size_t N>
int EnumValue(TaggedReader& r, const std::array<const char*, N>& names, const QString& prop) {
    const QString id = r.ident();
    for (size_t i = 0; i < N; ++i) {
        if (id == QLatin1String(names[i])) return static_cast<int>(i);
    }
    r.fail(QStringLiteral("%1: unknown value %2").arg(prop, id));
}

CoverColor ReadColor(TaggedReader& r) {
    if (r.peekTag() != tagged::kIdent) return r.integer();
    const QString id = r.ident();
    if (id == QLatin1String("clBlack")) return clBlack;
    if (id == QLatin1String("clWhite")) return clWhite;
    r.fail(QStringLiteral("unknown colour %1").arg(id));
}

// Font properties into `font`; false when `prop` is not a font property.
bool ReadFontProperty(TaggedReader& r, const QString& prop, CoverFont& font) {
    if (prop == QLatin1String("Font.Color")) {
        font.color = ReadColor(r);
    } else if (prop == QLatin1String("Font.Height")) {
        const qint32 h = r.integer();
        if (h < -100000 || h > 100000) r.fail(QStringLiteral("Font.Height out of range"));
        font.setHeight(h);
    } else if (prop == QLatin1String("Font.Name")) {
        font.name = r.string();
    } else if (prop == QLatin1String("Font.Pitch")) {
        font.pitch = static_cast<TFontPitch>(EnumValue(r, kFontPitchNames, prop));
    } else if (prop == QLatin1String("Font.Size")) {
        const qint32 s = r.integer();
        if (s < -100000 || s > 100000) r.fail(QStringLiteral("Font.Size out of range"));
        font.size = s;
    } else if (prop == QLatin1String("Font.Style")) {
        font.bold = font.italic = font.underline = font.strikeOut = false;
        for (const QString& style : r.set()) {
            if (style == QLatin1String("fsBold"))
                font.bold = true;
            else if (style == QLatin1String("fsItalic"))
                font.italic = true;
            else if (style == QLatin1String("fsUnderline"))
                font.underline = true;
            else if (style == QLatin1String("fsStrikeOut"))
                font.strikeOut = true;
            else
                r.fail(QStringLiteral("unknown font style %1").arg(style));
        }
    } else {
        return false;
    }
    return true;
}

bool ReadPenProperty(TaggedReader& r, const QString& prop, CoverPen& pen) {
    if (prop == QLatin1String("Pen.Color"))
        pen.color = ReadColor(r);
    else if (prop == QLatin1String("Pen.Mode"))
        pen.mode = r.ident();
    else if (prop == QLatin1String("Pen.Style"))
        pen.style = r.ident();
    else if (prop == QLatin1String("Pen.Width"))
        pen.width = r.integer();
    else
        return false;
    return true;
}

QImage ReadPictureData(TaggedReader& r) {
    const QByteArray data = r.binary();
    TaggedReader inner(data);
    const QString cls = inner.name();
    if (cls.isEmpty()) return QImage();
    if (cls != QLatin1String(kBitmapClass))
        r.fail(QStringLiteral("Picture.Data: unsupported picture class %1").arg(cls));
    const QByteArray countBytes = inner.raw(4);
    const quint32 count = qFromLittleEndian<quint32>(countBytes.constData());
    const QByteArray bmp = inner.raw(count);
    if (const Status size = CheckStoredPictureSize(bmp); !size.ok())
        r.fail(QStringLiteral("Picture.Data: %1").arg(size.message()));
    const auto image = DecodeBmp(bmp);
    if (!image) r.fail(QStringLiteral("Picture.Data: %1").arg(image.message()));
    return image.value_or(QImage());
}

void ReadProperty(TaggedReader& r, const QString& prop, TFaxGraphicControl& o) {
    auto bound = [&](qint32 v) {
        // Geometry beyond +-1,000,000 design pixels is damage.
        if (v < -1000000 || v > 1000000) r.fail(QStringLiteral("%1 out of range").arg(prop));
        return v;
    };
    if (prop == QLatin1String("Tag")) {
        o.SetTag(r.integer());
    } else if (prop == QLatin1String("Left")) {
        o.SetLeft(bound(r.integer()));
    } else if (prop == QLatin1String("Top")) {
        o.SetTop(bound(r.integer()));
    } else if (prop == QLatin1String("Width")) {
        o.SetWidth(bound(r.integer()));
    } else if (prop == QLatin1String("Height")) {
        o.SetHeight(bound(r.integer()));
    } else if (prop == QLatin1String("Cursor")) {
        o.SetCursor(static_cast<qint16>(r.integer()));
    } else if (prop == QLatin1String("Hint")) {
        o.SetHint(r.string());
    } else if (prop == QLatin1String("Locked")) {
        o.SetLocked(r.boolean());
    } else if (prop == QLatin1String("Unselectable")) {
        o.SetUnselectable(r.boolean());
    } else if (auto* label = dynamic_cast<TFaxCoverBaseLabel*>(&o)) {
        CoverFont font = label->Font();
        if (prop == QLatin1String("Caption")) {
            label->SetCaption(r.string());
        } else if (ReadFontProperty(r, prop, font)) {
            label->SetFont(font);
        } else if (auto* field = dynamic_cast<TFaxCoverField*>(&o);
                   field && prop == QLatin1String("CoverFieldType")) {
            field->SetCoverFieldType(
                static_cast<TCoverFieldType>(EnumValue(r, kCoverFieldTypeNames, prop)));
        } else {
            r.fail(QStringLiteral("unknown property %1").arg(prop));
        }
    } else if (auto* shape = dynamic_cast<TFaxCoverShapes*>(&o)) {
        CoverPen pen = shape->Pen();
        if (prop == QLatin1String("ShapeFilltype"))
            shape->SetShapeFilltype(
                static_cast<TShapeFillType>(EnumValue(r, kShapeFillTypeNames, prop)));
        else if (ReadPenProperty(r, prop, pen))
            shape->SetPen(pen);
        else if (prop == QLatin1String("RoundPerc"))
            shape->SetRoundPerc(r.integer());
        else if (prop == QLatin1String("Shape"))
            shape->SetShape(static_cast<TShapeType>(EnumValue(r, kShapeTypeNames, prop)));
        else
            r.fail(QStringLiteral("unknown property %1").arg(prop));
    } else if (auto* line = dynamic_cast<TFaxCoverLine*>(&o)) {
        CoverPen pen = line->Pen();
        if (prop == QLatin1String("LineStyle"))
            line->SetLineStyle(static_cast<TLineStyle>(EnumValue(r, kLineStyleNames, prop)));
        else if (ReadPenProperty(r, prop, pen))
            line->SetPen(pen);
        else
            r.fail(QStringLiteral("unknown property %1").arg(prop));
    } else if (auto* image = dynamic_cast<TFaxImage*>(&o)) {
        if (prop == QLatin1String("AutoSize"))
            image->SetAutoSize(r.boolean());
        else if (prop == QLatin1String("BorderStyle"))
            image->SetBorderStyle(static_cast<TBorderStyle>(EnumValue(r, kBorderStyleNames, prop)));
        else if (prop == QLatin1String("Picture.Data"))
            image->SetPicture(ReadPictureData(r));
        else if (prop == QLatin1String("Stretch"))
            image->SetStretch(r.boolean());
        else if (prop == QLatin1String("Reverse"))
            image->SetReverse(r.boolean());
        else if (prop == QLatin1String("Flip"))
            image->SetFlip(r.boolean());
        else
            r.fail(QStringLiteral("unknown property %1").arg(prop));
    } else if (auto* multi = dynamic_cast<TFaxMultiLineBaseLabel*>(&o)) {
        CoverFont font = multi->Font();
        if (prop == QLatin1String("Items.Strings")) {
            r.expect(tagged::kList, "list");
            QStringList items;
            while (r.peekTag() != tagged::kEndOfList) items << r.string();
            r.expect(tagged::kEndOfList, "end of list");
            multi->SetItems(items);
        } else if (prop == QLatin1String("AutoSize")) {
            multi->SetAutoSize(r.boolean());
        } else if (prop == QLatin1String("Alignment")) {
            multi->SetAlignment(static_cast<TAlignment>(EnumValue(r, kAlignmentNames, prop)));
        } else if (ReadFontProperty(r, prop, font)) {
            multi->SetFont(font);
        } else if (prop == QLatin1String("WordWrap")) {
            multi->SetWordWrap(r.boolean());
        } else {
            r.fail(QStringLiteral("unknown property %1").arg(prop));
        }
    } else {
        r.fail(QStringLiteral("unknown property %1").arg(prop));
    }
}

// A record of any class: properties and children parsed and dropped.
void SkipRecordBody(TaggedReader& r, int depth) {
    if (depth > kMaxChildNesting) r.fail(QStringLiteral("objects nested too deeply"));
    while (r.peekTag() != tagged::kEndOfList) {
        r.name();
        r.skipValue();
    }
    r.byte();
    while (r.peekTag() != tagged::kEndOfList) {
        r.name();  // class
        r.name();  // object
        SkipRecordBody(r, depth + 1);
    }
    r.byte();
}

}  // namespace

QByteArray EncodeDesignStream(const CoverObjectList& objects) {
    TaggedWriter w;
    w.beginList();
    for (const auto& o : objects) WriteObject(w, *o);
    w.endList();
    return w.bytes();
}

Result<CoverObjectList> DecodeDesignStream(const QByteArray& bytes) {
    TaggedReader r(bytes);
    CoverObjectList objects;
    try {
        r.expect(tagged::kList, "list");
        while (r.peekTag() != tagged::kEndOfList) {
            if (r.raw(4) != QByteArray(kDesignObjectSignature))
                r.fail(QStringLiteral("object signature expected"));
            const QString className = r.name();
            const QString objectName = r.name();
            std::unique_ptr<TFaxGraphicControl> object = CreateCoverObject(className);
            if (!object) {
                SkipRecordBody(r, 0);
                continue;
            }
            object->SetName(objectName);
            object->SetLoading(true);
            while (r.peekTag() != tagged::kEndOfList) {
                const QString prop = r.name();
                ReadProperty(r, prop, *object);
            }
            r.byte();
            // Cover objects have no children; whatever a damaged file puts there is dropped.
            while (r.peekTag() != tagged::kEndOfList) {
                r.name();
                r.name();
                SkipRecordBody(r, 1);
            }
            r.byte();
            object->SetLoading(false);
            objects.push_back(std::move(object));
        }
        r.byte();
    } catch (const TaggedValueError& e) {
        return Status::Error(
            QStringLiteral("%1 at byte %2").arg(QString::fromStdString(e.what())).arg(e.offset()));
    }
    return objects;
}

}  // namespace corvane
