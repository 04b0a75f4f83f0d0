#include "store/RecordFileReader.h"

#include "platform/Cp1254.h"
#include "platform/FileProblems.h"
#include "store/BirthDate.h"

#include <QBuffer>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <exception>
#include <limits>

const std::array<QString, FindCheckCount> kFindCheckKeys = {
    QStringLiteral("ID"),    QStringLiteral("AdSoyad"), QStringLiteral("Tel"),
    QStringLiteral("Adres"), QStringLiteral("Firma"),   QStringLiteral("Notlar"),
    QStringLiteral("Grup"),  QStringLiteral("Tamami")};

std::optional<int> parseFileInteger(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

namespace {

// Walks the file a line at a time, reading the device in pieces and
// decoding only the line it stands on: neither the file's bytes nor its
// text are ever held whole.
class Reader {
public:
    Reader(QIODevice& device, const PersonVisitor* visit) : device_(device), visit_(visit) {}

    RecordFileData read() {
        try {
            walk();
        } catch (const RecordFileError&) {
            throw; // the device failed: nothing read counts
        } catch (const ZilvarenError& e) {
            data_.error = e.message();
            data_.errorLine = lineNumber_;
        }
        return std::move(data_);
    }

private:
    static constexpr qsizetype kPiece = 64 * 1024;

    // Appends the next piece of the device to the buffer, first dropping
    // what the walk has passed; returns how far the kept bytes moved.
    qsizetype readMore() {
        const qsizetype moved = next_;
        buffer_.remove(0, next_);
        next_ = 0;
        const qsizetype kept = buffer_.size();
        buffer_.resize(kept + kPiece);
        const qint64 n = device_.read(buffer_.data() + kept, kPiece);
        if (n < 0) {
            const auto* file = qobject_cast<const QFileDevice*>(&device_);
            throw RecordFileError(
                QStringLiteral("\"%1\" dosyası okunamadı.\r%2")
                    .arg(file ? file->fileName() : QString(), device_.errorString()));
        }
        buffer_.resize(kept + qsizetype(n));
        atEnd_ = n == 0;
        return moved;
    }
    bool hasNext() {
        while (next_ >= buffer_.size() && !atEnd_)
            readMore();
        return next_ < buffer_.size();
    }
    // A line ends at CR, LF or CR LF; text after the last line end is a
    // line too.
    bool advance() {
        if (!hasNext())
            return false;
        qsizetype end = next_;
        for (;;) {
            const char* data = buffer_.constData();
            while (end < buffer_.size() && data[end] != '\r' && data[end] != '\n')
                ++end;
            // A CR that ends the piece may have its LF in the next one.
            const bool complete =
                end + 1 < buffer_.size() || (end < buffer_.size() && data[end] == '\n');
            if (complete || atEnd_)
                break;
            end -= readMore();
        }
        const qsizetype start = next_;
        next_ = end;
        const char* data = buffer_.constData();
        if (next_ < buffer_.size())
            next_ += data[next_] == '\r' && next_ + 1 < buffer_.size() && data[next_ + 1] == '\n'
                         ? 2
                         : 1;
        cp1254::decodeInto(QByteArrayView(buffer_).sliced(start, end - start), current_);
        ++lineNumber_;
        return true;
    }
    // The line the walk stands on; valid until the next advance().
    QStringView current() const { return current_; }
    bool nextStartsWith(char c) {
        // Every marker character is ASCII, the same byte in the code page.
        return hasNext() && buffer_.constData()[next_] == c;
    }
    // "From character n on" (1-based), empty when the line is shorter.
    static QString from(QStringView l, qsizetype n) { return l.mid(n - 1).toString(); }
    static QStringView chars(QStringView l, qsizetype first, qsizetype count) {
        return first - 1 < l.size() ? l.mid(first - 1, count) : QStringView();
    }
    // Tags are short ASCII: compared unit by unit, which is what a line
    // costs most of the time.
    static bool hasTag(QStringView l, QStringView tag) {
        return l.size() >= tag.size() &&
               std::equal(tag.utf16(), tag.utf16() + tag.size(), l.utf16());
    }
    // Values drawn from a small set (names, places, firms, group paths,
    // time stamps) are kept once and shared by every person that has them.
    QString shared(QStringView l, qsizetype n) {
        const QStringView value = chars(l, n, -1);
        if (value.isEmpty())
            return {};
        // Persons handed on one by one are not kept: nothing to share.
        if (visit_)
            return value.toString();
        const auto it = pool_.constFind(value);
        if (it != pool_.constEnd())
            return *it;
        const QString kept = value.toString();
        pool_.insert(QStringView(kept), kept);
        return kept;
    }

    // Moves over the following level-2 lines, handing each to f.
    template <typename F> void runOfLevel2(F&& f) {
        while (nextStartsWith('2')) {
            advance();
            f(current());
        }
    }

    void walk() {
        while (advance()) {
            QStringView l = current();
            if (hasTag(l, u"1 IDNO "))
                data_.focusedRecordNo = from(l, 8);
            if (hasTag(l, u"1 GRUP ")) {
                data_.focusedGroupPath = from(l, 8);
                runOfLevel2([this](QStringView g) {
                    if (hasTag(g, u"2 GRUP"))
                        groupLine(from(g, 8));
                });
                l = current();
            }
            if (hasTag(l, u"1 FIND ")) {
                runOfLevel2([this](QStringView f) { findLine(f); });
                l = current();
            }
            if (hasTag(l, u"1 SETS ")) {
                runOfLevel2([this](QStringView s) { settingsLine(s); });
                l = current();
            }
            if (hasTag(l, u"0 ID "))
                personBlock(from(l, 6));
        }
    }

    void groupLine(const QString& path) {
        GroupNode* node = resolveGroupPath(*data_.groups, path, false);
        if (node && path == data_.focusedGroupPath)
            data_.groupToSelect = node;
    }

    void findLine(QStringView l) {
        if (hasTag(l, u"2 ITEM")) {
            data_.findItems.append(from(l, 8));
        } else if (hasTag(l, u"2 CHEK")) {
            const QStringView rest = l.mid(7);
            for (int c = CheckID; c <= CheckGrup; ++c) {
                if (rest.startsWith(kFindCheckKeys[size_t(c)])) {
                    data_.findChecks[size_t(c)] = l.endsWith(QLatin1Char('1'));
                    break;
                }
            }
        }
    }

    static int settingValue(QStringView l, qsizetype maxLength) {
        const qsizetype eq = l.indexOf(QLatin1Char('='));
        const QStringView text = eq < 0 ? QStringView() : l.mid(eq + 1, maxLength);
        const auto v = parseFileInteger(text);
        if (!v)
            throw ZilvarenError(
                QStringLiteral("'%1' is not a valid integer value").arg(text.toString()));
        return *v;
    }

    void settingsLine(QStringView l) {
        if (!hasTag(l, u"2 CHEK"))
            return;
        const QStringView rest = l.mid(7);
        if (rest.startsWith(u"SaveAndClose"))
            data_.saveAndClose = l.endsWith(QLatin1Char('1'));
        else if (rest.startsWith(u"FindWords"))
            data_.findWords = settingValue(l, 10);
        else if (rest.startsWith(u"Panel_Grup_Height"))
            data_.panelGrupHeight = settingValue(l, 18);
        else if (rest.startsWith(u"Panel_Main_Width"))
            data_.panelMainWidth = settingValue(l, 17);
    }

    static double birthDate(QStringView l) {
        const int day = parseFileInteger(chars(l, 8, 2)).value_or(1);
        const int month = parseFileInteger(chars(l, 11, 2)).value_or(1);
        const int year = parseFileInteger(chars(l, 14, 4)).value_or(2000);
        const QDate date(year, month, day);
        if (year < 1 || year > 9999 || !date.isValid())
            throw ZilvarenError(QStringLiteral("Invalid argument to date encode"));
        return birthdate::fromDate(date);
    }

    void personBlock(QString recordNo) {
        PersonRecord streamed;
        PersonRecord* p = &streamed;
        if (!visit_) {
            data_.persons.push_back(std::make_unique<PersonRecord>());
            p = data_.persons.back().get();
        }
        p->RecordNo = std::move(recordNo);
        // A person whose block a bad line cut short is still filed; the
        // first error is the one to report.
        std::exception_ptr failure;
        try {
            personLines(*p);
        } catch (const ZilvarenError&) {
            failure = std::current_exception();
        }
        try {
            fileIntoGroup(*p);
        } catch (const ZilvarenError&) {
            if (!failure)
                failure = std::current_exception();
        }
        if (visit_)
            (*visit_)(*p, data_);
        if (failure)
            std::rethrow_exception(failure);
    }

    void personLines(PersonRecord& p) {
        while (hasNext() && !nextStartsWith('0')) {
            advance();
            // One tag a line; the view is of this line only, so no test may
            // follow a run that moved on.
            const QStringView l = current();
            if (hasTag(l, u"1 NAME"))
                p.FirstName = shared(l, 8);
            else if (hasTag(l, u"1 SURN"))
                p.Surname = shared(l, 8);
            else if (hasTag(l, u"1 SEX "))
                p.Sex = l.size() >= 7 ? l[6] : QChar();
            else if (hasTag(l, u"1 FAMS "))
                p.MaritalStatus = l.size() >= 8 ? l[7] : QChar();
            else if (hasTag(l, u"1 BIRT"))
                runOfLevel2([&p, this](QStringView b) {
                    if (chars(b, 3, 4) == u"PLAC")
                        p.BirthPlace = shared(b, 8);
                    else if (chars(b, 3, 4) == u"DATE")
                        p.BirthDate = birthDate(b);
                });
            else if (hasTag(l, u"1 ADRS"))
                runOfLevel2([&p, this](QStringView a) { addressLine(p, a); });
            else if (hasTag(l, u"1 PHON")) {
                runOfLevel2([this](QStringView c) {
                    if (hasTag(c, u"2 CONT"))
                        entries_.append(from(c, 8));
                });
                takeEntries(p.Contacts);
            } else if (hasTag(l, u"1 OBJE")) {
                runOfLevel2([&p, this](QStringView o) {
                    if (hasTag(o, u"2 CONT"))
                        entries_.append(from(o, 8));
                    else if (hasTag(o, u"2 INDX"))
                        p.PictureIndex = parseFileInteger(o.mid(7)).value_or(0);
                });
                takeEntries(p.Pictures);
            } else if (hasTag(l, u"1 GRUP"))
                p.GroupPath = shared(l, 8);
            else if (hasTag(l, u"1 TIME"))
                runOfLevel2([&p, this](QStringView t) {
                    if (chars(t, 3, 4) == u"RECD")
                        p.RecordedAt = shared(t, 8);
                    else if (chars(t, 3, 4) == u"EDIT")
                        p.EditedAt = shared(t, 8);
                });
            else if (hasTag(l, u"1 NOTE")) {
                runOfLevel2([this](QStringView n) {
                    if (hasTag(n, u"2 CONT"))
                        entries_.append(from(n, 8));
                });
                takeEntries(p.Notes);
            }
        }
    }

    // A list gets just the room its entries take: a file holds many small
    // lists, and a growing list keeps spare room.
    void takeEntries(QStringList& list) {
        if (list.isEmpty())
            list = QStringList(entries_.cbegin(), entries_.cend());
        else
            list.append(entries_);
        entries_.clear();
    }

    void addressLine(PersonRecord& p, QStringView a) {
        const QStringView tag = chars(a, 3, 4);
        QString* field = tag == u"HOM1"   ? &p.HomeAddress1
                         : tag == u"HOM2" ? &p.HomeAddress2
                         : tag == u"HOM3" ? &p.HomePostCode
                         : tag == u"HOM4" ? &p.HomeCity
                         : tag == u"COMP" ? &p.Firm
                         : tag == u"SECT" ? &p.Department
                         : tag == u"TITL" ? &p.Profession
                         : tag == u"WRK1" ? &p.WorkAddress1
                         : tag == u"WRK2" ? &p.WorkAddress2
                         : tag == u"WRK3" ? &p.WorkPostCode
                         : tag == u"WRK4" ? &p.WorkCity
                                          : nullptr;
        // Street lines are mostly one person's own; the rest repeat.
        if (field == &p.HomeAddress1 || field == &p.HomeAddress2 || field == &p.WorkAddress1 ||
            field == &p.WorkAddress2)
            *field = from(a, 8);
        else if (field)
            *field = shared(a, 8);
    }

    // Counted once, with the path the block ended with, so that the tree's
    // counts always equal the persons filed.
    void fileIntoGroup(PersonRecord& p) {
        if (p.GroupPath.isEmpty())
            p.GroupPath = kNoGroupPath;
        // Most persons share a few paths: resolve each distinct path once.
        // New groups are only ever appended, so a resolved path keeps
        // resolving to the same node.
        try {
            addToMemberChain(resolved(p.GroupPath), 1);
        } catch (const ZilvarenError&) {
            // A path too deep to read: the person stays, in no group.
            p.GroupPath = kNoGroupPath;
            addToMemberChain(resolved(p.GroupPath), 1);
            throw;
        }
    }

    GroupNode* resolved(const QString& path) {
        auto it = resolved_.constFind(path);
        if (it == resolved_.constEnd())
            it = resolved_.insert(path, resolveGroupPath(*data_.groups, path, false));
        return *it;
    }

    QIODevice& device_;
    const PersonVisitor* visit_;
    QByteArray buffer_;
    bool atEnd_ = false;
    qsizetype next_ = 0;
    QString current_;
    int lineNumber_ = 0;
    RecordFileData data_;
    QHash<QString, GroupNode*> resolved_;
    QHash<QStringView, QString> pool_;
    QStringList entries_;
};

} // namespace

RecordFileData parseRecordText(const QString& text) {
    QByteArray bytes = cp1254::encode(text);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return Reader(buffer, nullptr).read();
}

RecordFileData readRecordFile(QIODevice& device) {
    return Reader(device, nullptr).read();
}

RecordFileData readRecordFile(QIODevice& device, const PersonVisitor& visit) {
    return Reader(device, &visit).read();
}

namespace {

template <typename Read> RecordFileData readFile(const QString& path, Read&& read) {
    QFile file(path);
    if (const auto reason = openToRead(file))
        throw RecordFileError(QStringLiteral("\"%1\" dosyası okunamadı.\r%2").arg(path, *reason));
    return read(file);
}

} // namespace

RecordFileData readRecordFile(const QString& path) {
    return readFile(path, [](QIODevice& file) { return readRecordFile(file); });
}

RecordFileData readRecordFile(const QString& path, const PersonVisitor& visit) {
    return readFile(path, [&visit](QIODevice& file) { return readRecordFile(file, visit); });
}
