#pragma once
// Windows-1252, the code page of the files the program's data came from on its original
// platform: the tables' character fields and old QX.INI files. Bytes 0x80-0x9F hold
// typographic characters (the euro sign, curly quotes, Š, œ...); the rest matches Latin-1.
// Five bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) are unassigned and decode to the C1 control of the
// same value, so that any byte read from a file is written back unchanged.

#include <QByteArray>
#include <QString>
#include <string>

namespace corvane {

QString FromWindows1252(const char* bytes, size_t length);
inline QString FromWindows1252(const std::string& bytes) {
    return FromWindows1252(bytes.data(), bytes.size());
}
inline QString FromWindows1252(const QByteArray& bytes) {
    return FromWindows1252(bytes.constData(), size_t(bytes.size()));
}

// Encodes text in the code page. A character without a form becomes "?"; `replaced`, when
// given, receives how many did.
std::string ToWindows1252(const QString& text, int* replaced = nullptr);
// Whether every character of `text` has a form in the code page.
bool FitsWindows1252(const QString& text);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(const QByteArray& bytes);

// UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise: text files on this system are
// UTF-8, while files brought over from the original platform are in its code page.
QString DecodeUtf8OrWindows1252(const QByteArray& bytes);

}  // namespace corvane
