#include "store/RecordFileWriter.h"

#include "platform/Allocator.h"
#include "platform/Cp1254.h"
#include "store/BirthDate.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// "dd MM yyyy", as QDate::toString writes it: the locale's machinery costs
// more than the rest of a person's block.
QString dateText(double birthDate) {
    const QDate date = birthdate::toDate(birthDate);
    int y = 0, m = 0, d = 0;
    date.getDate(&y, &m, &d);
    if (!date.isValid() || y < 1 || y > 9999)
        return date.toString(u"dd MM yyyy");
    const char16_t text[] = {
        char16_t(u'0' + d / 10),   char16_t(u'0' + d % 10),       u' ',
        char16_t(u'0' + m / 10),   char16_t(u'0' + m % 10),       u' ',
        char16_t(u'0' + y / 1000), char16_t(u'0' + y / 100 % 10), char16_t(u'0' + y / 10 % 10),
        char16_t(u'0' + y % 10)};
    return QString(reinterpret_cast<const QChar*>(text), qsizetype(std::size(text)));
}

} // namespace

RecordFileWriter::RecordFileWriter(QString* unencodable) : unencodable_(unencodable) {}

void RecordFileWriter::reserve(qsizetype size) {
    reserveLargeBuffer(bytes_, size);
    bytes_.resize(std::max(bytes_.size(), size));
}

QByteArray RecordFileWriter::take() {
    bytes_.truncate(used_);
    used_ = 0;
    return std::exchange(bytes_, QByteArray());
}

char* RecordFileWriter::room(qsizetype n) {
    if (used_ + n > bytes_.size())
        bytes_.resize(std::max(bytes_.size() * 2, used_ + n) + 4096);
    char* d = bytes_.data() + used_;
    used_ += n;
    return d;
}

void RecordFileWriter::line(std::string_view tag, QStringView value) {
    char* d = room(qsizetype(tag.size()) + value.size() + 2);
    std::memcpy(d, tag.data(), tag.size());
    d += tag.size();
    cp1254::encodeLineInto(d, value, unencodable_);
    d += value.size();
    d[0] = '\r';
    d[1] = '\n';
}

void RecordFileWriter::optional(std::string_view tag, const QString& value) {
    if (!value.isEmpty())
        line(tag, value);
}

void RecordFileWriter::list(std::string_view tag, const QStringList& values) {
    for (const QString& v : values)
        line(tag, v);
}

void RecordFileWriter::flag(QStringView key, bool on) {
    line("2 CHEK ", key.toString() + QLatin1Char('=') + QLatin1Char(on ? '1' : '0'));
}

void RecordFileWriter::number(QStringView key, int value) {
    line("2 CHEK ", key.toString() + QLatin1Char('=') + QString::number(value));
}

void RecordFileWriter::person(const PersonRecord& p) {
    line("0 ID ", p.RecordNo);
    line("1 NAME ", p.FirstName);
    optional("1 SURN ", p.Surname);
    // Every given date is written, those before 30.12.1899 too.
    const bool hasDate = p.BirthDate != 0;
    if (!p.BirthPlace.isEmpty() || hasDate) {
        line("1 BIRT");
        optional("2 PLAC ", p.BirthPlace);
        if (hasDate)
            line("2 DATE ", dateText(p.BirthDate));
    }
    if (!p.Sex.isNull())
        line("1 SEX ", QStringView(&p.Sex, 1));
    if (!p.MaritalStatus.isNull())
        line("1 FAMS ", QStringView(&p.MaritalStatus, 1));
    if (!p.Contacts.isEmpty()) {
        line("1 PHON");
        list("2 CONT ", p.Contacts);
    }
    if (!p.Pictures.isEmpty()) {
        line("1 OBJE");
        list("2 CONT ", p.Pictures);
        line("2 INDX ", QString::number(p.PictureIndex));
    }
    const QString* address[] = {&p.HomeAddress1, &p.HomeAddress2, &p.HomePostCode, &p.HomeCity,
                                &p.Firm,         &p.Department,   &p.Profession,   &p.WorkAddress1,
                                &p.WorkAddress2, &p.WorkPostCode, &p.WorkCity};
    const char* tags[] = {"2 HOM1 ", "2 HOM2 ", "2 HOM3 ", "2 HOM4 ", "2 COMP ", "2 SECT ",
                          "2 TITL ", "2 WRK1 ", "2 WRK2 ", "2 WRK3 ", "2 WRK4 "};
    bool anyAddress = false;
    for (const QString* v : address)
        anyAddress = anyAddress || !v->isEmpty();
    if (anyAddress) {
        line("1 ADRS");
        for (size_t i = 0; i < std::size(address); ++i)
            optional(tags[i], *address[i]);
    }
    line("1 GRUP ", p.GroupPath);
    if (!p.RecordedAt.isEmpty() || !p.EditedAt.isEmpty()) {
        line("1 TIME");
        optional("2 RECD ", p.RecordedAt);
        optional("2 EDIT ", p.EditedAt);
    }
    if (!p.Notes.isEmpty()) {
        line("1 NOTE");
        list("2 CONT ", p.Notes);
    }
    optional("1 IDEN ", p.Identity);
}

void RecordFileWriter::header(const QString* focusedRecordNo, const GroupNode& groups,
                              const GroupNode* focusedGroup, const FindState& find,
                              const FileSettings& settings, const DifferentPersons& different) {
    line("0 HEAD");
    line("1 SOUR Velmora");
    line("2 VERS 1.0");
    line("2 NAME Velmora");
    line("2 CORP Orvak Software");
    line("3 ADDR ", kMakerStreet);
    line("4 CONT ", kMakerCity);
    if (focusedRecordNo)
        line("1 IDNO ", *focusedRecordNo);
    line("1 GRUP ", focusedGroup ? BuildGroupPath(focusedGroup) : QString());
    forEachGroup(groups, [this](const GroupNode& g) { line("2 GRUP ", BuildGroupPath(&g)); });

    line("1 FIND ");
    list("2 ITEM ", find.items);
    for (int c = 0; c < FindCheckCount; ++c)
        flag(kFindCheckKeys[size_t(c)], find.checks[size_t(c)]);

    line("1 SETS ");
    flag(u"SaveAndClose", settings.saveAndClose);
    number(u"FindWords", settings.findWords);
    number(u"Panel_Grup_Height", settings.panelGrupHeight);
    number(u"Panel_Main_Width", settings.panelMainWidth);

    for (const QStringList& identities : different) {
        line("1 DIST");
        list("2 IDEN ", identities);
    }
}

void RecordFileWriter::trailer() {
    line("0 TRLR");
}

QByteArray composeRecordFile(const RecordFileSnapshot& s, QString* unencodable) {
    RecordFileWriter w(unencodable);
    // Persons take about 470 bytes each; one early reservation spares the
    // buffer most of its regrowing.
    w.reserve(qsizetype(s.persons.size()) * 512 + 4096);
    w.header(s.focusedPerson ? &s.focusedPerson->RecordNo : nullptr, s.groups, s.focusedGroup,
             s.find, s.settings, s.differentPersons);
    forEachRecord(s.persons, [&w](const PersonRecord& p) { w.person(p); });
    w.trailer();
    return w.take();
}
