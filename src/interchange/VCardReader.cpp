#include "interchange/VCardReader.h"

#include "platform/Cp1254.h"

#include <QIODevice>
#include <QStringDecoder>

namespace {

enum class Transfer { None, QuotedPrintable, Base64 };

// A property before its text is decoded: the charset of values without
// CHARSET is known only once the whole file is read.
struct RawProperty {
    QByteArray group;
    QByteArray name;
    QSet<QString> types;
    QByteArray charset; // upper case; empty when not given
    Transfer transfer = Transfer::None;
    QByteArray value;
};

struct RawCard {
    int number = 0;
    bool ended = false;
    std::vector<RawProperty> properties;
};

// Where the header (name and parameters) ends: the first colon outside
// double quotes; -1 when the line has none yet.
qsizetype headerEnd(const QByteArray& line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return -1;
}

QList<QByteArray> splitOutsideQuotes(QByteArrayView text, char separator) {
    QList<QByteArray> parts;
    QByteArray current;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == separator && !quoted) {
            parts.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    parts.append(current);
    return parts;
}

Transfer transferOf(QByteArrayView header) {
    const QByteArray upper = header.toByteArray().toUpper();
    if (upper.contains("QUOTED-PRINTABLE"))
        return Transfer::QuotedPrintable;
    for (const QByteArray& p : splitOutsideQuotes(upper, ';').mid(1))
        if (p == "BASE64" || p == "ENCODING=BASE64" || p == "ENCODING=B")
            return Transfer::Base64;
    return Transfer::None;
}

// Bare 2.1 parameters that name the transfer encoding, not a type.
const QList<QByteArray> kTransferWords = {"quoted-printable", "base64", "b", "8bit", "7bit"};

RawProperty parseProperty(const QByteArray& line, qsizetype colon) {
    RawProperty p;
    const QList<QByteArray> header = splitOutsideQuotes(QByteArrayView(line).first(colon), ';');
    p.name = header[0].trimmed().toUpper();
    if (const qsizetype dot = p.name.lastIndexOf('.'); dot >= 0) {
        p.group = p.name.left(dot);
        p.name = p.name.mid(dot + 1);
    }
    p.transfer = transferOf(QByteArrayView(line).first(colon));
    for (qsizetype i = 1; i < header.size(); ++i) {
        const QByteArray& param = header[i];
        const qsizetype eq = param.indexOf('=');
        const QByteArray key = eq < 0 ? QByteArray() : param.left(eq).trimmed().toUpper();
        const QByteArray value = eq < 0 ? param.trimmed() : param.mid(eq + 1).trimmed();
        if (key == "CHARSET") {
            p.charset = value.toUpper();
        } else if (key == "TYPE" || key.isEmpty()) {
            for (const QByteArray& t : value.split(',')) {
                const QByteArray type = t.trimmed().toLower();
                if (!type.isEmpty() && !kTransferWords.contains(type))
                    p.types.insert(QString::fromLatin1(type));
            }
        }
    }
    p.value = line.mid(colon + 1);
    return p;
}

bool isEndLine(const QByteArray& line) {
    return line.trimmed().compare("END:VCARD", Qt::CaseInsensitive) == 0;
}

// Physical lines become logical lines: folding (a line starting with a
// blank continues the one before), quoted-printable soft breaks, and the
// unindented base64 lines some 2.1 writers leave.
std::vector<RawCard> parseCards(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray& l : lines)
        if (l.endsWith('\r'))
            l.chop(1);

    std::vector<RawCard> cards;
    RawCard* open = nullptr;
    int number = 0;
    qsizetype i = 0;
    while (i < lines.size()) {
        QByteArray line = lines[i++];
        qsizetype colon = headerEnd(line);
        Transfer transfer = colon < 0 ? Transfer::None : transferOf(line.left(colon));
        while (i < lines.size()) {
            const QByteArray& next = lines[i];
            if (transfer == Transfer::QuotedPrintable && line.endsWith('=') && !isEndLine(next)) {
                line.chop(1);
                line += next;
            } else if (!next.isEmpty() && (next[0] == ' ' || next[0] == '\t')) {
                line += next.mid(1);
            } else if (transfer == Transfer::Base64 && !next.isEmpty() && !next.contains(':')) {
                line += next.trimmed();
            } else {
                break;
            }
            ++i;
            if (colon < 0 && (colon = headerEnd(line)) >= 0)
                transfer = transferOf(line.left(colon));
        }
        if (colon < 0)
            continue;
        RawProperty p = parseProperty(line, colon);
        if (p.name == "BEGIN" && p.value.trimmed().toUpper() == "VCARD") {
            cards.push_back(RawCard{++number, false, {}});
            open = &cards.back();
        } else if (!open) {
            continue;
        } else if (p.name == "END" && p.value.trimmed().toUpper() == "VCARD") {
            open->ended = true;
            open = nullptr;
        } else {
            open->properties.push_back(std::move(p));
        }
    }
    return cards;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A broken escape stays as written; a '=' at the very end (a value cut
// off after a soft break) is dropped.
QByteArray decodeQuotedPrintable(QByteArrayView in) {
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] != '=') {
            out.append(in[i]);
            continue;
        }
        if (i + 1 == in.size())
            break;
        const int hi = i + 2 < in.size() ? hexDigit(in[i + 1]) : -1;
        const int lo = i + 2 < in.size() ? hexDigit(in[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
            out.append('=');
            continue;
        }
        out.append(char(hi * 16 + lo));
        i += 2;
    }
    return out;
}

QByteArray decodeBase64(QByteArrayView text) {
    QByteArray compact;
    compact.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            compact.append(c);
    const auto result =
        QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    return result ? result.decoded : QByteArray();
}

bool hasHighBytes(QByteArrayView bytes) {
    for (char c : bytes)
        if (uchar(c) >= 0x80)
            return true;
    return false;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(QByteArrayView bytes) {
    qsizetype i = 0;
    while (i < bytes.size()) {
        const uchar c = uchar(bytes[i]);
        int more = 0;
        uint min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            more = 1;
            min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2;
            min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3;
            min = 0x10000;
        } else {
            return false;
        }
        if (i + more >= bytes.size())
            return false;
        uint code = c & (0x3F >> more);
        for (int k = 1; k <= more; ++k) {
            const uchar n = uchar(bytes[i + k]);
            if ((n & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (n & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

QString decodeText(const QByteArray& bytes, const QByteArray& charset, bool fileIsUtf8) {
    if (!hasHighBytes(bytes))
        return QString::fromLatin1(bytes);
    QByteArray name = charset;
    if (name.isEmpty())
        name = fileIsUtf8 ? "UTF-8" : "WINDOWS-1254";
    if (name == "UTF-8" || name == "UTF8")
        return QString::fromUtf8(bytes);
    if (name == "WINDOWS-1254" || name == "CP1254")
        return cp1254::decode(bytes);
    if (name == "ISO-8859-1" || name == "LATIN1")
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(name.constData());
    if (decoder.isValid())
        return decoder.decode(bytes);
    // An unknown charset: the file's own encoding is the best guess.
    return fileIsUtf8 ? QString::fromUtf8(bytes) : cp1254::decode(bytes);
}

// "data:image/jpeg;base64,...." as RFC 2397 writes it.
void decodeDataUri(const QByteArray& uri, VCardProperty& out) {
    const qsizetype comma = uri.indexOf(',');
    const QByteArray meta = uri.mid(5, comma < 0 ? -1 : comma - 5).toLower();
    const QByteArray payload = comma < 0 ? QByteArray() : uri.mid(comma + 1);
    out.inlineData = true;
    out.data =
        meta.endsWith(";base64") ? decodeBase64(payload) : QByteArray::fromPercentEncoding(payload);
}

VCardProperty decodeProperty(const RawProperty& raw, bool fileIsUtf8) {
    VCardProperty p;
    p.group = QString::fromLatin1(raw.group);
    p.name = QString::fromLatin1(raw.name);
    p.types = raw.types;
    if (raw.transfer == Transfer::Base64) {
        p.inlineData = true;
        p.data = decodeBase64(raw.value);
        return p;
    }
    if (raw.value.size() > 5 && raw.value.left(5).toLower() == "data:") {
        decodeDataUri(raw.value, p);
        return p;
    }
    const QByteArray bytes =
        raw.transfer == Transfer::QuotedPrintable ? decodeQuotedPrintable(raw.value) : raw.value;
    p.value = decodeText(bytes, raw.charset, fileIsUtf8);
    return p;
}

QByteArray withoutByteOrderMark(QByteArray bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return bytes.mid(3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                          : QStringDecoder::Utf16BE);
        return QString(utf16.decode(QByteArrayView(bytes).sliced(2))).toUtf8();
    }
    return bytes;
}

} // namespace

VCardFile readVCards(QIODevice& device) {
    VCardFile result;
    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = device.read(buffer, sizeof buffer);
        if (n < 0) {
            result.error = device.errorString();
            return result;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    const std::vector<RawCard> raw = parseCards(withoutByteOrderMark(std::move(bytes)));

    bool fileIsUtf8 = true;
    for (const RawCard& card : raw)
        for (const RawProperty& p : card.properties)
            if (fileIsUtf8 && p.charset.isEmpty() && p.transfer != Transfer::Base64) {
                const QByteArray& v = p.transfer == Transfer::QuotedPrintable
                                          ? decodeQuotedPrintable(p.value)
                                          : p.value;
                if (hasHighBytes(v) && !isValidUtf8(v))
                    fileIsUtf8 = false;
            }

    result.cards.reserve(raw.size());
    for (const RawCard& card : raw) {
        VCard c;
        c.number = card.number;
        c.ended = card.ended;
        c.properties.reserve(card.properties.size());
        for (const RawProperty& p : card.properties)
            c.properties.push_back(decodeProperty(p, fileIsUtf8));
        result.cards.push_back(std::move(c));
    }
    return result;
}

QStringList vcardComponents(QStringView value, QChar separator) {
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\') {
            ++i;
        } else if (value[i] == separator) {
            parts.append(vcardUnescape(value.mid(start, i - start)));
            start = i + 1;
        }
    }
    parts.append(vcardUnescape(value.mid(start)));
    return parts;
}

QString vcardUnescape(QStringView value) {
    if (!value.contains(u'\\'))
        return value.toString();
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 == value.size()) {
            out.append(c);
            continue;
        }
        const QChar n = value[i + 1];
        if (n == u'n' || n == u'N') {
            out.append(u'\n');
        } else if (n == u',' || n == u';' || n == u'\\') {
            out.append(n);
        } else {
            // A Windows path in a 2.1 note keeps its backslash.
            out.append(c);
            continue;
        }
        ++i;
    }
    return out;
}
