#include "store/RecordFileWriter.h"

#include "platform/Cp1254.h"
#include "store/BirthDate.h"

namespace {

// Lines go straight into the bytes of the file: one buffer, no text copy.
class Writer {
public:
    explicit Writer(QString* unencodable) : unencodable_(unencodable) {}
    QByteArray bytes;

    void line(QStringView tag, QStringView value = {}) {
        const qsizetype start = bytes.size();
        cp1254::appendEncoded(bytes, tag, unencodable_);
        cp1254::appendEncoded(bytes, value, unencodable_);
        char* data = bytes.data();
        for (qsizetype i = start; i < bytes.size(); ++i)
            if (data[i] == '\r' || data[i] == '\n')
                data[i] = ' ';
        bytes.append("\r\n", 2);
    }
    void optional(QStringView tag, const QString& value) {
        if (!value.isEmpty())
            line(tag, value);
    }
    void list(QStringView tag, const QStringList& values) {
        for (const QString& v : values)
            line(tag, v);
    }
    void flag(QStringView key, bool on) {
        line(u"2 CHEK ", key.toString() + QLatin1Char('=') + QLatin1Char(on ? '1' : '0'));
    }
    void number(QStringView key, int value) {
        line(u"2 CHEK ", key.toString() + QLatin1Char('=') + QString::number(value));
    }

    void person(const PersonRecord& p) {
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
        const QString* address[] = {&p.HomeAddress1, &p.HomeAddress2, &p.HomePostCode,
                                    &p.HomeCity,     &p.Firm,         &p.Department,
                                    &p.Profession,   &p.WorkAddress1, &p.WorkAddress2,
                                    &p.WorkPostCode, &p.WorkCity};
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
    }

private:
    QString* unencodable_;
};

} // namespace

QByteArray composeRecordFile(const RecordFileSnapshot& s, QString* unencodable) {
    Writer w(unencodable);
    // Persons take about 470 bytes each; one early reservation spares the
    // buffer most of its regrowing.
    w.bytes.reserve(qsizetype(s.persons.size()) * 512 + 4096);
    w.line(u"0 HEAD");
    w.line(u"1 SOUR Velmora");
    w.line(u"2 VERS 1.0");
    w.line(u"2 NAME Velmora");
    w.line(u"2 CORP Orvak Software");
    w.line(u"3 ADDR ", kMakerStreet);
    w.line(u"4 CONT ", kMakerCity);
    if (s.focusedPerson)
        w.line(u"1 IDNO ", s.focusedPerson->RecordNo);
    w.line(u"1 GRUP ", s.focusedGroup ? BuildGroupPath(s.focusedGroup) : QString());
    forEachGroup(s.groups, [&w](const GroupNode& g) { w.line(u"2 GRUP ", BuildGroupPath(&g)); });

    w.line(u"1 FIND ");
    w.list(u"2 ITEM ", s.find.items);
    for (int c = 0; c < FindCheckCount; ++c)
        w.flag(kFindCheckKeys[size_t(c)], s.find.checks[size_t(c)]);

    w.line(u"1 SETS ");
    w.flag(u"SaveAndClose", s.settings.saveAndClose);
    w.number(u"FindWords", s.settings.findWords);
    w.number(u"Panel_Grup_Height", s.settings.panelGrupHeight);
    w.number(u"Panel_Main_Width", s.settings.panelMainWidth);

    forEachRecord(s.persons, [&w](const PersonRecord& p) { w.person(p); });
    w.line(u"0 TRLR");
    return w.bytes;
}
