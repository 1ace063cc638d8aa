#include "covers/tagged_values.h"

#include <QtEndian>

#include "core/windows1252.h"

namespace corvane {

namespace {

// Lists inside lists only occur one level deep in templates; deeper ones are damage.
constexpr int kMaxNesting = 16;

}  // namespace

void TaggedWriter::integer(qint32 value) {
    if (value >= -128 && value <= 127) {
        bytes_.append(tagged::kInt8);
        bytes_.append(static_cast<char>(value));
    } else if (value >= -32768 && value <= 32767) {
        bytes_.append(tagged::kInt16);
        char buf[2];
        qToLittleEndian<qint16>(static_cast<qint16>(value), buf);
        bytes_.append(buf, 2);
    } else {
        bytes_.append(tagged::kInt32);
        char buf[4];
        qToLittleEndian<qint32>(value, buf);
        bytes_.append(buf, 4);
    }
}

void TaggedWriter::string(const QString& text) {
    const QByteArray encoded = QByteArray::fromStdString(ToWindows1252(text));
    if (encoded.size() <= 255) {
        bytes_.append(tagged::kString);
        bytes_.append(static_cast<char>(encoded.size()));
    } else {
        bytes_.append(tagged::kLongString);
        char buf[4];
        qToLittleEndian<quint32>(static_cast<quint32>(encoded.size()), buf);
        bytes_.append(buf, 4);
    }
    bytes_.append(encoded);
}

void TaggedWriter::ident(const QString& name) {
    bytes_.append(tagged::kIdent);
    this->name(name);
}

void TaggedWriter::boolean(bool value) {
    bytes_.append(value ? tagged::kTrue : tagged::kFalse);
}

void TaggedWriter::set(const QStringList& names) {
    bytes_.append(tagged::kSet);
    for (const QString& n : names) name(n);
    bytes_.append('\0');
}

void TaggedWriter::binary(const QByteArray& bytes) {
    bytes_.append(tagged::kBinary);
    char buf[4];
    qToLittleEndian<quint32>(static_cast<quint32>(bytes.size()), buf);
    bytes_.append(buf, 4);
    bytes_.append(bytes);
}

void TaggedWriter::name(const QString& text) {
    const QByteArray encoded = QByteArray::fromStdString(ToWindows1252(text)).left(255);
    bytes_.append(static_cast<char>(encoded.size()));
    bytes_.append(encoded);
}

void TaggedReader::fail(const QString& what) const {
    throw TaggedValueError(what, pos_);
}

char TaggedReader::peekTag() const {
    if (atEnd()) fail(QStringLiteral("unexpected end of data"));
    return bytes_[pos_];
}

quint8 TaggedReader::byte() {
    if (atEnd()) fail(QStringLiteral("unexpected end of data"));
    return static_cast<quint8>(bytes_[pos_++]);
}

QByteArray TaggedReader::take(qint64 count) {
    // Lengths come from the file: check them against what is left before allocating.
    if (count < 0 || count > bytes_.size() - pos_)
        fail(QStringLiteral("length %1 runs past the end of the data").arg(count));
    QByteArray out = bytes_.mid(pos_, static_cast<qsizetype>(count));
    pos_ += static_cast<qsizetype>(count);
    return out;
}

QByteArray TaggedReader::raw(qint64 count) {
    return take(count);
}

quint32 TaggedReader::u32() {
    const QByteArray b = take(4);
    return qFromLittleEndian<quint32>(b.constData());
}

qint32 TaggedReader::integer() {
    const char tag = static_cast<char>(byte());
    switch (tag) {
        case tagged::kInt8:
            return static_cast<qint8>(byte());
        case tagged::kInt16: {
            const QByteArray b = take(2);
            return qFromLittleEndian<qint16>(b.constData());
        }
        case tagged::kInt32: {
            const QByteArray b = take(4);
            return qFromLittleEndian<qint32>(b.constData());
        }
        default:
            --pos_;
            fail(QStringLiteral("integer expected"));
    }
}

QString TaggedReader::string() {
    const char tag = static_cast<char>(byte());
    if (tag == tagged::kString || tag == tagged::kIdent) return FromWindows1252(take(byte()));
    if (tag == tagged::kLongString) return FromWindows1252(take(u32()));
    --pos_;
    fail(QStringLiteral("string expected"));
}

QString TaggedReader::ident() {
    expect(tagged::kIdent, "identifier");
    return FromWindows1252(take(byte()));
}

bool TaggedReader::boolean() {
    const char tag = static_cast<char>(byte());
    if (tag == tagged::kFalse) return false;
    if (tag == tagged::kTrue) return true;
    --pos_;
    fail(QStringLiteral("Boolean expected"));
}

QStringList TaggedReader::set() {
    expect(tagged::kSet, "set");
    QStringList names;
    for (;;) {
        const quint8 length = byte();
        if (length == 0) return names;
        names << FromWindows1252(take(length));
    }
}

QByteArray TaggedReader::binary() {
    expect(tagged::kBinary, "binary value");
    return take(u32());
}

void TaggedReader::expect(char tag, const char* what) {
    if (atEnd() || bytes_[pos_] != tag)
        fail(QStringLiteral("%1 expected").arg(QLatin1String(what)));
    ++pos_;
}

QString TaggedReader::name() {
    return FromWindows1252(take(byte()));
}

void TaggedReader::skipValue(int depth) {
    if (depth > kMaxNesting) fail(QStringLiteral("lists nested too deeply"));
    const char tag = peekTag();
    switch (tag) {
        case tagged::kList:
            ++pos_;
            while (peekTag() != tagged::kEndOfList) skipValue(depth + 1);
            ++pos_;
            return;
        case tagged::kInt8:
        case tagged::kInt16:
        case tagged::kInt32:
            integer();
            return;
        case tagged::kString:
        case tagged::kLongString:
            string();
            return;
        case tagged::kIdent:
            ident();
            return;
        case tagged::kFalse:
        case tagged::kTrue:
        case tagged::kNil:
            ++pos_;
            return;
        case tagged::kBinary:
            binary();
            return;
        case tagged::kSet:
            set();
            return;
        default:
            fail(
                QStringLiteral("unknown value tag 0x%1").arg(quint8(tag), 2, 16, QLatin1Char('0')));
    }
}

}  // namespace corvane
