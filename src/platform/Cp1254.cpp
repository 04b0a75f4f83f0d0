#include "platform/Cp1254.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace cp1254 {
namespace {

// Eight bytes and eight characters as vectors, which the compiler widens
// and narrows in a few instructions.
using Bytes8 = uchar __attribute__((vector_size(8)));
using Units8 = quint16 __attribute__((vector_size(16)));

constexpr quint64 kOnes = 0x0101010101010101ULL;
constexpr quint64 kHighBytes = 0x8080808080808080ULL;
// Four characters of which none is ASCII's when any of these bits is set.
constexpr quint64 kNonAsciiUnits = 0xFF80FF80FF80FF80ULL;

// Whether one of the eight bytes of word is byte.
constexpr bool hasByte(quint64 word, char byte) {
    const quint64 x = word ^ (kOnes * uchar(byte));
    return ((x - kOnes) & ~x & kHighBytes) != 0;
}

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

// Built at first use; after that one test of a pointer, which the
// compiler keeps in line with the lookups.
const Table* built = nullptr;

const Table& build() {
    static const Table t;
    built = &t;
    return t;
}

inline const Table& table() {
    return built ? *built : build();
}

} // namespace

void decodeInto(QByteArrayView bytes, char16_t* out) {
    const auto* src = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    if (n < 8) {
        for (qsizetype i = 0; i < n; ++i)
            out[i] = src[i] < 0x80 ? src[i] : table().toUnicode[src[i]];
        return;
    }
    // Most text is ASCII, which is its own code: eight bytes are widened at
    // once, then the few others looked up. The last eight end the text,
    // overlapping the eight before them.
    for (qsizetype i = 0; i < n; i = std::min(i + 8, n - 8)) {
        Bytes8 b;
        std::memcpy(&b, src + i, 8);
        const Units8 u = __builtin_convertvector(b, Units8);
        std::memcpy(out + i, &u, 16);
        quint64 high;
        std::memcpy(&high, src + i, 8);
        for (high &= kHighBytes; high != 0; high &= high - 1) {
            const qsizetype k = i + std::countr_zero(high) / 8;
            out[k] = table().toUnicode[src[k]];
        }
        if (i == n - 8)
            break;
    }
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

namespace {

template <bool BreaksAsBlanks> void encodeText(char* dst, QStringView text, QString* unencodable) {
    const char16_t* src = text.utf16();
    const qsizetype n = text.size();
    const auto one = [&](qsizetype i) {
        const char16_t c = src[i];
        if (c < 0x80) { // its own byte
            dst[i] = BreaksAsBlanks && (c == u'\r' || c == u'\n') ? ' ' : char(c);
            return;
        }
        const qint16 byte = table().fromUnicode[c];
        if (byte >= 0) {
            dst[i] = char(byte);
            return;
        }
        dst[i] = '?';
        if (unencodable && !unencodable->contains(QChar(c)))
            unencodable->append(QChar(c));
    };
    qsizetype i = 0;
    // Eight ASCII characters are narrowed at once.
    for (; i + 8 <= n; i += 8) {
        quint64 words[2];
        std::memcpy(words, src + i, 16);
        if (((words[0] | words[1]) & kNonAsciiUnits) != 0) {
            for (qsizetype k = i; k < i + 8; ++k)
                one(k);
            continue;
        }
        Units8 u;
        std::memcpy(&u, src + i, 16);
        const Bytes8 b = __builtin_convertvector(u, Bytes8);
        std::memcpy(dst + i, &b, 8);
        quint64 word;
        std::memcpy(&word, &b, 8);
        if (BreaksAsBlanks && (hasByte(word, '\r') || hasByte(word, '\n')))
            for (qsizetype k = i; k < i + 8; ++k)
                if (dst[k] == '\r' || dst[k] == '\n')
                    dst[k] = ' ';
    }
    for (; i < n; ++i)
        one(i);
}

} // namespace

void encodeInto(char* dst, QStringView text, QString* unencodable) {
    encodeText<false>(dst, text, unencodable);
}

void encodeLineInto(char* dst, QStringView text, QString* unencodable) {
    encodeText<true>(dst, text, unencodable);
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
