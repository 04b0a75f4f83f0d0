#include "interchange/TableFile.h"

#include "platform/Cp1254.h"
#include "platform/Errors.h"
#include "platform/FileProblems.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace {

constexpr char16_t kQuote = u'"';

bool startsWith(QByteArrayView bytes, const char* mark, qsizetype size) {
    return bytes.size() >= size && std::equal(mark, mark + size, bytes.data());
}

// UTF-16 without a byte order mark: Latin letters, digits and separators
// have a zero byte, at the odd places in little-endian text, at the even
// ones in big-endian; 8-bit text has next to none.
std::optional<TableEncoding> utf16ByZeros(QByteArrayView bytes) {
    const qsizetype pairs = std::min<qsizetype>(bytes.size(), 4096) / 2;
    qsizetype even = 0;
    qsizetype odd = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        even += bytes[2 * i] == 0;
        odd += bytes[2 * i + 1] == 0;
    }
    if (pairs == 0)
        return std::nullopt;
    if (odd * 4 >= pairs && even * 4 < odd)
        return TableEncoding::Utf16LE;
    if (even * 4 >= pairs && odd * 4 < even)
        return TableEncoding::Utf16BE;
    return std::nullopt;
}

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes, bool* valid) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (valid)
        *valid = !decoder.hasError();
    return text;
}

// The separator the header record holds most of, outside quotes; on a
// tie TAB, then semicolon, then comma (a comma is likelier inside a value).
QChar guessSeparator(QStringView text) {
    qsizetype commas = 0;
    qsizetype semicolons = 0;
    qsizetype tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == kQuote)
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (u == u'\n' || u == u'\r')
            break;
        else if (u == u',')
            ++commas;
        else if (u == u';')
            ++semicolons;
        else if (u == u'\t')
            ++tabs;
    }
    if (tabs > 0 && tabs >= semicolons && tabs >= commas)
        return u'\t';
    if (semicolons > 0 && semicolons >= commas)
        return u';';
    return u',';
}

} // namespace

Table decodeTable(QByteArrayView bytes) {
    Table table;
    if (startsWith(bytes, "\xEF\xBB\xBF", 3)) {
        table.text = decodeWith(QStringConverter::Utf8, bytes.sliced(3), nullptr);
    } else if (startsWith(bytes, "\xFF\xFE", 2)) {
        table.encoding = TableEncoding::Utf16LE;
        table.text = decodeWith(QStringConverter::Utf16LE, bytes.sliced(2), nullptr);
    } else if (startsWith(bytes, "\xFE\xFF", 2)) {
        table.encoding = TableEncoding::Utf16BE;
        table.text = decodeWith(QStringConverter::Utf16BE, bytes.sliced(2), nullptr);
    } else if (const auto utf16 = utf16ByZeros(bytes)) {
        table.encoding = *utf16;
        table.text = decodeWith(*utf16 == TableEncoding::Utf16LE ? QStringConverter::Utf16LE
                                                                 : QStringConverter::Utf16BE,
                                bytes, nullptr);
    } else {
        bool valid = false;
        table.text = decodeWith(QStringConverter::Utf8, bytes, &valid);
        if (!valid) {
            table.encoding = TableEncoding::Cp1254;
            table.text = cp1254::decode(bytes);
        }
    }
    table.separator = guessSeparator(table.text);
    TableRows rows(table.text, table.separator);
    if (rows.next())
        for (qsizetype i = 0; i < rows.size(); ++i)
            table.header.append(rows.field(i).trimmed().toString());
    table.bodyStart = rows.position();
    table.bodyLine = rows.nextLine();
    return table;
}

Table readTableFile(const QString& fileName) {
    const auto unreadable = [&fileName](const QString& why) {
        return ZilvarenError(QStringLiteral("\"%1\" dosyası okunamadı.\r%2")
                                 .arg(QDir::toNativeSeparators(fileName), why));
    };
    QFile file(fileName);
    if (const auto reason = openToRead(file))
        throw unreadable(*reason);
    QByteArray bytes(file.size(), Qt::Uninitialized);
    if (file.read(bytes.data(), bytes.size()) != bytes.size())
        throw unreadable(file.errorString());
    return decodeTable(bytes);
}

QString encodingName(TableEncoding encoding) {
    switch (encoding) {
    case TableEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TableEncoding::Utf16LE:
        return QStringLiteral("UTF-16 LE");
    case TableEncoding::Utf16BE:
        return QStringLiteral("UTF-16 BE");
    case TableEncoding::Cp1254:
        return QStringLiteral("Türkçe (1254)");
    }
    return {};
}

QString separatorName(QChar separator) {
    return separator == u'\t'  ? QStringLiteral("sekme")
           : separator == u';' ? QStringLiteral("noktalı virgül")
                               : QStringLiteral("virgül");
}

TableRows::TableRows(QStringView text, QChar separator, qsizetype start, int line)
    : text_(text), separator_(separator.unicode()), pos_(start), line_(line) {}

QStringView TableRows::field(qsizetype i) const {
    const Field& f = fields_[size_t(i)];
    if (f.copy >= 0)
        return copies_[size_t(f.copy)];
    return text_.sliced(f.start, f.length);
}

bool TableRows::next() {
    fields_.clear();
    copiesUsed_ = 0;
    unclosed_ = false;
    const qsizetype n = text_.size();
    if (pos_ >= n)
        return false;
    recordLine_ = line_;
    const char16_t* s = text_.utf16();
    const auto endsField = [&](qsizetype k) {
        return s[k] == separator_ || s[k] == u'\n' || s[k] == u'\r';
    };
    // A field whose text is not one piece of the text gets a copy.
    const auto newCopy = [this] {
        if (copiesUsed_ == int(copies_.size()))
            copies_.emplace_back();
        copies_[size_t(copiesUsed_)].clear();
        return copiesUsed_++;
    };
    qsizetype i = pos_;
    for (;;) {
        Field f{i, 0, -1};
        if (i < n && s[i] == kQuote) {
            qsizetype j = i + 1;
            qsizetype from = j; // the part not yet copied
            for (; j < n; ++j) {
                if (s[j] == kQuote) {
                    if (j + 1 >= n || s[j + 1] != kQuote)
                        break;
                    if (f.copy < 0)
                        f.copy = newCopy();
                    copies_[size_t(f.copy)].append(QStringView(s + from, j + 1 - from));
                    from = ++j + 1;
                } else if (s[j] == u'\n' || (s[j] == u'\r' && (j + 1 >= n || s[j + 1] != u'\n'))) {
                    ++line_;
                }
            }
            unclosed_ = j >= n;
            const qsizetype closing = j;
            qsizetype k = std::min(closing + 1, n);
            const qsizetype tail = k;
            while (k < n && !endsField(k))
                ++k;
            if (f.copy >= 0 || k > tail) {
                if (f.copy < 0)
                    f.copy = newCopy();
                copies_[size_t(f.copy)].append(QStringView(s + from, closing - from));
                copies_[size_t(f.copy)].append(QStringView(s + tail, k - tail));
            } else {
                f.start = i + 1;
                f.length = closing - i - 1;
            }
            i = k;
        } else {
            qsizetype k = i;
            while (k < n && !endsField(k))
                ++k;
            f.length = k - i;
            i = k;
        }
        fields_.push_back(f);
        if (i >= n) {
            pos_ = n;
            return true;
        }
        if (s[i] == separator_) {
            ++i;
            continue;
        }
        if (s[i] == u'\r' && i + 1 < n && s[i + 1] == u'\n')
            ++i;
        pos_ = i + 1;
        ++line_;
        return true;
    }
}
