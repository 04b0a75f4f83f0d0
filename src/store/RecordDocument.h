#pragma once

#include "store/GroupTreeModel.h"
#include "store/PersonListModel.h"
#include "store/RecordFile.h"

#include <QObject>

// Everything one record file holds while it is open: the persons, the
// groups, the find dialog's remembered state, the four file settings, the
// groups of persons the user said are different persons, and whether there
// are unsaved changes.
class RecordDocument : public QObject {
    Q_OBJECT
public:
    explicit RecordDocument(QObject* parent = nullptr);

    PersonListModel& persons() { return persons_; }
    const PersonListModel& persons() const { return persons_; }
    GroupTreeModel& groups() { return groups_; }
    const GroupTreeModel& groups() const { return groups_; }
    FindState& find() { return find_; }
    const FindState& find() const { return find_; }
    FileSettings& settings() { return settings_; }
    const FileSettings& settings() const { return settings_; }
    DifferentPersons& differentPersons() { return differentPersons_; }
    const DifferentPersons& differentPersons() const { return differentPersons_; }

    bool isModified() const { return modified_; }
    void setModified(bool modified);

    // Takes the persons, groups and groups of different persons of a file
    // that was read, and merges its find state and settings into the
    // current ones: its words come after those already remembered, and
    // only what the file sets changes.
    void load(RecordFileData& data);
    // Empties persons and groups (a new file).
    void clearRecords();

    // The whole file as it would be saved now, with the focused person and
    // group of the models.
    QByteArray compose(QString* unencodable = nullptr) const;
    // The same with another list of persons and focus (an edit not yet
    // confirmed).
    QByteArray compose(const std::vector<const PersonRecord*>& persons,
                       const PersonRecord* focusedPerson) const;

    // The person the file names as focused, else the first; nullptr when
    // the list is empty.
    PersonRecord* personToFocus(const std::optional<QString>& recordNo) const;

Q_SIGNALS:
    void modifiedChanged(bool modified);
    // The find state or the settings were replaced from a file.
    void fileStateLoaded();

private:
    PersonListModel persons_;
    GroupTreeModel groups_;
    FindState find_;
    FileSettings settings_;
    DifferentPersons differentPersons_;
    bool modified_ = false;
};

// What loading data does to the find state and the settings: its words
// come after those already there, and only what the file sets changes.
void mergeFileState(const RecordFileData& data, FindState& find, FileSettings& settings);

// The find-word limit of the settings, always inside 10..250.
int clampFindWords(int value);
