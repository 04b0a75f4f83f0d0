#pragma once

#include "store/GroupOperations.h"
#include "store/GroupTreeModel.h"
#include "store/PersonListModel.h"
#include "store/RecordFile.h"

#include <QObject>
#include <QUndoStack>

#include <functional>
#include <memory>

class DocumentStep;
class FileKey;

// Everything one record file holds while it is open: the persons, the
// groups, the find dialog's remembered state, the four file settings, the
// groups of persons the user said are different persons, and the history
// of the changes made since it was opened.
//
// Every change of persons and groups goes through the methods below: each
// is one step of the history (or part of the step a Step holds open), so
// it can be undone and redone. The models are read by the views; nothing
// else changes them.
class RecordDocument : public QObject {
    Q_OBJECT
public:
    explicit RecordDocument(QObject* parent = nullptr);
    ~RecordDocument() override;

    PersonListModel& persons() { return persons_; }
    const PersonListModel& persons() const { return persons_; }
    GroupTreeModel& groups() { return groups_; }
    const GroupTreeModel& groups() const { return groups_; }
    FindState& find() { return find_; }
    const FindState& find() const { return find_; }
    FileSettings& settings() { return settings_; }
    const FileSettings& settings() const { return settings_; }
    DifferentPersons& differentPersons() { return differentPersons_; }
    // The key the file is saved with in the protected form; null when it
    // is saved plain. Comes with a file that is read.
    const std::shared_ptr<const FileKey>& fileKey() const { return fileKey_; }
    // A new password, or none: the next save writes the file in that form.
    void protect(std::shared_ptr<const FileKey> key);
    const DifferentPersons& differentPersons() const { return differentPersons_; }

    // -- the history and the modified flag
    QUndoStack& history() { return history_; }
    // Unsaved: the history is not at the step last saved, or something
    // outside it changed (the find words, a restored recovery file).
    bool isModified() const { return !history_.isClean() || unsavedOutsideHistory_; }
    // What is shown now is what the file on disk holds.
    void markSaved();
    // Something that is not a step changed what a save would write.
    void markUnsaved();
    // A change that cannot be taken back (a sync, which changed the server
    // too): the history so far goes, and the document stays unsaved.
    void endHistory();

    // Several changes as one step, with its caption. While one is open,
    // the methods below add to it instead of making steps of their own; a
    // change that throws takes back what the step did so far.
    class Step {
    public:
        Step(RecordDocument& document, const QString& text);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;
        // What the window shows after undoing or redoing the step.
        void touch(PersonRecord* person, GroupNode* group = nullptr);
        DocumentStep& step();

    private:
        RecordDocument& document_;
        bool outermost_;
        int exceptions_;
    };

    // -- persons
    // Picture files an edit copied in and entries it took out.
    struct PictureChange {
        QStringList copied;
        QStringList dropped;
    };
    // A new person at the end of the list, counted into its group.
    PersonRecord* addPerson(std::unique_ptr<PersonRecord> person, const PictureChange& pictures = {});
    // A person's new values (its group path may change with them).
    void changePerson(PersonRecord* person, PersonRecord values, const PictureChange& pictures = {});
    // New values of many persons at once (a merge, a sync).
    void changePersons(std::vector<std::pair<PersonRecord*, PersonRecord>> values);
    // New values of one field of many persons (the bulk tools); a field
    // that holds a group path is not among them.
    void changeField(QString PersonRecord::*field,
                     std::vector<std::pair<PersonRecord*, QString>> values);
    void changeField(QStringList PersonRecord::*field,
                     std::vector<std::pair<PersonRecord*, QStringList>> values);
    void removePersons(const std::vector<PersonRecord*>& persons);
    // Persons at the end of the list, each counted into the group its path
    // names; missing groups are made (imports, a sync).
    void addPersons(std::vector<std::unique_ptr<PersonRecord>> persons);
    // Files persons into target (dropped on a group).
    void filePersons(const std::vector<PersonRecord*>& persons, GroupNode* target);
    // The list's order, which is not a step: sorting by a column, and
    // moving persons before (or after) a target.
    void sortPersons(int column, Qt::SortOrder order);
    void movePersonsInList(const std::vector<PersonRecord*>& persons, const PersonRecord* target,
                           bool after);

    // -- groups
    GroupNode* addGroup(GroupNode& parent, int position, const QString& name);
    // The persons in the group and below follow with their paths.
    void renameGroup(GroupNode* group, const QString& name);
    // The group with its sub-groups and every person filed in them; returns
    // how many persons went.
    int deleteGroup(GroupNode* group);
    // Before, under or after the target, with its sub-groups and persons.
    groupops::MoveResult moveGroup(GroupNode* group, GroupNode* target, groupops::DropMode mode);
    // The groups of persons said to be different persons.
    void changeDifferentPersons(DifferentPersons different);

    // -- opening and closing
    // Takes the persons, groups and groups of different persons of a file
    // that was read, and merges its find state and settings into the
    // current ones: its words come after those already remembered, and
    // only what the file sets changes. The history starts empty.
    void load(RecordFileData& data);
    // Empties persons, groups and the key (a new file, a locked window);
    // the history starts empty.
    void clearRecords();
    // The same when the window locks: the picture files the persons name
    // now stay, since the recovery file written before names them.
    void clearForLock();
    // Ends the history as the file is closed: picture files that only its
    // steps could have brought back, and the file on disk does not name,
    // may go now.
    void closeHistory();

    // Deletes the picture files of candidates that no entry of keep names;
    // returns the candidates it kept. Set by the window, which knows where
    // the pictures lie.
    using PictureRemover =
        std::function<QStringList(const QStringList& candidates, const QStringList& keep)>;
    void setPictureRemover(PictureRemover remover) { pictureRemover_ = std::move(remover); }

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

    // For the steps: one was undone or redone; one ends and leaves the
    // picture entries nothing may need any more.
    void retraced(const DocumentStep& step);
    void releasePictures(const QStringList& entries);

Q_SIGNALS:
    void modifiedChanged(bool modified);
    // The file came, went or got another password (or none).
    void protectionChanged();
    // The find state or the settings were replaced from a file.
    void fileStateLoaded();
    // A step was undone or redone: the person and group it touched, each
    // only while in the document; membersChanged when the group filter
    // must run again.
    void historyMoved(PersonRecord* person, GroupNode* group, bool membersChanged);

private:
    void announceModified();
    QStringList currentPictures() const;
    void sweepPictures(bool closing);

    PersonListModel persons_;
    GroupTreeModel groups_;
    FindState find_;
    FileSettings settings_;
    DifferentPersons differentPersons_;
    std::shared_ptr<const FileKey> fileKey_;
    bool unsavedOutsideHistory_ = false;
    bool announcedModified_ = false;
    DocumentStep* open_ = nullptr;
    // The picture entries of the file on disk, and those waiting to go.
    QStringList savedPictures_;
    QStringList pictureCandidates_;
    PictureRemover pictureRemover_;
    // Last, so that its steps go first, while the rest is still there.
    QUndoStack history_;
};
