#include "interchange/AddressBookImport.h"

#include "platform/Clock.h"
#include "platform/Cp1254.h"
#include "platform/Errors.h"
#include "platform/FileProblems.h"
#include "store/GroupTree.h"

#include <QFile>

#include <algorithm>
#include <array>

namespace {

constexpr int kFieldCount = 29;
constexpr char kEndOfFile = 26;

using Fields = std::array<QByteArray, kFieldCount>;

QString rawColumn(const Fields& f, int number) {
    return cp1254::decode(f[size_t(number - 1)]);
}

// A one-line field holds a quoted line break as the saved file will: as a
// blank, so the window shows now what it shows after reopening.
QString column(const Fields& f, int number) {
    QString text = rawColumn(f, number);
    for (QChar& c : text)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return text;
}

QString withoutOuterQuotes(QString text) {
    if (text.size() > 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        return text.mid(1, text.size() - 2);
    return text;
}

// Lines as a memo takes its text: a break after the last line adds no
// empty line, and an empty text has no lines.
QStringList noteLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char('\r') &&
               text[end] != QLatin1Char('\n'))
            ++end;
        lines.append(text.mid(start, end - start));
        if (end + 1 < text.size() && text[end] == QLatin1Char('\r') &&
            text[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    return lines;
}

void addContact(PersonRecord& p, const QString& kind, const QString& value) {
    if (!value.isEmpty())
        p.Contacts.append(kind + QLatin1Char('\t') + value);
}

std::unique_ptr<PersonRecord> makePerson(const Fields& f, int number, const QString& groupPath,
                                         const Clock& clock) {
    auto p = std::make_unique<PersonRecord>();
    p->RecordNo = QString::number(number);
    const QString first = column(f, 1);
    const QString second = column(f, 3);
    if (first.isEmpty())
        p->FirstName = second;
    else if (second.isEmpty())
        p->FirstName = first;
    else
        p->FirstName = first + QLatin1Char(' ') + second;
    p->Surname = column(f, 2);

    addContact(*p, QStringLiteral("Mail"), column(f, 6));
    p->HomeAddress1 = withoutOuterQuotes(column(f, 7));
    p->HomeCity = column(f, 8);
    p->HomePostCode = column(f, 9);
    addContact(*p, QStringLiteral("Ev"), column(f, 12));
    addContact(*p, QStringLiteral("Fax"), column(f, 13));
    addContact(*p, QStringLiteral("GSM"), column(f, 14));
    addContact(*p, QStringLiteral("Web"), column(f, 15));
    p->WorkAddress1 = withoutOuterQuotes(column(f, 16));
    p->WorkCity = column(f, 17);
    p->WorkPostCode = column(f, 18);
    addContact(*p, QStringLiteral("Web"), column(f, 21));
    addContact(*p, QStringLiteral("İş"), column(f, 22));
    addContact(*p, QStringLiteral("Fax"), column(f, 23));
    p->Firm = column(f, 25);
    p->Profession = column(f, 26);
    p->Department = column(f, 27);
    p->Notes = noteLines(withoutOuterQuotes(rawColumn(f, 29)));

    p->RecordedAt = clock.stampNow();
    p->GroupPath = groupPath;
    return p;
}

// The field splitter. Quotes toggle the quoted state and stay in the text;
// a semicolon ends a field outside quotes. A line end outside quotes (CR
// LF, LF alone or CR alone, as the exporting system wrote it) ends a field
// too, and the record once all 29 fields are in; fields past the 29th are
// dropped up to the record's line end.
class Splitter {
public:
    // Returns true when c completed a record, now in fields().
    bool take(char c) {
        const bool afterCr = lastWasCr_;
        lastWasCr_ = c == '\r';
        switch (c) {
        case '\n':
            if (afterCr)
                return false; // the LF of a CR LF pair
            if (inQuotes_) {
                current_.append(c); // a line break of an LF-only file
                return false;
            }
            return lineEnd();
        case '\r':
            if (inQuotes_) {
                current_.append(c);
                return false;
            }
            return lineEnd();
        case ';':
            if (inQuotes_)
                current_.append(c);
            else
                endField();
            return false;
        case '"':
            inQuotes_ = !inQuotes_;
            current_.append(c);
            return false;
        default:
            current_.append(c);
            return false;
        }
    }
    const Fields& fields() const { return fields_; }

private:
    bool lineEnd() {
        endField();
        if (next_ < kFieldCount)
            return false;
        next_ = 0;
        return true;
    }
    void endField() {
        if (next_ < kFieldCount)
            fields_[size_t(next_)] = current_;
        // Past the 29th, fields only count until the line ends.
        next_ = std::min(next_ + 1, kFieldCount);
        current_.clear();
    }

    Fields fields_;
    QByteArray current_;
    bool inQuotes_ = false;
    bool lastWasCr_ = false;
    int next_ = 0;
};

} // namespace

QString importCountMessage(int count) {
    return QStringLiteral("Record Count => ") + QString::number(count);
}

AddressBookRead readAddressBook(QIODevice& device, const QString& groupPath, const Clock& clock) {
    AddressBookRead result;
    Splitter splitter;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = device.read(buffer, sizeof buffer);
        if (n < 0) {
            result.error = device.errorString();
            return result;
        }
        if (n == 0)
            return result;
        for (qint64 i = 0; i < n; ++i) {
            if (buffer[i] == kEndOfFile)
                return result;
            if (splitter.take(buffer[i]))
                result.persons.push_back(makePerson(
                    splitter.fields(), int(result.persons.size()) + 1, groupPath, clock));
        }
    }
}

namespace {

QString unreadableMessage(const QString& fileName, const QString& why) {
    return QStringLiteral("\"%1\" dosyası okunamadı.\r%2").arg(fileName, why);
}

AddressBookRead openAndRead(const QString& fileName, const QString& groupPath, const Clock& clock) {
    QFile file(fileName);
    if (const auto reason = openToRead(file))
        throw ZilvarenError(unreadableMessage(fileName, *reason));
    return readAddressBook(file, groupPath, clock);
}

} // namespace

AddressBookRead readAddressBookFile(const QString& fileName, const QString& groupPath,
                                    const Clock& clock) {
    AddressBookRead read = openAndRead(fileName, groupPath, clock);
    if (read.error)
        throw ZilvarenError(unreadableMessage(fileName, *read.error));
    return read;
}

AddressBookRead readAddressBookAsFarAsItGoes(const QString& fileName, const QString& groupPath,
                                             const Clock& clock) {
    AddressBookRead read = openAndRead(fileName, groupPath, clock);
    if (read.error)
        read.error = unreadableMessage(fileName, *read.error);
    return read;
}
