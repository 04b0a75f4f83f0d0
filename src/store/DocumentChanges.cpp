// The changes of persons and groups, each made of the steps' changes.
#include "store/DocumentSteps.h"
#include "store/RecordDocument.h"

#include "platform/Errors.h"
#include "platform/TurkishText.h"

#include <QHash>
#include <QSet>

namespace {

QString nameOf(const PersonRecord& p) {
    return (p.FirstName + QLatin1Char(' ') + p.Surname).trimmed();
}

QString personsText(const QString& one, const QString& many,
                    const std::vector<PersonRecord*>& persons) {
    return persons.size() == 1 ? one.arg(nameOf(*persons.front()))
                               : many.arg(QStringLiteral("%1 kişi").arg(persons.size()));
}

// Counted members and group paths go together: a change of paths leaves
// the old groups' counts and joins the new ones'.
void changeCountedRecords(DocumentStep& step, RecordDocument& document,
                          std::vector<std::pair<PersonRecord*, PersonRecord>> values) {
    std::vector<PersonRecord*> moving;
    for (const auto& [p, v] : values)
        if (p->GroupPath != v.GroupPath)
            moving.push_back(p);
    steps::countMembers(step, document, moving, -1);
    steps::changeRecords(step, document, std::move(values));
    steps::countMembers(step, document, moving, 1);
    step.membersChanged = step.membersChanged || !moving.empty();
}

// A group's path without the separator an empty last name ends with: what
// the paths of its persons begin with, before their own rest.
QString pathStem(const GroupNode* group) {
    QString path = BuildGroupPath(group);
    if (group->Name.isEmpty())
        path.chop(1);
    return path;
}

// The persons in a group and below it, each with its path as it is once
// the group's stem becomes newStem. The persons of one group share one new
// path, as they shared the old one.
std::vector<std::pair<PersonRecord*, QString>>
pathsBelow(PersonListModel& persons, const QString& oldPath, qsizetype oldStem,
           const QString& newStem) {
    const QString key = TurkceUpperCase(oldPath);
    QHash<QString, QString> rewritten;
    std::vector<std::pair<PersonRecord*, QString>> paths;
    persons.forEachPerson([&](PersonRecord& p) {
        if (!pathLiesIn(p.GroupPath, key))
            return;
        auto it = rewritten.constFind(p.GroupPath);
        if (it == rewritten.constEnd())
            it = rewritten.insert(p.GroupPath, newStem + p.GroupPath.mid(oldStem));
        paths.emplace_back(&p, *it);
    });
    return paths;
}

} // namespace

PersonRecord* RecordDocument::addPerson(std::unique_ptr<PersonRecord> person,
                                        const PictureChange& pictures) {
    PersonRecord* added = person.get();
    Step s(*this, QStringLiteral("Kişi Ekle (%1)").arg(nameOf(*person)));
    std::vector<std::unique_ptr<PersonRecord>> one;
    one.push_back(std::move(person));
    addPersons(std::move(one));
    s.touch(added);
    s.step().copiedPictures += pictures.copied;
    s.step().droppedPictures += pictures.dropped;
    return added;
}

void RecordDocument::changePerson(PersonRecord* person, PersonRecord values,
                                  const PictureChange& pictures) {
    Step s(*this, QStringLiteral("Kişiyi Düzelt (%1)").arg(nameOf(*person)));
    s.touch(person);
    std::vector<std::pair<PersonRecord*, PersonRecord>> one;
    one.emplace_back(person, std::move(values));
    changeCountedRecords(s.step(), *this, std::move(one));
    s.step().copiedPictures += pictures.copied;
    s.step().droppedPictures += pictures.dropped;
}

void RecordDocument::changePersons(std::vector<std::pair<PersonRecord*, PersonRecord>> values) {
    if (values.empty())
        return;
    Step s(*this, QStringLiteral("Kişileri Değiştir"));
    s.touch(values.front().first);
    changeCountedRecords(s.step(), *this, std::move(values));
}

void RecordDocument::changeField(QString PersonRecord::*field,
                                 std::vector<std::pair<PersonRecord*, QString>> values) {
    Step s(*this, QStringLiteral("Kişileri Değiştir"));
    steps::changeTexts(s.step(), *this, field, std::move(values));
}

void RecordDocument::changeField(QStringList PersonRecord::*field,
                                 std::vector<std::pair<PersonRecord*, QStringList>> values) {
    Step s(*this, QStringLiteral("Kişileri Değiştir"));
    steps::changeLists(s.step(), *this, field, std::move(values));
}

void RecordDocument::removePersons(const std::vector<PersonRecord*>& persons) {
    if (persons.empty())
        return;
    Step s(*this, personsText(QStringLiteral("Kişiyi Sil (%1)"), QStringLiteral("Kişileri Sil (%1)"),
                              persons));
    s.touch(persons.front(), FindPersonGroup(groups_.root(), persons.front()->GroupPath));
    s.step().membersChanged = true;
    steps::countMembers(s.step(), *this, persons, -1);
    const QSet<const PersonRecord*> going(persons.begin(), persons.end());
    steps::removePersons(s.step(), *this,
                         [&going](const PersonRecord& p) { return going.contains(&p); });
}

void RecordDocument::addPersons(std::vector<std::unique_ptr<PersonRecord>> persons) {
    if (persons.empty())
        return;
    Step s(*this, QStringLiteral("Kişi Ekle (%1 kişi)").arg(persons.size()));
    // The groups the paths name that are not there yet come first, each
    // as a change of its own.
    QSet<QString> resolved;
    for (const auto& p : persons) {
        const QString path = p->GroupPath.isEmpty() ? kNoGroupPath : p->GroupPath;
        if (resolved.contains(path))
            continue;
        resolved.insert(path);
        const QStringList names = splitGroupPath(path);
        if (names.size() > kMaxGroupDepth)
            throw ZilvarenError(
                QStringLiteral("Grup yolu %1 düzeyden derin olamaz.").arg(kMaxGroupDepth));
        GroupNode* level = &groups_.root();
        for (const QString& name : names) {
            const QString key = TurkceUpperCase(name);
            GroupNode* found = nullptr;
            for (const auto& child : level->children)
                if (TurkceKeyEquals(child->Name, key)) {
                    found = child.get();
                    break;
                }
            if (!found) {
                auto made = std::make_unique<GroupNode>();
                made->Name = name;
                found = made.get();
                steps::insertGroup(s.step(), *this, *level, int(level->children.size()),
                                   std::move(made));
            }
            level = found;
        }
    }
    std::vector<PersonRecord*> added;
    std::vector<PersonListModel::PlacedPerson> placed;
    int position = persons_.personCount();
    for (auto& p : persons) {
        if (p->GroupPath.isEmpty())
            p->GroupPath = kNoGroupPath;
        added.push_back(p.get());
        placed.push_back({position++, std::move(p)});
    }
    s.touch(added.front());
    s.step().membersChanged = true;
    steps::insertPersons(s.step(), *this, std::move(placed));
    steps::countMembers(s.step(), *this, added, 1);
}

void RecordDocument::filePersons(const std::vector<PersonRecord*>& persons, GroupNode* target) {
    if (persons.empty() || !target)
        return;
    Step s(*this, personsText(QStringLiteral("Kişiyi Gruba Taşı (%1 → ") + target->Name + u')',
                              QStringLiteral("Kişileri Gruba Taşı (%1 → ") + target->Name + u')',
                              persons));
    s.touch(persons.front(), target);
    const QString path = BuildGroupPath(target);
    std::vector<std::pair<PersonRecord*, PersonRecord>> values;
    for (PersonRecord* p : persons) {
        PersonRecord v = *p;
        v.GroupPath = path;
        values.emplace_back(p, std::move(v));
    }
    changeCountedRecords(s.step(), *this, std::move(values));
    s.step().membersChanged = true;
}

// The list's order is saved: not a step, but unsaved.
void RecordDocument::sortPersons(int column, Qt::SortOrder order) {
    persons_.sortPersons(column, order);
    markUnsaved();
}

void RecordDocument::movePersonsInList(const std::vector<PersonRecord*>& persons,
                                       const PersonRecord* target, bool after) {
    persons_.movePersons(persons, target, after);
    markUnsaved();
}

GroupNode* RecordDocument::addGroup(GroupNode& parent, int position, const QString& name) {
    Step s(*this, QStringLiteral("Grup Ekle (%1)").arg(name));
    auto made = std::make_unique<GroupNode>();
    made->Name = name;
    GroupNode* group = made.get();
    steps::insertGroup(s.step(), *this, parent,
                       position < 0 ? int(parent.children.size()) : position, std::move(made));
    s.touch(nullptr, group);
    return group;
}

void RecordDocument::renameGroup(GroupNode* group, const QString& name) {
    Step s(*this, QStringLiteral("Grubu Yeniden Adlandır (%1 → %2)").arg(group->Name, name));
    s.touch(nullptr, group);
    const QString oldPath = BuildGroupPath(group);
    const qsizetype oldStem = pathStem(group).size();
    steps::renameGroup(s.step(), *this, group, name);
    steps::changeTexts(s.step(), *this, &PersonRecord::GroupPath,
                       pathsBelow(persons_, oldPath, oldStem, pathStem(group)));
}

int RecordDocument::deleteGroup(GroupNode* group) {
    Step s(*this, QStringLiteral("Grubu Sil (%1)").arg(group->Name));
    s.touch(nullptr, group);
    s.step().membersChanged = true;
    const QString key = TurkceUpperCase(BuildGroupPath(group));
    // One pass and one change of the list, however many persons go; the
    // group takes their counts with it.
    const std::vector<PersonRecord*> gone = steps::removePersons(
        s.step(), *this, [&key](const PersonRecord& p) { return pathLiesIn(p.GroupPath, key); });
    steps::removeGroup(s.step(), *this, group);
    return int(gone.size());
}

groupops::MoveResult RecordDocument::moveGroup(GroupNode* group, GroupNode* target,
                                               groupops::DropMode mode) {
    using groupops::DropMode;
    GroupNode* newParent = mode == DropMode::OnNode ? target : target->parent;
    for (const GroupNode* p = newParent; p; p = p->parent)
        if (p == group)
            return groupops::MoveResult::InsideItself;
    // Two groups of one name beside each other would share one path.
    if (groupops::hasChildNamed(*newParent, group->Name, group))
        return groupops::MoveResult::SameName;

    int row = mode == DropMode::OnNode  ? int(newParent->children.size())
              : mode == DropMode::Above ? target->row()
                                        : target->row() + 1;
    // Counted without the group itself where it leaves the same parent.
    if (group->parent == newParent && group->row() < row)
        --row;
    if (group->parent == newParent && group->row() == row)
        return groupops::MoveResult::Moved;
    Step s(*this, QStringLiteral("Grubu Taşı (%1)").arg(group->Name));
    s.touch(nullptr, group);
    s.step().membersChanged = true;
    const QString oldPath = BuildGroupPath(group);
    const qsizetype oldStem = pathStem(group).size();
    steps::moveGroup(s.step(), *this, group, *newParent, row);
    steps::changeTexts(s.step(), *this, &PersonRecord::GroupPath,
                       pathsBelow(persons_, oldPath, oldStem, pathStem(group)));
    return groupops::MoveResult::Moved;
}

void RecordDocument::changeDifferentPersons(DifferentPersons different) {
    Step s(*this, QStringLiteral("Farklı Kişiler"));
    steps::changeDifferentPersons(s.step(), *this, std::move(different));
}
