#pragma once

#include "store/GroupTree.h"
#include "store/PersonRecord.h"

#include <QStringList>

#include <array>
#include <memory>
#include <optional>

class FileKey;

// The find dialog's check boxes as the record file names them.
enum FindCheck {
    CheckID,
    CheckAdSoyad,
    CheckTel,
    CheckAdres,
    CheckFirma,
    CheckNotlar,
    CheckGrup,
    CheckTamami,
    FindCheckCount
};
extern const std::array<QString, FindCheckCount> kFindCheckKeys;

// The state of the find dialog that travels in the record file.
struct FindState {
    QStringList items; // remembered search words, newest first
    std::array<bool, FindCheckCount> checks{};
};

// The four settings kept in every record file.
struct FileSettings {
    bool saveAndClose = false;
    int findWords = 100;
    int panelGrupHeight = 177;
    int panelMainWidth = 305;
};

// Groups of persons the user said are different persons, not one person
// filed twice, each by the identities of its persons ("1 DIST").
using DifferentPersons = QList<QStringList>;

// What reading a record file yields. The find and settings values are what
// the file said: they are merged into the current state (a file adds its
// words to the remembered ones, and a check box keeps its state unless a
// line sets it).
struct RecordFileData {
    std::vector<std::unique_ptr<PersonRecord>> persons;
    std::unique_ptr<GroupNode> groups = std::make_unique<GroupNode>();
    std::optional<QString> focusedRecordNo;
    QString focusedGroupPath;
    GroupNode* groupToSelect = nullptr;

    QStringList findItems;
    std::array<std::optional<bool>, FindCheckCount> findChecks{};
    std::optional<bool> saveAndClose;
    std::optional<int> findWords;
    std::optional<int> panelGrupHeight;
    std::optional<int> panelMainWidth;
    DifferentPersons differentPersons;

    // Set when reading stopped early, at errorLine (from 1); what was read
    // before stays.
    std::optional<QString> error;
    int errorLine = 0;

    // The key of the password the file was protected with; null for a
    // plain file. What is written from it is protected with it again.
    std::shared_ptr<const FileKey> key;
};

// What the writer needs: everything of one open file, and the selection.
struct RecordFileSnapshot {
    const std::vector<const PersonRecord*>& persons; // list order
    const GroupNode& groups;
    const PersonRecord* focusedPerson = nullptr;
    const GroupNode* focusedGroup = nullptr;
    const FindState& find;
    const FileSettings& settings;
    const DifferentPersons& differentPersons;
};

// What loading data does to the find state and the settings: its words
// come after those already there, and only what the file sets changes.
void mergeFileState(const RecordFileData& data, FindState& find, FileSettings& settings);

// The find-word limit of the settings, always inside 10..250.
int clampFindWords(int value);
