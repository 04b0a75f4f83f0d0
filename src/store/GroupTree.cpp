#include "store/GroupTree.h"

#include "platform/Errors.h"
#include "platform/TurkishText.h"

#include <algorithm>

int GroupNode::row() const {
    if (!parent)
        return 0;
    const auto& siblings = parent->children;
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this)
            return int(i);
    return -1;
}

GroupNode* GroupNode::addChild(QString name, int position) {
    auto node = std::make_unique<GroupNode>();
    node->Name = std::move(name);
    node->parent = this;
    GroupNode* raw = node.get();
    if (position < 0 || position >= int(children.size()))
        children.push_back(std::move(node));
    else
        children.insert(children.begin() + position, std::move(node));
    return raw;
}

QStringList splitGroupPath(QStringView path) {
    QStringList names;
    forEachGroupName(path, [&names](QStringView name) { names.append(name.toString()); });
    return names;
}

QString joinGroupPath(const QStringList& names) {
    QString path = names.join(GroupPathSeparator);
    // A separator after the last name would be read as the end of the path:
    // an empty last name needs one more to stay a name.
    if (!names.isEmpty() && names.last().isEmpty())
        path += GroupPathSeparator;
    return path;
}

QString BuildGroupPath(const GroupNode* node) {
    if (!node || node->isRoot())
        return kNoGroupPath;
    QStringList names;
    for (const GroupNode* p = node; !p->isRoot(); p = p->parent)
        names.prepend(p->Name);
    return joinGroupPath(names);
}

namespace {

// Pre-order among groups of the same name, a level a name.
GroupNode* findByNames(const GroupNode& node, const QStringList& keys, qsizetype level) {
    for (const auto& child : node.children) {
        if (!TurkceKeyEquals(child->Name, keys[level]))
            continue;
        if (level + 1 == keys.size())
            return child.get();
        if (GroupNode* found = findByNames(*child, keys, level + 1))
            return found;
    }
    return nullptr;
}

} // namespace

GroupNode* FindPersonGroup(const GroupNode& root, const QString& groupPath) {
    const QStringList keys = splitGroupPath(TurkceUpperCase(groupPath));
    return keys.isEmpty() ? nullptr : findByNames(root, keys, 0);
}

void addToMemberChain(GroupNode* node, int delta) {
    for (; node && !node->isRoot(); node = node->parent) {
        const qint64 count = qint64(node->MemberCount) + delta;
        node->MemberCount = quint32(std::max<qint64>(count, 0));
    }
}

GroupNode* resolveGroupPath(GroupNode& root, const QString& path, bool countMember) {
    GroupNode* parent = &root;
    GroupNode* node = nullptr;
    // Counted before splitting: a path of a million separators would
    // otherwise become a million names first.
    const QStringList names =
        path.count(GroupPathSeparator) <= kMaxGroupDepth ? splitGroupPath(path) : QStringList();
    if (names.size() > kMaxGroupDepth || path.count(GroupPathSeparator) > kMaxGroupDepth)
        throw ZilvarenError(QStringLiteral("Grup ağacı %1 düzeyden derin; bu kadar derin bir "
                                           "grup yolu okunmaz.")
                                .arg(kMaxGroupDepth));
    for (const QString& component : names) {
        const QString key = TurkceUpperCase(component);
        node = nullptr;
        for (const auto& child : parent->children) {
            if (TurkceKeyEquals(child->Name, key)) {
                node = child.get();
                break;
            }
        }
        if (!node)
            node = parent->addChild(component);
        if (countMember)
            ++node->MemberCount;
        parent = node;
    }
    return node;
}

bool pathLiesIn(QStringView personPath, QStringView groupKey) {
    // A key that ends with a separator (an empty last name) has its
    // separator to the names below already.
    return personPath.size() >= groupKey.size() &&
           TurkceKeyEquals(personPath.left(groupKey.size()), groupKey) &&
           (personPath.size() == groupKey.size() || groupKey.endsWith(GroupPathSeparator) ||
            personPath.at(groupKey.size()) == GroupPathSeparator);
}
