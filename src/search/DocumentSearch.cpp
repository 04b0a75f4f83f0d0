#include "search/PersonSearch.h"

#include "store/RecordDocument.h"

std::optional<SearchResult> runSearch(RecordDocument& document, const QString& typedWord) {
    const QString word = typedWord.trimmed();
    if (word.isEmpty())
        return std::nullopt;
    rememberSearchWord(document.find().items, word, document.settings().findWords);
    document.markUnsaved();
    SearchResult result;
    result.rows = searchPersons(document.persons(), word, document.find().checks);
    result.countText = searchCountText(int(result.rows.size()));
    return result;
}
