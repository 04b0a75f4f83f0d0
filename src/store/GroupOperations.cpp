#include "store/GroupOperations.h"

#include "platform/TurkishText.h"

#include <QHash>

namespace groupops {

bool hasChildNamed(const GroupNode& parent, const QString& name, const GroupNode* except) {
    const QString key = TurkceUpperCase(name);
    for (const auto& child : parent.children)
        if (child.get() != except && TurkceKeyEquals(child->Name, key))
            return true;
    return false;
}

namespace {

// The persons in the group with oldPath or below it get newPath in its place.
template <typename F>
void forPersonsBelow(PersonListModel& persons, const QString& oldPath, F&& f) {
    const QString key = TurkceUpperCase(oldPath);
    persons.forEachPerson([&](PersonRecord& p) {
        if (pathLiesIn(p.GroupPath, key))
            f(&p);
    });
}

// A group's path without the separator an empty last name ends with: what
// the paths of its persons begin with, before their own rest.
QString pathStem(const GroupNode* group) {
    QString path = BuildGroupPath(group);
    if (group->Name.isEmpty())
        path.chop(1);
    return path;
}

// Gives the persons below a moved or renamed group their new paths. The
// persons of one group share one new path, as they shared the old one.
class PathRewrite {
public:
    PathRewrite(qsizetype oldLength, const QString& newPath)
        : oldLength_(oldLength), newPath_(newPath) {}
    void operator()(PersonRecord* p) {
        auto it = rewritten_.constFind(p->GroupPath);
        if (it == rewritten_.constEnd())
            it = rewritten_.insert(p->GroupPath, newPath_ + p->GroupPath.mid(oldLength_));
        p->GroupPath = *it;
    }

private:
    qsizetype oldLength_;
    const QString& newPath_;
    QHash<QString, QString> rewritten_;
};

// The person path walk: by name from the top, as far as groups exist.
void leaveOldChain(GroupTreeModel& groups, const QString& path) {
    GroupNode* level = &groups.root();
    for (const QString& name : splitGroupPath(path)) {
        const QString key = TurkceUpperCase(name);
        GroupNode* found = nullptr;
        for (const auto& c : level->children)
            if (TurkceKeyEquals(c->Name, key)) {
                found = c.get();
                break;
            }
        if (!found)
            return;
        found->MemberCount = found->MemberCount > 0 ? found->MemberCount - 1 : 0;
        level = found;
    }
}

} // namespace

void renameGroup(RecordDocument& document, GroupNode* group, const QString& newName) {
    const QString oldPath = BuildGroupPath(group);
    const qsizetype oldStem = pathStem(group).size();
    group->Name = newName;
    const QString newStem = pathStem(group);
    forPersonsBelow(document.persons(), oldPath, PathRewrite(oldStem, newStem));
    document.groups().renamed(group);
}

int deleteGroup(RecordDocument& document, GroupNode* group) {
    const QString key = TurkceUpperCase(BuildGroupPath(group));
    // One pass and one change of the list, however many persons go.
    const int removed = document.persons().removePersons(
        [&key](const PersonRecord& p) { return pathLiesIn(p.GroupPath, key); });
    document.groups().addMembers(group->parent, -removed);
    document.groups().removeGroup(group);
    return removed;
}

void filePersons(RecordDocument& document, const std::vector<PersonRecord*>& persons,
                 GroupNode* target) {
    GroupTreeModel& groups = document.groups();
    const QString targetPath = BuildGroupPath(target);
    for (PersonRecord* p : persons) {
        const QString old = p->GroupPath;
        p->GroupPath = targetPath;
        leaveOldChain(groups, old);
        addToMemberChain(target, 1);
    }
    groups.countsChanged();
}

void countPersons(RecordDocument& document, const std::vector<const PersonRecord*>& persons,
                  int delta) {
    GroupTreeModel& groups = document.groups();
    for (const PersonRecord* p : persons) {
        GroupNode* node = &groups.root();
        for (const QString& name : splitGroupPath(p->GroupPath)) {
            const QString key = TurkceUpperCase(name);
            GroupNode* found = nullptr;
            for (const auto& child : node->children)
                if (TurkceKeyEquals(child->Name, key)) {
                    found = child.get();
                    break;
                }
            if (!found && delta < 0)
                break;
            node = found ? found : groups.insertGroup(*node, -1, name);
        }
        if (node != &groups.root()) {
            // Every person is in a group: none for an empty path is
            // "Belli Değil".
            addToMemberChain(node, delta);
        } else if (delta > 0) {
            addToMemberChain(groups.topLevelGroup(kNoGroupPath), delta);
        }
    }
    groups.countsChanged();
}

MoveResult moveGroup(RecordDocument& document, GroupNode* group, GroupNode* target, DropMode mode) {
    GroupNode* newParent = mode == DropMode::OnNode ? target : target->parent;
    for (const GroupNode* p = newParent; p; p = p->parent)
        if (p == group)
            return MoveResult::InsideItself;
    // Two groups of one name beside each other would share one path.
    if (hasChildNamed(*newParent, group->Name, group))
        return MoveResult::SameName;

    const QString oldPath = BuildGroupPath(group);
    const qsizetype oldStem = pathStem(group).size();
    GroupNode* oldParent = group->parent;
    const int position = mode == DropMode::OnNode  ? -1
                         : mode == DropMode::Above ? target->row()
                                                   : target->row() + 1;
    if (!document.groups().moveGroup(group, *newParent, position))
        return MoveResult::InsideItself;
    const QString newStem = pathStem(group);
    int moved = 0;
    PathRewrite rewrite(oldStem, newStem);
    forPersonsBelow(document.persons(), oldPath, [&](PersonRecord* p) {
        rewrite(p);
        ++moved;
    });
    addToMemberChain(oldParent, -moved);
    addToMemberChain(newParent, moved);
    document.groups().countsChanged();
    return MoveResult::Moved;
}

} // namespace groupops
