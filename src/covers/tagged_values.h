#pragma once
// The tagged value encoding both template files use. Every value starts with a tag byte:
//
//   0x00 end of list      0x01 list (values until the matching end of list)
//   0x02 int8             0x03 int16 LE         0x04 int32 LE
//   0x06 short string: u8 length, bytes         0x07 identifier: u8 length, bytes
//   0x08 False            0x09 True
//   0x0A binary: u32 LE length, bytes           0x0B set: length-prefixed identifiers, then 0
//   0x0C long string: u32 LE length, bytes      0x0D nil
//
// Integers are written in the smallest width that holds them, strings of up to 255 bytes as
// short strings; readers accept every width. Text is single-byte Latin-1. The design file also
// uses untagged names: a length byte and the bytes.
//
// TaggedReader works on a byte array it does not own and never reads past its end: every
// failure throws TaggedValueError, which the file readers turn into a Status at their edge.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace corvane {

namespace tagged {
inline constexpr char kEndOfList = 0x00;
inline constexpr char kList = 0x01;
inline constexpr char kInt8 = 0x02;
inline constexpr char kInt16 = 0x03;
inline constexpr char kInt32 = 0x04;
inline constexpr char kString = 0x06;
inline constexpr char kIdent = 0x07;
inline constexpr char kFalse = 0x08;
inline constexpr char kTrue = 0x09;
inline constexpr char kBinary = 0x0A;
inline constexpr char kSet = 0x0B;
inline constexpr char kLongString = 0x0C;
inline constexpr char kNil = 0x0D;
}  // namespace tagged

class TaggedValueError : public std::runtime_error {
  public:
    TaggedValueError(const QString& what, qsizetype offset)
        : std::runtime_error(what.toStdString()), offset_(offset) {}
    qsizetype offset() const { return offset_; }

  private:
    qsizetype offset_;
};

class TaggedWriter {
  public:
    void integer(qint32 value);
    void string(const QString& text);
    void ident(const QString& name);
    void boolean(bool value);
    void set(const QStringList& names);
    void binary(const QByteArray& bytes);
    void beginList() { bytes_.append(tagged::kList); }
    void endList() { bytes_.append(tagged::kEndOfList); }
    // Untagged: a length byte and at most 255 bytes.
    void name(const QString& text);
    void raw(const QByteArray& bytes) { bytes_.append(bytes); }

    const QByteArray& bytes() const { return bytes_; }

  private:
    QByteArray bytes_;
};

class TaggedReader {
  public:
    explicit TaggedReader(const QByteArray& bytes) : bytes_(bytes) {}

    bool atEnd() const { return pos_ >= bytes_.size(); }
    qsizetype position() const { return pos_; }
    // The next tag byte without consuming it; throws at the end of the data.
    char peekTag() const;

    qint32 integer();
    QString string();  // short or long string
    QString ident();
    bool boolean();
    QStringList set();
    QByteArray binary();
    void expect(char tag, const char* what);
    QString name();
    QByteArray raw(qint64 count);
    quint8 byte();
    // Skips one value of any kind, lists included (nesting is bounded).
    void skipValue(int depth = 0);

    [[noreturn]] void fail(const QString& what) const;

  private:
    quint32 u32();
    QByteArray take(qint64 count);

    const QByteArray& bytes_;
    qsizetype pos_ = 0;
};

}  // namespace corvane
