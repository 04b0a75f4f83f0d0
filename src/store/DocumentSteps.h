#pragma once

#include "store/PersonListModel.h"
#include "store/RecordFile.h"

#include <QUndoCommand>

#include <memory>
#include <vector>

class RecordDocument;

// One action of the user as a step of the document's history: the changes
// it is made of (its children, each applied as it is made), what it
// touched, and the picture files it may leave behind. The records and
// groups it points to are alive whenever it runs: a step is undone or
// redone only with the document exactly as it left it, and the records it
// took out are held by its changes meanwhile.
class DocumentStep : public QUndoCommand {
public:
    DocumentStep(RecordDocument& document, const QString& text);
    ~DocumentStep() override;
    void redo() override;
    void undo() override;
    // Applied as its changes were made: not yet pushed, or redone.
    bool isDone() const { return done_; }

    // What the window shows after undoing or redoing it: the person, else
    // the group (each only while it is in the document).
    PersonRecord* person = nullptr;
    GroupNode* group = nullptr;
    // Files the step copied in, and entries it took out of a person: the
    // first may go once the step is undone for good, the second once it
    // is done for good.
    QStringList copiedPictures;
    QStringList droppedPictures;
    // The group filter must run again after it (persons came, went or
    // changed group).
    bool membersChanged = false;

private:
    RecordDocument& document_;
    bool pushed_ = false;
    bool done_ = true;
};

// The changes a step is made of. Each is applied at once and becomes a
// child of the step, which undoes and redoes it.
namespace steps {

// Persons into the list at their positions, and out of it.
void insertPersons(DocumentStep& step, RecordDocument& document,
                   std::vector<PersonListModel::PlacedPerson> persons);
// Returns the persons taken out, in list order.
std::vector<PersonRecord*> removePersons(DocumentStep& step, RecordDocument& document,
                                         const std::function<bool(const PersonRecord&)>& doomed);
// Each person counted (delta 1) into its group and the groups above, or
// out of them (-1).
void countMembers(DocumentStep& step, RecordDocument& document,
                  const std::vector<PersonRecord*>& persons, int delta);
// New values of whole records.
void changeRecords(DocumentStep& step, RecordDocument& document,
                   std::vector<std::pair<PersonRecord*, PersonRecord>> values);
// New values of one field of many records; what the list shows follows.
void changeTexts(DocumentStep& step, RecordDocument& document, QString PersonRecord::*field,
                 std::vector<std::pair<PersonRecord*, QString>> values);
void changeLists(DocumentStep& step, RecordDocument& document, QStringList PersonRecord::*field,
                 std::vector<std::pair<PersonRecord*, QStringList>> values);

// A group (with its sub-groups and their counts) into the tree, out of it,
// to another place, or renamed; the groups above count their members.
void insertGroup(DocumentStep& step, RecordDocument& document, GroupNode& parent, int row,
                 std::unique_ptr<GroupNode> group);
void removeGroup(DocumentStep& step, RecordDocument& document, GroupNode* group);
void moveGroup(DocumentStep& step, RecordDocument& document, GroupNode* group,
               GroupNode& newParent, int row);
void renameGroup(DocumentStep& step, RecordDocument& document, GroupNode* group,
                 const QString& name);

void changeDifferentPersons(DocumentStep& step, RecordDocument& document,
                            DifferentPersons different);

} // namespace steps
