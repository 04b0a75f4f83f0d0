#include "search/PersonSearch.h"

#include "platform/TurkishText.h"
#include "store/PersonListModel.h"

#include <algorithm>

QString matchPlaces(const PersonRecord& p, const QString& key, const SearchChecks& checks) {
    QString places;
    const auto contains = [&](QStringView field) {
        // The length is in the record itself: a short field is passed
        // over without reading its text.
        return field.size() >= key.size() && TurkceKeyContains(field, key);
    };
    const auto test = [&](QStringView field, const QString& label) {
        if (contains(field))
            places += label;
    };
    if (checks[CheckID])
        test(p.RecordNo, QStringLiteral("- Kayıt No -"));
    if (checks[CheckAdSoyad]) {
        test(p.FirstName, QStringLiteral("- Ad -"));
        test(p.Surname, QStringLiteral("- Soyad -"));
    }
    if (checks[CheckTel]) {
        for (const QString& entry : p.Contacts) {
            const qsizetype tab = entry.indexOf(QLatin1Char('\t'));
            if (contains(QStringView(entry).mid(tab + 1)))
                places += QStringLiteral("- ") + entry.left(std::max<qsizetype>(tab, 0)) +
                          QStringLiteral(" -");
        }
    }
    if (checks[CheckAdres]) {
        test(p.HomeAddress1, QStringLiteral("- Ev Adresi 1 -"));
        test(p.HomeAddress2, QStringLiteral("- Ev Adresi 2 -"));
        test(p.HomePostCode, QStringLiteral("- Ev PK -"));
        test(p.HomeCity, QStringLiteral("- Ev Şehir -"));
        test(p.WorkAddress1, QStringLiteral("- İş Adresi 1 -"));
        test(p.WorkAddress2, QStringLiteral("- İş Adresi 2 -"));
        test(p.WorkPostCode, QStringLiteral("- İş PK -"));
        test(p.WorkCity, QStringLiteral("- İş Şehir -"));
    }
    if (checks[CheckFirma]) {
        test(p.Firm, QStringLiteral("- Firma -"));
        test(p.Department, QStringLiteral("- Bölüm -"));
        test(p.Profession, QStringLiteral("- Meslek -"));
    }
    if (checks[CheckNotlar]) {
        // The notes are one text, lines joined by CR LF; only a word with a
        // line break in it can match across two lines.
        const QString notes = QStringLiteral("- Notlar -");
        if (key.contains(QLatin1Char('\r')) || key.contains(QLatin1Char('\n')))
            test(p.Notes.join(QStringLiteral("\r\n")), notes);
        else if (std::any_of(p.Notes.cbegin(), p.Notes.cend(), contains))
            places += notes;
    }
    if (checks[CheckGrup])
        test(p.GroupPath, QStringLiteral("- Grup -"));
    return places;
}

std::optional<SearchRow> matchRow(const PersonRecord& person, const QString& key,
                                  const SearchChecks& checks) {
    QString places = matchPlaces(person, key, checks);
    if (places.isEmpty())
        return std::nullopt;
    return SearchRow{person.RecordNo, person.FirstName, person.Surname, std::move(places)};
}

std::vector<SearchRow> searchPersons(const PersonListModel& persons, const QString& word,
                                     const SearchChecks& checks) {
    const QString key = TurkceUpperCase(word);
    std::vector<SearchRow> rows;
    persons.forEachPerson([&](const PersonRecord& p) {
        if (std::optional<SearchRow> row = matchRow(p, key, checks))
            rows.push_back(std::move(*row));
    });
    return rows;
}

void rememberSearchWord(QStringList& words, const QString& word, int limit) {
    const QString key = TurkceUpperCase(word);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (TurkceUpperCase(words[i]) == key) {
            words.removeAt(i);
            break;
        }
    }
    words.prepend(word);
    while (words.size() > limit)
        words.removeLast();
}

QString searchCountText(int count) {
    return QStringLiteral("Arama Listesi Sonucu ") + QString::number(count) +
           QStringLiteral(" Adettir.");
}
