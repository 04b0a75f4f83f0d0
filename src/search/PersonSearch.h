#pragma once

#include "store/RecordFile.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class PersonListModel;
class RecordDocument;

// The field boxes of the find dialog, indexed by FindCheck; CheckTamami
// is not looked at.
using SearchChecks = std::array<bool, FindCheckCount>;

// A copy of what the result list shows of a person that matched.
struct SearchRow {
    QString RecordNo;
    QString FirstName;
    QString Surname;
    QString Places; // the labels of the matching fields, e.g. "- Ad -- Soyad -"
};

// The labels of the fields of person that contain key, in the dialog's
// order; empty when none does. key is a TurkceUpperCase key.
QString matchPlaces(const PersonRecord& person, const QString& key, const SearchChecks& checks);

// The row of person when its ticked fields contain key (a TurkceUpperCase
// key).
std::optional<SearchRow> matchRow(const PersonRecord& person, const QString& key,
                                  const SearchChecks& checks);

// Every person, hidden ones too, in list order, whose ticked fields contain
// word, letter case ignored the Turkish way.
std::vector<SearchRow> searchPersons(const PersonListModel& persons, const QString& word,
                                     const SearchChecks& checks);

// Puts word first among the remembered words, dropping an earlier entry
// equal to it but for letter case (the Turkish way: ali is ALİ), and
// shortens the list to limit.
void rememberSearchWord(QStringList& words, const QString& word, int limit);

// "Arama Listesi Sonucu n Adettir."
QString searchCountText(int count);

struct SearchResult {
    std::vector<SearchRow> rows;
    QString countText;
};

// Button_FindClick: searches for typedWord (trimmed) with the document's
// ticked boxes, remembers the word in the document's find state (limit:
// the settings' find-word count), which leaves the document unsaved. A blank
// word changes nothing and gives nullopt.
std::optional<SearchResult> runSearch(RecordDocument& document, const QString& typedWord);
