#include "store/RecordFileReader.h"

#include "platform/Cp1254.h"
#include "store/BirthDate.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <bit>
#include <cstring>
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
        // Some other file (an address book, a picture): taking it for an
        // empty record file would let the next save destroy it. An empty
        // file has nothing to lose.
        if (!recordLineSeen_ && lineNumber_ > 0) {
            const auto* file = qobject_cast<const QFileDevice*>(&device_);
            throw RecordFileError(notARecordFileMessage(file ? file->fileName() : QString()));
        }
        return std::move(data_);
    }

private:
    static constexpr qsizetype kPiece = 64 * 1024;

    // Appends the next piece of the device to the buffer, first dropping
    // what the walk has passed; returns how far the kept bytes moved.
    qsizetype readMore() {
        if (!decoded_)
            decodeLine(); // its bytes are about to go
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
    // The first CR or LF at or after from, else size; eight bytes at a time,
    // the first of them found by its bit (a false find only ever follows a
    // true one).
    static qsizetype lineEnd(const char* data, qsizetype from, qsizetype size) {
        constexpr quint64 kOnes = 0x0101010101010101ULL;
        constexpr quint64 kHighs = 0x8080808080808080ULL;
        qsizetype i = from;
        for (; i + 8 <= size; i += 8) {
            quint64 word;
            std::memcpy(&word, data + i, 8);
            const quint64 cr = word ^ (kOnes * '\r');
            const quint64 lf = word ^ (kOnes * '\n');
            const quint64 found = (((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf)) & kHighs;
            if (found)
                return i + std::countr_zero(found) / 8;
        }
        while (i < size && data[i] != '\r' && data[i] != '\n')
            ++i;
        return i;
    }
    // A line ends at CR, LF or CR LF; text after the last line end is a
    // line too.
    bool advance() {
        decoded_ = true; // the line before is done with
        if (!hasNext())
            return false;
        qsizetype end = next_;
        for (;;) {
            end = lineEnd(buffer_.constData(), end, buffer_.size());
            const char* data = buffer_.constData();
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
        lineStart_ = start;
        lineSize_ = end - start;
        decoded_ = false;
        ++lineNumber_;
        return true;
    }
    // The line the walk stands on, decoded when first asked for: most lines
    // of a person's block are a tag, whose value goes straight into its
    // field. Valid until the next advance().
    QStringView current() {
        if (!decoded_)
            decodeLine();
        return QStringView(current_.constData(), current_.size());
    }
    void decodeLine() {
        current_.resize(lineSize_);
        cp1254::decodeInto(bytes(), current_.data());
        decoded_ = true;
    }
    // The bytes of the line the walk stands on; valid until the walk looks
    // at the next line.
    QByteArrayView bytes() const {
        return QByteArrayView(buffer_.constData() + lineStart_, lineSize_);
    }
    bool nextStartsWith(char c) {
        // Every marker character is ASCII, the same byte in the code page.
        return hasNext() && buffer_.constData()[next_] == c;
    }
    // "From character n on" (1-based), empty when the line is shorter.
    static QString from(QStringView l, qsizetype n) { return l.mid(n - 1).toString(); }
    static QStringView chars(QStringView l, qsizetype first, qsizetype count) {
        return first - 1 < l.size() ? l.mid(first - 1, count) : QStringView();
    }
    template <size_t N> static bool hasTag(QStringView l, const char16_t (&tag)[N]) {
        return l.size() >= qsizetype(N - 1) && std::equal(tag, tag + N - 1, l.utf16());
    }
    // A person's lines are told apart by their bytes, every tag being
    // ASCII: the level, then characters 3 to 6 (1-based) as one number, 0
    // for a shorter line.
    static constexpr quint32 key(const char (&tag)[5]) {
        return quint32(uchar(tag[0])) | quint32(uchar(tag[1])) << 8 | quint32(uchar(tag[2])) << 16 |
               quint32(uchar(tag[3])) << 24;
    }
    static quint32 tagKey(QByteArrayView b) {
        if (b.size() < 6)
            return 0;
        const char tag[5] = {b[2], b[3], b[4], b[5], 0};
        return key(tag);
    }
    static bool isLevel(QByteArrayView b, char level) {
        return b.size() >= 2 && b[0] == level && b[1] == ' ';
    }
    static bool isEntry(QByteArrayView b) { return isLevel(b, '2') && tagKey(b) == key("CONT"); }
    // Values drawn from a small set (names, places, firms, group paths,
    // time stamps) are kept once and shared by every person that has them.
    QString shared(QStringView l, qsizetype n) {
        const QStringView value = chars(l, n, -1);
        if (value.isEmpty())
            return {};
        const auto it = pool_.constFind(value);
        if (it != pool_.constEnd())
            return *it;
        const QString kept = value.toString();
        pool_.insert(QStringView(kept), kept);
        return kept;
    }

    // A value of the person being read. Persons handed on one by one are
    // one record filled again and again, whose texts keep their room;
    // kept persons share the values that repeat.
    // The value is from character n on.
    void setValue(QString& field, qsizetype n, bool repeats) {
        if (!visit_) {
            const QStringView l = current();
            field = repeats ? shared(l, n) : from(l, n);
            return;
        }
        const QByteArrayView value = n - 1 < lineSize_ ? bytes().sliced(n - 1) : QByteArrayView();
        field.resize(value.size());
        if (!value.isEmpty())
            cp1254::decodeInto(value, reinterpret_cast<char16_t*>(field.data()));
    }
    // An entry of one of the person's lists, as the list's used'th.
    void addEntry(QStringList& list, qsizetype& used) {
        if (!visit_) {
            entries_.append(from(current(), 8));
            return;
        }
        if (used < list.size())
            setValue(list[used], 8, false);
        else
            list.append(from(current(), 8));
        ++used;
    }
    void endList(QStringList& list, qsizetype used) {
        if (visit_)
            list.resize(used);
        else
            takeEntries(list);
    }
    // The streamed record emptied for the next person, its room kept.
    void clearStreamed() {
        PersonRecord& p = streamed_;
        for (QString* field :
             {&p.FirstName, &p.Surname, &p.BirthPlace, &p.Firm, &p.Department, &p.Profession,
              &p.HomeAddress1, &p.HomeAddress2, &p.HomeCity, &p.HomePostCode, &p.WorkAddress1,
              &p.WorkAddress2, &p.WorkCity, &p.WorkPostCode, &p.GroupPath, &p.RecordedAt,
              &p.EditedAt, &p.Identity})
            if (!field->isEmpty())
                field->resize(0);
        p.BirthDate = 0;
        p.PictureIndex = 0;
        p.Sex = p.MaritalStatus = QChar();
        contactsUsed_ = picturesUsed_ = notesUsed_ = 0;
    }

    // Moves over the following level-2 lines, calling f on each.
    template <typename F> void runOfLevel2(F&& f) {
        while (nextStartsWith('2')) {
            advance();
            f();
        }
    }

    void walk() {
        while (advance()) {
            QStringView l = current();
            if (hasTag(l, u"0 HEAD") || hasTag(l, u"0 ID ") || hasTag(l, u"0 TRLR"))
                recordLineSeen_ = true;
            if (hasTag(l, u"1 IDNO "))
                data_.focusedRecordNo = from(l, 8);
            if (hasTag(l, u"1 GRUP ")) {
                data_.focusedGroupPath = from(l, 8);
                runOfLevel2([this] {
                    const QStringView g = current();
                    if (hasTag(g, u"2 GRUP"))
                        groupLine(from(g, 8));
                });
                l = current();
            }
            if (hasTag(l, u"1 FIND ")) {
                runOfLevel2([this] { findLine(current()); });
                l = current();
            }
            if (hasTag(l, u"1 SETS ")) {
                runOfLevel2([this] { settingsLine(current()); });
                l = current();
            }
            if (hasTag(l, u"1 DIST")) {
                QStringList identities;
                runOfLevel2([this, &identities] {
                    const QStringView d = current();
                    if (hasTag(d, u"2 IDEN"))
                        identities.append(from(d, 8));
                });
                if (identities.size() > 1)
                    data_.differentPersons.append(identities);
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
        PersonRecord* p = &streamed_;
        if (visit_) {
            clearStreamed();
        } else {
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
        if (visit_) {
            endList(p->Contacts, contactsUsed_);
            endList(p->Pictures, picturesUsed_);
            endList(p->Notes, notesUsed_);
            (*visit_)(*p, data_);
        }
        if (failure)
            std::rethrow_exception(failure);
    }

    void personLines(PersonRecord& p) {
        while (hasNext() && !nextStartsWith('0')) {
            advance();
            // One tag a line; the view is of this line only, so no test may
            // follow a run that moved on.
            const QByteArrayView l = bytes();
            if (!isLevel(l, '1'))
                continue;
            switch (tagKey(l)) {
            case key("NAME"):
                setValue(p.FirstName, 8, true);
                break;
            case key("SURN"):
                setValue(p.Surname, 8, true);
                break;
            case key("SEX "):
                p.Sex = l.size() >= 7 ? current()[6] : QChar();
                break;
            case key("FAMS"):
                if (l.size() >= 7 && l[6] == ' ')
                    p.MaritalStatus = l.size() >= 8 ? current()[7] : QChar();
                break;
            case key("BIRT"):
                runOfLevel2([&p, this] {
                    const quint32 tag = tagKey(bytes());
                    if (tag == key("PLAC"))
                        setValue(p.BirthPlace, 8, true);
                    else if (tag == key("DATE"))
                        p.BirthDate = birthDate(current());
                });
                break;
            case key("ADRS"):
                runOfLevel2([&p, this] { addressLine(p); });
                break;
            case key("PHON"):
                runOfLevel2([&p, this] {
                    if (isEntry(bytes()))
                        addEntry(p.Contacts, contactsUsed_);
                });
                endList(p.Contacts, contactsUsed_);
                break;
            case key("OBJE"):
                runOfLevel2([&p, this] {
                    const QByteArrayView o = bytes();
                    if (isEntry(o))
                        addEntry(p.Pictures, picturesUsed_);
                    else if (isLevel(o, '2') && tagKey(o) == key("INDX"))
                        p.PictureIndex = parseFileInteger(current().mid(7)).value_or(0);
                });
                endList(p.Pictures, picturesUsed_);
                break;
            case key("GRUP"):
                setValue(p.GroupPath, 8, true);
                break;
            case key("TIME"):
                runOfLevel2([&p, this] {
                    const quint32 tag = tagKey(bytes());
                    if (tag == key("RECD"))
                        setValue(p.RecordedAt, 8, true);
                    else if (tag == key("EDIT"))
                        setValue(p.EditedAt, 8, true);
                });
                break;
            case key("NOTE"):
                runOfLevel2([&p, this] {
                    if (isEntry(bytes()))
                        addEntry(p.Notes, notesUsed_);
                });
                endList(p.Notes, notesUsed_);
                break;
            case key("IDEN"):
                setValue(p.Identity, 8, false);
                break;
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

    void addressLine(PersonRecord& p) {
        static constexpr std::pair<quint32, QString PersonRecord::*> kFields[] = {
            {key("HOM1"), &PersonRecord::HomeAddress1}, {key("HOM2"), &PersonRecord::HomeAddress2},
            {key("HOM3"), &PersonRecord::HomePostCode}, {key("HOM4"), &PersonRecord::HomeCity},
            {key("COMP"), &PersonRecord::Firm},         {key("SECT"), &PersonRecord::Department},
            {key("TITL"), &PersonRecord::Profession},   {key("WRK1"), &PersonRecord::WorkAddress1},
            {key("WRK2"), &PersonRecord::WorkAddress2}, {key("WRK3"), &PersonRecord::WorkPostCode},
            {key("WRK4"), &PersonRecord::WorkCity}};
        const quint32 tag = tagKey(bytes());
        QString* field = nullptr;
        for (const auto& [fieldTag, member] : kFields)
            if (fieldTag == tag)
                field = &(p.*member);
        // Street lines are mostly one person's own; the rest repeat.
        if (field)
            setValue(*field, 8,
                     field != &p.HomeAddress1 && field != &p.HomeAddress2 &&
                         field != &p.WorkAddress1 && field != &p.WorkAddress2);
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
    // The line the walk stands on; a plain buffer, as every line of the
    // file passes through it.
    QVarLengthArray<char16_t, 256> current_;
    qsizetype lineStart_ = 0;
    qsizetype lineSize_ = 0;
    bool decoded_ = true;
    int lineNumber_ = 0;
    bool recordLineSeen_ = false;
    RecordFileData data_;
    QHash<QString, GroupNode*> resolved_;
    QHash<QStringView, QString> pool_;
    QStringList entries_;
    PersonRecord streamed_;
    qsizetype contactsUsed_ = 0, picturesUsed_ = 0, notesUsed_ = 0;
};

} // namespace

QString notARecordFileMessage(const QString& path) {
    return QStringLiteral("\"%1\" bir kayıt dosyası değil: içinde kayıt dosyasının hiçbir "
                          "satırı (\"0 HEAD\", \"0 ID\", \"0 TRLR\") yok. Dosya açılmadı.")
        .arg(path);
}

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
