#pragma once

#include <QByteArray>
#include <QString>

// Code page 1254 (Turkish) is the encoding of every file the program reads
// or writes. One byte is always one character, so decoding then encoding
// gives back the very same bytes, the seven bytes 1254 leaves undefined
// included (they stand for the C1 controls U+0081...U+009E).
namespace cp1254 {

QString decode(QByteArrayView bytes);
// The same into out, whose buffer is reused: for decoding line by line.
void decodeInto(QByteArrayView bytes, QString& out);
// The same into room for bytes.size() characters at out.
void decodeInto(QByteArrayView bytes, char16_t* out);

// Characters 1254 cannot hold are written as '?' and listed in
// *unencodable (each once, in order of first appearance) when given.
QByteArray encode(QStringView text, QString* unencodable = nullptr);

// Appends the bytes of text to out, as encode() makes them.
void appendEncoded(QByteArray& out, QStringView text, QString* unencodable = nullptr);
// The same into room for text.size() bytes at out.
void encodeInto(char* out, QStringView text, QString* unencodable = nullptr);
// The same, a line break (CR or LF) written as a blank: a one-line value.
void encodeLineInto(char* out, QStringView text, QString* unencodable = nullptr);

bool canEncode(QChar c);
// The byte that stands for c, or -1 when 1254 cannot hold it.
int encodeChar(QChar c);

// The characters of text that 1254 cannot hold, each once.
QString unencodableCharacters(QStringView text);

} // namespace cp1254
