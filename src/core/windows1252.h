#pragma once
// Windows-1252, the code page of the files the program's data came from on its original
// platform. Bytes 0x80-0x9F hold typographic characters (the euro sign, curly quotes, Š, œ...);
// the rest matches Latin-1. Five bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) are unassigned and decode
// to the C1 control of the same value, as the platform's own conversion does.

#include <QByteArray>
#include <QString>

namespace corvane {

QString DecodeWindows1252(const QByteArray& bytes);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(const QByteArray& bytes);

// UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise: text files on this system are
// UTF-8, while files brought over from the original platform are in its code page.
QString DecodeUtf8OrWindows1252(const QByteArray& bytes);

}  // namespace corvane
