#include "platform/Cp1254.h"

#include <QStringDecoder>

#include <array>
#include <cstring>
#include <stdexcept>

namespace cp1254 {
namespace {

struct Table {
    std::array<char16_t, 256> toUnicode{};
    // The byte of every character 1254 holds, -1 for the others: one
    // lookup per character whatever the text.
    std::array<qint16, 65536> fromUnicode;

    Table() {
        // Qt's ICU-backed converter knows the code page; build a table from
        // it once so that every later conversion is a plain lookup.
        fromUnicode.fill(-1);
        QStringDecoder decoder("windows-1254");
        if (!decoder.isValid())
            throw std::runtime_error("The windows-1254 converter is not available.");
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            decoder.resetState();
            toUnicode[b] = s.size() == 1 ? s.at(0).unicode() : char16_t(b);
            fromUnicode[toUnicode[b]] = qint16(uchar(byte));
        }
    }
};

const Table& table() {
    static const Table t;
    return t;
}

} // namespace

void decodeInto(QByteArrayView bytes, char16_t* out) {
    const Table& t = table();
    const auto* src = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    // Most text is ASCII, which is its own code: eight bytes at a time.
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, src + i, 8);
        if (word & 0x8080808080808080ULL) {
            for (qsizetype k = i; k < i + 8; ++k)
                out[k] = t.toUnicode[src[k]];
        } else {
            for (qsizetype k = i; k < i + 8; ++k)
                out[k] = src[k];
        }
    }
    for (; i < n; ++i)
        out[i] = t.toUnicode[src[i]];
}

void decodeInto(QByteArrayView bytes, QString& out) {
    out.resize(bytes.size());
    decodeInto(bytes, reinterpret_cast<char16_t*>(out.data()));
}

QString decode(QByteArrayView bytes) {
    QString out;
    decodeInto(bytes, out);
    return out;
}

bool canEncode(QChar c) {
    return table().fromUnicode[c.unicode()] >= 0;
}

int encodeChar(QChar c) {
    return table().fromUnicode[c.unicode()];
}

void appendEncoded(QByteArray& out, QStringView text, QString* unencodable) {
    const qsizetype start = out.size();
    out.resize(start + text.size());
    encodeInto(out.data() + start, text, unencodable);
}

void encodeInto(char* dst, QStringView text, QString* unencodable) {
    const Table& t = table();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const qint16 byte = t.fromUnicode[c];
        if (byte >= 0) {
            dst[i] = char(byte);
        } else {
            dst[i] = '?';
            if (unencodable && !unencodable->contains(text[i]))
                unencodable->append(text[i]);
        }
    }
}

QByteArray encode(QStringView text, QString* unencodable) {
    QByteArray out;
    appendEncoded(out, text, unencodable);
    return out;
}

QString unencodableCharacters(QStringView text) {
    QString bad;
    for (QChar c : text)
        if (!canEncode(c) && !bad.contains(c))
            bad.append(c);
    return bad;
}

} // namespace cp1254
