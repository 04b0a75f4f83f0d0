#include "store/DocumentSteps.h"

#include "store/RecordDocument.h"

#include <QHash>
#include <QSet>

DocumentStep::DocumentStep(RecordDocument& document, const QString& text)
    : QUndoCommand(text), document_(document) {}

DocumentStep::~DocumentStep() {
    document_.releasePictures(done_ ? droppedPictures : copiedPictures);
}

void DocumentStep::redo() {
    // Pushing runs the step once more: its changes were applied as made.
    if (!pushed_) {
        pushed_ = true;
        return;
    }
    QUndoCommand::redo();
    done_ = true;
    document_.retraced(*this);
}

void DocumentStep::undo() {
    QUndoCommand::undo();
    done_ = false;
    document_.retraced(*this);
}

namespace {

// A change whose undoing is the same as doing it again: a swap.
class Swap : public QUndoCommand {
public:
    using QUndoCommand::QUndoCommand;
    void redo() override { swap(); }
    void undo() override { swap(); }

protected:
    virtual void swap() = 0;
};

// Applies a change made for step at once.
template <typename Change, typename... Args> void apply(DocumentStep& step, Args&&... args) {
    auto* change = new Change(&step, std::forward<Args>(args)...);
    change->redo();
}

class PersonsInOut : public Swap {
public:
    // Persons out of the list, to go in at their positions.
    PersonsInOut(QUndoCommand* parent, RecordDocument& document,
                 std::vector<PersonListModel::PlacedPerson> out)
        : Swap(parent), document_(document), out_(std::move(out)), in_(false) {
        for (const auto& p : out_)
            persons_.push_back(p.record.get());
    }
    // Persons in the list, to go out.
    PersonsInOut(QUndoCommand* parent, RecordDocument& document, std::vector<PersonRecord*> in)
        : Swap(parent), document_(document), persons_(std::move(in)), in_(true) {}

private:
    void swap() override {
        if (in_) {
            const QSet<const PersonRecord*> going(persons_.begin(), persons_.end());
            out_ = document_.persons().takePersons(
                [&going](const PersonRecord& p) { return going.contains(&p); });
        } else {
            document_.persons().insertPersons(std::move(out_));
            out_.clear();
        }
        in_ = !in_;
    }

    RecordDocument& document_;
    std::vector<PersonListModel::PlacedPerson> out_;
    std::vector<PersonRecord*> persons_;
    bool in_;
};

class MemberCounts : public QUndoCommand {
public:
    MemberCounts(QUndoCommand* parent, RecordDocument& document,
                 std::vector<PersonRecord*> persons, int delta)
        : QUndoCommand(parent), document_(document), persons_(std::move(persons)),
          delta_(delta) {}
    void redo() override { count(delta_); }
    void undo() override { count(-delta_); }

private:
    void count(int delta) {
        GroupTreeModel& groups = document_.groups();
        // Persons of one group share their path: each is looked up once.
        QHash<QString, GroupNode*> groupOf;
        for (const PersonRecord* p : persons_) {
            auto it = groupOf.constFind(p->GroupPath);
            if (it == groupOf.constEnd())
                it = groupOf.insert(p->GroupPath, FindPersonGroup(groups.root(), p->GroupPath));
            addToMemberChain(*it, delta);
        }
        groups.countsChanged();
    }

    RecordDocument& document_;
    std::vector<PersonRecord*> persons_;
    int delta_;
};

// What the list shows of changed persons: row by row for a few, at once
// for many.
void personsChanged(PersonListModel& list, const std::vector<PersonRecord*>& persons) {
    constexpr size_t kRowByRow = 16;
    if (persons.size() > kRowByRow) {
        list.allPersonsChanged();
        return;
    }
    for (const PersonRecord* p : persons)
        list.personChanged(p);
}

// New values for persons: the whole record, or one field of it (get
// reaches what is swapped).
template <typename Value, typename Get> class ValuesSwap : public Swap {
public:
    ValuesSwap(QUndoCommand* parent, RecordDocument& document,
               std::vector<std::pair<PersonRecord*, Value>> values, Get get)
        : Swap(parent), document_(document), values_(std::move(values)), get_(get) {
        persons_.reserve(values_.size());
        for (const auto& v : values_)
            persons_.push_back(v.first);
    }

private:
    void swap() override {
        for (auto& [person, value] : values_)
            std::swap(get_(*person), value);
        personsChanged(document_.persons(), persons_);
    }

    RecordDocument& document_;
    std::vector<std::pair<PersonRecord*, Value>> values_;
    std::vector<PersonRecord*> persons_;
    Get get_;
};

template <typename Value, typename Get>
void changeValues(DocumentStep& step, RecordDocument& document,
                  std::vector<std::pair<PersonRecord*, Value>> values, Get get) {
    if (values.empty())
        return;
    auto* change = new ValuesSwap<Value, Get>(&step, document, std::move(values), get);
    change->redo();
}

class GroupInOut : public Swap {
public:
    // A group out of the tree, to go in under treeParent at row.
    GroupInOut(QUndoCommand* parent, RecordDocument& document, GroupNode& treeParent, int row,
               std::unique_ptr<GroupNode> out)
        : Swap(parent), document_(document), node_(out.get()), parent_(&treeParent), row_(row),
          out_(std::move(out)) {}
    // A group in the tree, to go out.
    GroupInOut(QUndoCommand* parent, RecordDocument& document, GroupNode* in)
        : Swap(parent), document_(document), node_(in), parent_(in->parent), row_(in->row()) {}

private:
    void swap() override {
        GroupTreeModel& groups = document_.groups();
        if (out_) {
            const int members = int(out_->MemberCount);
            groups.insertGroup(*parent_, row_, std::move(out_));
            groups.addMembers(parent_, members);
        } else {
            parent_ = node_->parent;
            row_ = node_->row();
            out_ = groups.takeGroup(node_);
            groups.addMembers(parent_, -int(out_->MemberCount));
        }
    }

    RecordDocument& document_;
    GroupNode* node_;
    GroupNode* parent_;
    int row_;
    std::unique_ptr<GroupNode> out_;
};

class GroupMove : public Swap {
public:
    GroupMove(QUndoCommand* parent, RecordDocument& document, GroupNode* node, GroupNode& to,
              int row)
        : Swap(parent), document_(document), node_(node), parent_(&to), row_(row) {}

private:
    void swap() override {
        GroupTreeModel& groups = document_.groups();
        GroupNode* from = node_->parent;
        const int fromRow = node_->row();
        // The model inserts before the row given, counted before the move.
        const int before = from == parent_ && row_ > fromRow ? row_ + 1 : row_;
        groups.moveGroup(node_, *parent_, before);
        const int members = int(node_->MemberCount);
        addToMemberChain(from, -members);
        addToMemberChain(parent_, members);
        groups.countsChanged();
        parent_ = from;
        row_ = fromRow;
    }

    RecordDocument& document_;
    GroupNode* node_;
    GroupNode* parent_;
    int row_;
};

class GroupRename : public Swap {
public:
    GroupRename(QUndoCommand* parent, RecordDocument& document, GroupNode* node, QString name)
        : Swap(parent), document_(document), node_(node), name_(std::move(name)) {}

private:
    void swap() override {
        std::swap(node_->Name, name_);
        document_.groups().renamed(node_);
    }

    RecordDocument& document_;
    GroupNode* node_;
    QString name_;
};

class DifferentSwap : public Swap {
public:
    DifferentSwap(QUndoCommand* parent, RecordDocument& document, DifferentPersons different)
        : Swap(parent), document_(document), different_(std::move(different)) {}

private:
    void swap() override { std::swap(document_.differentPersons(), different_); }

    RecordDocument& document_;
    DifferentPersons different_;
};

} // namespace

namespace steps {

void insertPersons(DocumentStep& step, RecordDocument& document,
                   std::vector<PersonListModel::PlacedPerson> persons) {
    if (!persons.empty())
        apply<PersonsInOut>(step, document, std::move(persons));
}

std::vector<PersonRecord*> removePersons(DocumentStep& step, RecordDocument& document,
                                         const std::function<bool(const PersonRecord&)>& doomed) {
    std::vector<PersonRecord*> going;
    document.persons().forEachPerson([&](PersonRecord& p) {
        if (doomed(p))
            going.push_back(&p);
    });
    if (!going.empty())
        apply<PersonsInOut>(step, document, going);
    return going;
}

void countMembers(DocumentStep& step, RecordDocument& document,
                  const std::vector<PersonRecord*>& persons, int delta) {
    if (!persons.empty())
        apply<MemberCounts>(step, document, persons, delta);
}

void changeRecords(DocumentStep& step, RecordDocument& document,
                   std::vector<std::pair<PersonRecord*, PersonRecord>> values) {
    changeValues(step, document, std::move(values), [](PersonRecord& p) -> PersonRecord& {
        return p;
    });
}

void changeTexts(DocumentStep& step, RecordDocument& document, QString PersonRecord::*field,
                 std::vector<std::pair<PersonRecord*, QString>> values) {
    changeValues(step, document, std::move(values),
                 [field](PersonRecord& p) -> QString& { return p.*field; });
}

void changeLists(DocumentStep& step, RecordDocument& document, QStringList PersonRecord::*field,
                 std::vector<std::pair<PersonRecord*, QStringList>> values) {
    changeValues(step, document, std::move(values),
                 [field](PersonRecord& p) -> QStringList& { return p.*field; });
}

void insertGroup(DocumentStep& step, RecordDocument& document, GroupNode& parent, int row,
                 std::unique_ptr<GroupNode> group) {
    apply<GroupInOut>(step, document, parent, row, std::move(group));
}

void removeGroup(DocumentStep& step, RecordDocument& document, GroupNode* group) {
    apply<GroupInOut>(step, document, group);
}

void moveGroup(DocumentStep& step, RecordDocument& document, GroupNode* group,
               GroupNode& newParent, int row) {
    apply<GroupMove>(step, document, group, newParent, row);
}

void renameGroup(DocumentStep& step, RecordDocument& document, GroupNode* group,
                 const QString& name) {
    apply<GroupRename>(step, document, group, name);
}

void changeDifferentPersons(DocumentStep& step, RecordDocument& document,
                            DifferentPersons different) {
    apply<DifferentSwap>(step, document, std::move(different));
}

} // namespace steps
