#include "core/windows1252.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace corvane {

namespace {

// Characters of bytes 0x80-0x9F; the unassigned ones map to themselves.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int EncodeChar(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    const auto* at = std::find(kHighControls.begin(), kHighControls.end(), c);
    return at == kHighControls.end() ? -1 : int(0x80 + (at - kHighControls.begin()));
}

}  // namespace

QString FromWindows1252(const char* bytes, size_t length) {
    QString text(qsizetype(length), Qt::Uninitialized);
    QChar* out = text.data();
    for (size_t i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = b >= 0x80 && b < 0xA0 ? QChar(kHighControls[b - 0x80]) : QChar(b);
    }
    return text;
}

std::string ToWindows1252(const QString& text, int* replaced) {
    std::string bytes;
    bytes.reserve(size_t(text.size()));
    int unmapped = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int b = EncodeChar(c);
        if (b < 0) {
            ++unmapped;
            b = '?';
            // A character outside the basic plane is one "?", not two.
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
        }
        bytes.push_back(char(b));
    }
    if (replaced) *replaced = unmapped;
    return bytes;
}

bool FitsWindows1252(const QString& text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return EncodeChar(c.unicode()) >= 0; });
}

bool IsValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString DecodeUtf8OrWindows1252(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? FromWindows1252(bytes) : text;
}

}  // namespace corvane
