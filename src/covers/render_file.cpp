#include "covers/render_file.h"

#include <cmath>

#include "core/windows1252.h"
#include "covers/tagged_values.h"
#include "faxdoc/bmp_file.h"

namespace corvane {

namespace {

void WriteFontBlock(TaggedWriter& w, const CoverFont& f, int screenPpi) {
    w.string(f.name);
    w.integer(static_cast<qint32>(std::trunc(f.size * double(screenPpi) / 96.0 * 2.0)));
    w.boolean(f.bold);
    w.boolean(f.italic);
    w.boolean(f.underline);
}

void WriteNoFont(TaggedWriter& w) {
    w.string(QString());
    w.string(QString());
    w.integer(-1);
    w.boolean(false);
    w.boolean(false);
    w.boolean(false);
}

void WriteInts(TaggedWriter& w, std::initializer_list<int> values) {
    for (int v : values) w.integer(v);
}

int KindOf(const TFaxGraphicControl& o) {
    if (dynamic_cast<const TFaxCoverSymbol*>(&o)) return rkSymbol;
    if (dynamic_cast<const TFaxCoverMessage*>(&o)) return rkMessage;
    if (dynamic_cast<const TFaxCoverImportance*>(&o)) return rkImportance;
    if (dynamic_cast<const TFaxCoverField*>(&o)) return rkField;
    if (dynamic_cast<const TFaxCoverLabel*>(&o)) return rkLabel;
    if (dynamic_cast<const TFaxCoverShapes*>(&o)) return rkShape;
    if (dynamic_cast<const TFaxCoverLine*>(&o)) return rkLine;
    if (dynamic_cast<const TFaxImage*>(&o)) return rkImage;
    if (dynamic_cast<const TFaxMultiLineBaseLabel*>(&o)) return rkMultiLine;
    return -1;
}

}  // namespace

void AppendRenderRecord(QByteArray& out, const TFaxGraphicControl& o, int screenPpi) {
    const int kind = KindOf(o);
    if (kind < 0) return;
    TaggedWriter w;
    w.beginList();
    WriteInts(w, {kind, o.Left() * 2, o.Top() * 2, o.Width() * 2, o.Height() * 2});
    switch (kind) {
        case rkLabel:
        case rkSymbol:
        case rkImportance:
        case rkField:
        case rkMessage: {
            const auto& label = static_cast<const TFaxCoverBaseLabel&>(o);
            w.string(kind == rkLabel || kind == rkSymbol ? label.Caption() : QString());
            WriteFontBlock(w, label.Font(), screenPpi);
            const int fieldType =
                kind == rkField ? static_cast<const TFaxCoverField&>(o).CoverFieldType() : -1;
            WriteInts(w, {-1, -1, -1, -1, -1, fieldType});
            break;
        }
        case rkShape: {
            const auto& shape = static_cast<const TFaxCoverShapes&>(o);
            WriteNoFont(w);
            WriteInts(w, {shape.Shape(), shape.ShapeFilltype(), shape.Pen().width * 2, -1,
                          shape.RoundPerc(), -1});
            break;
        }
        case rkLine: {
            const auto& line = static_cast<const TFaxCoverLine&>(o);
            WriteNoFont(w);
            WriteInts(w, {-1, -1, line.Pen().width * 2, line.LineStyle(), -1, -1});
            break;
        }
        case rkImage: {
            const QByteArray bmp = EncodeMonoBmp(static_cast<const TFaxImage&>(o).RenderToBitmap());
            w.integer(static_cast<qint32>(bmp.size()));
            w.raw(bmp);
            break;
        }
        case rkMultiLine: {
            const auto& multi = static_cast<const TFaxMultiLineBaseLabel&>(o);
            WriteFontBlock(w, multi.Font(), screenPpi);
            w.integer(multi.Alignment());
            w.boolean(multi.WordWrap());
            QByteArray text;
            for (const QString& line : multi.Items())
                text += QByteArray::fromStdString(ToWindows1252(line)) + "\r\n";
            w.integer(static_cast<qint32>(text.size()));
            w.raw(text);
            break;
        }
    }
    w.endList();
    out += w.bytes();
}

QByteArray EncodeRenderFile(const CoverObjectList& objects) {
    QByteArray out;
    for (const auto& o : objects) AppendRenderRecord(out, *o);
    return out;
}

bool RenderFileReader::next(RenderRecord& rec) {
    if (!error_.isEmpty() || pos_ >= bytes_.size()) return false;
    // The reader works on the rest of the data so positions in errors are file offsets.
    const QByteArray rest =
        QByteArray::fromRawData(bytes_.constData() + pos_, bytes_.size() - pos_);
    TaggedReader r(rest);
    try {
        rec = RenderRecord();
        r.expect(tagged::kList, "record");
        rec.kind = r.integer();
        rec.left = r.integer();
        rec.top = r.integer();
        rec.width = r.integer();
        rec.height = r.integer();
        if (rec.kind >= rkLabel && rec.kind <= rkMessage) {
            rec.caption = r.string();
            rec.fontName = r.string();
            rec.s2 = r.integer();
            rec.bold = r.boolean();
            rec.italic = r.boolean();
            rec.underline = r.boolean();
            for (int& v : rec.i) v = r.integer();
        } else if (rec.kind == rkImage) {
            const qint32 n = r.integer();
            rec.imageBmp = r.raw(n);
        } else if (rec.kind == rkMultiLine) {
            rec.fontName = r.string();
            rec.s2 = r.integer();
            rec.bold = r.boolean();
            rec.italic = r.boolean();
            rec.underline = r.boolean();
            rec.alignment = r.integer();
            rec.wordWrap = r.boolean();
            const qint32 n = r.integer();
            const QString text = FromWindows1252(r.raw(n));
            QStringList lines = text.split(QStringLiteral("\r\n"));
            if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
            rec.items = lines;
        } else {
            r.fail(QStringLiteral("unknown record kind %1").arg(rec.kind));
        }
        r.expect(tagged::kEndOfList, "end of record");
    } catch (const TaggedValueError& e) {
        error_ = QStringLiteral("%1 at byte %2")
                     .arg(QString::fromStdString(e.what()))
                     .arg(pos_ + e.offset());
        return false;
    }
    pos_ += r.position();
    return true;
}

}  // namespace corvane
