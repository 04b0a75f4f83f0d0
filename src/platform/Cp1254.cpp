#include "platform/Cp1254.h"

#include <QHash>
#include <QStringDecoder>

#include <array>
#include <stdexcept>

namespace cp1254 {
namespace {

struct Table {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    Table() {
        // Qt's ICU-backed converter knows the code page; build a table from
        // it once so that every later conversion is a plain lookup.
        QStringDecoder decoder("windows-1254");
        if (!decoder.isValid())
            throw std::runtime_error("The windows-1254 converter is not available.");
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            decoder.resetState();
            toUnicode[b] = s.size() == 1 ? s.at(0).unicode() : char16_t(b);
            fromUnicode.insert(toUnicode[b], byte);
        }
    }
};

const Table& table() {
    static const Table t;
    return t;
}

} // namespace

QString decode(QByteArrayView bytes) {
    const Table& t = table();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = QChar(t.toUnicode[uchar(bytes[i])]);
    return out;
}

bool canEncode(QChar c) {
    return table().fromUnicode.contains(c.unicode());
}

QByteArray encode(QStringView text, QString* unencodable) {
    const Table& t = table();
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            dst[i] = char(c);
            continue;
        }
        const auto it = t.fromUnicode.constFind(c);
        if (it != t.fromUnicode.constEnd()) {
            dst[i] = *it;
        } else {
            dst[i] = '?';
            if (unencodable && !unencodable->contains(text[i]))
                unencodable->append(text[i]);
        }
    }
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
