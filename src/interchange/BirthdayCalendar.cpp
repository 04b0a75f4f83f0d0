#include "interchange/BirthdayCalendar.h"

#include "interchange/VCardWriter.h"
#include "store/BirthDate.h"

#include <QDir>
#include <QUuid>

namespace {

// The namespace of the UIDs of birthday events, made from a card's UID.
const QUuid kBirthdayNamespace(QStringLiteral("{8c4f1d2e-6b3a-4f7e-a915-3d0c7e2b5a64}"));

const QString kFailure = QStringLiteral("\"%1\" takvim dosyası yazılamadı.");

QByteArray dateValue(const QDate& d) {
    return d.toString(u"yyyyMMdd").toLatin1();
}

} // namespace

BirthdayCalendarFile::BirthdayCalendarFile(const QString& path, const QDateTime& stamp)
    : file_(path), stamp_(stamp.toUTC().toString(u"yyyyMMdd'T'HHmmss'Z'").toLatin1()) {
    if (!file_.open())
        throw file_.error(kFailure);
    text_ = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvak//Velmora//TR\r\n"
            "CALSCALE:GREGORIAN\r\n";
    appendTextLine(text_, "X-WR-CALNAME", u"Doğum Günleri");
}

void BirthdayCalendarFile::add(const PersonRecord& p) {
    const QDate born = p.BirthDate != 0 ? birthdate::toDate(p.BirthDate) : QDate();
    if (!born.isValid())
        return;
    // Two persons of one card UID (a copied record) still make two events.
    const QString card = vcardUid(p);
    QString uid = QUuid::createUuidV5(kBirthdayNamespace, card).toString(QUuid::WithoutBraces);
    for (int n = 2; uids_.contains(uid); ++n)
        uid = QUuid::createUuidV5(kBirthdayNamespace, card + u'#' + QString::number(n))
                  .toString(QUuid::WithoutBraces);
    uids_.insert(uid);

    text_ += "BEGIN:VEVENT\r\n";
    appendFoldedLine(text_, "UID:" + uid.toLatin1());
    appendFoldedLine(text_, "DTSTAMP:" + stamp_);
    appendFoldedLine(text_, "DTSTART;VALUE=DATE:" + dateValue(born));
    appendFoldedLine(text_, "DTEND;VALUE=DATE:" + dateValue(born.addDays(1)));
    appendFoldedLine(text_, born.month() == 2 && born.day() == 29
                                ? QByteArrayView("RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1")
                                : QByteArrayView("RRULE:FREQ=YEARLY"));
    const QString name = QString(p.FirstName + u' ' + p.Surname).trimmed();
    appendTextLine(text_, "SUMMARY", QStringLiteral("Doğum Günü: ") + name);
    appendTextLine(text_, "DESCRIPTION",
                   QStringLiteral("Doğum tarihi: ") + born.toString(u"dd.MM.yyyy"));
    text_ += "TRANSP:TRANSPARENT\r\nEND:VEVENT\r\n";
    ++events_;
    if (text_.size() >= 64 * 1024) {
        file_.write(text_);
        text_.truncate(0);
    }
}

int BirthdayCalendarFile::commit() {
    text_ += "END:VCALENDAR\r\n";
    file_.write(text_);
    text_.clear();
    if (!file_.commit())
        throw file_.error(kFailure);
    return events_;
}

QString birthdayCalendarMessage(const QString& path, int events) {
    return QStringLiteral("%1 kişinin doğum günü \"%2\" takvim dosyasına yazıldı.")
        .arg(events)
        .arg(QDir::toNativeSeparators(path));
}
