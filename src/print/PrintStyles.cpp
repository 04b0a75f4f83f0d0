#include "print/PrintStyles.h"

#include "person/Birthdays.h"
#include "print/PrintPage.h"
#include "store/NameOrder.h"
#include "store/PersonTexts.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr int kMaxNameLines = 3;
constexpr int kMaxGroupLines = 2;

QString listedName(const PersonRecord& p) {
    if (p.Surname.isEmpty() || p.FirstName.isEmpty())
        return p.Surname + p.FirstName;
    return p.Surname + QStringLiteral(", ") + p.FirstName;
}

// Whether a line fits a width, known for most lines without laying them
// out: the sum of the characters' advances (the print's fonts are set
// without kerning) is taken from a table of the Latin and Turkish letters.
class LineFit {
public:
    explicit LineFit(const QFontMetricsF& metrics) : metrics_(metrics) { advances_.fill(-1); }

    bool fits(QStringView text, qreal width) {
        qreal sum = 0;
        for (const QChar c : text) {
            if (c.unicode() >= advances_.size())
                return metrics_.horizontalAdvance(text.toString()) <= width;
            qreal& advance = advances_[c.unicode()];
            if (advance < 0)
                advance = metrics_.horizontalAdvance(c);
            sum += advance;
        }
        return sum <= width;
    }
    // The text's lines in width, at most maxLines, as Page::lines makes them.
    QStringList lines(const Page& page, const QString& text, qreal width, int maxLines) {
        if (!text.contains(u'\n') && fits(text, width))
            return {text};
        return page.lines(text, page.text(), width, maxLines);
    }
    // One line, cut short with "…" when it does not fit.
    QString line(const QString& text, qreal width) {
        return fits(text, width) ? text : metrics_.elidedText(text, Qt::ElideRight, width);
    }

private:
    QFontMetricsF metrics_;
    std::array<qreal, 0x180> advances_;
};

// The telephone and mail entries of the phone list with their kinds, as
// many to a line as fit ("GSM: 0532 … · Ev: 0312 …"); one too long for a
// line of its own is cut short.
QStringList contactLines(LineFit& fit, const PersonRecord& p, qreal width) {
    QStringList lines;
    for (const QString& entry : p.Contacts) {
        const ContactEntry c = ContactEntry::parse(entry);
        if (c.kind == u"Web")
            continue;
        const QString text = c.kind.isEmpty() ? c.value : c.kind + QStringLiteral(": ") + c.value;
        if (!lines.isEmpty()) {
            const QString joined = lines.last() + QStringLiteral("  ·  ") + text;
            if (fit.fits(joined, width)) {
                lines.last() = joined;
                continue;
            }
        }
        lines.append(fit.line(text, width));
    }
    return lines;
}

bool printBirthdays(QPagedPaintDevice& device, const PrintHeading& heading,
                    const std::vector<Birthday>& birthdays, const QString& span) {
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    return printTable(
        device, QStringLiteral("Velmora — Doğum Günleri: ") + span, heading,
        {{QStringLiteral("Gün"), 0.22},
         {QStringLiteral("Ad Soyad"), 0.34},
         {QStringLiteral("Grup"), 0.2},
         {QStringLiteral("Doğum Tarihi"), 0.16},
         {QStringLiteral("Yaşı"), 0.08}},
        birthdays.size(), [&](const Page& page, const std::vector<qreal>& widths, size_t row) {
            const Birthday& b = birthdays[row];
            const PersonRecord& p = *b.person;
            // The day stands once, above the persons of that day.
            const bool sameDay = row > 0 && birthdays[row - 1].date == b.date;
            return PrintRow{
                {sameDay ? QStringList() : QStringList{turkish.toString(b.date, u"d MMMM dddd")},
                 page.lines(QString(p.FirstName + u' ' + p.Surname).trimmed(), page.text(),
                            widths[1], kMaxNameLines),
                 page.lines(groupTitle(p.GroupPath), page.text(), widths[2], kMaxGroupLines),
                 {birthDateText(p.BirthDate)},
                 {QString::number(b.age)}}};
        });
}

} // namespace

QString printStyleName(PrintStyle style) {
    switch (style) {
    case PrintStyle::List:
        return QStringLiteral("Personel Listesi");
    case PrintStyle::Phones:
        return QStringLiteral("Telefon Rehberi");
    case PrintStyle::Labels:
        return QStringLiteral("Adres Etiketleri");
    case PrintStyle::Birthdays:
        return QStringLiteral("Doğum Günleri");
    }
    return {};
}

bool printPhoneList(QPagedPaintDevice& device, const PrintHeading& heading,
                    std::vector<const PersonRecord*> persons) {
    std::stable_sort(persons.begin(), persons.end(), NameOrder());
    // A heading row (no person) before the first person of each initial.
    struct Item {
        const PersonRecord* person;
        QChar initial;
    };
    std::vector<Item> items;
    items.reserve(persons.size() + 32);
    for (const PersonRecord* p : persons) {
        const QChar initial = NameOrder::initial(*p);
        if (items.empty() || items.back().initial != initial)
            items.push_back({nullptr, initial});
        items.push_back({p, initial});
    }
    std::optional<LineFit> fit;
    return printTable(
        device, QStringLiteral("Velmora — Telefon Rehberi"), heading,
        {{QStringLiteral("Ad Soyad"), 0.30},
         {QStringLiteral("Grup"), 0.25},
         {QStringLiteral("Telefon - Mail"), 0.45}},
        items.size(), [&](const Page& page, const std::vector<qreal>& widths, size_t row) {
            const Item& item = items[row];
            if (!item.person)
                return PrintRow{{{QString(item.initial)}}, true};
            if (!fit)
                fit.emplace(page.metrics(page.text()));
            const PersonRecord& p = *item.person;
            return PrintRow{{fit->lines(page, listedName(p), widths[0], kMaxNameLines),
                             fit->lines(page, groupTitle(p.GroupPath), widths[1], kMaxGroupLines),
                             contactLines(*fit, p, widths[2])}};
        });
}

PrintJob printJob(const PrintOptions& options, const PrintHeading& heading,
                  const std::vector<const PersonRecord*>& persons, const QDate& today) {
    switch (options.style) {
    case PrintStyle::List:
        return {[heading, persons](QPagedPaintDevice& d) {
                    return printPersonList(d, heading, persons);
                },
                {}};
    case PrintStyle::Phones:
        return {[heading, persons](QPagedPaintDevice& d) {
                    return printPhoneList(d, heading, persons);
                },
                {}};
    case PrintStyle::Labels: {
        std::vector<const PersonRecord*> labelled;
        std::copy_if(persons.begin(), persons.end(), std::back_inserter(labelled),
                     [&](const PersonRecord* p) { return hasAddress(*p, options.address); });
        const QString which =
            options.address == LabelAddress::Home ? QStringLiteral("ev") : QStringLiteral("iş");
        if (labelled.empty())
            return {{}, QStringLiteral("Listede %1 adresi olan kişi yok.").arg(which)};
        const size_t leftOut = persons.size() - labelled.size();
        return {[labelled, address = options.address](QPagedPaintDevice& d) {
                    return printLabels(d, labelled, address);
                },
                leftOut == 0 ? QString()
                             : QStringLiteral("%1 kişinin %2 adresi olmadığından etiketi "
                                              "basılmadı.")
                                   .arg(leftOut)
                                   .arg(which)};
    }
    case PrintStyle::Birthdays: {
        const auto [first, last] = options.month > 0
                                       ? monthSpan(options.month, today)
                                       : std::pair(today, today.addDays(kComingBirthdayDays));
        const QString span = spanTitle(first, last, options.month > 0);
        std::vector<Birthday> birthdays = birthdaysBetween(persons, first, last);
        if (birthdays.empty())
            return {{},
                    QStringLiteral("Listede %1 doğum günü olan kişi yok.")
                        .arg(options.month > 0 ? span + QStringLiteral(" ayında")
                                               : span + QStringLiteral(" arasında"))};
        return {[heading, birthdays, span](QPagedPaintDevice& d) {
                    return printBirthdays(d, heading, birthdays, span);
                },
                {}};
    }
    }
    return {};
}
