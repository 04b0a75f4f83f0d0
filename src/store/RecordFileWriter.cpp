#include "store/RecordFileWriter.h"

#include "platform/Allocator.h"
#include "platform/Cp1254.h"
#include "store/BirthDate.h"

#include <algorithm>
#include <utility>

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

void RecordFileWriter::line(QStringView tag, QStringView value) {
    char* d = room(tag.size() + value.size() + 2);
    cp1254::encodeInto(d, tag, unencodable_);
    d += tag.size();
    cp1254::encodeInto(d, value, unencodable_);
    for (char* end = d + value.size(); d < end; ++d)
        if (*d == '\r' || *d == '\n')
            *d = ' ';
    d[0] = '\r';
    d[1] = '\n';
}

void RecordFileWriter::optional(QStringView tag, const QString& value) {
    if (!value.isEmpty())
        line(tag, value);
}

void RecordFileWriter::list(QStringView tag, const QStringList& values) {
    for (const QString& v : values)
        line(tag, v);
}

void RecordFileWriter::flag(QStringView key, bool on) {
    line(u"2 CHEK ", key.toString() + QLatin1Char('=') + QLatin1Char(on ? '1' : '0'));
}

void RecordFileWriter::number(QStringView key, int value) {
    line(u"2 CHEK ", key.toString() + QLatin1Char('=') + QString::number(value));
}

void RecordFileWriter::person(const PersonRecord& p) {
    line(u"0 ID ", p.RecordNo);
    line(u"1 NAME ", p.FirstName);
    optional(u"1 SURN ", p.Surname);
    // Every given date is written, those before 30.12.1899 too.
    const bool hasDate = p.BirthDate != 0;
    if (!p.BirthPlace.isEmpty() || hasDate) {
        line(u"1 BIRT");
        optional(u"2 PLAC ", p.BirthPlace);
        if (hasDate)
            line(u"2 DATE ", birthdate::toDate(p.BirthDate).toString(u"dd MM yyyy"));
    }
    if (!p.Sex.isNull())
        line(u"1 SEX ", QString(p.Sex));
    if (!p.MaritalStatus.isNull())
        line(u"1 FAMS ", QString(p.MaritalStatus));
    if (!p.Contacts.isEmpty()) {
        line(u"1 PHON");
        list(u"2 CONT ", p.Contacts);
    }
    if (!p.Pictures.isEmpty()) {
        line(u"1 OBJE");
        list(u"2 CONT ", p.Pictures);
        line(u"2 INDX ", QString::number(p.PictureIndex));
    }
    const QString* address[] = {&p.HomeAddress1, &p.HomeAddress2, &p.HomePostCode, &p.HomeCity,
                                &p.Firm,         &p.Department,   &p.Profession,   &p.WorkAddress1,
                                &p.WorkAddress2, &p.WorkPostCode, &p.WorkCity};
    const char16_t* tags[] = {u"2 HOM1 ", u"2 HOM2 ", u"2 HOM3 ", u"2 HOM4 ",
                              u"2 COMP ", u"2 SECT ", u"2 TITL ", u"2 WRK1 ",
                              u"2 WRK2 ", u"2 WRK3 ", u"2 WRK4 "};
    bool anyAddress = false;
    for (const QString* v : address)
        anyAddress = anyAddress || !v->isEmpty();
    if (anyAddress) {
        line(u"1 ADRS");
        for (size_t i = 0; i < std::size(address); ++i)
            optional(tags[i], *address[i]);
    }
    line(u"1 GRUP ", p.GroupPath);
    if (!p.RecordedAt.isEmpty() || !p.EditedAt.isEmpty()) {
        line(u"1 TIME");
        optional(u"2 RECD ", p.RecordedAt);
        optional(u"2 EDIT ", p.EditedAt);
    }
    if (!p.Notes.isEmpty()) {
        line(u"1 NOTE");
        list(u"2 CONT ", p.Notes);
    }
    optional(u"1 IDEN ", p.Identity);
}

void RecordFileWriter::header(const QString* focusedRecordNo, const GroupNode& groups,
                              const GroupNode* focusedGroup, const FindState& find,
                              const FileSettings& settings, const DifferentPersons& different) {
    line(u"0 HEAD");
    line(u"1 SOUR Velmora");
    line(u"2 VERS 1.0");
    line(u"2 NAME Velmora");
    line(u"2 CORP Orvak Software");
    line(u"3 ADDR ", kMakerStreet);
    line(u"4 CONT ", kMakerCity);
    if (focusedRecordNo)
        line(u"1 IDNO ", *focusedRecordNo);
    line(u"1 GRUP ", focusedGroup ? BuildGroupPath(focusedGroup) : QString());
    forEachGroup(groups, [this](const GroupNode& g) { line(u"2 GRUP ", BuildGroupPath(&g)); });

    line(u"1 FIND ");
    list(u"2 ITEM ", find.items);
    for (int c = 0; c < FindCheckCount; ++c)
        flag(kFindCheckKeys[size_t(c)], find.checks[size_t(c)]);

    line(u"1 SETS ");
    flag(u"SaveAndClose", settings.saveAndClose);
    number(u"FindWords", settings.findWords);
    number(u"Panel_Grup_Height", settings.panelGrupHeight);
    number(u"Panel_Main_Width", settings.panelMainWidth);

    for (const QStringList& identities : different) {
        line(u"1 DIST");
        list(u"2 IDEN ", identities);
    }
}

void RecordFileWriter::trailer() {
    line(u"0 TRLR");
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
