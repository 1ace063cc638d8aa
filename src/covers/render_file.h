#pragma once
// The render file (".FCT"): the cover objects flattened for generation, so that generating a
// cover never builds design objects. Records follow each other with no header, count or end
// marker, one per object back to front; coordinates are twice their design value:
//
//   0x01  int kind  int L*2  int T*2  int W*2  int H*2  fields of the kind  0x00
//
//   kinds 0-6 (text, symbol, shape, line, importance, field, message):
//       string caption; string font name; int s2; bool bold; bool italic; bool underline;
//       int i1 .. i6
//     s2 is the font size x 2 at 96 pixels per inch. Shapes keep Shape in i1, the fill in i2,
//     pen width x 2 in i3, RoundPerc in i5; lines the pen width x 2 in i3, LineStyle in i4;
//     fields CoverFieldType in i6; unused integers are -1, unused strings empty.
//   kind 7 (picture): int n; n bytes of a BMP file of the object as displayed
//   kind 8 (multi-line text): string font name; int s2; bool bold; bool italic;
//       bool underline; int alignment; bool word wrap; int n; n bytes of the lines, each
//       followed by CR LF
//
// All integers and strings are tagged values (tagged_values.h).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "covers/fax_graphic_control.h"

namespace corvane {

enum RenderKind {
    rkLabel = 0,
    rkSymbol = 1,
    rkShape = 2,
    rkLine = 3,
    rkImportance = 4,
    rkField = 5,
    rkMessage = 6,
    rkImage = 7,
    rkMultiLine = 8
};

struct RenderRecord {
    int kind = -1;
    int left = 0, top = 0, width = 0, height = 0;  // as stored (doubled)
    QString caption;
    QString fontName;
    int s2 = 0;
    bool bold = false, italic = false, underline = false;
    int i[6] = {-1, -1, -1, -1, -1, -1};  // i1..i6
    QByteArray imageBmp;                  // kind 7
    int alignment = 0;                    // kind 8
    bool wordWrap = false;                // kind 8
    QStringList items;                    // kind 8
};

// The render-file record of one object; `screenPpi` is the resolution the font sizes are
// stored for.
void AppendRenderRecord(QByteArray& out, const TFaxGraphicControl& object,
                        int screenPpi = kScreenPixelsPerInch);
QByteArray EncodeRenderFile(const CoverObjectList& objects);

// Walks the records of a render file. next() stops at the end of the data or at the first
// record it cannot decode; error() then says what was wrong and where.
class RenderFileReader {
  public:
    explicit RenderFileReader(QByteArray bytes) : bytes_(std::move(bytes)) {}
    bool next(RenderRecord& record);
    bool damaged() const { return !error_.isEmpty(); }
    QString error() const { return error_; }

  private:
    QByteArray bytes_;
    qsizetype pos_ = 0;
    QString error_;
};

}  // namespace corvane
