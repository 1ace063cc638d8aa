// covergen: builds the cover templates that ship with Corvane, through the same objects and
// writer the designer uses, into the folder given (data/covers in the repository):
//
//   covergen OUTDIR
//
// QX0001 "Classic business cover", QX0002 "Minimal cover", QX0003 "Priority cover with
// importance boxes". Run it again after changing a template and commit the files it writes.

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "covers/cover_template_files.h"
#include "covers/fax_graphic_control.h"

using namespace corvane;

namespace {

// Design page: 768 x 960 pixels, 96 per inch. A fax line is 1728 pixels, 864 design pixels:
// the content sits a little right of the design page's middle so that it is balanced on the
// fax page and still inside the preview.
constexpr int kLeft = 80;
constexpr int kRight = 752;
constexpr int kContentWidth = kRight - kLeft;

CoverFont Font(int size, bool bold = false, bool italic = false) {
    CoverFont f;
    f.name = QStringLiteral("Arial");
    f.size = size;
    f.bold = bold;
    f.italic = italic;
    return f;
}

class Page {
  public:
    void label(int x, int y, const QString& text, const CoverFont& font) {
        auto o = std::make_unique<TFaxCoverLabel>();
        o->SetCaption(text);
        o->SetFont(font);
        o->SetBounds(x, y, 10, 10);
        o->GrowToCaption();
        add(std::move(o));
    }
    void field(int x, int y, TCoverFieldType type, const CoverFont& font, int width = 260) {
        auto o = std::make_unique<TFaxCoverField>();
        o->SetFont(font);
        o->SetBounds(x, y, width, 10);
        o->ChooseField(type);
        add(std::move(o));
    }
    void line(int x, int y, int length, int penWidth, TLineStyle style = stHorizontal) {
        auto o = std::make_unique<TFaxCoverLine>();
        o->SetLineStyle(style);
        CoverPen pen;
        pen.width = penWidth;
        o->SetPen(pen);
        if (style == stHorizontal)
            o->SetBounds(x, y, length, penWidth);
        else
            o->SetBounds(x, y, penWidth, length);
        add(std::move(o));
    }
    void shape(int x, int y, int w, int h, TShapeType type, TShapeFillType fill, int penWidth,
               int roundPerc = 25) {
        auto o = std::make_unique<TFaxCoverShapes>();
        o->SetShape(type);
        o->SetShapeFilltype(fill);
        CoverPen pen;
        pen.width = penWidth;
        o->SetPen(pen);
        o->SetRoundPerc(roundPerc);
        o->SetBounds(x, y, w, h);
        add(std::move(o));
    }
    void message(int x, int y, int w, int h, const CoverFont& font) {
        auto o = std::make_unique<TFaxCoverMessage>();
        o->SetFont(font);
        o->SetBounds(x, y, w, h);
        add(std::move(o));
    }
    void importance(int x, int y, const CoverFont& font) {
        auto o = std::make_unique<TFaxCoverImportance>();
        o->SetFont(font);
        o->SetBounds(x, y, 10, 10);
        o->GrowToCaption();
        add(std::move(o));
    }
    void text(int x, int y, int w, int h, const QStringList& lines, const CoverFont& font,
              TAlignment alignment) {
        auto o = std::make_unique<TFaxMultiLineLabel>();
        o->SetBounds(x, y, w, h);
        o->SetFont(font);
        o->SetAlignment(alignment);
        o->SetItems(lines);
        o->SetWordWrap(true);
        add(std::move(o));
    }

    bool save(const QString& folder, const QString& name, const QString& description) {
        const Status s = SaveTemplate(folder + name, objects_, description);
        if (!s.ok()) std::fprintf(stderr, "covergen: %s\n", qPrintable(s.message()));
        return s.ok();
    }

  private:
    void add(std::unique_ptr<TFaxGraphicControl> o) {
        o->SetName(QStringLiteral("Component%1").arg(objects_.size()));
        objects_.push_back(std::move(o));
    }
    CoverObjectList objects_;
};

const QStringList kConfidentiality = {
    QStringLiteral("This fax may contain confidential information intended only for the "
                   "addressee. If you received it in error, please tell the sender at the "
                   "number above and destroy it.")};

// Two columns of labelled fields under a heading, lines above and below.
bool Classic(const QString& folder) {
    Page p;
    p.label(kLeft, 36, QStringLiteral("FAX"), Font(40, true));
    p.field(kLeft + 150, 44, cfSenderCompany, Font(16, true), 400);
    p.field(kLeft + 150, 74, cfSenderVoice, Font(10));
    p.line(kLeft, 112, kContentWidth, 4);

    const CoverFont key = Font(11, true);
    const CoverFont value = Font(11);
    const int col1 = kLeft, val1 = kLeft + 64, col2 = kLeft + 352, val2 = kLeft + 432;
    int y = 132;
    p.label(col1, y, QStringLiteral("To:"), key);
    p.field(val1, y, cfRecipient, value, 250);
    p.label(col2, y, QStringLiteral("From:"), key);
    p.field(val2, y, cfSender, value, 240);
    y += 30;
    p.label(col1, y, QStringLiteral("Fax:"), key);
    p.field(val1, y, cfRecipientFax, value, 250);
    p.label(col2, y, QStringLiteral("Fax:"), key);
    p.field(val2, y, cfSenderFax, value, 240);
    y += 30;
    p.label(col1, y, QStringLiteral("Date:"), key);
    p.field(val1, y, cfDate, value, 250);
    p.label(col2, y, QStringLiteral("Time:"), key);
    p.field(val2, y, cfTime, value, 240);
    y += 30;
    p.label(col1, y, QStringLiteral("Re:"), key);
    p.field(val1, y, cfRegarding, value, 600);
    p.line(kLeft, 264, kContentWidth, 1);

    p.importance(kLeft, 278, Font(10));
    p.label(kLeft, 318, QStringLiteral("Message"), Font(12, true));
    p.message(kLeft, 346, kContentWidth, 520, Font(11));
    p.line(kLeft, 884, kContentWidth, 1);
    p.text(kLeft, 892, kContentWidth, 40, kConfidentiality, Font(8, false, true), taCenter);
    return p.save(folder, QStringLiteral("QX0001.FCS"), QStringLiteral("Classic business cover"));
}

// A title, four fields and the message; nothing else.
bool Minimal(const QString& folder) {
    Page p;
    p.label(kLeft, 48, QStringLiteral("Fax"), Font(28, true));
    p.field(kLeft + 420, 60, cfDate, Font(11), 250);
    p.line(kLeft, 100, kContentWidth, 2);
    const CoverFont key = Font(11);
    const CoverFont value = Font(11, true);
    int y = 124;
    const std::pair<const char*, TCoverFieldType> rows[] = {
        {"To", cfRecipient}, {"Fax", cfRecipientFax}, {"From", cfSender}, {"Subject", cfRegarding}};
    for (const auto& [caption, type] : rows) {
        p.label(kLeft, y, QLatin1String(caption), key);
        p.field(kLeft + 96, y, type, value, 560);
        y += 28;
    }
    p.line(kLeft, y + 10, kContentWidth, 1);
    p.message(kLeft, y + 32, kContentWidth, 840 - y, Font(12));
    return p.save(folder, QStringLiteral("QX0002.FCS"), QStringLiteral("Minimal cover"));
}

// A black band, the fields in a rounded frame, the importance boxes in their own frame and a
// large framed message area.
bool Priority(const QString& folder) {
    Page p;
    p.shape(kLeft, 32, kContentWidth, 14, stRectangle, sftFilledBlack, 1);
    p.label(kLeft, 56, QStringLiteral("FACSIMILE TRANSMITTAL"), Font(24, true));
    p.field(kLeft, 96, cfSenderCompany, Font(12, true), 420);

    p.shape(kLeft, 128, kContentWidth, 132, stRoundRect, sftTransparent, 2, 8);
    // Keys one point smaller than values, set a pixel lower so the baselines meet.
    const CoverFont key = Font(10, true);
    const CoverFont value = Font(11);
    const int col1 = kLeft + 16, val1 = kLeft + 96, col2 = kLeft + 356, val2 = kLeft + 436;
    int y = 142;
    p.label(col1, y + 1, QStringLiteral("TO"), key);
    p.field(val1, y, cfRecipient, value, 210);
    p.label(col2, y + 1, QStringLiteral("FROM"), key);
    p.field(val2, y, cfSender, value, 220);
    y += 28;
    p.label(col1, y + 1, QStringLiteral("FAX"), key);
    p.field(val1, y, cfRecipientFax, value, 210);
    p.label(col2, y + 1, QStringLiteral("PHONE"), key);
    p.field(val2, y, cfSenderVoice, value, 220);
    y += 28;
    p.label(col1, y + 1, QStringLiteral("DATE"), key);
    p.field(val1, y, cfDate, value, 210);
    p.label(col2, y + 1, QStringLiteral("FAX"), key);
    p.field(val2, y, cfSenderFax, value, 220);
    y += 28;
    p.label(col1, y + 1, QStringLiteral("RE"), key);
    p.field(val1, y, cfRegarding, value, 560);

    p.shape(kLeft, 276, kContentWidth, 40, stRectangle, sftTransparent, 2);
    p.importance(kLeft + 12, 286, Font(10, true));

    p.label(kLeft, 332, QStringLiteral("MESSAGE"), Font(10, true));
    p.shape(kLeft, 352, kContentWidth, 560, stRectangle, sftTransparent, 1);
    p.message(kLeft + 12, 364, kContentWidth - 24, 536, Font(11));
    return p.save(folder, QStringLiteral("QX0003.FCS"),
                  QStringLiteral("Priority cover with importance boxes"));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: covergen OUTDIR\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + '/';
    QDir().mkpath(folder);
    const bool ok = Classic(folder) && Minimal(folder) && Priority(folder);
    return ok ? 0 : 1;
}
