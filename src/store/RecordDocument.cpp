#include "store/RecordDocument.h"

#include "store/RecordFileWriter.h"

#include <algorithm>

int clampFindWords(int value) {
    return std::clamp(value, 10, 250);
}

RecordDocument::RecordDocument(QObject* parent) : QObject(parent) {}

void RecordDocument::setModified(bool modified) {
    if (modified == modified_)
        return;
    modified_ = modified;
    Q_EMIT modifiedChanged(modified);
}

void RecordDocument::load(RecordFileData& data) {
    groups_.setRoot(std::move(data.groups));
    data.groups = std::make_unique<GroupNode>();
    persons_.setPersons(std::move(data.persons));
    data.persons.clear();

    mergeFileState(data, find_, settings_);
    differentPersons_ = std::move(data.differentPersons);
    data.differentPersons.clear();
    Q_EMIT fileStateLoaded();
}

void mergeFileState(const RecordFileData& data, FindState& find, FileSettings& settings) {
    find.items.append(data.findItems);
    for (size_t c = 0; c < data.findChecks.size(); ++c)
        if (data.findChecks[c])
            find.checks[c] = *data.findChecks[c];
    if (data.saveAndClose)
        settings.saveAndClose = *data.saveAndClose;
    if (data.findWords)
        settings.findWords = clampFindWords(*data.findWords);
    if (data.panelGrupHeight)
        settings.panelGrupHeight = *data.panelGrupHeight;
    if (data.panelMainWidth)
        settings.panelMainWidth = *data.panelMainWidth;
}

void RecordDocument::clearRecords() {
    persons_.clear();
    groups_.clear();
    differentPersons_.clear();
}

QByteArray RecordDocument::compose(QString* unencodable) const {
    const std::vector<const PersonRecord*> all = persons_.allPersons();
    const RecordFileSnapshot snapshot{all,
                                      groups_.root(),
                                      persons_.focusedPerson(),
                                      groups_.focusedGroup(),
                                      find_,
                                      settings_,
                                      differentPersons_};
    return composeRecordFile(snapshot, unencodable);
}

QByteArray RecordDocument::compose(const std::vector<const PersonRecord*>& persons,
                                   const PersonRecord* focusedPerson) const {
    const RecordFileSnapshot snapshot{persons,   groups_.root(), focusedPerson,
                                      groups_.focusedGroup(), find_, settings_,
                                      differentPersons_};
    return composeRecordFile(snapshot);
}

PersonRecord* RecordDocument::personToFocus(const std::optional<QString>& recordNo) const {
    if (persons_.personCount() == 0)
        return nullptr;
    if (recordNo)
        for (int i = 0; i < persons_.personCount(); ++i)
            if (persons_.personAt(i)->RecordNo == *recordNo)
                return persons_.personAt(i);
    return persons_.personAt(0);
}
