#include "covers/designer/object_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "covers/cover_text.h"
#include "uicommon/help_window.h"

namespace corvane {

namespace {

constexpr int kFirstSymbolCode = 32;
constexpr int kSymbolCount = 224;

QDialogButtonBox* OkCancelHelp(QDialog* d) {
    auto* box = new QDialogButtonBox(d);
    box->addButton("Ok", QDialogButtonBox::AcceptRole);
    box->addButton("Cancel", QDialogButtonBox::RejectRole);
    box->addButton("Help", QDialogButtonBox::HelpRole);
    QObject::connect(box, &QDialogButtonBox::helpRequested, d,
                     [d] { ShowHelpTopic(d, "designer"); });
    QObject::connect(box, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return box;
}

QFont ToQFont(const CoverFont& f) {
    return CoverQFont(f.name, f.size, f.bold, f.italic, f.underline, f.strikeOut);
}

QString FontButtonText(const CoverFont& f) {
    QString text = QStringLiteral("%1, %2pt ").arg(f.name).arg(f.size);
    if (f.italic)
        text += QStringLiteral("Italic ");
    else if (f.bold)
        text += QStringLiteral("Bold ");
    return text;
}

}  // namespace

bool EditLabelText(QWidget* parent, TFaxCoverLabel& label) {
    QDialog d(parent);
    d.setWindowTitle("Text");
    auto* col = new QVBoxLayout(&d);
    col->addWidget(new QLabel("Enter Text", &d));
    auto* edit = new QLineEdit(label.Caption(), &d);
    edit->setObjectName("TextEdit");
    edit->selectAll();
    edit->setMinimumWidth(320);
    col->addWidget(edit);
    col->addWidget(OkCancelHelp(&d));
    if (d.exec() != QDialog::Accepted) return false;
    label.SetCaption(edit->text());
    label.GrowToCaption();
    return true;
}

int SymbolColumnsFor(int points) {
    if (points >= 6 && points <= 10) return 14;
    if (points >= 11 && points <= 20) return 10;
    if (points >= 21 && points <= 30) return 8;
    if (points >= 31 && points <= 40) return 6;
    if (points >= 41 && points <= 50) return 4;
    if (points >= 51 && points <= 60) return 3;
    if (points >= 61 && points <= 72) return 2;
    return 1;
}

bool ChooseSymbol(QWidget* parent, TFaxCoverSymbol& symbol) {
    QDialog d(parent);
    d.setWindowTitle("Symbol Selector");
    auto* col = new QVBoxLayout(&d);
    CoverFont font = symbol.Font();
    auto* fontButton = new QPushButton(FontButtonText(font), &d);
    auto* grid = new QTableWidget(&d);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    int current = symbol.Caption().isEmpty() ? 0 : symbol.Caption().at(0).unicode() - 32;
    auto fill = [&] {
        const int columns = SymbolColumnsFor(font.size);
        grid->clear();
        grid->setColumnCount(columns);
        grid->setRowCount((kSymbolCount + columns - 1) / columns);
        grid->setFont(ToQFont(font));
        for (int i = 0; i < kSymbolCount; ++i) {
            auto* item = new QTableWidgetItem(QString(QChar(i + kFirstSymbolCode)));
            item->setTextAlignment(Qt::AlignCenter);
            grid->setItem(i / columns, i % columns, item);
        }
        grid->resizeColumnsToContents();
        grid->resizeRowsToContents();
        if (current >= 0 && current < kSymbolCount)
            grid->setCurrentCell(current / columns, current % columns);
    };
    fill();
    QObject::connect(fontButton, &QPushButton::clicked, &d, [&] {
        if (auto chosen = ChooseCoverFont(&d, font, true)) {
            font = *chosen;
            fontButton->setText(FontButtonText(font));
            fill();
        }
    });
    col->addWidget(fontButton);
    col->addWidget(grid, 1);
    col->addWidget(OkCancelHelp(&d));
    d.resize(520, 420);
    if (d.exec() != QDialog::Accepted) return false;
    const int columns = grid->columnCount();
    const int index = grid->currentRow() * columns + grid->currentColumn();
    if (index < 0 || index >= kSymbolCount) return false;
    symbol.SetFont(font);
    symbol.SetCaption(QString(QChar(index + kFirstSymbolCode)));
    return true;
}

bool EditMultiLineText(QWidget* parent, TFaxMultiLineBaseLabel& text) {
    QDialog d(parent);
    d.setWindowTitle("Multi-line Text Editor");
    auto* col = new QVBoxLayout(&d);
    auto* edit = new QPlainTextEdit(&d);
    edit->setObjectName("LinesEdit");
    edit->setFont(ToQFont(text.Font()));
    edit->setPlainText(text.Items().join('\n'));
    col->addWidget(edit, 1);
    col->addWidget(OkCancelHelp(&d));
    d.resize(460, 300);
    if (d.exec() != QDialog::Accepted) return false;
    QString lines = edit->toPlainText();
    text.SetItems(lines.isEmpty() ? QStringList() : lines.split('\n'));
    text.RewrapLines();
    return true;
}

bool LoadImageFromDisk(QWidget* parent, TFaxImage& image, QString& folder) {
    QFileDialog d(parent, "Load Image File", folder,
                  "Images (*.BMP *.bmp *.JPG *.jpg *.JIF *.jif *.WMF *.wmf)");
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setFileMode(QFileDialog::ExistingFile);
    // The preview shows the picture as the fax will: reduced to black and white.
    auto* side = new QWidget(&d);
    auto* sideColumn = new QVBoxLayout(side);
    auto* preview = new QLabel(side);
    preview->setObjectName("ImagePreview");
    preview->setFixedSize(200, 200);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::Box);
    auto* note = new QLabel(
        "Note: A fax can only be monochrome black and white. The image above is shown as it "
        "will appear in the fax.",
        side);
    note->setWordWrap(true);
    note->setFixedWidth(200);
    sideColumn->addWidget(preview);
    sideColumn->addWidget(note);
    sideColumn->addStretch(1);
    if (auto* grid = qobject_cast<QGridLayout*>(d.layout()))
        grid->addWidget(side, 0, grid->columnCount(), grid->rowCount(), 1);
    auto showPreview = [preview](const QString& path) {
        TFaxImage sample;
        if (!QFileInfo(path).isFile() || !sample.LoadPictureFile(path).ok() ||
            sample.Picture().isNull()) {
            preview->clear();
            return;
        }
        preview->setPixmap(QPixmap::fromImage(sample.Picture().scaled(
            preview->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    };
    // The file under the cursor in the list, or a name typed into the name box.
    QObject::connect(&d, &QFileDialog::currentChanged, preview, showPreview);
    if (auto* nameBox = d.findChild<QLineEdit*>("fileNameEdit"))
        QObject::connect(nameBox, &QLineEdit::textChanged, preview,
                         [&d, showPreview](const QString& name) {
                             showPreview(QDir(d.directory()).absoluteFilePath(name));
                         });
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return false;
    const QString path = d.selectedFiles().front();
    if (Status s = image.LoadPictureFile(path); !s.ok()) {
        QMessageBox::critical(parent, "Error", "Error loading file!");
        return false;
    }
    folder = QFileInfo(path).absolutePath();
    return !image.Picture().isNull();
}

std::optional<CoverFont> ChooseCoverFont(QWidget* parent, const CoverFont& font,
                                         bool blackOrWhite) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, ToQFont(font), parent);
    if (!ok) return std::nullopt;
    CoverFont result = font;
    result.name = chosen.family();
    result.size = chosen.pointSize() > 0 ? chosen.pointSize() : font.size;
    result.bold = chosen.bold();
    result.italic = chosen.italic();
    result.underline = chosen.underline();
    result.strikeOut = chosen.strikeOut();
    if (blackOrWhite && result.color != clBlack && result.color != clWhite) result.color = clBlack;
    return result;
}

}  // namespace corvane
