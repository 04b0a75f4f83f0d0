#pragma once

#include <QString>
#include <QStringList>

#include <vector>

inline const QString kTableFileFilter =
    QStringLiteral("Tablo dosyaları (*.csv *.txt *.tsv)|*.csv;*.txt;*.tsv|Tüm dosyalar (*)|*");

enum class TableEncoding { Utf8, Utf16LE, Utf16BE, Cp1254 };

// A table file (CSV from Excel, Google Contacts, Outlook or a hand-made
// list) decoded whole. The first record is the header.
struct Table {
    QString text;
    TableEncoding encoding = TableEncoding::Utf8;
    QChar separator = u',';
    QStringList header;
    qsizetype bodyStart = 0; // where the record after the header begins
    int bodyLine = 2;        // the line it begins on
};

// Finds the encoding from the bytes: a byte order mark (UTF-8, UTF-16 LE
// or BE); else UTF-16 by the zero bytes of its Latin letters; else UTF-8
// when the bytes are valid UTF-8; else code page 1254. The separator is
// the one of comma, semicolon and TAB the header holds most of outside
// quotes.
Table decodeTable(QByteArrayView bytes);

// Reads and decodes a file; throws ZilvarenError with the message to show.
Table readTableFile(const QString& fileName);

// "UTF-8", "UTF-16 LE", "Türkçe (1254)"; "noktalı virgül", "sekme".
QString encodingName(TableEncoding encoding);
QString separatorName(QChar separator);

// The records of a table, one at a time: fields separated by the
// separator, a record ended by a line end (CR LF, LF or CR) outside
// quotes. A field that starts with a quote runs to the next lone quote
// ("" inside it is one quote) and may hold separators and line breaks;
// text after its closing quote is kept. Fields are views into the text
// (or into the record's own copy when quotes were doubled), valid until
// the next record.
class TableRows {
public:
    TableRows(QStringView text, QChar separator, qsizetype start = 0, int line = 1);
    // Steps to the next record; false at the end of the text.
    bool next();
    qsizetype size() const { return qsizetype(fields_.size()); }
    QStringView field(qsizetype i) const;
    // The line the record began on.
    int line() const { return recordLine_; }
    // Where the next record begins, and on which line.
    qsizetype position() const { return pos_; }
    int nextLine() const { return line_; }
    // Whether the record's last field opened a quote the text never closed.
    bool unclosedQuote() const { return unclosed_; }

private:
    struct Field {
        qsizetype start = 0;
        qsizetype length = 0;
        int copy = -1; // index into copies_ when the field is unescaped
    };

    QStringView text_;
    char16_t separator_;
    qsizetype pos_;
    int line_;
    int recordLine_ = 0;
    bool unclosed_ = false;
    std::vector<Field> fields_;
    std::vector<QString> copies_;
    int copiesUsed_ = 0;
};
