#pragma once
// The value types of cover objects: the enumerations whose names and order the template files
// store, and the font and pen an object draws with.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>

namespace corvane {

enum TShapeFillType { sftTransparent, sftFilledWhite, sftFilledBlack };
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
enum TLineStyle { stHorizontal, stVertical, stAngleSlopingUp, stAngleSlopingDown };
enum TCoverFieldType {
    cfDate,
    cfTime,
    cfRegarding,
    cfRecipient,
    cfRecipientFax,
    cfSender,
    cfSenderCompany,
    cfSenderFax,
    cfSenderVoice
};
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TBorderStyle { bsNone, bsSingle };
enum TFontPitch { fpDefault, fpVariable, fpFixed };

// The names the design file writes for each enumeration, indexed by ordinal.
inline constexpr std::array<const char*, 3> kShapeFillTypeNames = {
    "sftTransparent", "sftFilledWhite", "sftFilledBlack"};
inline constexpr std::array<const char*, 6> kShapeTypeNames = {
    "stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"};
inline constexpr std::array<const char*, 4> kLineStyleNames = {
    "stHorizontal", "stVertical", "stAngleSlopingUp", "stAngleSlopingDown"};
inline constexpr std::array<const char*, 9> kCoverFieldTypeNames = {
    "cfDate",   "cfTime",          "cfRegarding", "cfRecipient",  "cfRecipientFax",
    "cfSender", "cfSenderCompany", "cfSenderFax", "cfSenderVoice"};
inline constexpr std::array<const char*, 3> kAlignmentNames = {"taLeftJustify", "taRightJustify",
                                                               "taCenter"};
inline constexpr std::array<const char*, 2> kBorderStyleNames = {"bsNone", "bsSingle"};
inline constexpr std::array<const char*, 3> kFontPitchNames = {"fpDefault", "fpVariable",
                                                               "fpFixed"};

// The designer's menu caption of each field kind; a field box's caption is it in brackets.
inline constexpr std::array<const char*, 9> kCoverFieldMenuCaptions = {
    "Date",   "Time",           "Regarding",  "Recipient",   "Recipient Fax",
    "Sender", "Sender Company", "Sender Fax", "Sender Phone"};

// Screen resolution the design page and the stored font heights assume.
inline constexpr int kScreenPixelsPerInch = 96;

// Colours as stored: 0x00BBGGRR. Templates hold black ink and white paper; other values are
// kept as they were read.
using CoverColor = qint32;
inline constexpr CoverColor clBlack = 0x000000;
inline constexpr CoverColor clWhite = 0xFFFFFF;

struct CoverFont {
    QString name = QStringLiteral("Arial");
    int size = 10;  // points
    CoverColor color = clBlack;
    TFontPitch pitch = fpDefault;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    // The stored character height: negative pixels at the screen resolution (10 pt is -13).
    int height() const;
    void setHeight(int height);
    bool operator==(const CoverFont&) const = default;
};

struct CoverPen {
    CoverColor color = clBlack;
    QString mode = QStringLiteral("pmCopy");
    QString style = QStringLiteral("psSolid");
    int width = 1;
    bool operator==(const CoverPen&) const = default;
};

}  // namespace corvane
