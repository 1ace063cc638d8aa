#pragma once
// The dialogs cover objects open when they are created or edited: "Text", "Symbol Selector",
// "Multi-line Text Editor", "Load Image File" and the font dialog. Each returns true when the
// user pressed "Ok" and the object took the result.

#include <QString>
#include <optional>

#include "covers/cover_types.h"
#include "covers/fax_graphic_control.h"

class QWidget;

namespace corvane {

// "Text": a new caption; the box grows to fit it.
bool EditLabelText(QWidget* parent, TFaxCoverLabel& label);
// "Symbol Selector": the character codes 32 to 255 in the symbol's font.
bool ChooseSymbol(QWidget* parent, TFaxCoverSymbol& symbol);
// The grid columns of the symbol list for a font size in points.
int SymbolColumnsFor(int points);
// "Multi-line Text Editor": the object's lines.
bool EditMultiLineText(QWidget* parent, TFaxMultiLineBaseLabel& text);
// "Load Image File": a .BMP, .JPG, .JIF or .WMF file reduced to black and white. `folder` is
// where the dialog starts and, after a load, the file's folder.
bool LoadImageFromDisk(QWidget* parent, TFaxImage& image, QString& folder);
// The font dialog on `font`. With `blackOrWhite` a colour other than black or white becomes
// black (the text objects' own font command).
std::optional<CoverFont> ChooseCoverFont(QWidget* parent, const CoverFont& font, bool blackOrWhite);

}  // namespace corvane
